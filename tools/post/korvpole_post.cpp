// korvpole-post: the point-of-sale side of the pole record, for trying korvpole
// without a till: sets fields of POLE.DAT in place, shows what korvpole makes of the
// file, or plays a scripted sale.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "pole/korvpole_ini.h"
#include "tools/common/tool_cli.h"
#include "tools/common/utf8_console.h"
#include "tools/post/post_args.h"
#include "tools/post/post_demo.h"
#include "tools/post/post_record.h"
#include "tools/post/post_show.h"

namespace {

void Say(const std::string& words) { std::fprintf(stderr, "korvpole-post: %s\n", words.c_str()); }

// A failure's line on standard error; its exit status.
int Failed(const std::string& words, int status) {
    Say(words);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace korv::tools;
    constexpr int kFileFailed = 1;
    PostOptions options;
    if (const auto status = ParsePostArgs(Utf8Arguments(argc, argv), options, std::cout, std::cerr)) return *status;
    options.file = SystemPath(options.file);
    // KORVPOLE.INI beside the record, as korvpole there reads it.
    const std::string ini_path = (std::filesystem::path(options.file).parent_path() / korv::kIniFileName).string();
    korv::KorvpoleIni ini;
    if (const std::string problem = korv::ReadKorvpoleIni(ini, ini_path); !problem.empty())
        return Failed(problem, kUsageError);
    const std::optional<korv::charset::CodePage> text = ini.display.text;
    std::optional<Utf8ConsoleScope> utf8_console;
    if (text) utf8_console.emplace();

    if (options.show) {
        const std::string failure = ShowRecordFile(options.file, ini);
        return failure.empty() ? 0 : Failed(failure, kFileFailed);
    }
    WriteFailure failure;
    std::uint16_t counter = 0;
    if (options.demo) {
        failure = PlayDemo(options.file, options.step_ms, options.loop, options.quiet);
    } else if (const std::string refused = text ? ConvertLines(options.update, *text) : ""; !refused.empty()) {
        return Failed(refused, kUsageError);
    } else {
        for (const std::string& note : CutLines(options.update, text)) Say(note);
        failure = WriteRecord(options.file, options.update, counter);
    }
    if (failure) return Failed(failure.error, failure.cause == WriteFault::kAmount ? kUsageError : kFileFailed);
    if (!options.quiet && !options.demo) std::printf("%s: counter %u written\n", options.file.c_str(), counter);
    return 0;
}
