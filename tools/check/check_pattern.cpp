#include "tools/check/check_pattern.h"

#include "display/display_driver.h"
#include "display/protocol.h"
#include "display/row_text.h"
#include "platform/clock.h"
#include "platform/com_name.h"

namespace korv::tools {

namespace {

constexpr int kFirstShown = kFirstPrintable + 1;  // a blank shows nothing
constexpr int kPrintableCount = kLastPrintable - kFirstShown + 1;
constexpr int kPerPage = 2 * protocol::kColumns;
static_assert(kPrintableCount > kPerPage, "the first page is a full one");

// Row 2: a ruler over the columns.
std::string RulerRow() {
    std::string ruler;
    for (int column = 1; column <= protocol::kColumns; ++column)
        ruler += static_cast<char>('0' + column % 10);
    return ruler;
}

// `line` 0 or 1 of a page; a page's last line is filled with blanks.
std::string CharacterRow(int page, int line) {
    std::string text;
    const int first = page * kPerPage + line * protocol::kColumns;
    for (int i = first; i < first + protocol::kColumns; ++i)
        text += i < kPrintableCount ? static_cast<char>(kFirstShown + i) : ' ';
    return text;
}

// The characters go below the settings and the ruler where there is room, else in
// their place.
int FirstCharacterRow(const DisplayDriver& display) { return display.Rows() >= 4 ? 3 : 1; }

void WritePage(DisplayDriver& display, int page) {
    const int first = FirstCharacterRow(display);
    for (int line = 0; line < 2; ++line)
        display.WriteText(CharacterRow(page, line).c_str(), 1, first + line);
}

}  // namespace

std::string SettingsRow(int port, int baud) {
    return platform::ComName(port) + " " + std::to_string(baud) + " baud 8N1";
}

int CharacterPages() { return (kPrintableCount + kPerPage - 1) / kPerPage; }

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

int Fail(std::ostream& err, const std::string& why) {
    err << "korvpole-check: FAIL: " << why << "\n";
    return 1;
}

int Verdict(const DisplayDriver& display, const std::string& port_name, const PatternPlan& plan,
            const std::string& shown, std::ostream& out, std::ostream& err) {
    if (display.Unreachable())
        return Fail(err, port_name + " went away while the pattern was sent: check that the display's "
                                     "adapter and cable are plugged in, then run the check again");
    const std::uint64_t not_taken = display.BytesNotTaken();
    if (not_taken > 0)
        return Fail(err, port_name + " opened, but did not take " + std::to_string(not_taken) +
                             " bytes of the pattern: the display is not reading them (cable, power, "
                             "or flow control holding the line)");
    out << "korvpole-check: OK: the test pattern went out on " << port_name
        << " and every byte was taken. Look at the display: " << shown << "; now "
        << (plan.keep ? "the pattern stays up" : "it is cleared") << ", " << display.Protocol().light_name << " "
        << (plan.backlight_on ? display.Protocol().light_on_word : display.Protocol().light_off_word) << ".\n";
    return 0;
}

}  // namespace korv::tools
