#pragma once

#include <cstdint>

// The 4x20 LCD's bytes: characters travel as plain bytes, every HD44780 instruction and
// backlight command as the prefix followed by one command byte.
namespace korv::lcd {
inline constexpr int kRows = 4;
inline constexpr int kColumns = 20;

inline constexpr std::uint8_t kCommandPrefix = 0xFE;

inline constexpr std::uint8_t kClearDisplay = 0x01;
inline constexpr std::uint8_t kEntryModeIncrement = 0x06;        // no display shift
inline constexpr std::uint8_t kDisplayOnCursorOff = 0x0C;        // blinking off too
inline constexpr std::uint8_t kCursorLeft = 0x10;
inline constexpr std::uint8_t kFunctionSet8Bit = 0x30;
inline constexpr std::uint8_t kFunctionSet8Bit2Lines5x8 = 0x38;
inline constexpr std::uint8_t kSetCgramAddress = 0x40;           // plus 8 x the character
inline constexpr std::uint8_t kSetDdramAddress = 0x80;           // plus the address

// The display's own commands; on a bare HD44780 both would be "return home".
inline constexpr std::uint8_t kBacklightOff = 0x02;
inline constexpr std::uint8_t kBacklightOn = 0x03;

// Cursor address byte of column 1 in rows 1 to 4.
inline constexpr std::uint8_t kRowBase20x4[4] = {0x80, 0xC0, 0x94, 0xD4};
inline constexpr std::uint8_t kRowBase16x4[4] = {0x80, 0xC0, 0x90, 0xD0};
// The display-data address where row 1 to 4 of a 20x4 display begins.
inline constexpr std::uint8_t RowStart20x4(int row) {
    return static_cast<std::uint8_t>(kRowBase20x4[row - 1] - kSetDdramAddress);
}

inline constexpr std::uint8_t kBringUp[] = {
    kCommandPrefix, kFunctionSet8Bit,    kCommandPrefix, kFunctionSet8Bit,
    kCommandPrefix, kFunctionSet8Bit,    kCommandPrefix, kFunctionSet8Bit2Lines5x8,
    kCommandPrefix, kEntryModeIncrement, kCommandPrefix, kCursorLeft,
    kCommandPrefix, kDisplayOnCursorOff, kCommandPrefix, kClearDisplay,
};
inline constexpr std::uint8_t kClear[] = {kCommandPrefix, kClearDisplay};
inline constexpr std::uint8_t kLightOn[] = {kCommandPrefix, kBacklightOn};
inline constexpr std::uint8_t kLightOff[] = {kCommandPrefix, kBacklightOff};

// The eight user-defined characters: codes 0x08 to 0x0F show them (as do 0x00 to 0x07,
// but 0x00 ends a text line).
inline constexpr int kUserCharacters = 8;
inline constexpr std::uint8_t kFirstUserCode = 0x08;
}  // namespace korv::lcd
