#pragma once

namespace korv {

class DisplayDriver;
namespace platform {
class ConsoleKeys;
}

// The whole program after the display driver exists.
int RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console);

// The part after the start-up: from the opening of the pole record file to the end of
// the program; the result is the exit status.
int RunMainLoop(DisplayDriver& display, platform::ConsoleKeys& console);

}  // namespace korv
