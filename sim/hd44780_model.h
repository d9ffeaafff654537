#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace korv::sim {

// What one received byte did to the display, for logs and analysers.
struct DecodedByte {
    enum class Kind {
        kPrefix,         // 0xFE: the next byte is a command
        kCharacter,      // written at `address`
        kClear,
        kSetAddress,     // cursor moved to `address`
        kBacklightOn,
        kBacklightOff,
        kFunctionSet,
        kEntryMode,
        kDisplayControl,
        kCursorShift,
        kSetCgramAddress,
        kCgramData,      // a character byte that went to CGRAM, not the screen
        kUnknownCommand,
    };
    Kind kind = Kind::kCharacter;
    std::uint8_t byte = 0;
    std::uint8_t address = 0;  // DDRAM address after the byte took effect
};

const char* KindName(DecodedByte::Kind kind);

// A 4x20 character display with an HD44780-compatible controller and a switchable
// backlight, as it decodes the bytes that arrive on its serial line: characters as
// plain bytes, commands behind the prefix 0xFE. Rows start at DDRAM addresses 0x00,
// 0x40, 0x14 and 0x54.
class Hd44780Model {
public:
    static constexpr int kRows = 4;
    static constexpr int kColumns = 20;

    Hd44780Model();

    DecodedByte Feed(std::uint8_t byte);
    void Feed(const std::uint8_t* data, std::size_t size);
    void Feed(const std::string& bytes);

    // Row 1 to 4 as the DDRAM holds it, kColumns bytes; blanks after a clear.
    std::string Row(int row) const;
    std::array<std::string, kRows> Screen() const;
    // The screen as a customer sees it: all blank while the display is switched off.
    std::string VisibleRow(int row) const;

    bool BacklightOn() const { return backlight_on_; }
    bool DisplayOn() const { return display_on_; }
    std::uint8_t Address() const { return address_; }

    std::uint64_t BytesReceived() const { return bytes_received_; }
    std::uint64_t CommandsSeen() const { return commands_seen_; }
    std::uint64_t UnknownCommands() const { return unknown_commands_; }
    std::uint64_t Clears() const { return clears_; }

private:
    DecodedByte Command(std::uint8_t command);
    DecodedByte Character(std::uint8_t byte);
    void Step(int direction);

    std::array<std::uint8_t, 128> ddram_{};
    std::uint8_t address_ = 0;
    bool prefix_pending_ = false;
    bool backlight_on_ = false;
    bool display_on_ = true;  // the display's own board switches it on at power-up
    bool increment_ = true;
    bool writing_cgram_ = false;
    std::uint64_t bytes_received_ = 0;
    std::uint64_t commands_seen_ = 0;
    std::uint64_t unknown_commands_ = 0;
    std::uint64_t clears_ = 0;
};

}  // namespace korv::sim
