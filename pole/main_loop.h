#pragma once

namespace korv {
class DisplayDriver;
namespace platform { class ConsoleKeys; }

// How the program ended; main() gives each its exit status.
enum class ProgramEnd {
    kExit,           // X, a stop, or a record file that cannot be opened and a key
    kNoSettings,     // no KORVPOLE.CFG, and setup got no answers
    kBadIni,         // KORVPOLE.INI cannot be used
    kRecordBroken,   // a seek in the record file failed while running
};

// The whole program after the display driver exists: start-up, then the main loop.
ProgramEnd RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console);
}  // namespace korv
