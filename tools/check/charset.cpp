#include "tools/check/charset.h"

#include <cstdio>
#include <string>

#include "display/display_driver.h"
#include "display/protocol.h"
#include "platform/clock.h"

namespace korv::tools {

namespace {

constexpr int kFirstCharsetCode = 0xA0;
constexpr int kCodes = 0x100 - kFirstCharsetCode;
constexpr int kPerRow = 16;
constexpr int kLabelWidth = 3;  // "E0 "

static_assert(kLabelWidth + kPerRow <= protocol::kColumns, "a row of codes fits");
static_assert(kCodes % (kPerRow * (protocol::kRows - 1)) == 0, "every page of four rows is full");

int CodeRowsPerPage(int rows) { return rows - 1; }  // below the ruler

std::string Hex2(int code) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", code);
    return text;
}

int FirstCodeOfRow(int page, int row, int rows) {
    return kFirstCharsetCode + (page * CodeRowsPerPage(rows) + row - 2) * kPerRow;
}

std::string Filled(std::string text) {
    text.resize(protocol::kColumns, ' ');
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

}  // namespace

void ShowCharset(DisplayDriver& display, int step_ms, bool keep, std::ostream& out) {
    const int rows = display.Rows() >= protocol::kRows ? protocol::kRows : 2;
    for (int page = 0; page < CharsetPages(rows); ++page) {
        const int last = FirstCodeOfRow(page, rows, rows) + kPerRow - 1;
        out << "page " << page + 1 << " of " << CharsetPages(rows) << ": codes "
            << Hex2(FirstCodeOfRow(page, 2, rows)) << " to " << Hex2(last) << "\n"
            << std::flush;
        for (int row = 1; row <= rows; ++row)
            display.WriteText(CharsetRow(page, row, rows).c_str(), 1, row);
        platform::SleepMilliseconds(step_ms);
    }
    if (!keep) display.Clear();
}

}  // namespace korv::tools
