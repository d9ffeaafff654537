#pragma once

#include <string>

#include "display/display_geometry.h"
#include "pole/poll_cycle.h"

// KORVPOLE.INI, optional, beside KORVPOLE.CFG: the display's kind, shown rows, speed,
// table and ROM, the till's code page and the amount rows' words. Lines "name = value" in
// UTF-8, names in any case; blank lines and ';' or '#' lines are skipped. Without it
// korvpole drives the 4x20 LCD at 9600 baud, as it always did.
namespace korv {
inline constexpr const char* kIniFileName = "KORVPOLE.INI";

struct KorvpoleIni {
    // All but the port and the backlight, which KORVPOLE.CFG holds.
    DisplayGeometry display;
    AmountWords words;
    // What the file names, for the line korvpole says of it.
    bool kind_named = false;
    bool baud_named = false;
    bool rom_named = false;
    bool table_named = false;
};

// The settings of a file's text. A file that cannot be used gives one line naming the
// file, the line and what is wrong; a usable one gives "".
std::string ParseKorvpoleIni(const std::string& text, KorvpoleIni& ini);
// The same for the file at `path`; no file there gives the defaults.
std::string ReadKorvpoleIni(KorvpoleIni& ini, const std::string& path = kIniFileName);

// With no file `name` but a `name`.txt, which Notepad makes and Explorer shows without
// its ending: the line that says so; else "".
std::string HiddenTxtNote(const std::string& name);

// "KORVPOLE.INI: escpos display, 2x20, rows 1 and 4, text cp1252"; empty when the file
// names neither a kind, a speed, a code page, a table nor a ROM.
std::string IniLine(const KorvpoleIni& ini);
}  // namespace korv
