#include "tools/post/post_show.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

#include "display/display_driver.h"
#include "display/names.h"
#include "display/row_text.h"
#include "pole/failure_words.h"
#include "sim/display_model.h"
#include "tools/post/record_writer.h"

namespace korv::tools {
namespace {
// The record's numbers, for a file that ends within one.
constexpr struct {
    const char* name;
    int offset;
    int size;
} kNumberFields[] = {{"change counter", record::kCounterOffset, 2}, {"amount scale", record::kScaleOffset, 2},
                     {"tax amount", record::kTaxOffset, 4}, {"total amount", record::kTotalOffset, 4}};

bool Holds(const std::string& record, int offset) { return record.size() > static_cast<std::size_t>(offset); }

std::string RowList(const std::vector<int>& rows) {
    return Listed(rows, [](int row) { return std::to_string(row); }, " and ");
}

std::string HexByte(std::uint8_t byte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
}

// The display row that shows drawn row `row`; 0 for none.
int ShownAt(const RecordView& view, int row) {
    const auto at = std::find(view.shown_rows.begin(), view.shown_rows.end(), row);
    return at == view.shown_rows.end() ? 0 : static_cast<int>(at - view.shown_rows.begin()) + 1;
}

// Line 1 or 2 as the record holds it, up to its first NUL.
std::string LineOf(const std::string& record, int line) {
    const int offset = line == 1 ? record::kLine1Offset : record::kLine2Offset;
    const std::string field = Holds(record, offset) ? record.substr(static_cast<std::size_t>(offset), record::kLineSize) : "";
    return field.substr(0, field.find('\0'));
}

std::string ShortFileWarning(const std::string& record, const RecordView& view) {
    std::vector<int> drawn;
    for (std::size_t i = 0; i < view.drawn.size(); ++i)
        if (view.drawn[i]) drawn.push_back(view.shown_rows[i]);
    std::sort(drawn.begin(), drawn.end());
    std::string text = "the file has " + std::to_string(record.size()) + " of the " +
                       std::to_string(record::kUsedSize) + " bytes of a record: korvpole ";
    if (drawn.empty()) {
        text += "draws nothing";
    } else if (drawn.size() == view.drawn.size()) {
        text += view.drawn.size() == 4 ? "draws all four rows" : "draws both rows";
    } else {
        text += "draws only row" + std::string(drawn.size() > 1 ? "s " : " ") + RowList(drawn);
        if (ShownAt(view, 3) && view.drawn[ShownAt(view, 3) - 1] && !Holds(record, record::kTaxOffset))
            text += " (row 3 without its amount)";
    }
    if (!Holds(record, record::kTotalOffset))
        text += ", and reads the file again at once, without its pause, until it grows";
    for (const auto& field : kNumberFields)
        if (Holds(record, field.offset) && record.size() < static_cast<std::size_t>(field.offset + field.size))
            text += "; the " + std::string(field.name) +
                    " is cut short: its missing bytes read as 0 here, and as whatever korvpole last read there "
                    "when it is running";
    return text;
}

// Without text =: bytes of the lines the display takes as commands or shows as its own.
void ByteWarnings(const std::string& record, const DisplayProtocol& protocol, RecordView& view) {
    bool high_said = false;
    for (const int line : {1, 2}) {
        if (!ShownAt(view, line)) continue;
        const std::string bytes = LineOf(record, line);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes[i]);
            const std::string where = "line " + std::to_string(line) + " holds the byte " + HexByte(byte) +
                                      " at column " + std::to_string(i + 1);
            const bool command = ShownByte(byte, protocol) != byte;
            // Said once, at the first byte from 0x80 on the display shows at all.
            const bool high = byte >= 0x80 && !command && !high_said;
            if (command)
                view.warnings.push_back(where + ", which the " + protocol.name +
                                        " display takes as a command: it is shown as a blank");
            else if (byte < 0x20 || high)
                view.warnings.push_back(where + ": the display shows a character of its own for it" +
                                        (high ? std::string("; text = in ") + kIniFileName +
                                                    " names the code page the till writes (" +
                                                    Listed(charset::kCodePages, charset::CodePageName) + ")"
                                              : ""));
            high_said = high_said || high;
        }
    }
}

// With text =: letters of the lines the display shows as others.
void FallBackWarnings(const std::string& record, const DisplayGeometry& display, RecordView& view) {
    for (const int line : {1, 2}) {
        const int at = ShownAt(view, line);
        if (!at || !view.drawn[static_cast<std::size_t>(at - 1)]) continue;
        const std::u32string meant = charset::LettersOf(*display.text, LineOf(record, line));
        const std::u32string read = charset::LettersOf(charset::CodePage::kUtf8, view.rows[static_cast<std::size_t>(at - 1)]);
        std::string plain;
        for (std::size_t i = 0; i < meant.size() && i < read.size(); ++i)
            if (meant[i] >= 0x20 && meant[i] != 0x7F && meant[i] != read[i])
                plain += (plain.empty() ? "" : ", ") + charset::Utf8Of(meant[i]) + " as " + charset::Utf8Of(read[i]);
        if (plain.empty()) continue;
        view.warnings.push_back(
            "line " + std::to_string(line) + " shows " + plain + ": " +
            (ProtocolOf(display.kind).letter_form == LetterForm::kCharacterRom
                 ? std::string("the LCD draws at most eight letters its ROM lacks at once, the rest plain")
                 : std::string("the display's table ") + charset::CodePageName(display.table) + " lacks them"));
    }
}

