#include "tools/simulator/simulator_args.h"

#include "display/names.h"
#include "tools/common/tool_cli.h"

namespace korv::tools {
namespace {
const char* const kFooter =
    "Simulates a pole display: the 4x20 LCD (lcd), or a 2x20 customer display taking\n"
    "the ESC/POS (escpos) or CD5220 (cd5220) commands. With --read it shows what comes\n"
    "on a serial port: the other end of a virtual COM pair, or a second port joined to\n"
    "the display's line by a null-modem cable. Without it (Linux only) it offers a\n"
    "pseudo-terminal linked as COM<N> in the working directory, where korvpole looks\n"
    "first for port N.\n"
    "It shows the display's characters as the letters a customer reads (UTF-8): the\n"
    "LCD's from its ROM and its user-defined characters by their patterns (a block for\n"
    "a pattern that is no letter), a 2x20 display's from its code table.\n"
    "Exit status: 0 after a stop (Ctrl+C), 1 the port, the link or the log cannot be\n"
    "made or opened, or the port went away, 2 a bad argument.";
}  // namespace

std::optional<int> ParseSimulatorArgs(const std::vector<std::string>& args, SimulatorOptions& options,
                                      std::ostream& out, std::ostream& err) {
    CLI::App app("korvpole-display: a simulated pole display", "korvpole-display");
    SetUpToolApp(app, kFooter);
    const SimulatorOptions defaults;
    CLI::Option* port = app.add_option("--port", options.port,
                                       "the COM port number to offer, 1 to " + std::to_string(kMaxPort) +
                                           " (default " + std::to_string(defaults.port) + ")")
                            ->type_name("N")
                            ->check(PortNumber());
    const auto speed_name = [](int speed) { return std::to_string(speed); };
    const std::string speeds = Listed(kLineSpeeds, speed_name);
    // Anything but digits is a device's name.
    const CLI::Validator port_or_device = Checked([](const std::string& text) {
        return text.find_first_not_of("0123456789") != std::string::npos ? "" : PortNumber()(text);
    });
    CLI::Option* read = app.add_option("--read", options.read,
                                       "show what comes on the serial port PORT, a COM port number or a "
                                       "device's name; nothing is written to it")
                            ->type_name("PORT")
                            ->check(port_or_device)
                            ->excludes(port);
    AddFound(app, "--baud", Named(kLineSpeeds, speed_name), [&options](int speed) { options.baud = speed; },
             " is no line speed: " + speeds,
             "the speed to read at: " + speeds + " (default " + std::to_string(defaults.baud) + "), 8N1")
        ->type_name("N")
        ->needs(read);
    app.add_option("--log", options.log_path, "write every byte received, decoded, to FILE")
        ->type_name("FILE")
        ->check(NonEmptyPath());
    app.add_flag("--dump", options.dump, "print the screen as lines of its letters (UTF-8) at the end");
    AddKindOption(app, [&options](DisplayKind kind) { options.kind = kind; },
                  std::string("the display to simulate: ") + KindNames() + " (default " +
                      ProtocolOf(defaults.kind).name + ")");
    // "a00 (default) or a02".
    const std::string roms = Listed(charset::kCharacterRoms, [&defaults](charset::CharacterRom rom) {
        return charset::CharacterRomName(rom) + std::string(rom == defaults.rom ? " (default)" : "");
    });
    AddFound(app, "--rom", charset::CharacterRomNamed, [&options](charset::CharacterRom rom) { options.rom = rom; },
             " is no character ROM: " + roms, "the LCD's character ROM: " + roms)
        ->type_name("ROM");
    const std::string tables = Listed(charset::kDisplayTables, charset::CodePageName);
    AddFound(app, "--table", Named(charset::kDisplayTables, charset::CodePageName),
             [&options](charset::CodePage table) { options.table = table; }, " is no display table: " + tables,
             "the code table a 2x20 display holds at power-on, as its switches set it: " + tables + " (default " +
                 charset::CodePageName(defaults.table) + ")")
        ->type_name("TABLE");
    return ParseToolArgs(app, args, out, err);
}
}  // namespace korv::tools
