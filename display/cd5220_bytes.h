#pragma once

#include <cstdint>

// The CD5220 commands korvpole sends.
namespace korv::cd5220 {
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kBringUp[] = {
    kEsc, '@',       // initialise
    kEsc, 0x11,      // overwrite mode (ESC DC1)
    kEsc, '_', 0x00, // cursor off
};
inline constexpr std::uint8_t kClear[] = {0x0C};  // CLR
inline constexpr std::uint8_t kCursorTo[] = {kEsc, 'l'};  // then column 1-20, row 1-2
inline constexpr std::uint8_t kBrightest[] = {kEsc, '*', 4};
inline constexpr std::uint8_t kDimmest[] = {kEsc, '*', 1};
// Its lists offer no command for a code table: its switches choose one (table =).
}  // namespace korv::cd5220
