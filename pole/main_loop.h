#pragma once

namespace korv {

class DisplayDriver;
namespace platform {
class ConsoleKeys;
}

// The whole program after the display driver exists.
int RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console);

}  // namespace korv
