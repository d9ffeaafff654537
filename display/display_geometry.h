#pragma once

#include <array>
#include <optional>

#include "display/code_pages.h"
#include "display/lcd_characters.h"

namespace korv {
enum class DisplayKind { kLcd, kEscpos, kCd5220 };

// The line speeds a port is opened at, for KORVPOLE.INI and the tools alike; displays
// are set to one of them by their switches, most to the default.
inline constexpr int kLineSpeeds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
inline constexpr int kDefaultLineSpeed = 9600;

// korvpole draws four rows: two text lines, the tax and the total. A display of two
// rows shows two of them, unless KORVPOLE.INI names others the first line and the total.
inline constexpr int kDrawnRows = 4;
inline constexpr std::array<int, 2> kDefaultShownRows = {1, 4};

// What the driver opens: the port and line, the display's size and kind, and how text
// reaches it. KORVPOLE.INI gives all but the port and the backlight.
struct DisplayGeometry {
    int port = 0;
    int baud = kDefaultLineSpeed;
    int rows = 4;
    int columns = 20;
    bool backlight_on = false;
    DisplayKind kind = DisplayKind::kLcd;
    // Which of the drawn rows a display of fewer rows shows, top first.
    std::array<int, 2> shown_rows = kDefaultShownRows;
    // The code page text comes in; none: text bytes go out as they are.
    std::optional<charset::CodePage> text = std::nullopt;
    // The table a 2x20 display shows text in; these displays start with cp437.
    charset::CodePage table = charset::CodePage::kCp437;
    charset::CharacterRom rom = charset::CharacterRom::kA00;
};
}  // namespace korv
