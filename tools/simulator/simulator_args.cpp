#include "tools/simulator/simulator_args.h"

#include "display/names.h"
#include "tools/common/tool_cli.h"

namespace korv::tools {

namespace {

const char* const kFooter =
    "Simulates a pole display on a pseudo-terminal linked as COM<N> in the working\n"
    "directory, where korvpole looks first for port N: the 4x20 LCD (lcd), or a 2x20\n"
    "customer display taking the ESC/POS (escpos) or CD5220 (cd5220) commands.\n"
    "It shows the display's characters as the letters a customer reads (UTF-8): the\n"
    "LCD's from its ROM and its user-defined characters by their patterns (a block for\n"
    "a pattern that is no letter), a 2x20 display's from its code table.\n"
    "Exit status: 0 after a stop signal, 1 the link or the log cannot be made, 2 a bad\n"
    "argument.";

// "a00 (default) or a02".
std::string RomChoices(charset::CharacterRom chosen) {
    return Listed(charset::kCharacterRoms, [chosen](charset::CharacterRom rom) {
        return charset::CharacterRomName(rom) + std::string(rom == chosen ? " (default)" : "");
    });
}

}  // namespace

std::optional<int> ParseSimulatorArgs(const std::vector<std::string>& args,
                                    SimulatorOptions& options, std::ostream& out,
                                    std::ostream& err) {
    CLI::App app("korvpole-display: a simulated pole display", "korvpole-display");
    SetUpToolApp(app, kFooter);
    const SimulatorOptions defaults;
    app.add_option("--port", options.port,
                   "the COM port number to offer, 1 to " + std::to_string(kMaxPort) + " (default " +
                       std::to_string(defaults.port) + ")")
        ->type_name("N")
        ->check(PortNumber());
    app.add_option("--log", options.log_path, "write every byte received, decoded, to FILE")
        ->type_name("FILE")
        ->check(NonEmptyPath());
    app.add_flag("--dump", options.dump, "print the screen as lines of its letters (UTF-8) at the end");
    AddKindOption(app, [&options](DisplayKind kind) { options.kind = kind; },
                  std::string("the display to simulate: ") + KindNames() + " (default " +
                      ProtocolOf(defaults.kind).name + ")");
    const CLI::Validator rom(
        [](std::string& text) -> std::string {
            if (charset::CharacterRomNamed(text)) return {};
            return "'" + text + "' is no character ROM: " + RomChoices(SimulatorOptions().rom);
        },
        "");
    app.add_option_function<std::string>(
           "--rom", [&options](const std::string& name) { options.rom = *charset::CharacterRomNamed(name); },
           "the LCD's character ROM: " + RomChoices(defaults.rom))
        ->type_name("ROM")
        ->check(rom);
    return ParseToolArgs(app, args, out, err);
}

}  // namespace korv::tools
