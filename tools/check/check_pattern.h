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

// A line saying the kind is wrong, which only the kind's own cursor command moves the
// settings over; the settings and the ruler, the characters a page at a time (rows 3
// and 4 of a 4-row display, after the ruler on a 2-row one); the light off and on
// once, then as configured and, unless kept, a cleared display.
void ShowPattern(DisplayDriver& display, const PatternPlan& plan);

// The display's own characters 80 to FF, a page at a time behind their codes under a
// ruler of the last hex digit; then on a 2x20 display a line per table with the same
// letters, on the LCD with text = the letters its ROM lacks, eight to a page, each over
// its plain stand-in. A page stays `step_ms` (below 0: the pages share about 40 s) or
// until a key, told on standard output; then a cleared display unless `keep`.
void ShowCharset(DisplayDriver& display, const DisplayGeometry& ini_display, int step_ms, bool keep);
}  // namespace korv::tools
