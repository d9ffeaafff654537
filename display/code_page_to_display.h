#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "display/lcd_bytes.h"
#include "display/lcd_characters.h"

// Text written in a code page as display bytes. A 2x20 display with a table of its
// own gets the table's byte for each letter. An HD44780 shows each letter as the ROM's
// own character where the ROM has it, else drawn into one of the eight user-defined
// characters, else as its plain stand-in.
namespace korv::charset {

// The byte of the table `to` that shows what `byte` stands for in `from`; where `to`
// lacks it, its plain stand-in, and a blank for a byte `from` leaves undefined.
std::uint8_t TableByte(CodePage from, CodePage to, std::uint8_t byte);

struct LcdCharacter {
    enum class Kind {
        kRom,          // `code` is the ROM's character
        kUserDefined,  // needs the pattern of `letter` in a user-defined character
        kStandIn,      // `code` is a plain character; a blank for a control byte
    };
    Kind kind = Kind::kStandIn;
    std::uint8_t code = ' ';
    char32_t letter = 0;
};

// How the text byte `byte`, written in `page`, is shown on a display with `rom`. A
// control byte, or one the code page leaves undefined, is a blank.
LcdCharacter PlanCharacter(CodePage page, CharacterRom rom, std::uint8_t byte);

// The letter each user-defined character holds; 0 where nothing was loaded, as after
// the display's power-up, a reconnect or a bring-up.
using UserCharacters = std::array<char32_t, lcd::kUserCharacters>;

struct ScreenPlan {
    std::vector<std::string> rows;             // the bytes that show each row's text
    UserCharacters characters{};               // what each user-defined character holds then
    std::array<bool, lcd::kUserCharacters> load{};  // the ones whose pattern must be loaded first
};

// The bytes that show `rows`, the whole text that is to stand on the display, written
// in `page`, on a display with `rom` whose user-defined characters hold `loaded`. A
// letter the ROM lacks keeps the user-defined character that holds it already, so that
// text already shown does not change under it; a new one takes a character that holds
// nothing, else one that holds a letter no longer on the screen, in the order the
// letters first appear, row by row. Letters beyond eight show their plain stand-in. A
// row whose bytes differ from those last sent for it must be sent again, after the
// loads.
ScreenPlan PlanScreen(CodePage page, CharacterRom rom, const std::vector<std::string>& rows,
                      const UserCharacters& loaded);

}  // namespace korv::charset
