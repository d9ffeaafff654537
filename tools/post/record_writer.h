#pragma once

#include <string>

#include "platform/record_file.h"

// POLE.DAT as a till writes it; RecordFailureWords words a failure.
namespace korv::tools {
// What the open file holds of its first 74 bytes (fewer when it is shorter).
std::error_code ReadRecordBytes(platform::RecordFile& file, std::string& bytes);
// The same for the file at `path`; a missing file holds nothing.
platform::RecordOpenFailure ReadRecordBytes(const std::string& path, std::string& bytes);

// A whole record in place, never truncating: lines, scale and amounts first and the
// change counter last, so that a reader that sees the new counter also finds the new
// lines. A missing file is created as an ordinary file, never through a link.
platform::RecordOpenFailure WriteRecordInPlace(const std::string& path, const std::string& record);
}  // namespace korv::tools
