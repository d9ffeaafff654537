#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "display/display_kinds.h"

namespace korv::tools {
struct CheckOptions {
    std::optional<int> port;  // instead of the one KORVPOLE.CFG names
    bool keep = false;        // leave the pattern up at the end
    int step_ms = 1500;       // how long each step of the pattern stays up
    bool list = false;        // list the machine's serial ports instead; opens none
    bool charset = false;     // show the display's own characters instead of the pattern
    std::optional<DisplayKind> kind;  // instead of the one KORVPOLE.INI names
};

// korvpole-check's command line into `options`, as ParseToolArgs parses it.
std::optional<int> ParseCheckArgs(const std::vector<std::string>& args, CheckOptions& options,
                                  std::ostream& out, std::ostream& err);
}  // namespace korv::tools
