#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The point-of-sale side of POLE.DAT: korvpole-post writes through it, and so do the
// tests, so that both write a record the way a till does.
namespace korv::tools {

struct PoleRecordFields {
    std::string line1;  // cut at 20 bytes; a shorter text is followed by zero bytes
    std::string line2;
    std::uint16_t counter = 0;
    std::uint16_t scale = 1;
    std::int32_t tax = 0;  // hundredths before scaling
    std::int32_t total = 0;
};

// The 74 bytes of a record, little-endian, unused bytes zero.
std::string EncodeRecord(const PoleRecordFields& fields);

// What the file holds of the first 74 bytes (fewer when it is shorter). A missing file
// holds nothing.
bool ReadRecordBytes(const std::string& path, std::string& bytes, std::string& error);

// Writes a whole record in place, never truncating: lines, scale and amounts first and
// the change counter last, so that a reader that sees the new counter also finds the
// new lines. A missing file is created as an ordinary file, never through a link.
bool WriteRecordInPlace(const std::string& path, const std::string& record, std::string& error);

// `bytes` at `offset`; the file grows as needed and is created like above.
bool WriteBytesAt(const std::string& path, std::size_t offset, const std::string& bytes,
                  std::string& error);

}  // namespace korv::tools
