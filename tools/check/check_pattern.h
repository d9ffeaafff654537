#pragma once

#include <string>

namespace korv { class DisplayDriver; }

namespace korv::tools {
// Row 1 of the test pattern, a whole row: the port and its line settings, "COM5 9600 baud 8N1".
std::string SettingsRow(int port, int baud);
// Row 2 is a ruler over the columns; the printable characters ('!' to '~') follow in
// turn, 40 to a page.
int CharacterPages();

struct PatternPlan {
    int port = 0;
    int baud = 0;
    bool backlight_on = false;  // as configured
    bool keep = false;          // leave the pattern up instead of clearing
    int step_ms = 0;            // how long each step stays up
};

// On an open display: a line saying the kind is wrong, which only the kind's own cursor
// command moves the settings over; the settings and the ruler, the characters a page at
// a time, on rows 3 and 4 of a 4-row display and after the ruler on a 2-row one; then
// the backlight (or brightness) off and on once, then as configured and, unless kept,
// a cleared display.
void ShowPattern(DisplayDriver& display, const PatternPlan& plan);
}  // namespace korv::tools
