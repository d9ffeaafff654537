#pragma once

#include <cstdint>

#include "display/code_pages.h"

// The ESC/POS customer-display commands korvpole sends.
namespace korv::escpos {
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kUs = 0x1F;
inline constexpr std::uint8_t kBringUp[] = {
    kEsc, '@',       // initialise
    kUs, 0x01,       // overwrite mode
    kUs, 'C', 0x00,  // cursor off
};
inline constexpr std::uint8_t kClear[] = {0x0C};  // CLR; the cursor goes home
inline constexpr std::uint8_t kCursorTo[] = {kUs, '$'};  // then column 1-20, row 1-2
inline constexpr std::uint8_t kBrightest[] = {kUs, 'X', 4};
inline constexpr std::uint8_t kDimmest[] = {kUs, 'X', 1};
inline constexpr std::uint8_t kSelectCodeTable[] = {kEsc, 't'};  // then a table number
// The code tables a display of this set numbers so.
inline constexpr charset::CodeTable kCodeTables[] = {
    {charset::CodePage::kCp437, 0},
    {charset::CodePage::kCp850, 2},
    {charset::CodePage::kCp1252, 16},
    {charset::CodePage::kCp858, 19},
};
}  // namespace korv::escpos
