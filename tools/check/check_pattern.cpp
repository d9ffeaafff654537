#include "tools/check/check_pattern.h"

#include "display/display_driver.h"
#include "display/protocol.h"
#include "platform/clock.h"

namespace korv::tools {

namespace {

constexpr char kFirstPrintable = '!';
constexpr char kLastPrintable = '~';
constexpr int kPrintableCount = kLastPrintable - kFirstPrintable + 1;
constexpr int kPerPage = 2 * protocol::kColumns;

}  // namespace

static_assert(kPrintableCount > kPerPage, "the first page is a full one");

std::string SettingsRow(int port, int baud) {
    return "COM" + std::to_string(port) + " " + std::to_string(baud) + " baud 8N1";
}

std::string RulerRow() {
    std::string ruler;
    for (int column = 1; column <= protocol::kColumns; ++column)
        ruler += static_cast<char>('0' + column % 10);
    return ruler;
}

int CharacterPages() { return (kPrintableCount + kPerPage - 1) / kPerPage; }

std::string CharacterRow(int page, int line) {
    std::string text;
    const int first = page * kPerPage + line * protocol::kColumns;
    for (int i = first; i < first + protocol::kColumns; ++i)
        text += i < kPrintableCount ? static_cast<char>(kFirstPrintable + i) : ' ';
    return text;
}

namespace {

// The characters go below the settings and the ruler where there is room, else in
// their place.
int FirstCharacterRow(const DisplayDriver& display) { return display.Rows() >= 4 ? 3 : 1; }

void WritePage(DisplayDriver& display, int page) {
    const int first = FirstCharacterRow(display);
    for (int line = 0; line < 2; ++line)
        display.WriteText(CharacterRow(page, line).c_str(), 1, first + line);
}

}  // namespace

void ShowPattern(DisplayDriver& display, const PatternPlan& plan) {
    display.WriteText(SettingsRow(plan.port, plan.baud).c_str(), 1, 1);
    display.WriteText(RulerRow().c_str(), 1, 2);
    if (FirstCharacterRow(display) == 1) platform::SleepMilliseconds(plan.step_ms);
    for (int page = 0; page < CharacterPages(); ++page) {
        WritePage(display, page);
        platform::SleepMilliseconds(plan.step_ms);
    }
    if (plan.keep) WritePage(display, 0);  // a full page is left up, not the last one
    display.SetBacklight(false);
    platform::SleepMilliseconds(plan.step_ms);
    display.SetBacklight(true);
    platform::SleepMilliseconds(plan.step_ms);
    display.SetBacklight(plan.backlight_on);
    if (!plan.keep) display.Clear();
}

}  // namespace korv::tools
