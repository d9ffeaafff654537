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

// Nothing when korvpole-post should go on with `options`; otherwise its exit status:
// 0 after --help or --version, 2 after a bad argument (told on `err`).
std::optional<int> ParsePostArgs(const std::vector<std::string>& args, PostOptions& options,
                                 std::ostream& out, std::ostream& err);

}  // namespace korv::tools
