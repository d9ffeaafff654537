#include "tools/check/check_args.h"

#include "pole/korvpole_cfg.h"
#include "pole/korvpole_ini.h"
#include "tools/common/tool_cli.h"

namespace korv::tools {
namespace {
constexpr std::uint32_t kMaxStepMs = 60000;
// The pages of characters share about 40 seconds unless --step-ms says otherwise.
constexpr int kCharsetFitsPages = -1;

std::string Footer() {
    const std::string ini = kIniFileName;
    return std::string("Opens the display's COM port as korvpole does (the one ") + kConfigFileName +
           " in this folder\n"
           "names, or --port N) and shows a test pattern on it: the port and line settings, a\n"
           "20-column ruler and every printable character; the backlight (or brightness) goes\n"
           "off and on once. At the end the display is cleared, backlight as configured (--keep:\n"
           "the pattern stays). The display is spoken to as " + ini + " says (lcd without it);\n"
           "--kind tries another kind without writing the file: the one whose pattern shows\n"
           "clean is the display = for " + ini + ".\n"
           "--charset shows the display's own characters from 80 to FF instead, a page at a\n"
           "time: each row starts with the code of its first character, row 1 is a ruler of\n"
           "the last hex digit. Then, on a 2x20 display, a numbered line per table = with the\n"
           "same letters: the one that reads right is the table the display holds; on the LCD\n"
           "with text = in " + ini + ", the letters its ROM lacks, eight at a time as\n"
           "korvpole draws them, over their plain stand-ins. A key shows the next page.\n"
           "--list lists the serial ports of this machine and opens none.\n"
           "Exit status: 0 the pattern went out whole (--list: a port was found), 1 the port\n"
           "cannot be opened or did not take every byte (--list: no port found), 2 a bad\n"
           "argument or a " + ini + " korvpole cannot use.";
}
}  // namespace

std::optional<int> ParseCheckArgs(const std::vector<std::string>& args, CheckOptions& options,
                                  std::ostream& out, std::ostream& err) {
    CLI::App app("korvpole-check: a health check of the pole display link", "korvpole-check");
    SetUpToolApp(app, Footer());
    CLI::Option* port = app.add_option_function<int>(
                               "--port", [&options](int number) { options.port = number; },
                               "the COM port number to check, 1 to " + std::to_string(kMaxPort) +
                                   ", instead of " + kConfigFileName + "'s")
                            ->type_name("N")
                            ->check(PortNumber());
    CLI::Option* keep = app.add_flag("--keep", options.keep, "leave the test pattern on the display");
    CLI::Option* step = app.add_option("--step-ms", options.step_ms,
                                       "milliseconds each step of the pattern stays up (" +
                                           std::to_string(CheckOptions().step_ms) +
                                           "; --charset: the pages share 40 s, a key shows the next)")
                            ->type_name("N")
                            ->check(Milliseconds(kMaxStepMs));
    CLI::Option* charset = app.add_flag(
        "--charset", options.charset,
        "show the display's own characters 80 to FF, with their codes, instead of the pattern");
    CLI::Option* kind = AddKindOption(app, [&options](DisplayKind chosen) { options.kind = chosen; },
                                      "the kind of display to try, lcd, escpos or cd5220, instead of KORVPOLE.INI's");
    CLI::Option* list = app.add_flag(
        "--list", options.list, "list every serial port of this machine with its COM number and state; opens none");
    for (CLI::Option* other : {port, keep, step, charset, kind}) list->excludes(other);
    const std::optional<int> status = ParseToolArgs(app, args, out, err);
    if (!status && options.charset && step->count() == 0) options.step_ms = kCharsetFitsPages;
    return status;
}
}  // namespace korv::tools
