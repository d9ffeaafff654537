#pragma once

#include <string>
#include <vector>

#include "tools/post_record.h"

namespace korv::tools {

struct PostOptions {
    std::string file = "POLE.DAT";
    RecordUpdate update;
    bool demo = false;
    bool loop = false;
    int step_ms = 1500;
    bool step_ms_given = false;
    bool help = false;
};

// False with `error` set for an unknown option, a missing value or a value out of range.
bool ParsePostArgs(const std::vector<std::string>& args, PostOptions& options, std::string& error);

extern const char* const kPostUsage;

}  // namespace korv::tools
