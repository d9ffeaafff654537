#pragma once

#include <optional>
#include <string>

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

// The 5-byte layout; bytes the file does not have read as zero.
Settings ReadSettings(const std::string& bytes);

// KORVPOLE.CFG of the working folder, as korvpole reads it; nothing when it cannot be
// read, or is no ordinary file.
std::optional<Settings> LoadSettings();

// Close, open the configured port as the side file describes the display, backlight as
// configured, clear.
void BringUpDisplay(DisplayDriver& display, const Settings& settings, const SideSettings& side);

enum class SetupOutcome {
    kApplied,    // saved, and the display brought up again with the answers
    kNotSaved,   // answered, but not saved: file and display as they were
    kNoAnswers,  // input ended, or a stop came, before both answers
    kBadSideFile,  // answered, but KORVPOLE.INI cannot be used: nothing saved or applied
};

enum class StartOutcome {
    kReady,        // the display brought up from the settings, or from the dialogue's answers
    kNoSettings,   // no KORVPOLE.CFG, and the dialogue got no answers
    kBadSideFile,  // KORVPOLE.INI went bad while the dialogue waited
};

// Banner, the side file, then the configuration file, or the setup dialogue when there
// is none. A side file that cannot be used here ends the program with its line.
StartOutcome RunStartup(DisplayDriver& display);

// Two questions on the console; the answers are saved and applied at once, with the
// side file read again. The rest of the second answer's line is dropped.
SetupOutcome RunSetupDialogue(DisplayDriver& display);

}  // namespace korv
