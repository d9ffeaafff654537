// korvpole-check: a health check of the pole display link. Opens the display's COM
// port exactly as korvpole does and shows a test pattern, or says in plain words why
// the port does not open.
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
#include "tools/check/charset.h"
#include "tools/check/check_args.h"
#include "tools/check/check_pattern.h"
#include "tools/check/check_words.h"
#include "tools/check/port_list.h"
#include "tools/check/port_report.h"
#include "tools/common/tool_cli.h"
#include "tools/common/utf8_console.h"

namespace {

using korv::KorvpoleCfg;
using korv::tools::CheckOptions;
using korv::tools::Fail;

constexpr int kFailed = 1;
constexpr int kBadIni = 2;

std::string WorkingFolder() {
    std::error_code ignored;
    return std::filesystem::current_path(ignored).string();
}

// KORVPOLE.CFG read as korvpole reads it; --port replaces its port. False when there
// is neither.
bool LoadSettings(const CheckOptions& options, KorvpoleCfg& settings, std::string& source) {
    const std::optional<KorvpoleCfg> loaded = korv::LoadKorvpoleCfg();
    if (loaded) {
        settings = *loaded;
        source = std::string(korv::kConfigFileName) + ": COM=" + settings.port_text +
                 (settings.BacklightOn() ? ", Backlight=ON" : ", Backlight=OFF");
    } else {
        source = std::string("no ") + korv::kConfigFileName + " here: backlight off";
    }
    if (!options.port) return loaded.has_value();
    const std::string port = std::to_string(*options.port);
    settings.port_text[0] = port[0];
    settings.port_text[1] = port.size() > 1 ? port[1] : '\0';
    source = "--port " + port + "; " + source;
    return true;
}

// The record file as korvpole would find it, looked at without creating it.
std::string RecordState() {
    using korv::platform::RecordFile;
    RecordFile file;
    if (const auto failure = file.Open(korv::kPoleRecordFileName, RecordFile::Mode::kRead))
        return korv::RecordFailureWords(korv::kPoleRecordFileName, RecordFile::Mode::kRead, failure);
    std::int64_t size = 0;
    file.Size(size);
    return std::string(korv::kPoleRecordFileName) + ", " + std::to_string(size) + " bytes";
}

// What the display should have shown, for the OK verdict.
std::string PatternShown(const korv::DisplayProtocol& protocol) {
    return std::string("it should have shown the port, a ruler 1234567890 twice and the characters "
                       "! to ~, and its ") +
           protocol.light_name + " went " + protocol.light_off_word + " and " +
           protocol.light_on_word + " once";
}
const char* const kCharsetShown =
    "row by row it showed the characters of codes 80 to FF behind their codes (FE, the "
    "command prefix, as a blank); the common HD44780 character set has a-umlaut at E1, "
    "o-umlaut at EF, u-umlaut at F5, sharp s at E2 (drawn as beta), degree at DF and micro "
    "at E4";
const char* const kDrawnLettersShown =
    "; then the letters of KORVPOLE.INI's code page that its ROM lacks, eight at a time as "
    "korvpole draws them, each over the plain letter shown beyond eight at once";
// A 2x20 display's characters depend on its code table.
const char* const kCustomerCharsetShown =
    "row by row it showed the characters of codes 80 to FF behind their codes, from the "
    "code table the display holds; then a line per table with the same letters: the line "
    "whose letters read right names the table = for KORVPOLE.INI";

// The words korvpole's amount rows will carry.
std::string AmountRowsSaid(const korv::KorvpoleIni& ini) {
    const auto shown = [&ini](const std::string& caption) {
        return "'" + (ini.display.text ? korv::charset::ToUtf8(*ini.display.text, caption) : caption) + "'";
    };
    return "The amount rows will read " + shown(ini.words.tax) + " and " + shown(ini.words.total) +
           (ini.words.decimal == ',' ? ", with a decimal comma." : ", with a decimal point.");
}

// KORVPOLE.INI read as korvpole reads it; --kind replaces its kind.
std::string DisplayLine(const CheckOptions& options, korv::KorvpoleIni& ini) {
    korv::DisplayGeometry& side = ini.display;
    std::string source = ini.kind_named ? korv::kIniFileName : "the default";
    if (options.kind) {
        const korv::DisplayProtocol& chosen = korv::ProtocolOf(*options.kind);
        side.kind = chosen.kind;
        side.rows = chosen.rows;
        side.columns = chosen.columns;
        source = "--kind";
    }
    const korv::DisplayProtocol& protocol = korv::ProtocolOf(side.kind);
    std::string line = std::string(protocol.name) + ", " + std::to_string(protocol.rows) + "x" +
                       std::to_string(protocol.columns) + " (" + source + ")";
    if (side.text) line += std::string(", text ") + korv::charset::CodePageName(*side.text);
    if (side.text && protocol.letter_form == korv::LetterForm::kCharacterRom)
        line += std::string(", ROM ") + korv::charset::CharacterRomName(side.rom);
    return line;
}

int Run(const CheckOptions& options) {
    KorvpoleCfg settings;
    std::string source;
    std::cout << "korvpole-check in " << WorkingFolder() << "\n";
    for (const char* name : {korv::kIniFileName, korv::kConfigFileName})
        if (const std::string note = korv::HiddenTxtNote(name); !note.empty()) std::cout << "note:     " << note << "\n";
    korv::KorvpoleIni ini;
    if (const std::string problem = korv::ReadKorvpoleIni(ini); !problem.empty()) {
        Fail(std::cerr, problem);
        return kBadIni;
    }
    const std::string display_line = DisplayLine(options, ini);
    const korv::DisplayGeometry& side = ini.display;
    // Captions and the pages' sample letters go beyond ASCII.
    const korv::tools::Utf8ConsoleScope utf8_console;
    if (!LoadSettings(options, settings, source)) {
        Fail(std::cerr, std::string("no ") + korv::kConfigFileName +
                            " in this folder, so no port is configured: start korvpole here once to set it up, "
                            "or give the port with --port N");
        return kFailed;
    }
    const int port = settings.Port();
    const korv::platform::PortFacts facts = korv::platform::DescribePort(port);
    const std::string port_name = korv::PortName(port, facts);
    std::cout << "settings: " << source << "\n";
    std::cout << "display:  " << display_line << "\n";
    if (port >= 1) std::cout << "port:     " << port_name << "\n";
    std::cout << "line:     " << side.baud << " baud, 8 data bits, no parity, 1 stop bit\n"
              << "record:   " << RecordState() << "\n";
    for (const std::string& line : korv::tools::TakerAdvice(korv::tools::ListPorts(), korv::tools::FindPortTakers()))
        std::cout << "note:     " << line << "\n";
    std::cout << std::flush;

    korv::platform::FineTimerScope fine_timer;
    korv::DisplayDriver display;
    // The pages show the display's own characters by their codes, in whatever table it holds.
    korv::KorvpoleIni own = ini;
    if (options.charset) own.display.text.reset();
    if (const korv::platform::PortOpenFailure failure = korv::BringUpDisplay(display, settings, own)) {
        Fail(std::cerr, korv::tools::OpenFailureAdvice(port, failure, facts));
        return kFailed;
    }
    std::cout << "sending the test pattern; watch the display\n" << std::flush;
    const bool letters = side.text && display.Protocol().letter_form == korv::LetterForm::kCharacterRom;
    korv::DisplayGeometry lettered = side;
    lettered.port = port;
    if (options.charset)
        korv::tools::ShowCharset(display, lettered, options.step_ms, options.keep, std::cout);
    else
        korv::tools::ShowPattern(display, {port, side.baud, settings.BacklightOn(), options.keep, options.step_ms});
    // The port closes with the driver, without the clear and darkening of Close().
    const std::string shown = (!options.charset ? PatternShown(display.Protocol())
                               : display.Protocol().kind != korv::DisplayKind::kLcd ? kCustomerCharsetShown
                               : letters ? std::string(kCharsetShown) + kDrawnLettersShown
                                         : kCharsetShown);
    return korv::tools::Verdict(display, port_name, shown, options.keep, settings.BacklightOn(), AmountRowsSaid(ini),
                                std::cout, std::cerr)
               ? 0
               : kFailed;
}

// --list: KORVPOLE.CFG only marks its port; a folder without one lists all the same.
int List() {
    KorvpoleCfg settings;
    std::string source;
    const int configured = LoadSettings(CheckOptions(), settings, source) ? settings.Port() : 0;
    std::cout << "serial ports seen from " << WorkingFolder() << "\n";
    return korv::tools::PrintPortList(std::cout, korv::tools::ListPorts(), configured, korv::tools::FindPortTakers())
               ? 0
               : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    CheckOptions options;
    if (const auto status = korv::tools::ParseCheckArgs(korv::tools::Utf8Arguments(argc, argv),
                                                        options, std::cout, std::cerr))
        return *status;
    return options.list ? List() : Run(options);
}
