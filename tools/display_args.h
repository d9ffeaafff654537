#pragma once

#include <string>
#include <vector>

namespace korv::tools {

struct DisplayOptions {
    int port = 1;
    std::string log_path;  // empty: no log
    bool dump = false;
    bool help = false;
};

// False with `error` set for an unknown option, a missing value or a bad port.
bool ParseDisplayArgs(const std::vector<std::string>& args, DisplayOptions& options,
                      std::string& error);

extern const char* const kDisplayUsage;

}  // namespace korv::tools
