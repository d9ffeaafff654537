#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "display/display_geometry.h"

// What the display shows of a text written into a row: the driver sends by these rules,
// and the tools that show the rows go by them too.
namespace korv {
// The row of a display `rows` high that shows drawn row `drawn_row`; 0 for none.
inline int DisplayRowOf(int drawn_row, int rows, const std::array<int, 2>& shown_rows) {
    if (rows >= kDrawnRows) return drawn_row;
    const int shown = rows < 2 ? rows : 2;
    for (int i = 0; i < shown; ++i)
        if (shown_rows[static_cast<std::size_t>(i)] == drawn_row) return i + 1;
    return 0;
}

// How many of `length` bytes fit from 1-based `column` to the end of a `columns` row.
inline int FittingLength(int length, int column, int columns) {
    return std::max(0, std::min(length, columns - column + 1));
}

// Bytes 0x20 to 0x7E show as their ASCII characters; the display draws any other byte
// from a character set of its own.
inline constexpr std::uint8_t kFirstPrintable = 0x20;  // the blank
inline constexpr std::uint8_t kLastPrintable = 0x7E;   // '~'
inline bool IsPrintable(std::uint8_t byte) { return byte >= kFirstPrintable && byte <= kLastPrintable; }
}  // namespace korv
