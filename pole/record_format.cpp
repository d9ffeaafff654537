#include "pole/record_format.h"

namespace korv {
namespace {
void PutLe(std::string& bytes, int offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[static_cast<std::size_t>(offset + i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutLine(std::string& bytes, int offset, const std::string& text) {
    std::string field = text.substr(0, record::kLineSize);
    field.resize(record::kLineSize, '\0');
    bytes.replace(static_cast<std::size_t>(offset), field.size(), field);
}

std::string LineAt(const std::string& padded, int offset) {
    const std::string field = padded.substr(static_cast<std::size_t>(offset), record::kLineSize);
    return field.substr(0, field.find('\0'));
}
}  // namespace

std::uint16_t DecodeLe16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::int32_t DecodeLe32(const std::uint8_t* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[i];
    return static_cast<std::int32_t>(value);  // modulo 2^32, as every compiler korvpole knows does
}

PoleRecordFields DecodeRecord(const std::string& bytes) {
    std::string padded = bytes.substr(0, record::kUsedSize);
    padded.resize(record::kUsedSize, '\0');
    const auto* at = reinterpret_cast<const std::uint8_t*>(padded.data());
    PoleRecordFields fields;
    fields.line1 = LineAt(padded, record::kLine1Offset);
    fields.line2 = LineAt(padded, record::kLine2Offset);
    fields.counter = DecodeLe16(at + record::kCounterOffset);
    fields.scale = DecodeLe16(at + record::kScaleOffset);
    fields.tax = DecodeLe32(at + record::kTaxOffset);
    fields.total = DecodeLe32(at + record::kTotalOffset);
    return fields;
}

void EncodeRecordInto(const PoleRecordFields& fields, std::string& bytes) {
    if (bytes.size() < static_cast<std::size_t>(record::kUsedSize))
        bytes.resize(record::kUsedSize, '\0');
    PutLine(bytes, record::kLine1Offset, fields.line1);
    PutLine(bytes, record::kLine2Offset, fields.line2);
    PutLe(bytes, record::kCounterOffset, fields.counter, 2);
    PutLe(bytes, record::kScaleOffset, fields.scale, 2);
    PutLe(bytes, record::kTaxOffset, static_cast<std::uint32_t>(fields.tax), 4);
    PutLe(bytes, record::kTotalOffset, static_cast<std::uint32_t>(fields.total), 4);
}

std::string EncodeRecord(const PoleRecordFields& fields) {
    std::string bytes;
    EncodeRecordInto(fields, bytes);
    return bytes;
}
}  // namespace korv
