// korvpole-post: the point-of-sale side of the pole record, for trying korvpole
// without a till: sets fields of POLE.DAT in place, or plays a scripted sale.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/post_args.h"
#include "tools/post_demo.h"
#include "tools/post_record.h"

namespace {
constexpr int kUsageError = 2;
}  // namespace

int main(int argc, char** argv) {
    using namespace korv::tools;
    PostOptions options;
    std::string error;
    if (!ParsePostArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "korvpole-post: %s\n%s", error.c_str(), kPostUsage);
        return kUsageError;
    }
    if (options.help) {
        std::printf("%s", kPostUsage);
        return 0;
    }
    if (options.demo) return PlayDemo(options.file, options.step_ms, options.loop);

    if (!WriteRecord(options.file, options.update, error)) {
        std::fprintf(stderr, "korvpole-post: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
