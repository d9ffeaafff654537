#pragma once

#include <cstddef>
#include <string>

#include "platform/record_file.h"

// The point-of-sale side of POLE.DAT: korvpole-post writes through it, and so do the
// tests, so that both write a record the way a till does. The bytes themselves come
// from pole/record_format.h.
namespace korv::tools {

// What the open file holds of its first 74 bytes (fewer when it is shorter); the error
// of a seek or read that fails.
std::error_code ReadRecordBytes(platform::RecordFile& file, std::string& bytes);

// The same for the file at `path`. A missing file holds nothing.
bool ReadRecordBytes(const std::string& path, std::string& bytes, std::string& error);

// Writes a whole record in place, never truncating: lines, scale and amounts first and
// the change counter last, so that a reader that sees the new counter also finds the
// new lines. A missing file is created as an ordinary file, never through a link.
bool WriteRecordInPlace(const std::string& path, const std::string& record, std::string& error);

// `bytes` at `offset`; the file grows as needed and is created like above.
bool WriteBytesAt(const std::string& path, std::size_t offset, const std::string& bytes,
                  std::string& error);

}  // namespace korv::tools
