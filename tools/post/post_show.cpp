#include "tools/post/post_show.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "display/names.h"
#include "display/row_text.h"
#include "pole/poll_cycle.h"
#include "pole/failure_words.h"
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

std::string RowList(const std::vector<int>& rows) {
    return Listed(rows, [](int row) { return std::to_string(row); }, " and ");
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
        text += "draws only row" + std::string(drawn.size() > 1 ? "s " : " ") + RowList(drawn);
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

bool Shows(const RecordView& view, int row) {
    return std::find(view.shown_rows.begin(), view.shown_rows.end(), row) != view.shown_rows.end();
}

std::string HexByte(std::uint8_t byte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
}

// The bytes of the lines the display would take as commands: which they are depends on
// its kind.
void CommandByteWarnings(const std::string& record, RecordView& view) {
    const DisplayProtocol& protocol = ProtocolOf(view.kind);
    const int offsets[2] = {record::kLine1Offset, record::kLine2Offset};
    for (int line = 0; line < 2; ++line) {
        if (!Shows(view, line + 1)) continue;
        for (int i = 0; i < record::kLineSize && Holds(record, offsets[line] + i); ++i) {
            const auto byte =
                static_cast<std::uint8_t>(record[static_cast<std::size_t>(offsets[line] + i)]);
            if (byte == 0) break;
            if (ShownByte(byte, protocol) == byte) continue;
            view.warnings.push_back("line " + std::to_string(line + 1) + " holds the byte " + HexByte(byte) +
                                    " at column " + std::to_string(i + 1) + ", which the " + protocol.name +
                                    " display takes as a command: it is shown as a blank");
        }
    }
}

void AmountWarning(const NumberField& field, const char* caption, std::int32_t raw,
                   std::uint16_t scale, RecordView& view) {
    char text[32];
    const int length = FormatAmount(raw, scale, text, sizeof text);
    const int width = ProtocolOf(view.kind).columns - static_cast<int>(std::strlen(caption));
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
    // The LCD's characters come from its ROM and its user-defined ones, a 2x20
    // display's from the code table it is set to.
    const char* own = ProtocolOf(view.kind).letter_form == LetterForm::kCharacterRom ? "of its own"
                                                                                     : "from its code table";
    for (const int row : view.shown_rows) {
        const std::string& bytes = view.rows[static_cast<std::size_t>(row - 1)];
        for (std::size_t column = 0; column < bytes.size(); ++column) {
            const auto byte = static_cast<std::uint8_t>(bytes[column]);
            if (IsPrintable(byte) || IsLetter(byte, view.text)) continue;
            const std::string shown = view.text ? std::string(": no letter in ") + charset::CodePageName(*view.text) +
                                                      ", korvpole shows a blank (printed here as ?)"
                                                : std::string(": the display shows a character ") + own +
                                                      " (printed here as ?)";
            warnings.push_back("row " + std::to_string(row) + " column " + std::to_string(column + 1) +
                               " holds the byte " + HexByte(byte) + shown);
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

RecordView InspectRecord(platform::RecordFile& file, const std::string& record, const DisplayGeometry& side) {
    RecordView view;
    view.text = side.text;
    view.kind = side.kind;
    CycleState state;  // as korvpole starts: 0 is the counter last seen
    RowPicture picture(ProtocolOf(side.kind), side.shown_rows, side.text.has_value());
    DrawRecord(file, state, picture);
    for (int row = 1; row <= 4; ++row) {
        view.rows[static_cast<std::size_t>(row - 1)] = picture.Row(row);
        view.drawn[static_cast<std::size_t>(row - 1)] = picture.Written(row);
    }
    view.shown_rows = picture.ShownRows();

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
    // In a code page those bytes are letters like any other, and control bytes blanks.
    if (!side.text) CommandByteWarnings(record, view);
    if (view.scale == 0)
        view.warnings.push_back(
            "the amount scale is 0: every amount is shown as 0.00 (1 shows the amounts as "
            "stored, 100 shows whole numbers)");
    if (view.tax && Shows(view, 3)) AmountWarning(kTaxField, kTaxCaption, *view.tax, view.scale.value_or(0), view);
    if (view.total && Shows(view, 4))
        AmountWarning(kTotalField, kTotalCaption, *view.total, view.scale.value_or(0), view);
    UnprintableWarnings(view, view.warnings);
    return view;
}

std::string FormatRecordView(const std::string& name, std::uint64_t file_size,
                             const RecordView& view) {
    const DisplayProtocol& protocol = ProtocolOf(view.kind);
    const std::string edge = "  +" + std::string(static_cast<std::size_t>(protocol.columns), '-') + "+\n";
    std::string text =
        name + ", " + std::to_string(file_size) + " bytes; the rows korvpole draws when it takes its counter as new";
    if (view.shown_rows.size() < view.rows.size())
        text += std::string("; the ") + protocol.name + " display shows rows " + RowList(view.shown_rows) + ", top first";
    text += ":\n" + edge;
    for (const int row : view.shown_rows) {
        const std::size_t index = static_cast<std::size_t>(row - 1);
        text += std::to_string(row) + " |" + Printable(view.rows[index], view.text) + "|" +
                (view.drawn[index] ? "" : "  (not drawn)") + "\n";
    }
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

std::string ShowRecordFile(const std::string& path, const DisplayGeometry& side) {
    // Read as korvpole reads it, but never created.
    platform::RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(path, platform::RecordFile::Mode::kRead))
        return RecordFailureWords(path, platform::RecordFile::Mode::kRead, failure);
    std::string record;
    if (const std::error_code failure = ReadRecordBytes(file, record))
        return path + ": cannot be read: " + failure.message();
    std::int64_t size = static_cast<std::int64_t>(record.size());
    file.Size(size);  // what was read, where the system does not say
    std::cout << FormatRecordView(path, static_cast<std::uint64_t>(size), InspectRecord(file, record, side));
    return "";
}

}  // namespace korv::tools
