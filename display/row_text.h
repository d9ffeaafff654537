#pragma once

#include <array>
#include <cstdint>

#include "display/display_kinds.h"

// What the display shows of a text written into a row; the driver sends by these
// rules and the record inspector predicts the display by them.
namespace korv {

// The rows of the four korvpole draws that a display of two rows shows, top first,
// unless KORVPOLE.INI names others: the sale's first line and its total.
inline constexpr std::array<int, 2> kDefaultShownRows = {1, 4};

// Bytes of a text `length` long that fit from the 1-based `column` to the end of a row
// `columns` wide; the rest is cut. 0 when none fit.
inline int FittingLength(int length, int column, int columns) {
    const int room = columns - column + 1;
    const int fitting = length > room ? room : length;
    return fitting > 0 ? fitting : 0;
}

// Bytes 0x20 to 0x7E show as their ASCII characters; the display draws any other byte
// from a character set of its own.
inline constexpr std::uint8_t kFirstPrintable = 0x20;  // the blank
inline constexpr std::uint8_t kLastPrintable = 0x7E;   // '~'
inline bool IsPrintable(std::uint8_t byte) { return byte >= kFirstPrintable && byte <= kLastPrintable; }

// The byte the 4x20 LCD gets for a text byte: the command prefix travels as a blank.
inline std::uint8_t ShownByte(std::uint8_t text_byte) {
    return ShownByte(text_byte, ProtocolOf(DisplayKind::kLcd));
}

}  // namespace korv
