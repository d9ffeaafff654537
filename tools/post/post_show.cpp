#include "tools/post/post_show.h"

#include <cstdio>
#include <cstring>
#include <iostream>

#include "display/names.h"
#include "display/protocol.h"
#include "display/row_text.h"
#include "pole/poll_cycle.h"
#include "pole/record_messages.h"
#include "tools/post/row_picture.h"
#include "tools/post/record_writer.h"

namespace korv::tools {

namespace {

struct NumberField {
    const char* name;
    int offset;
    int size;
};

constexpr NumberField kCounterField{"change counter", record::kCounterOffset, 2};
constexpr NumberField kScaleField{"amount scale", record::kScaleOffset, 2};
constexpr NumberField kTaxField{"tax amount", record::kTaxOffset, 4};
constexpr NumberField kTotalField{"total amount", record::kTotalOffset, 4};

bool Holds(const std::string& record, int offset) {
    return record.size() > static_cast<std::size_t>(offset);
}

std::string ShortFileWarning(const std::string& record, const RecordView& view) {
    const std::size_t size = record.size();
    std::vector<int> drawn;
    for (int row = 1; row <= 4; ++row)
        if (view.drawn[static_cast<std::size_t>(row - 1)]) drawn.push_back(row);
    std::string text = "the file has " + std::to_string(size) + " of the " +
                       std::to_string(record::kUsedSize) + " bytes of a record: korvpole ";
    if (drawn.empty()) {
        text += "draws nothing";
    } else if (drawn.size() == 4) {
        text += "draws all four rows";
    } else {
        text += "draws only row" + std::string(drawn.size() > 1 ? "s " : " ") + Listed(drawn, [](int row) { return std::to_string(row); }, " and ");
        if (view.drawn[2] && !Holds(record, record::kTaxOffset)) text += " (row 3 without its amount)";
    }
    if (!Holds(record, record::kTotalOffset))
        text += ", and reads the file again at once, without its pause, until it grows";
    for (const NumberField& field : {kCounterField, kScaleField, kTaxField, kTotalField}) {
        const std::size_t end = static_cast<std::size_t>(field.offset + field.size);
        if (Holds(record, field.offset) && size < end)
            text += "; the " + std::string(field.name) +
                    " is cut short: its missing bytes read as 0 here, and as whatever korvpole "
                    "last read there when it is running";
    }
    return text;
}

void PrefixWarnings(const std::string& record, RecordView& view) {
    const int offsets[2] = {record::kLine1Offset, record::kLine2Offset};
    for (int line = 0; line < 2; ++line) {
        for (int i = 0; i < record::kLineSize && Holds(record, offsets[line] + i); ++i) {
            const auto byte =
                static_cast<std::uint8_t>(record[static_cast<std::size_t>(offsets[line] + i)]);
            if (byte == 0) break;
            if (byte != protocol::kCommandPrefix) continue;
            view.warnings.push_back("line " + std::to_string(line + 1) + " holds the byte 0xFE at column " +
                                    std::to_string(i + 1) +
                                    ", the display's command prefix: it is shown as a blank");
        }
    }
}

void AmountWarning(const NumberField& field, const char* caption, std::int32_t raw,
                   std::uint16_t scale, RecordView& view) {
    char text[32];
    const int length = FormatAmount(raw, scale, text, sizeof text);
    const int width = protocol::kColumns - static_cast<int>(std::strlen(caption));
    if (!AmountOverflows(length, width)) return;
    view.warnings.push_back("the " + std::string(field.name) + " " + text + " needs " +
                            std::to_string(length) + " characters, more than the " +
                            std::to_string(kMaxAmountChars) +
                            " korvpole shows: it is shown as " + std::string(width, kOverflowMark));
}

// A byte that is a letter of the record's code page is shown as that letter.
bool IsLetter(std::uint8_t byte, const std::optional<charset::CodePage>& text) {
    return text && byte >= kFirstPrintable && byte != kDelete && charset::CodePointOf(*text, byte);
}

void UnprintableWarnings(const RecordView& view, std::vector<std::string>& warnings) {
    for (int row = 0; row < 4; ++row) {
        for (std::size_t column = 0; column < view.rows[row].size(); ++column) {
            const auto byte = static_cast<std::uint8_t>(view.rows[row][column]);
            if (IsPrintable(byte) || IsLetter(byte, view.text)) continue;
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", byte);
            const std::string shown = view.text ? std::string(": no letter in ") + charset::CodePageName(*view.text) +
                                                      ", korvpole shows a blank (printed here as ?)"
                                                : ": the display shows a character of its own (printed here as ?)";
            warnings.push_back("row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
                               " holds the byte " + hex + shown);
        }
    }
}

std::string Printable(const std::string& row, const std::optional<charset::CodePage>& text) {
    if (text) return charset::ToUtf8(*text, row);
    std::string shown = row;
    for (char& c : shown)
        if (!IsPrintable(static_cast<std::uint8_t>(c))) c = '?';
    return shown;
}

std::string AmountLine(const char* label, const std::optional<std::int32_t>& raw,
                       const std::optional<std::uint16_t>& scale) {
    std::string line = label;
    if (!raw) return line + "(not in the file)\n";
    char text[32];
    FormatAmount(*raw, scale.value_or(0), text, sizeof text);
    return line + std::to_string(*raw) + " (hundredths), shown as " + text + "\n";
}

}  // namespace

RecordView InspectRecord(platform::RecordFile& file, const std::string& record,
                         std::optional<charset::CodePage> text) {
    RecordView view;
    view.text = text;
    CycleState state;  // as korvpole starts: 0 is the counter last seen
    RowPicture picture(text.has_value());
    DrawRecord(file, state, picture);
    for (int row = 1; row <= 4; ++row) {
        view.rows[static_cast<std::size_t>(row - 1)] = picture.Row(row);
        view.drawn[static_cast<std::size_t>(row - 1)] = picture.Written(row);
    }

    const PoleRecordFields fields = DecodeRecord(record);
    if (Holds(record, record::kCounterOffset)) view.counter = fields.counter;
    if (Holds(record, record::kScaleOffset)) view.scale = fields.scale;
    if (Holds(record, record::kTaxOffset)) view.tax = fields.tax;
    if (Holds(record, record::kTotalOffset)) view.total = fields.total;

    if (record.size() < static_cast<std::size_t>(record::kUsedSize))
        view.warnings.push_back(ShortFileWarning(record, view));
    if (view.counter == 0)
        view.warnings.push_back(
            "the change counter is 0: korvpole starts with 0 as the counter last seen, so it never "
            "shows the lines of this record; write the lines first, then a counter from 1 up");
    // In a code page the prefix's byte is a letter like any other.
    if (!text) PrefixWarnings(record, view);
    if (view.scale == 0)
        view.warnings.push_back(
            "the amount scale is 0: every amount is shown as 0.00 (1 shows the amounts as "
            "stored, 100 shows whole numbers)");
    if (view.tax) AmountWarning(kTaxField, kTaxCaption, *view.tax, view.scale.value_or(0), view);
    if (view.total) AmountWarning(kTotalField, kTotalCaption, *view.total, view.scale.value_or(0), view);
    UnprintableWarnings(view, view.warnings);
    return view;
}

std::string FormatRecordView(const std::string& name, std::uint64_t file_size,
                             const RecordView& view) {
    const std::string edge = "  +" + std::string(protocol::kColumns, '-') + "+\n";
    std::string text = name + ", " + std::to_string(file_size) +
                       " bytes; the rows korvpole draws when it takes its counter as new:\n" + edge;
    for (int row = 0; row < 4; ++row)
        text += std::to_string(row + 1) + " |" + Printable(view.rows[row], view.text) + "|" +
                (view.drawn[row] ? "" : "  (not drawn)") + "\n";
    text += edge;
    text += "change counter  " + (view.counter ? std::to_string(*view.counter) : "(not in the file)") + "\n";
    text += "amount scale    ";
    if (!view.scale) text += "(not in the file)\n";
    else text += std::to_string(*view.scale) + (*view.scale == 100 ? " (whole numbers)\n" : " (two decimals)\n");
    text += AmountLine("tax amount      ", view.tax, view.scale);
    text += AmountLine("total amount    ", view.total, view.scale);
    for (const std::string& warning : view.warnings) text += "warning: " + warning + "\n";
    return text;
}

int ShowRecordFile(const std::string& path, std::optional<charset::CodePage> text) {
    // Read as korvpole reads it, but never created.
    platform::RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(path, platform::RecordFile::Mode::kRead)) {
        std::cerr << "korvpole-post: " << RecordFailureWords(path, platform::RecordFile::Mode::kRead, failure)
                  << "\n";
        return 1;
    }
    std::string record;
    if (const std::error_code failure = ReadRecordBytes(file, record)) {
        std::cerr << "korvpole-post: " << path << ": cannot be read: " << failure.message() << "\n";
        return 1;
    }
    std::int64_t size = static_cast<std::int64_t>(record.size());
    file.Size(size);  // what was read, where the system does not say
    const RecordView view = InspectRecord(file, record, text);
    std::cout << FormatRecordView(path, static_cast<std::uint64_t>(size), view);
    return 0;
}

}  // namespace korv::tools
