#include "tools/post/post_args.h"

#include <cstdint>

#include "pole/record_format.h"
#include "pole/korvpole_ini.h"
#include "tools/common/tool_cli.h"
#include "tools/post/post_amount.h"

namespace korv::tools {
namespace {
constexpr std::uint32_t kMaxScale = 65535;
constexpr std::uint32_t kMaxStepMs = 3600000;

std::string Footer() {
    return "Writes the pole record in place: the lines, scale and amounts first, the change\n"
           "counter last. Fields not given keep what the file holds. AMOUNT is a decimal\n"
           "number with at most two decimals, e.g. 13.50 or -5.\n"
           "The scale says how korvpole shows amounts: 100 as whole numbers, any other with\n"
           "two decimals. Amounts are stored so that korvpole shows them as typed at the\n"
           "record's scale (--scale, else the file's, else " + std::to_string(kDefaultScale) +
           "): --scale 100 --total 250 shows\n"
           "250, --scale 1 --total 2.50 shows 2.50. An amount the scale cannot show exactly\n"
           "(2.50 with scale 100, anything but 0 with scale 0) is refused.\n"
           "--show prints the four rows korvpole draws from the file, with what it holds.\n"
           "When " + std::string(kIniFileName) + " beside the file names a code page (text = cp1252), the\n"
           "lines are typed in UTF-8 and written in that code page, and --show prints them in\n"
           "UTF-8; without it their bytes are written as given.\n"
           "Exit status: 0 done, 1 the file cannot be read or written, 2 a bad argument, an\n"
           "amount its scale cannot show, a letter the code page lacks, or a " + kIniFileName + "\n"
           "korvpole cannot use.";
}

CLI::Option* AddAmount(CLI::App& app, const std::string& name, std::optional<std::int32_t>& field,
                       const std::string& help) {
    const auto problem = [](const std::string& text) {
        return ParseAmount(text) ? "" : "'" + text + "' is not an amount with at most two decimals that fits 32 bits "
                                        "(-21474836.48 to 21474836.47)";
    };
    return app.add_option_function<std::string>(name, [&field](const std::string& text) { field = ParseAmount(text); },
                                                help)
        ->check(Checked(problem, "AMOUNT"));
}

CLI::Option* AddText(CLI::App& app, const std::string& name, std::optional<std::string>& field,
                     const std::string& help) {
    return app.add_option_function<std::string>(name, [&field](const std::string& text) { field = text; }, help)
        ->type_name("TEXT");
}
}  // namespace

std::optional<int> ParsePostArgs(const std::vector<std::string>& args, PostOptions& options,
                                 std::ostream& out, std::ostream& err) {
    CLI::App app(std::string("korvpole-post: the point-of-sale side of the pole record ") + kPoleRecordFileName,
                 "korvpole-post");
    SetUpToolApp(app, Footer());
    RecordUpdate& update = options.update;
    const std::string cut = ", cut at " + std::to_string(record::kLineSize) + " bytes";
    CLI::Option* const fields[] = {
        AddText(app, "--line1", update.line1, "row 1 text" + cut),
        AddText(app, "--line2", update.line2, "row 2 text" + cut),
        AddAmount(app, "--tax", update.tax, "tax amount as row 3 shows it"),
        AddAmount(app, "--total", update.total, "total amount as row 4 shows it"),
        app.add_option_function<std::uint32_t>(
               "--scale", [&update](std::uint32_t scale) { update.scale = static_cast<std::uint16_t>(scale); },
               "amount scale, 0 to " + std::to_string(kMaxScale) + ": 100 whole numbers, 1 two decimals (see below)")
            ->check(WholeNumberFrom(0, kMaxScale, "a whole number")),
    };
    app.add_option("--file", options.file, "the record file (default " + PostOptions().file + ")")
        ->type_name("PATH")
        ->check(NonEmptyPath());
    CLI::Option* quiet = app.add_flag("--quiet,-q", options.quiet, "print nothing after a write");
    CLI::Option* show =
        app.add_flag("--show", options.show, "print the rows korvpole draws from the file; write nothing");
    CLI::Option* demo = app.add_flag("--demo", options.demo, "play a scripted sale");
    app.add_flag("--loop", options.loop, "with --demo: play it until stopped")->needs(demo);
    app.add_option("--step-ms", options.step_ms,
                   "with --demo: milliseconds per step (" + std::to_string(PostOptions().step_ms) + ")")
        ->type_name("N")
        ->check(Milliseconds(kMaxStepMs))
        ->needs(demo);
    for (CLI::Option* field : fields) field->excludes(show)->excludes(demo);
    show->excludes(demo)->excludes(quiet);
    return ParseToolArgs(app, args, out, err);
}
}  // namespace korv::tools
