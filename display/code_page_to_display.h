#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "display/lcd_bytes.h"
#include "display/lcd_characters.h"

// Letters as display bytes: a 2x20 display's table byte; on an HD44780 the ROM's own
// character, else a user-defined one; beyond both a plain stand-in, never a wrong letter.
namespace korv::charset {
// The byte of `table` for `letter`, else its plain stand-in.
std::uint8_t TableByte(CodePage table, char32_t letter);

struct LcdCharacter {
    enum class Kind {
        kRom,          // `code` is the ROM's character
        kUserDefined,  // needs the pattern of `letter` in a user-defined character
        kStandIn,      // `code` is a plain character; a blank for a control character
    };
    Kind kind = Kind::kStandIn;
    std::uint8_t code = ' ';
    char32_t letter = 0;
};

// How `letter` is shown on a display with `rom`.
LcdCharacter PlanCharacter(CharacterRom rom, char32_t letter);

// What each user-defined character holds; 0 for none loaded since power-up or bring-up.
using UserCharacters = std::array<char32_t, lcd::kUserCharacters>;

struct ScreenPlan {
    std::vector<std::string> rows;                  // the bytes that show each row
    UserCharacters characters{};                    // what each user-defined character holds then
    std::array<bool, lcd::kUserCharacters> load{};  // the ones whose pattern must be loaded first
};

// The bytes that show `rows`, the whole screen, where the user-defined characters hold
// `loaded`. A letter keeps its character, so shown text does not change under it; a new
// one takes an empty character, else one whose letter left the screen, in the order of
// first appearance; beyond eight, letters show plain. Rows that differ from the bytes
// last sent must go again, after the loads.
ScreenPlan PlanScreen(CharacterRom rom, const std::vector<std::u32string>& rows, const UserCharacters& loaded);
}  // namespace korv::charset
