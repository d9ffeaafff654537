#pragma once

namespace korv {

class DisplayDriver;
namespace platform {
class ConsoleKeys;
}

inline constexpr const char* kKeyMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";
inline constexpr const char* kFileOpenError =
    "File open error detected: POLE.DAT\nPress any key to exit\n";

// The end of a first start whose setup got no answers, and what it says on standard error.
inline constexpr int kNoSettingsStatus = 1;
inline constexpr const char* kNoSettingsNote =
    "There is no KORVPOLE.CFG in this folder and setup got no answers, so korvpole ends: "
    "run korvpole once in this folder at a console to set it up, or copy a KORVPOLE.CFG here.\n";

// Pause where the loop would otherwise turn with nothing to wait for.
inline constexpr int kIdlePauseMs = 20;
// How often an unreachable display is looked for again, and the record file's name.
inline constexpr int kWatchIntervalMs = 1000;

// From the opening of the pole record file to the end of the program; the result is
// the exit status.
int RunMainLoop(DisplayDriver& display, platform::ConsoleKeys& console);

// The whole program after the display driver exists.
int RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console);

}  // namespace korv
