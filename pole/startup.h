#pragma once

#include <cstdio>

#include "pole/side_file.h"

namespace korv {

class DisplayDriver;

// The two settings as the configuration file holds them: port text (at most two
// characters) and the backlight choice, of which only the first byte counts.
struct Settings {
    char port_text[3] = {};
    char backlight_choice[2] = {};

    int Port() const;
    bool BacklightOn() const { return backlight_choice[0] == '1'; }
};

inline constexpr const char* kConfigFileName = "KORVPOLE.CFG";

// The version the build was given, "1.0.1".
extern const char* const kProgramVersion;

// Said by the setup dialogue when standard input ended before both answers came.
inline constexpr const char* kInputEndedNote =
    "Input ended before both answers were given: nothing was saved.\n";

// Reads the 5-byte layout; bytes the file does not have read as zero.
Settings ReadSettings(std::FILE* file);

// Close, open the configured port as the side file describes the display, backlight as
// configured, clear.
void BringUpDisplay(DisplayDriver& display, const Settings& settings, const SideSettings& side);

// Banner, the side file, then the configuration file, or the setup dialogue when there
// is none.
void RunStartup(DisplayDriver& display);

// Two questions on the console; the answers are saved and applied at once, with the
// side file read again. True when they were, and the display was brought up again.
bool RunSetupDialogue(DisplayDriver& display);

}  // namespace korv
