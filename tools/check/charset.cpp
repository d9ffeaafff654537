#include "tools/check/check_pattern.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "display/code_page_to_display.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/stop_request.h"

namespace korv::tools {
namespace {
constexpr int kColumns = 20;  // every kind's
constexpr int kFirstCode = 0x80;
constexpr int kPerRow = 16;
constexpr int kAllPagesMs = 40000;  // shared by the pages for a step_ms below 0
// The letters a technician knows their shop's table by.
constexpr char32_t kSampleLetters[] = U"\u00E4\u00F6\u00FC\u00E5\u00E9\u00F1\u20AC";

std::string Hex2(int code) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", code);
    return text;
}

std::string Filled(std::string text) {
    text.resize(kColumns, ' ');
    return text;
}

std::string Spaced(const std::u32string& letters) {
    std::string text;
    for (const char32_t letter : letters) text += (text.empty() ? "" : " ") + charset::Utf8Of(letter);
    return text;
}

// The letters `text` can carry that `rom` lacks and korvpole draws itself.
std::u32string DrawnLetters(charset::CodePage text, charset::CharacterRom rom) {
    std::u32string letters;
    for (const charset::CodePage page : charset::kDisplayTables) {
        if (text != charset::CodePage::kUtf8 && page != text) continue;
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            const char32_t letter = charset::CodePointOf(page, static_cast<std::uint8_t>(byte)).value_or(0);
            if (charset::PlanCharacter(rom, letter).kind == charset::LcdCharacter::Kind::kUserDefined &&
                letters.find(letter) == std::u32string::npos)
                letters += letter;
        }
    }
    return letters;
}

struct Page {
    std::string told;               // the console's line
    std::vector<std::string> rows;  // from row 1, as the text the display is open for
};

std::vector<Page> CodePages(int rows) {
    std::vector<Page> pages;
    const int per_page = (rows - 1) * kPerRow;  // below the ruler
    for (int first = kFirstCode; first <= 0xFF; first += per_page) {
        Page page{"codes " + Hex2(first) + " to " + Hex2(std::min(first + per_page, 0x100) - 1),
                  {Filled("   0123456789ABCDEF")}};
        for (int row = first; row < first + per_page; row += kPerRow) {
            std::string text = row <= 0xFF ? Hex2(row) + " " : "";
            for (int code = row; code < row + kPerRow && code <= 0xFF; ++code) text += static_cast<char>(code);
            page.rows.push_back(Filled(text));
        }
        pages.push_back(page);
    }
    return pages;
}

// A line per table, the sample letters in its bytes: the display's reads right.
std::vector<Page> TablePages(int rows) {
    std::vector<Page> pages;
    int number = 0;
    for (const charset::CodePage table : charset::kDisplayTables) {
        if (number % rows == 0) pages.push_back({"the letters " + Spaced(kSampleLetters) + " in each table", {}});
        std::string line = std::to_string(++number) + " " + charset::CodePageName(table) + " ";
        for (const char32_t letter : std::u32string(kSampleLetters))
            line += static_cast<char>(charset::TableByte(table, letter));
        pages.back().rows.push_back(Filled(line));
    }
    return pages;
}

// Eight letters a page as korvpole draws them (rows in `text`), over their stand-ins.
std::vector<Page> LetterPages(charset::CodePage text, charset::CharacterRom rom) {
    const std::u32string drawn = DrawnLetters(text, rom);
    const std::size_t count = (drawn.size() + lcd::kUserCharacters - 1) / lcd::kUserCharacters;
    std::vector<Page> pages;
    for (std::size_t page = 0; page < count; ++page) {
        const std::u32string eight = drawn.substr(page * lcd::kUserCharacters, lcd::kUserCharacters);
        std::u32string plain;
        for (const char32_t letter : eight) plain += static_cast<char32_t>(charset::PlainStandIn(letter));
        pages.push_back({"letters korvpole draws, " + Spaced(eight) + "; beyond eight at once " + Spaced(plain),
                         {std::string(charset::CodePageName(text)) + " " + std::to_string(page + 1) + "/" +
                              std::to_string(count),
                          charset::FromUtf8(text, Spaced(eight)).bytes, Spaced(plain)}});
    }
    return pages;
}

// `ms`, or until a key; in short steps, so that a stop ends the wait too.
void Wait(platform::ConsoleKeys& keys, int ms) {
    constexpr std::int64_t kStepMs = 200;
    const std::int64_t end = platform::NowMilliseconds() + ms;
    for (std::int64_t left = ms; left > 0 && !platform::StopRequested(); left = end - platform::NowMilliseconds()) {
        const int step = static_cast<int>(std::min(left, kStepMs));
        if (keys.KeyWaiting(step)) {
            keys.ReadKey();
            return;
        }
        if (keys.InputEnded()) platform::SleepMilliseconds(step);
    }
}
}  // namespace

void ShowCharset(DisplayDriver& display, const DisplayGeometry& ini_display, int step_ms, bool keep) {
    const int rows = display.Rows();
    const bool lcd = display.Protocol().letter_form == LetterForm::kCharacterRom;
    std::vector<Page> pages = CodePages(rows);
    const std::vector<Page> more = !lcd ? TablePages(rows)
                                   : ini_display.text ? LetterPages(*ini_display.text, ini_display.rom)
                                                      : std::vector<Page>();
    const std::size_t raw_pages = pages.size();
    pages.insert(pages.end(), more.begin(), more.end());
    if (step_ms < 0) step_ms = kAllPagesMs / static_cast<int>(pages.size());

    // Ctrl+C between pages gives the terminal back as it was.
    platform::CatchStopRequests();
    platform::ConsoleKeys keys;
    keys.BeginKeyMode();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        // The drawn letters need the code page; the codes and tables go out as they are.
        if (i == raw_pages && lcd) display.Open(ini_display);
        std::cout << "page " << i + 1 << " of " << pages.size() << ": " << pages[i].told << " (a key: the next)\n"
                  << std::flush;
        display.Clear();
        for (std::size_t row = 0; row < pages[i].rows.size(); ++row)
            display.WriteText(pages[i].rows[row].c_str(), 1, static_cast<int>(row) + 1);
        Wait(keys, step_ms);
        if (platform::StopRequested()) break;
    }
    keys.EndKeyMode();
    if (!keep) display.Clear();
}
}  // namespace korv::tools
