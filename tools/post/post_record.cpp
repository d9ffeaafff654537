#include "tools/post/post_record.h"

#include "pole/pole_record.h"
#include "tools/record_writer.h"

namespace korv::tools {

namespace {

void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::size_t at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(bits >> (8 * i));
}

void PutLine(std::string& bytes, std::size_t at, const std::string& text) {
    std::string field = text.substr(0, record::kLineSize);
    field.resize(record::kLineSize, '\0');
    bytes.replace(at, field.size(), field);
}

// `held` bytes came from the file; a scale it does not hold yet gets the default.
void Apply(const RecordUpdate& update, std::size_t held, std::string& record) {
    if (update.line1) PutLine(record, record::kLine1Offset, *update.line1);
    if (update.line2) PutLine(record, record::kLine2Offset, *update.line2);
    if (update.scale) {
        PutLe16(record, record::kScaleOffset, *update.scale);
    } else if (held < record::kScaleOffset + 2u) {
        PutLe16(record, record::kScaleOffset, kDefaultScale);
    }
    if (update.tax) PutLe32(record, record::kTaxOffset, *update.tax);
    if (update.total) PutLe32(record, record::kTotalOffset, *update.total);
}

}  // namespace

std::uint16_t NextCounter(std::uint16_t found) {
    return found == 0xFFFF ? 1 : static_cast<std::uint16_t>(found + 1);
}

std::optional<std::uint16_t> WriteRecord(const std::string& path, const RecordUpdate& update,
                                         std::string& error) {
    std::string record;
    if (!ReadRecordBytes(path, record, error)) return std::nullopt;
    const std::size_t held = record.size();
    record.resize(record::kUsedSize, '\0');

    const auto* counter_bytes = reinterpret_cast<const std::uint8_t*>(record.data()) +
                                record::kCounterOffset;
    const std::uint16_t counter = NextCounter(DecodeLe16(counter_bytes));
    Apply(update, held, record);
    PutLe16(record, record::kCounterOffset, counter);
    if (!WriteRecordInPlace(path, record, error)) return std::nullopt;
    return counter;
}

}  // namespace korv::tools
