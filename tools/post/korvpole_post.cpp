// korvpole-post: the point-of-sale side of the pole record, for trying korvpole
// without a till: sets fields of POLE.DAT in place, shows what korvpole makes of the
// file, or plays a scripted sale.
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/common/tool_cli.h"
#include "tools/post/post_args.h"
#include "tools/post/post_demo.h"
#include "tools/post/post_show.h"
#include "tools/post/post_record.h"

int main(int argc, char** argv) {
    using namespace korv::tools;
    PostOptions options;
    if (const auto status = ParsePostArgs(ArgumentsOf(argc, argv), options, std::cout, std::cerr))
        return *status;
    if (options.show) return ShowRecordFile(options.file);
    if (options.demo) return PlayDemo(options.file, options.step_ms, options.loop, options.quiet);

    const WriteOutcome written = WriteRecord(options.file, options.update);
    if (written.status != 0) {
        std::fprintf(stderr, "korvpole-post: %s\n", written.error.c_str());
        return written.status;
    }
    if (!options.quiet) std::printf("%s: counter %u written\n", options.file.c_str(), written.counter);
    return 0;
}