void AmountWarning(const char* name, int caption_width, std::int32_t raw, std::uint16_t scale, char decimal,
                   RecordView& view) {
    char text[32];
    const int length = FormatAmount(raw, scale, text, sizeof text, decimal);
    const int width = 20 - caption_width;
    if (!AmountOverflows(length, width)) return;
    view.warnings.push_back("the " + std::string(name) + " " + text + " needs " + std::to_string(length) +
                            " characters, more than the " + std::to_string(kMaxAmountChars) +
                            " korvpole shows: it is shown as " + std::string(static_cast<std::size_t>(width), kOverflowMark));
}

std::string AmountLine(const char* label, const std::optional<std::int32_t>& raw,
                       const std::optional<std::uint16_t>& scale, char decimal) {
    if (!raw) return std::string(label) + "(not in the file)\n";
    char text[32];
    FormatAmount(*raw, scale.value_or(0), text, sizeof text, decimal);
    return label + std::to_string(*raw) + " (hundredths), shown as " + text + "\n";
}
}  // namespace

RecordView InspectRecord(platform::RecordFile& file, const std::string& record, const KorvpoleIni& ini) {
    const DisplayGeometry& display = ini.display;
    RecordView view;
    std::string bytes;
    DisplayDriver driver;
    driver.OpenInto(bytes, display);
    const std::size_t bring_up = bytes.size();
    CycleState state;  // as korvpole starts: 0 is the counter last seen
    DrawRecord(file, state, driver, ini.words);
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(display.kind, display.rom, display.table);
    view.drawn.assign(static_cast<std::size_t>(model->Rows()), false);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const sim::DecodedByte decoded = model->Feed(static_cast<std::uint8_t>(bytes[i]));
        const bool placed = decoded.kind == sim::DecodedByte::Kind::kSetAddress ||
                            decoded.kind == sim::DecodedByte::Kind::kCharacter;
        if (i >= bring_up && placed && decoded.row > 0) view.drawn[static_cast<std::size_t>(decoded.row - 1)] = true;
    }
    view.shown_rows.assign(view.drawn.size(), 0);
    for (int row = 1; row <= kDrawnRows; ++row)
        if (const int at = DisplayRowOf(row, model->Rows(), display.shown_rows))
            view.shown_rows[static_cast<std::size_t>(at - 1)] = row;
    view.rows = model->Readings();

    const PoleRecordFields fields = DecodeRecord(record);
    if (Holds(record, record::kCounterOffset)) view.counter = fields.counter;
    if (Holds(record, record::kScaleOffset)) view.scale = fields.scale;
    if (Holds(record, record::kTaxOffset)) view.tax = fields.tax;
    if (Holds(record, record::kTotalOffset)) view.total = fields.total;

    if (record.size() < static_cast<std::size_t>(record::kUsedSize))
        view.warnings.push_back(ShortFileWarning(record, view));
    if (view.counter == 0)
        view.warnings.push_back("the change counter is 0: korvpole starts with 0 as the counter last seen, so it never "
                                "shows the lines of this record; write the lines first, then a counter from 1 up");
    if (display.text)
        FallBackWarnings(record, display, view);
    else
        ByteWarnings(record, ProtocolOf(display.kind), view);
    if (view.scale == 0)
        view.warnings.push_back("the amount scale is 0: every amount is shown as 0.00 (1 shows the amounts as stored, "
                                "100 shows whole numbers)");
    const AmountWords& words = ini.words;
    if (view.tax && ShownAt(view, 3))
        AmountWarning("tax amount", words.tax_width, *view.tax, view.scale.value_or(0), words.decimal, view);
    if (view.total && ShownAt(view, 4))
        AmountWarning("total amount", words.total_width, *view.total, view.scale.value_or(0), words.decimal, view);
    return view;
}

std::string FormatRecordView(const std::string& name, std::uint64_t file_size, const RecordView& view,
                             const KorvpoleIni& ini) {
    const DisplayProtocol& protocol = ProtocolOf(ini.display.kind);
    const std::string edge = "  +" + std::string(static_cast<std::size_t>(protocol.columns), '-') + "+\n";
    std::string text = name + ", " + std::to_string(file_size) +
                       " bytes; the rows the display shows when korvpole takes its counter as new";
    if (view.rows.size() < static_cast<std::size_t>(kDrawnRows))
        text += std::string("; the ") + protocol.name + " display shows rows " + RowList(view.shown_rows) + ", top first";
    text += ":\n" + edge;
    for (std::size_t i = 0; i < view.rows.size(); ++i)
        text += std::to_string(view.shown_rows[i]) + " |" + view.rows[i] + (view.drawn[i] ? "|\n" : "|  (not drawn)\n");
    text += edge + "change counter  " + (view.counter ? std::to_string(*view.counter) : "(not in the file)") + "\n";
    text += "amount scale    ";
    if (!view.scale) text += "(not in the file)\n";
    else text += std::to_string(*view.scale) + (*view.scale == 100 ? " (whole numbers)\n" : " (two decimals)\n");
    text += AmountLine("tax amount      ", view.tax, view.scale, ini.words.decimal);
    text += AmountLine("total amount    ", view.total, view.scale, ini.words.decimal);
    for (const std::string& warning : view.warnings) text += "warning: " + warning + "\n";
    return text;
}

std::string ShowRecordFile(const std::string& path, const KorvpoleIni& ini) {
    // Read as korvpole reads it, but never created.
    platform::RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(path, platform::RecordFile::Mode::kRead))
        return RecordFailureWords(path, platform::RecordFile::Mode::kRead, failure);
    std::string record;
    if (const std::error_code failure = ReadRecordBytes(file, record))
        return path + ": cannot be read: " + failure.message();
    std::int64_t size = static_cast<std::int64_t>(record.size());
    file.Size(size);  // what was read, where the system does not say
    std::cout << FormatRecordView(path, static_cast<std::uint64_t>(size), InspectRecord(file, record, ini), ini);
    return "";
}
}  // namespace korv::tools
