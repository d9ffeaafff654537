#include "tools/post/post_record.h"

#include "pole/record_format.h"
#include "tools/common/tool_cli.h"
#include "tools/post/post_amount.h"
#include "tools/post/record_writer.h"

namespace korv::tools {

namespace {

// The stored value for `typed`, or false with `error` saying why there is none.
bool Store(const std::optional<std::int32_t>& typed, const char* name, std::uint16_t scale,
           bool scale_given, std::int32_t& stored, std::string& error) {
    if (!typed) return true;
    if (const std::optional<std::int32_t> value = StoredAmount(*typed, scale)) {
        stored = *value;
        return true;
    }
    const std::string with = (scale_given ? "scale " : "the file's scale ") + std::to_string(scale);
    const std::string shows = scale == 0 ? "which shows every amount as 0.00"
                                         : "which shows amounts in steps of " + FormatHundredths(scale);
    error = std::string("the ") + name + " " + FormatHundredths(*typed) + " cannot be shown with " +
            with + ", " + shows + ": give another amount, or --scale 1 for two decimals or 100 "
            "for whole numbers";
    return false;
}

// The counter that follows `found`: never 0, which the reader takes as "nothing yet".
std::uint16_t NextCounter(std::uint16_t found) {
    return found == 0xFFFF ? 1 : static_cast<std::uint16_t>(found + 1);
}

}  // namespace

bool ConvertLines(RecordUpdate& update, charset::CodePage page, std::string& error) {
    using Status = charset::CodePageText::Status;
    for (auto [line, name] : {std::pair(&update.line1, "--line1"), std::pair(&update.line2, "--line2")}) {
        if (!*line) continue;
        const charset::CodePageText converted = charset::FromUtf8(page, **line);
        if (converted.status == Status::kMissing) {
            error = std::string(name) + " holds " + charset::CharacterLabel(converted.missing) + ", which " +
                    charset::CodePageName(page) +
                    " (text = in KORVPOLE.INI) does not have: nothing was written";
            return false;
        }
        if (converted.status == Status::kInvalidUtf8) {
            error = std::string(name) + " is no UTF-8 text (it breaks off at byte " +
                    std::to_string(converted.invalid_at + 1) + "): nothing was written";
            return false;
        }
        *line = converted.bytes;
    }
    return true;
}

WriteOutcome WriteRecord(const std::string& path, const RecordUpdate& update) {
    WriteOutcome outcome;
    std::string bytes;
    if (!ReadRecordBytes(path, bytes, outcome.error)) {
        outcome.status = 1;
        return outcome;
    }
    PoleRecordFields fields = DecodeRecord(bytes);
    if (update.line1) fields.line1 = *update.line1;
    if (update.line2) fields.line2 = *update.line2;
    if (update.scale) {
        fields.scale = *update.scale;
    } else if (bytes.size() < record::kScaleOffset + 2u) {
        fields.scale = kDefaultScale;
    }
    const bool scale_given = update.scale.has_value();
    if (!Store(update.tax, "tax", fields.scale, scale_given, fields.tax, outcome.error) ||
        !Store(update.total, "total", fields.scale, scale_given, fields.total, outcome.error)) {
        outcome.status = kUsageError;
        return outcome;
    }
    fields.counter = NextCounter(fields.counter);
    EncodeRecordInto(fields, bytes);
    if (!WriteRecordInPlace(path, bytes, outcome.error)) {
        outcome.status = 1;
        return outcome;
    }
    outcome.counter = fields.counter;
    return outcome;
}

}  // namespace korv::tools
