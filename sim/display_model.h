#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/display_geometry.h"
#include "display/display_kinds.h"
#include "display/lcd_characters.h"

namespace korv::sim {
// What one received byte did to the display, for logs and analysers.
struct DecodedByte {
    enum class Kind {
        kPrefix,          // the first byte of a command: the next ones belong to it
        kParameter,       // a byte of a command that is not complete yet
        kCharacter,       // written at `row` and `column`
        kClear, kClearLine,
        kSetAddress,      // cursor moved to a place named in the command
        kBacklightOn, kBacklightOff, kBrightness, kInitialise,
        kScreenMode,      // overwrite, vertical or horizontal scroll
        kFunctionSet, kEntryMode,
        kDisplayControl,  // display, cursor or blinking on or off
        kCursorShift,     // cursor moved by a step or to an edge
        kSetCgramAddress,
        kCgramData,       // a character byte that went to CGRAM, not the screen
        kOtherCommand,    // a command of the set that changes nothing shown here
        kUnknownCommand,
    };
    Kind kind = Kind::kCharacter;
    std::uint8_t byte = 0;
    std::uint8_t address = 0;  // HD44780: DDRAM address after the byte took effect
    // Where the cursor stands after the byte, or for a character where it was written;
    // 1-based, 0 when off the panel.
    int row = 0;
    int column = 0;
    // kCgramData that completes a user-defined character: the letter its pattern
    // shows, or kNoLetter.
    char32_t letter = 0;
};

// What a customer reads where a display shows no character korvpole knows.
inline constexpr char32_t kNoLetter = 0x2588;  // a full block
inline constexpr char kUnreadable = '?';

const char* KindName(DecodedByte::Kind kind);

// A pole display as it decodes the bytes of its serial line; one model per kind.
class DisplayModel {
public:
    virtual ~DisplayModel() = default;

    virtual DecodedByte Feed(std::uint8_t byte) = 0;
    void Feed(const std::string& bytes);

    virtual int Rows() const = 0;
    int Columns() const { return 20; }
    // Row 1 to Rows() as the display holds it, Columns() bytes; "" for another row.
    virtual std::string Row(int row) const = 0;
    std::vector<std::string> Screen() const;
    // The character a customer reads at the code `code`; none where it reads as none.
    virtual std::optional<char32_t> CharacterOf(std::uint8_t code) const = 0;
    // Row(row) as a customer reads it, in UTF-8; kUnreadable where no character is.
    std::string Reading(int row) const;
    std::vector<std::string> Readings() const;
    // The row as a customer sees it: blank while the display is switched off.
    std::string VisibleRow(int row) const { return DisplayOn() ? Row(row) : std::string(Columns(), ' '); }
    // The backlight is on, or the display at its brightest.
    virtual bool BacklightOn() const = 0;
    // "backlight ON", "backlight off", "brightness 3 of 4".
    virtual std::string LightText() const = 0;
    virtual bool DisplayOn() const { return true; }
    // Where a decoded byte left the cursor, in the display's own terms, for the log.
    virtual std::string PlaceText(const DecodedByte& decoded) const = 0;

    std::uint64_t BytesReceived() const { return bytes_received_; }
    std::uint64_t CommandsSeen() const { return commands_seen_; }
    std::uint64_t UnknownCommands() const { return unknown_commands_; }
    std::uint64_t Clears() const { return clears_; }

protected:
    std::uint64_t bytes_received_ = 0;
    std::uint64_t commands_seen_ = 0;
    std::uint64_t unknown_commands_ = 0;
    std::uint64_t clears_ = 0;
};

// `rom`: an HD44780's character ROM; `table`: a 2x20 display's code table at power-on.
std::unique_ptr<DisplayModel> MakeDisplayModel(DisplayKind kind, charset::CharacterRom rom = charset::CharacterRom::kA00,
                                               charset::CodePage table = charset::CodePage::kCp437);
}  // namespace korv::sim
