#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// What an HD44780 display shows: its ROM's characters, the patterns korvpole draws into
// its user-defined ones, and the plain stand-in for a letter it can show neither way.
namespace korv::charset {
// A00 is the common ROM of the data sheet (Japanese standard), A02 the European one.
enum class CharacterRom { kA00, kA02 };

inline constexpr CharacterRom kCharacterRoms[] = {CharacterRom::kA00, CharacterRom::kA02};

// "a00" or "a02", the name a settings file gives.
const char* CharacterRomName(CharacterRom rom);
// The ROM of that name, in any case; none for any other text.
std::optional<CharacterRom> CharacterRomNamed(std::string_view name);

// The character a customer reads at `code`; none for 0x00 to 0x0F, codes left blank or
// undefined and glyphs that read as none. A00's 0x5C is a yen sign, 0x7E and 0x7F arrows.
std::optional<char32_t> RomCharacter(CharacterRom rom, std::uint8_t code);

// The lowest code that shows `code_point` and may travel as a text byte (0x20 to 0xFF but
// the prefix 0xFE); none where the ROM lacks it (A00: backslash, tilde, marked capitals).
std::optional<std::uint8_t> RomCodeOf(CharacterRom rom, char32_t code_point);

// Eight rows from the top, each in its five low bits with the leftmost dot in bit 4.
// Patterns leave row 8, the cursor line, empty and keep to the 5x7 of the ROM's letters.
using GlyphPattern = std::array<std::uint8_t, 8>;

// The pattern korvpole draws for `code_point`: the code pages' Latin letters, the euro,
// cp437's Greek letters a ROM lacks, the backslash and tilde A00 lacks, a few signs.
std::optional<GlyphPattern> PatternOf(char32_t code_point);
// The character whose pattern `pattern` is; none for a pattern korvpole does not draw.
std::optional<char32_t> LetterOfPattern(const GlyphPattern& pattern);

// The printable ASCII stand-in for `code_point`: the letter without its mark (A ring: A,
// sharp s: s, euro: E), a plain sign (guillemets: < >, dashes: -) or, where none reads
// right (pound sign, one half, Greek capitals), a blank. Never a backslash or tilde.
char PlainStandIn(char32_t code_point);
}  // namespace korv::charset
