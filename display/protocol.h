#pragma once

#include <cstdint>

// The 4x20 LCD's byte protocol: characters travel as plain bytes; every controller
// instruction and backlight command travels as the prefix followed by one command byte.
// The other kinds of display, and the tables the driver sends by: display_kinds.h.
namespace korv::protocol {

inline constexpr std::uint8_t kCommandPrefix = 0xFE;

// HD44780 instructions as the driver sends them.
inline constexpr std::uint8_t kClearDisplay = 0x01;
inline constexpr std::uint8_t kEntryModeIncrement = 0x06;        // no display shift
inline constexpr std::uint8_t kDisplayOnCursorOff = 0x0C;        // blinking off too
inline constexpr std::uint8_t kCursorLeft = 0x10;
inline constexpr std::uint8_t kFunctionSet8Bit = 0x30;
inline constexpr std::uint8_t kFunctionSet8Bit2Lines5x8 = 0x38;
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

// The bring-up sequence, each byte sent as a command.
inline constexpr std::uint8_t kInitialisation[] = {
    kFunctionSet8Bit, kFunctionSet8Bit, kFunctionSet8Bit, kFunctionSet8Bit2Lines5x8,
    kEntryModeIncrement, kCursorLeft, kDisplayOnCursorOff, kClearDisplay,
};

inline constexpr int kBaudRate = 9600;
inline constexpr int kRows = 4;
inline constexpr int kColumns = 20;

}  // namespace korv::protocol
