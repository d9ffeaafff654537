#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "display/display_kinds.h"
#include "display/lcd_characters.h"

namespace korv::tools {
struct SimulatorOptions {
    int port = 1;
    std::string read;  // --read: a COM number or a device path; empty: a pseudo-terminal
    int baud = kDefaultLineSpeed;
    std::string log_path;  // empty: no log
    bool dump = false;
    DisplayKind kind = DisplayKind::kLcd;
    charset::CharacterRom rom = charset::CharacterRom::kA00;
    charset::CodePage table = DisplayGeometry().table;  // a 2x20 display's at power-on
};

// korvpole-display's command line into `options`, as ParseToolArgs parses it.
std::optional<int> ParseSimulatorArgs(const std::vector<std::string>& args, SimulatorOptions& options,
                                      std::ostream& out, std::ostream& err);
}  // namespace korv::tools
