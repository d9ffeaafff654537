// korvpole-post: the point-of-sale side of the pole record, for trying korvpole
// without a till: sets fields of POLE.DAT in place, shows what korvpole makes of the
// file, or plays a scripted sale.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "platform/command_line.h"
#include "pole/side_file.h"
#include "tools/common/tool_cli.h"
#include "tools/post/post_args.h"
#include "tools/post/post_demo.h"
#include "tools/post/post_show.h"
#include "tools/post/post_record.h"

namespace {

// KORVPOLE.INI beside the record, as korvpole there reads it.
std::string SideFileBeside(const std::string& record) {
    return (std::filesystem::path(record).parent_path() / korv::kSideFileName).string();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace korv::tools;
    PostOptions options;
    if (const auto status =
            ParsePostArgs(korv::platform::Utf8Arguments(argc, argv), options, std::cout, std::cerr))
        return *status;
    options.file = korv::platform::SystemPath(options.file);
    const korv::SideFileReading side = korv::ReadSideFile(SideFileBeside(options.file));
    if (!side.problem.empty()) {
        std::fprintf(stderr, "korvpole-post: %s\n", side.problem.c_str());
        return korv::kBadSideFileStatus;
    }
    const std::optional<korv::charset::CodePage> text = side.settings.text;
    std::optional<korv::platform::Utf8ConsoleScope> utf8_console;
    if (text) utf8_console.emplace();

    if (options.show) return ShowRecordFile(options.file, side.settings);
    if (options.demo) return PlayDemo(options.file, options.step_ms, options.loop, options.quiet);

    std::string error;
    if (text && !ConvertLines(options.update, *text, error)) {
        std::fprintf(stderr, "korvpole-post: %s\n", error.c_str());
        return kUsageError;
    }
    const WriteOutcome written = WriteRecord(options.file, options.update);
    if (written.status != 0) {
        std::fprintf(stderr, "korvpole-post: %s\n", written.error.c_str());
        return written.status;
    }
    if (!options.quiet) std::printf("%s: counter %u written\n", options.file.c_str(), written.counter);
    return 0;
}
