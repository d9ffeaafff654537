#include "pole/korvpole_ini.h"

#include <algorithm>
#include <tuple>

#include "display/display_kinds.h"
#include "display/names.h"
#include "platform/settings_file.h"

namespace korv {
namespace {
constexpr std::size_t kMaxFileBytes = 64 * 1024;

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A text from the file as a message may show it: control bytes as '?', cut when long.
std::string Quoted(const std::string& text) {
    constexpr std::size_t kShown = 40;
    std::string shown = text.substr(0, kShown);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return "'" + shown + (text.size() > kShown ? "...'" : "'");
}

// Six digits at most, so that no value overflows; no sign or blank, which strtol would take.
bool Number(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::string SetDisplay(const std::string& value, KorvpoleIni& ini) {
    const DisplayProtocol* protocol = FindProtocol(value);
    if (protocol == nullptr)
        return std::string("display must be ") + KindNames() + ", not " + Quoted(value);
    ini.display.kind = protocol->kind;
    ini.display.rows = protocol->rows;
    ini.display.columns = protocol->columns;
    ini.kind_named = true;
    return "";
}

std::string SetRows(const std::string& value, KorvpoleIni& ini) {
    const std::size_t comma = value.find(',');
    int rows[2] = {};
    if (comma == std::string::npos || !Number(Trimmed(value.substr(0, comma)), rows[0]) ||
        !Number(Trimmed(value.substr(comma + 1)), rows[1]))
        return "rows must be two row numbers, top first, as in rows = 1,4; not " + Quoted(value);
    for (int row : rows)
        if (row < 1 || row > kDrawnRows)
            return "rows: there is no row " + std::to_string(row) + ", only rows 1 to " +
                   std::to_string(kDrawnRows);
    if (rows[0] == rows[1]) return "rows: row " + std::to_string(rows[0]) + " is given twice";
    ini.display.shown_rows = {rows[0], rows[1]};
    return "";
}

std::string SetBaud(const std::string& value, KorvpoleIni& ini) {
    int baud = 0;
    if (!Number(value, baud) || std::count(std::begin(kLineSpeeds), std::end(kLineSpeeds), baud) == 0)
        return "baud must be " + Listed(kLineSpeeds, [](int known) { return std::to_string(known); }) + ", not " +
               Quoted(value);
    ini.display.baud = baud;
    ini.baud_named = true;
    return "";
}

std::string SetText(const std::string& value, KorvpoleIni& ini) {
    ini.display.text = charset::CodePageNamed(value);
    if (ini.display.text) return "";
    return "text must be " + Listed(charset::kCodePages, charset::CodePageName) + ", not " + Quoted(value);
}

std::string SetRom(const std::string& value, KorvpoleIni& ini) {
    const std::optional<charset::CharacterRom> rom = charset::CharacterRomNamed(value);
    if (!rom)
        return "rom must be " + Listed(charset::kCharacterRoms, charset::CharacterRomName) + ", not " +
               Quoted(value);
    ini.display.rom = *rom;
    ini.rom_named = true;
    return "";
}

std::string SetTable(const std::string& value, KorvpoleIni& ini) {
    const auto& tables = charset::kDisplayTables;
    const std::optional<charset::CodePage> table = charset::CodePageNamed(value);
    if (!table || std::count(std::begin(tables), std::end(tables), *table) == 0)
        return "table must be " + Listed(tables, charset::CodePageName) + ", not " + Quoted(value);
    ini.display.table = *table;
    ini.table_named = true;
    return "";
}

std::string SetDecimal(const std::string& value, KorvpoleIni& ini) {
    if (value != "," && value != ".") return "decimal must be , or ., not " + Quoted(value);
    ini.words.decimal = value[0];
    return "";
}

struct Setting {
    const char* name;
    std::string (*set)(const std::string& value, KorvpoleIni& ini);  // what is wrong with the value, or ""
};
// Captions are kept as written until the file's code page is known.
const Setting kSettings[] = {
    {"display", SetDisplay}, {"rows", SetRows}, {"baud", SetBaud}, {"text", SetText}, {"rom", SetRom},
    {"table", SetTable},
    {"tax", [](const std::string& value, KorvpoleIni& ini) { ini.words.tax = value; return std::string(); }},
    {"total", [](const std::string& value, KorvpoleIni& ini) { ini.words.total = value; return std::string(); }},
    {"decimal", SetDecimal},
};
constexpr std::size_t kSettingCount = std::size(kSettings);

// The setting's index; kSettingCount for a name that is none.
std::size_t IndexOf(const std::string& name) {
    std::size_t index = 0;
    while (index < kSettingCount && !SameName(name, kSettings[index].name)) ++index;
    return index;
}

std::string Problem(int line, const std::string& what) {
    return std::string(kIniFileName) + " line " + std::to_string(line) + ": " + what;
}

// A caption as written (UTF-8) into the text lines' code page, and its width; or why not.
std::string TakeCaption(const char* name, const std::optional<charset::CodePage>& text, std::string& caption,
                        int& width) {
    using Status = charset::CodePageText::Status;
    const std::string what = std::string(name) + " " + Quoted(caption);
    if (charset::FromUtf8(charset::CodePage::kUtf8, caption).status == Status::kInvalidUtf8)
        return what + " is no UTF-8 text: save " + kIniFileName + " as UTF-8";
    const std::size_t letters = charset::LettersOf(charset::CodePage::kUtf8, caption).size();
    if (letters == 0 || letters > static_cast<std::size_t>(kMaxCaptionChars))
        return what + " must be 1 to " + std::to_string(kMaxCaptionChars) + " characters, to fit before the amount";
    const bool ascii = std::all_of(caption.begin(), caption.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii && !text)
        return what + " has letters beyond ASCII: set text = to the code page the point-of-sale application "
                      "writes, so that korvpole knows how to show them";
    const charset::CodePageText converted = charset::FromUtf8(text.value_or(charset::CodePage::kUtf8), caption);
    if (converted.status == Status::kMissing)
        return what + " holds " + charset::CharacterLabel(converted.missing) + ", which " +
               charset::CodePageName(*text) + " (text =) does not have";
    caption = converted.bytes;
    width = static_cast<int>(letters);
    return "";
}
}  // namespace

std::string ParseKorvpoleIni(const std::string& text, KorvpoleIni& ini) {
    ini = KorvpoleIni();
    if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0)
        return Problem(1, "the file is saved as Unicode (UTF-16): save it as ANSI or UTF-8");
    const std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // Notepad's UTF-8 mark
    int set_on_line[kSettingCount] = {};
    int number = 0;
    for (std::size_t at = start; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;

        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return Problem(number, Quoted(line) + " is not a setting: name = value");
        const std::string name = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        const std::size_t index = IndexOf(name);
        if (index == kSettingCount)
            return Problem(number, "unknown setting " + Quoted(name) + " (" +
                                       Listed(kSettings, [](const Setting& setting) { return setting.name; }) + ")");
        if (set_on_line[index] != 0)
            return Problem(number, std::string(kSettings[index].name) + " is set twice, first on line " +
                                       std::to_string(set_on_line[index]));
        set_on_line[index] = number;
        const std::string wrong = kSettings[index].set(value, ini);
        if (!wrong.empty()) return Problem(number, wrong);
    }
    AmountWords& words = ini.words;
    for (const auto& [setting, name, caption, width] :
         {std::tuple(IndexOf("tax"), "tax", &words.tax, &words.tax_width),
          std::tuple(IndexOf("total"), "total", &words.total, &words.total_width)}) {
        if (set_on_line[setting] == 0) continue;
        if (std::string wrong = TakeCaption(name, ini.display.text, *caption, *width); !wrong.empty())
            return Problem(set_on_line[setting], wrong);
    }
    return "";
}

std::string ReadKorvpoleIni(KorvpoleIni& ini, const std::string& path) {
    ini = KorvpoleIni();
    std::string text;
    const platform::ReadFileFailure failure = platform::ReadSettingsFile(path.c_str(), kMaxFileBytes + 1, text);
    if (failure.cause == platform::ReadFailure::kMissing) return "";
    const std::string file = kIniFileName;
    if (failure.cause == platform::ReadFailure::kDanglingLink)
        return file + " is a link that leads nowhere: point it at the settings file, or remove it";
    if (failure.cause == platform::ReadFailure::kNotOrdinary)
        return file + " is not an ordinary file (a folder, a device or a FIFO has the name)";
    if (failure) return file + " cannot be read: " + failure.error.message();
    if (text.size() > kMaxFileBytes) return file + " is longer than 64 KiB: no settings file korvpole knows";
    return ParseKorvpoleIni(text, ini);
}

std::string HiddenTxtNote(const std::string& name) {
    std::string bytes;
    if (platform::ReadSettingsFile(name.c_str(), 0, bytes).cause != platform::ReadFailure::kMissing) return "";
    const std::string txt = name + ".txt";
    if (platform::ReadSettingsFile(txt.c_str(), 0, bytes).cause == platform::ReadFailure::kMissing) return "";
    return txt + " is not read: rename it to " + name + " (Explorer hides the .txt that Notepad added)";
}

std::string IniLine(const KorvpoleIni& ini) {
    const DisplayGeometry& display = ini.display;
    if (!ini.kind_named && !ini.baud_named && !display.text && !ini.rom_named && !ini.table_named) return "";
    const DisplayProtocol& protocol = ProtocolOf(display.kind);
    std::string line = std::string(kIniFileName) + ": " + protocol.name + " display, " +
                       std::to_string(protocol.rows) + "x" + std::to_string(protocol.columns);
    if (protocol.rows < kDrawnRows)
        line += ", rows " + std::to_string(display.shown_rows[0]) + " and " + std::to_string(display.shown_rows[1]);
    if (ini.baud_named) line += ", " + std::to_string(display.baud) + " baud";
    if (display.text) line += std::string(", text ") + charset::CodePageName(*display.text);
    // The table matters to a 2x20 display only, and only for text in a code page.
    if ((display.text || ini.table_named) && protocol.letter_form == LetterForm::kTable)
        line += std::string(", table ") + charset::CodePageName(display.table);
    // The 2x20 kinds have no character ROM of their own to choose.
    if (ini.rom_named && protocol.letter_form == LetterForm::kCharacterRom)
        line += std::string(", ROM ") + charset::CharacterRomName(display.rom);
    return line;
}
}  // namespace korv
