#pragma once

#include <array>
#include <optional>
#include <string>

#include "display/code_pages.h"
#include "display/display_driver.h"
#include "display/display_kinds.h"
#include "display/lcd_glyphs.h"
#include "display/protocol.h"
#include "display/row_text.h"

// KORVPOLE.INI, the optional side file beside KORVPOLE.CFG: which kind of display is
// attached, which rows a 2-row display shows, the line speed, the code page the
// point-of-sale application writes and the character ROM of an LCD. Lines "name = value",
// names and values in any case; blank lines and lines starting with ';' or '#' are
// skipped. Without the file korvpole drives the 4x20 LCD at 9600 baud, as it always did.
namespace korv {

inline constexpr const char* kSideFileName = "KORVPOLE.INI";
// korvpole's exit status for a side file it cannot use.
inline constexpr int kBadSideFileStatus = 2;

struct SideSettings {
    DisplayKind kind = DisplayKind::kLcd;
    // The rows of the four korvpole draws that a 2-row display shows, top first.
    std::array<int, 2> shown_rows = kDefaultShownRows;
    int baud = protocol::kBaudRate;
    // The code page of the record's text lines; none: their bytes go out as they are.
    std::optional<charset::CodePage> text;
    charset::CharacterRom rom = charset::CharacterRom::kA00;
    bool kind_named = false;
    bool baud_named = false;
    bool rom_named = false;
};

struct SideFileReading {
    SideSettings settings;
    // Empty when the file can be used; else one line naming the file, the line and
    // what is wrong.
    std::string problem;
};

// The settings a file's text gives.
SideFileReading ParseSideFile(const std::string& text);
// KORVPOLE.INI in the working folder, or the file at `path`; no file gives the defaults.
SideFileReading ReadSideFile(const std::string& path = kSideFileName);
// The side file's settings; one it cannot use is told on standard error and ends the
// program with kBadSideFileStatus, before anything goes to a port.
SideSettings SideSettingsOrEnd();

// The display on `port` as the side file describes it; the backlight is left to the caller.
DisplayGeometry GeometryFor(int port, const SideSettings& settings);
// "KORVPOLE.INI: escpos display, 2x20, rows 1 and 4, text cp1252"; empty when the file
// names neither a kind, a speed, a code page nor a ROM.
std::string SideSettingsLine(const SideSettings& settings);

}  // namespace korv
