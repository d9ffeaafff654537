#include "tools/post/post_record.h"

#include <algorithm>
#include <tuple>

#include "pole/record_format.h"
#include "pole/failure_words.h"
#include "tools/post/post_amount.h"
#include "tools/post/record_writer.h"

namespace korv::tools {
namespace {
// Stores `typed` into `stored`; or why it cannot be stored.
std::string Store(const std::optional<std::int32_t>& typed, const char* name, std::uint16_t scale, bool scale_given,
                  std::int32_t& stored) {
    if (!typed) return "";
    if (const std::optional<std::int32_t> value = StoredAmount(*typed, scale)) {
        stored = *value;
        return "";
    }
    const std::string with = (scale_given ? "scale " : "the file's scale ") + std::to_string(scale);
    const std::string shows = scale == 0 ? "which shows every amount as 0.00"
                                         : "which shows amounts in steps of " + FormatHundredths(scale);
    return std::string("the ") + name + " " + FormatHundredths(*typed) + " cannot be shown with " + with + ", " +
           shows + ": give another amount, or --scale 1 for two decimals or 100 for whole numbers";
}
}  // namespace

std::string ConvertLines(RecordUpdate& update, charset::CodePage page) {
    using Status = charset::CodePageText::Status;
    for (auto [line, name] : {std::pair(&update.line1, "--line1"), std::pair(&update.line2, "--line2")}) {
        if (!*line) continue;
        const charset::CodePageText converted = charset::FromUtf8(page, **line);
        if (converted.status == Status::kMissing)
            return std::string(name) + " holds " + charset::CharacterLabel(converted.missing) + ", which " +
                   charset::CodePageName(page) + " (text = in KORVPOLE.INI) does not have: nothing was written";
        if (converted.status == Status::kInvalidUtf8)
            return std::string(name) + " is no UTF-8 text (it breaks off at byte " +
                   std::to_string(converted.invalid_at + 1) + "): nothing was written";
        *line = converted.bytes;
    }
    return "";
}

std::vector<std::string> CutLines(RecordUpdate& update, const std::optional<charset::CodePage>& page) {
    std::vector<std::string> notes;
    bool beyond_ascii = false;
    for (auto [line, name] : {std::pair(&update.line1, "--line1"), std::pair(&update.line2, "--line2")}) {
        if (!*line) continue;
        std::string& text = **line;
        beyond_ascii = beyond_ascii || std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
        if (text.size() <= static_cast<std::size_t>(record::kLineSize)) continue;
        std::size_t cut = record::kLineSize;
        while (page == charset::CodePage::kUtf8 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
        notes.push_back(std::string(name) + " is cut to the " + std::to_string(record::kLineSize) +
                        " bytes of its field: '" + (page ? charset::ToUtf8(*page, text) : text) + "' is written");
    }
    if (beyond_ascii && !page)
        notes.push_back("the lines hold letters beyond ASCII, written as the bytes typed (UTF-8); text = in "
                        "KORVPOLE.INI names the code page the till writes, and korvpole-post writes in it");
    return notes;
}

WriteFailure WriteRecord(const std::string& path, const RecordUpdate& update, std::uint16_t& counter) {
    using platform::RecordFile;
    std::string bytes;
    if (const platform::RecordOpenFailure failure = ReadRecordBytes(path, bytes))
        return {WriteFault::kFile, RecordFailureWords(path, RecordFile::Mode::kRead, failure)};
    PoleRecordFields fields = DecodeRecord(bytes);
    if (update.line1) fields.line1 = *update.line1;
    if (update.line2) fields.line2 = *update.line2;
    if (update.scale || bytes.size() < record::kScaleOffset + 2u)
        fields.scale = update.scale.value_or(kDefaultScale);
    for (const auto& [typed, name, stored] : {std::tuple(&update.tax, "tax", &fields.tax),
                                              std::tuple(&update.total, "total", &fields.total)})
        if (std::string why = Store(*typed, name, fields.scale, update.scale.has_value(), *stored); !why.empty())
            return {WriteFault::kAmount, why};
    // Never 0, which the reader takes as "nothing yet".
    fields.counter = fields.counter == 0xFFFF ? 1 : static_cast<std::uint16_t>(fields.counter + 1);
    EncodeRecordInto(fields, bytes);
    if (const platform::RecordOpenFailure failure = WriteRecordInPlace(path, bytes))
        return {WriteFault::kFile, RecordFailureWords(path, RecordFile::Mode::kWrite, failure)};
    counter = fields.counter;
    return {};
}
}  // namespace korv::tools
