#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// What an HD44780 character display can show: the characters of its ROM, the patterns
// korvpole draws into its user-defined characters, and the plain character that stands
// in for a letter it can show neither way.
namespace korv::charset {
// A00 is the common ROM of the data sheet (Japanese standard), A02 the European one.
enum class CharacterRom { kA00, kA02 };

inline constexpr CharacterRom kCharacterRoms[] = {CharacterRom::kA00, CharacterRom::kA02};

// "a00" or "a02", the name a settings file gives.
const char* CharacterRomName(CharacterRom rom);
// The ROM of that name, in any case; none for any other text.
std::optional<CharacterRom> CharacterRomNamed(std::string_view name);

// The character a customer reads at `code`. None for the user-defined codes 0x00 to
// 0x0F, for codes the ROM leaves blank or undefined and for glyphs that read as no
// character. A00's 0x5C is the yen sign and its 0x7E and 0x7F arrows, not ASCII.
std::optional<char32_t> RomCharacter(CharacterRom rom, std::uint8_t code);

// The code that shows `code_point` and may travel as a text byte: 0x20 to 0xFF other
// than the command prefix 0xFE; the lowest such code when the ROM has it twice. None
// when the ROM has no such code (A00 has no backslash, no tilde, no capital with a mark).
std::optional<std::uint8_t> RomCodeOf(CharacterRom rom, char32_t code_point);

// Eight rows from the top, each in its five low bits with the leftmost dot in bit 4.
// Patterns leave row 8, the cursor line, empty and keep to the 5x7 of the ROM's letters.
using GlyphPattern = std::array<std::uint8_t, 8>;

// The pattern korvpole draws for `code_point`: every Latin letter of the code pages
// korvpole knows, the euro sign, the Greek letters of cp437 that a ROM lacks, the
// backslash and tilde A00 lacks and a few signs of shops. None for anything else.
std::optional<GlyphPattern> PatternOf(char32_t code_point);
// The character whose pattern `pattern` is; none for a pattern korvpole does not draw.
std::optional<char32_t> LetterOfPattern(const GlyphPattern& pattern);

// The printable ASCII character shown for `code_point` where the display can show it
// neither from its ROM nor from a pattern: the letter without its mark (A ring: A,
// e acute: e, sharp s: s, ae: a, O stroke: O, euro: E), a plain sign (guillemets: < >,
// dashes: -) or, where nothing plain reads right (pound sign, one half, Greek
// capitals), a blank. Never a backslash or tilde, which A00 lacks.
char PlainStandIn(char32_t code_point);
}  // namespace korv::charset
