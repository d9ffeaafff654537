#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "pole/record_format.h"
#include "tools/post/post_record.h"

namespace korv::tools {
struct PostOptions {
    std::string file = kPoleRecordFileName;
    RecordUpdate update;
    bool show = false;
    bool quiet = false;
    bool demo = false;
    bool loop = false;
    int step_ms = 1500;
};

// korvpole-post's command line into `options`, as ParseToolArgs parses it.
std::optional<int> ParsePostArgs(const std::vector<std::string>& args, PostOptions& options,
                                 std::ostream& out, std::ostream& err);
}  // namespace korv::tools
