#pragma once

#include <string>

#include "display/display_geometry.h"
#include "pole/poll_cycle.h"

// KORVPOLE.INI, the optional file beside KORVPOLE.CFG: which kind of display is
// attached, which rows a 2-row display shows, the line speed, the code page the
// point-of-sale application writes, the 2x20 display's table, the LCD's character ROM,
// and the words of the amount rows. Lines "name = value", names in any case, in UTF-8;
// blank lines and lines starting with ';' or '#' are skipped. Without the file korvpole
// drives the 4x20 LCD at 9600 baud, as it always did.
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
