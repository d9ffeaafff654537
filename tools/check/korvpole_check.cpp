// korvpole-check: opens the display's COM port as korvpole does and shows a test
// pattern, or says in plain words why the port does not open.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "pole/failure_words.h"
#include "pole/korvpole_cfg.h"
#include "pole/korvpole_ini.h"
#include "pole/record_format.h"
#include "pole/startup.h"
#include "tools/check/check_args.h"
#include "tools/check/check_pattern.h"
#include "tools/check/check_words.h"
#include "tools/check/port_list.h"
#include "tools/check/port_report.h"
#include "tools/common/tool_cli.h"
#include "tools/common/utf8_console.h"

namespace korv::tools {
namespace {
constexpr int kFailed = 1;

int Failed(const std::string& why, int status) {
    Fail(std::cerr, why);
    return status;
}

std::string WorkingFolder() {
    std::error_code ignored;
    return std::filesystem::current_path(ignored).string();
}

// The record file as korvpole would find it, looked at without creating it.
std::string RecordState() {
    using platform::RecordFile;
    RecordFile file;
    if (const auto failure = file.Open(kPoleRecordFileName, RecordFile::Mode::kRead))
        return RecordFailureWords(kPoleRecordFileName, RecordFile::Mode::kRead, failure);
    std::int64_t size = 0;
    file.Size(size);
    return std::string(kPoleRecordFileName) + ", " + std::to_string(size) + " bytes";
}

// What the display should have shown, for the OK verdict.
std::string PatternShown(const DisplayProtocol& protocol) {
    return std::string("it should have shown the port, a ruler 1234567890 twice and the characters ! to ~, and its ") +
           protocol.light_name + " went " + protocol.light_off_word + " and " + protocol.light_on_word + " once";
}
const char* const kCharsetShown =
    "row by row it showed the characters of codes 80 to FF behind their codes (FE, the command prefix, as a "
    "blank); the common HD44780 character set has a-umlaut at E1, o-umlaut at EF, u-umlaut at F5, sharp s at E2 "
    "(drawn as beta), degree at DF and micro at E4";
const char* const kDrawnLettersShown =
    "; then the letters of KORVPOLE.INI's code page that its ROM lacks, eight at a time as korvpole draws them, "
    "each over the plain letter shown beyond eight at once";
// A 2x20 display's characters depend on its code table.
const char* const kCustomerCharsetShown =
    "row by row it showed the characters of codes 80 to FF behind their codes, from the code table the display "
    "holds; then a line per table with the same letters: the line whose letters read right names the table = for "
    "KORVPOLE.INI";

std::string AmountRowsSaid(const KorvpoleIni& ini) {
    const auto shown = [&ini](const std::string& caption) {
        return "'" + (ini.display.text ? charset::ToUtf8(*ini.display.text, caption) : caption) + "'";
    };
    return "The amount rows will read " + shown(ini.words.tax) + " and " + shown(ini.words.total) +
           (ini.words.decimal == ',' ? ", with a decimal comma." : ", with a decimal point.");
}

// KORVPOLE.INI read as korvpole reads it; --kind replaces its kind.
std::string DisplayLine(const CheckOptions& options, KorvpoleIni& ini) {
    DisplayGeometry& side = ini.display;
    const DisplayProtocol& protocol = ProtocolOf(options.kind.value_or(side.kind));
    if (options.kind) {
        side.kind = protocol.kind;
        side.rows = protocol.rows;
        side.columns = protocol.columns;
    }
    const char* source = options.kind ? "--kind" : ini.kind_named ? kIniFileName : "the default";
    std::string line = std::string(protocol.name) + ", " + std::to_string(protocol.rows) + "x" +
                       std::to_string(protocol.columns) + " (" + source + ")";
    if (side.text) line += std::string(", text ") + charset::CodePageName(*side.text);
    if (side.text && protocol.letter_form == LetterForm::kCharacterRom)
        line += std::string(", ROM ") + charset::CharacterRomName(side.rom);
    return line;
}

int Run(const CheckOptions& options) {
    std::cout << "korvpole-check in " << WorkingFolder() << "\n";
    for (const char* name : {kIniFileName, kConfigFileName})
        if (const std::string note = HiddenTxtNote(name); !note.empty()) std::cout << "note:     " << note << "\n";
    KorvpoleIni ini;
    // A KORVPOLE.INI korvpole cannot use counts as a bad argument, as with korvpole-post.
    if (const std::string problem = ReadKorvpoleIni(ini); !problem.empty()) return Failed(problem, kUsageError);
    const std::string display_line = DisplayLine(options, ini);
    const DisplayGeometry& side = ini.display;
    // Captions and the pages' sample letters go beyond ASCII.
    const Utf8ConsoleScope utf8_console;

    // KORVPOLE.CFG read as korvpole reads it; --port replaces its port.
    const std::optional<KorvpoleCfg> loaded = LoadKorvpoleCfg();
    KorvpoleCfg settings = loaded.value_or(KorvpoleCfg());
    std::string source = loaded ? std::string(kConfigFileName) + ": COM=" + settings.port_text +
                                      (settings.BacklightOn() ? ", Backlight=ON" : ", Backlight=OFF")
                                : std::string("no ") + kConfigFileName + " here: backlight off";
    if (options.port) {
        const std::string port = std::to_string(*options.port);
        settings.port_text[port.copy(settings.port_text, 2)] = '\0';
        source = "--port " + port + "; " + source;
    } else if (!loaded) {
        return Failed(std::string("no ") + kConfigFileName +
                          " in this folder, so no port is configured: start korvpole here once to set it up, "
                          "or give the port with --port N",
                      kFailed);
    }
    const int port = settings.Port();
    ini.display.port = port;  // for --charset, which opens the port again with the code page
    const platform::PortFacts facts = platform::DescribePort(port);
    const std::string port_name = PortName(port, facts);
    std::cout << "settings: " << source << "\n";
    std::cout << "display:  " << display_line << "\n";
    if (port >= 1) std::cout << "port:     " << port_name << "\n";
    std::cout << "line:     " << side.baud << " baud, 8 data bits, no parity, 1 stop bit\n"
              << "record:   " << RecordState() << "\n";
    for (const std::string& line : TakerAdvice(ListPorts(), FindPortTakers()))
        std::cout << "note:     " << line << "\n";
    std::cout << std::flush;

    platform::FineTimerScope fine_timer;
    DisplayDriver display;
    // The pages show the display's own characters by their codes, in whatever table it holds.
    KorvpoleIni own = ini;
    if (options.charset) own.display.text.reset();
    if (const platform::PortOpenFailure failure = BringUpDisplay(display, settings, own))
        return Failed(OpenFailureAdvice(port, failure, facts), kFailed);
    std::cout << "sending the test pattern; watch the display\n" << std::flush;
    if (options.charset)
        ShowCharset(display, side, options.step_ms, options.keep);
    else
        ShowPattern(display, {port, side.baud, settings.BacklightOn(), options.keep, options.step_ms});
    const DisplayProtocol& protocol = display.Protocol();
    const std::string shown = !options.charset ? PatternShown(protocol)
                              : protocol.letter_form != LetterForm::kCharacterRom ? kCustomerCharsetShown
                              : std::string(kCharsetShown) + (side.text ? kDrawnLettersShown : "");
    // The port closes with the driver, without the clear and darkening of Close().
    const bool ok = Verdict(display, port_name, shown, options.keep, settings.BacklightOn(), AmountRowsSaid(ini),
                            std::cout, std::cerr);
    return ok ? 0 : kFailed;
}

// --list: KORVPOLE.CFG only marks its port; a folder without one lists all the same.
int List() {
    const std::optional<KorvpoleCfg> settings = LoadKorvpoleCfg();
    std::cout << "serial ports seen from " << WorkingFolder() << "\n";
    return PrintPortList(std::cout, ListPorts(), settings ? settings->Port() : 0, FindPortTakers()) ? 0 : kFailed;
}
}  // namespace
}  // namespace korv::tools

int main(int argc, char** argv) {
    using namespace korv::tools;
    CheckOptions options;
    if (const auto status = ParseCheckArgs(Utf8Arguments(argc, argv), options, std::cout, std::cerr)) return *status;
    return options.list ? List() : Run(options);
}
