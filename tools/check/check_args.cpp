#include "tools/check/check_args.h"

#include "tools/common/tool_cli.h"

namespace korv::tools {

namespace {

constexpr std::uint32_t kMaxStepMs = 60000;

const char* const kFooter =
    "Opens the display's COM port as korvpole does (the one KORVPOLE.CFG in this folder\n"
    "names, or --port N) and shows a test pattern on it: the port and line settings, a\n"
    "20-column ruler and every printable character; the backlight goes off and on once.\n"
    "At the end the display is cleared, backlight as configured (--keep: pattern stays).\n"
    "Exit status: 0 the pattern went out whole, 1 the port cannot be opened or did not\n"
    "take every byte, 2 a bad argument.";

}  // namespace

std::optional<int> ParseCheckArgs(const std::vector<std::string>& args, CheckOptions& options,
                                  std::ostream& out, std::ostream& err) {
    CLI::App app("korvpole-check: a health check of the pole display link", "korvpole-check");
    SetUpToolApp(app, kFooter);
    app.add_option_function<int>(
           "--port", [&options](int port) { options.port = port; },
           "the COM port number to check, 1 to 99, instead of KORVPOLE.CFG's")
        ->type_name("N")
        ->check(PortNumber());
    app.add_flag("--keep", options.keep, "leave the test pattern on the display");
    app.add_option("--step-ms", options.step_ms,
                   "milliseconds each step of the pattern stays up (1500)")
        ->check(Milliseconds(kMaxStepMs));
    return ParseToolArgs(app, args, out, err);
}

}  // namespace korv::tools
