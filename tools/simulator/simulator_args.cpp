#include "tools/simulator/simulator_args.h"

#include "tools/common/tool_cli.h"

namespace korv::tools {

namespace {

const char* const kFooter =
    "Simulates a pole display on a pseudo-terminal linked as COM<N> in the working\n"
    "directory, where korvpole looks first for port N: the 4x20 LCD (lcd), or a 2x20\n"
    "customer display taking the ESC/POS (escpos) or CD5220 (cd5220) commands.\n"
    "Exit status: 0 after a stop signal, 1 the link or the log cannot be made, 2 a bad\n"
    "argument.";

}  // namespace

std::optional<int> ParseSimulatorArgs(const std::vector<std::string>& args,
                                    SimulatorOptions& options, std::ostream& out,
                                    std::ostream& err) {
    CLI::App app("korvpole-display: a simulated pole display", "korvpole-display");
    SetUpToolApp(app, kFooter);
    app.add_option("--port", options.port, "the COM port number to offer, 1 to 99 (default 1)")
        ->type_name("N")
        ->check(PortNumber());
    app.add_option("--log", options.log_path, "write every byte received, decoded, to FILE")
        ->type_name("FILE")
        ->check(NonEmptyPath());
    app.add_flag("--dump", options.dump, "print the screen as plain lines at the end");
    AddKindOption(app, [&options](DisplayKind kind) { options.kind = kind; },
                  "the display to simulate: lcd (default), escpos or cd5220");
    return ParseToolArgs(app, args, out, err);
}

}  // namespace korv::tools
