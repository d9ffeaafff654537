#pragma once

#include <ostream>
#include <string>

namespace korv {
class DisplayDriver;
}

namespace korv::tools {

// Row 1 of the test pattern: the port and its line settings, "COM5 9600 baud 8N1".
std::string SettingsRow(int port);
// Row 2 is a ruler over the columns; rows 3 and 4 show the printable characters ('!' to
// '~') in turn, 40 to a page.
int CharacterPages();

struct PatternPlan {
    int port = 0;
    bool backlight_on = false;  // as configured
    bool keep = false;          // leave the pattern up instead of clearing
    int step_ms = 0;            // how long each step stays up
};

// On an open display: the pattern, a page at a time, then the backlight off and on
// once, then the backlight as configured and, unless kept, a cleared display.
void ShowPattern(DisplayDriver& display, const PatternPlan& plan);

// "korvpole-check: FAIL: " and `why` as a line on `err`; the exit status, 1.
int Fail(std::ostream& err, const std::string& why);

// Once the pattern, or what else `shown` says, went out on the port `port_name`: FAIL
// when the port went away meanwhile or did not take every byte, else OK with what the
// display should have shown and how the plan leaves it. The exit status.
int Verdict(const DisplayDriver& display, const std::string& port_name, const PatternPlan& plan,
            const char* shown, std::ostream& out, std::ostream& err);

}  // namespace korv::tools
