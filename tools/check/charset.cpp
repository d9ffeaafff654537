#include "tools/check/charset.h"

#include <cstdio>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "display/code_page_to_display.h"
#include "display/lcd_bytes.h"
#include "display/row_text.h"
#include "platform/clock.h"

namespace korv::tools {

namespace {

constexpr int kColumns = 20;  // every kind's
constexpr int kFirstCharsetCode = 0xA0;
constexpr int kCodes = 0x100 - kFirstCharsetCode;
constexpr int kPerRow = 16;
constexpr int kLabelWidth = 3;  // "E0 "

static_assert(kLabelWidth + kPerRow <= kColumns, "a row of codes fits");
static_assert(kCodes % (kPerRow * (lcd::kRows - 1)) == 0, "every page of four rows is full");

int CodeRowsPerPage(int rows) { return rows - 1; }  // below the ruler

std::string Hex2(int code) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", code);
    return text;
}

int FirstCodeOfRow(int page, int row, int rows) {
    return kFirstCharsetCode + (page * CodeRowsPerPage(rows) + row - 2) * kPerRow;
}

std::string Filled(std::string text) {
    text.resize(kColumns, ' ');
    return text;
}

int CharsetPages(int rows) { return kCodes / (kPerRow * CodeRowsPerPage(rows)); }

// `row` 1 to `rows`; always a whole row.
std::string CharsetRow(int page, int row, int rows) {
    if (row == 1) return Filled(std::string(kLabelWidth, ' ') + "0123456789ABCDEF");
    const int first = FirstCodeOfRow(page, row, rows);
    std::string text = Hex2(first) + " ";
    for (int code = first; code < first + kPerRow; ++code) text += static_cast<char>(code);
    return Filled(text);
}

// The bytes of `page` whose letters `rom` lacks and korvpole draws itself.
std::string DrawnLetters(charset::CodePage page, charset::CharacterRom rom) {
    std::string letters;
    for (int byte = kFirstPrintable; byte <= 0xFF; ++byte)
        if (charset::PlanCharacter(page, rom, static_cast<std::uint8_t>(byte)).kind ==
            charset::LcdCharacter::Kind::kUserDefined)
            letters += static_cast<char>(byte);
    return letters;
}

// The characters with a blank between each.
std::string Spaced(const std::string& characters) {
    std::string text;
    for (const char c : characters) text += (text.empty() ? "" : " ") + std::string(1, c);
    return text;
}

}  // namespace

void ShowCharset(DisplayDriver& display, int step_ms, bool keep, std::ostream& out,
                 const std::optional<DisplayGeometry>& letters) {
    const int rows = display.Rows() >= lcd::kRows ? lcd::kRows : 2;
    const std::string drawn = letters ? DrawnLetters(*letters->text, letters->rom) : "";
    const int letter_pages = static_cast<int>((drawn.size() + lcd::kUserCharacters - 1) / lcd::kUserCharacters);
    const int pages = CharsetPages(rows) + letter_pages;
    for (int page = 0; page < CharsetPages(rows); ++page) {
        const int last = FirstCodeOfRow(page, rows, rows) + kPerRow - 1;
        out << "page " << page + 1 << " of " << pages << ": codes "
            << Hex2(FirstCodeOfRow(page, 2, rows)) << " to " << Hex2(last) << "\n"
            << std::flush;
        for (int row = 1; row <= rows; ++row)
            display.WriteText(CharsetRow(page, row, rows).c_str(), 1, row);
        platform::SleepMilliseconds(step_ms);
    }
    if (letter_pages > 0) {
        display.Open(*letters);
        for (int page = 0; page < letter_pages; ++page) {
            const std::string eight = drawn.substr(static_cast<std::size_t>(page) * lcd::kUserCharacters,
                                                   lcd::kUserCharacters);
            std::string plain;
            for (const char c : eight)
                plain += charset::PlainStandIn(*charset::CodePointOf(*letters->text, static_cast<std::uint8_t>(c)));
            out << "page " << CharsetPages(rows) + page + 1 << " of " << pages << ": letters korvpole draws, "
                << charset::ToUtf8(*letters->text, Spaced(eight)) << "; beyond eight at once " << Spaced(plain)
                << "\n" << std::flush;
            display.Clear();
            display.WriteText(Filled(std::string(charset::CodePageName(*letters->text)) + " " +
                                     std::to_string(page + 1) + "/" + std::to_string(letter_pages))
                                  .c_str(),
                              1, 1);
            display.WriteText(Spaced(eight).c_str(), 1, 2);
            display.WriteText(Spaced(plain).c_str(), 1, 3);
            platform::SleepMilliseconds(step_ms);
        }
    }
    if (!keep) display.Clear();
}

}  // namespace korv::tools
