#pragma once

#include <cstdint>
#include <string>

namespace korv {
inline constexpr const char* kPoleRecordFileName = "POLE.DAT";

// Where the fields of the pole record lie; all numbers little-endian.
namespace record {
inline constexpr int kLine1Offset = 0;
inline constexpr int kLine2Offset = 20;
inline constexpr int kLineSize = 20;
inline constexpr int kCounterOffset = 58;
inline constexpr int kScaleOffset = 60;
inline constexpr int kTaxOffset = 66;
inline constexpr int kTotalOffset = 70;
inline constexpr int kUsedSize = 74;
}  // namespace record

// The fields of one record as stored.
struct PoleRecordFields {
    std::string line1;  // at most 20 bytes are stored; a shorter text is followed by zero bytes
    std::string line2;
    std::uint16_t counter = 0;
    std::uint16_t scale = 1;
    std::int32_t tax = 0;  // hundredths before scaling
    std::int32_t total = 0;
};

std::uint16_t DecodeLe16(const std::uint8_t* bytes);
std::int32_t DecodeLe32(const std::uint8_t* bytes);

// The fields of `bytes`; bytes a short record lacks read as zero.
PoleRecordFields DecodeRecord(const std::string& bytes);

// The 74 bytes of a record, the bytes no field uses zero.
std::string EncodeRecord(const PoleRecordFields& fields);
// The fields written over `bytes`, grown to 74 bytes; bytes no field uses keep theirs.
void EncodeRecordInto(const PoleRecordFields& fields, std::string& bytes);
}  // namespace korv
