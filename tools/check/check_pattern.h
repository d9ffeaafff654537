#pragma once

#include <string>

#include "display/display_driver.h"

// What korvpole-check shows on an open display.
namespace korv::tools {
// Row 1 of the test pattern, a whole row: "COM5 9600 baud 8N1".
std::string SettingsRow(int port, int baud);
// Row 2 is a ruler; the characters '!' to '~' follow, 40 to a page.
int CharacterPages();

struct PatternPlan {
    int port = 0;
    int baud = 0;
    bool backlight_on = false;  // as configured
    bool keep = false;          // leave the pattern up instead of clearing
    int step_ms = 0;            // how long each step stays up
};

// The settings row over "WRONG KIND", which only this kind's cursor command covers, and
// the ruler; the characters a page at a time (on rows 3 and 4 where there are four);
// the light off and on once, then as configured; unless kept, a cleared display.
void ShowPattern(DisplayDriver& display, const PatternPlan& plan);

// The display's own characters 80 to FF behind their codes; then a 2x20 display's tables
// with the same letters, or the letters the LCD's ROM lacks, each over its plain
// stand-in. A page stays `step_ms` (below 0: about 40 s for all) or until a key, told on
// standard output; unless `keep`, a cleared display.
void ShowCharset(DisplayDriver& display, const DisplayGeometry& ini_display, int step_ms, bool keep);
}  // namespace korv::tools
