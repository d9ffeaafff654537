#include "tools/check/check_pattern.h"

#include "display/row_text.h"
#include "platform/clock.h"
#include "platform/com_name.h"

namespace korv::tools {
namespace {
constexpr int kColumns = 20;  // every kind's
constexpr char kRuler[] = "12345678901234567890";
constexpr int kFirstShown = kFirstPrintable + 1;  // a blank shows nothing
constexpr int kPrintableCount = kLastPrintable - kFirstShown + 1;
constexpr int kPerPage = 2 * kColumns;
static_assert(kPrintableCount > kPerPage, "the first page is a full one");

// `line` 0 or 1 of a page; a page's last line is filled with blanks.
std::string CharacterRow(int page, int line) {
    std::string text;
    const int first = page * kPerPage + line * kColumns;
    for (int i = first; i < first + kColumns; ++i)
        text += i < kPrintableCount ? static_cast<char>(kFirstShown + i) : ' ';
    return text;
}
}  // namespace

std::string SettingsRow(int port, int baud) {
    std::string row = platform::ComName(port) + " " + std::to_string(baud) + " baud 8N1";
    if (row.size() > static_cast<std::size_t>(kColumns)) row.erase(row.find(" baud"), 5);
    row.resize(kColumns, ' ');
    return row;
}

int CharacterPages() { return (kPrintableCount + kPerPage - 1) / kPerPage; }

void ShowPattern(DisplayDriver& display, const PatternPlan& plan) {
    const std::string settings = SettingsRow(plan.port, plan.baud);
    const std::string wrong = "WRONG KIND " + std::string(display.Protocol().name);
    const bool four_rows = display.Rows() >= 4;
    const auto write_page = [&](int page) {
        for (int line = 0; line < 2; ++line)
            display.WriteText(CharacterRow(page, line).c_str(), 1, (four_rows ? 3 : 1) + line);
    };
    // Only this kind's cursor command puts row 1 back over the line: a display of another
    // kind keeps it among the garbage, as what follows is too short to reach it again.
    const auto mark = [&](const std::string& row1) {
        display.WriteText("", 1, 1);
        display.WriteHere(wrong.c_str());
        display.WriteText(row1.c_str(), 1, 1);
    };
    display.WriteText(settings.c_str(), 1, 1);
    display.WriteText(kRuler, 1, 2);
    mark(settings);
    if (!four_rows) platform::SleepMilliseconds(plan.step_ms);
    for (int page = 0; page < CharacterPages(); ++page) {
        write_page(page);
        mark(four_rows ? settings : CharacterRow(page, 0));
        platform::SleepMilliseconds(plan.step_ms);
    }
    if (plan.keep) write_page(0);  // a full page is left up, not the last one
    display.SetBacklight(false);
    platform::SleepMilliseconds(plan.step_ms);
    display.SetBacklight(true);
    platform::SleepMilliseconds(plan.step_ms);
    display.SetBacklight(plan.backlight_on);
    // The light's commands show as garbage too on another kind: the line comes last.
    if (plan.keep)
        mark(four_rows ? settings : CharacterRow(0, 0));
    else
        display.Clear();
}
}  // namespace korv::tools
