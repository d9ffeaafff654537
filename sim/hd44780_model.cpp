#include "sim/hd44780_model.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "display/lcd_bytes.h"

namespace korv::sim {
namespace {
using Kind = DecodedByte::Kind;

constexpr std::uint8_t kBlank = 0x20;
constexpr std::uint8_t kLineLength = 40;       // DDRAM per line in two-line mode
constexpr std::uint8_t kSecondLine = 0x40;
constexpr std::uint8_t kCgramMask = 0x3F;      // eight characters of eight rows
constexpr std::uint8_t kPatternRowMask = 0x1F; // a CGRAM row holds five dots
constexpr std::uint8_t kUserCodes = 0x10;      // 0x00 to 0x0F show user-defined characters

// The commands the pole protocol uses; anything else is decoded but counted unknown.
bool IsProtocolCommand(std::uint8_t command) {
    using namespace lcd;
    if (command & (kSetDdramAddress | kSetCgramAddress)) return true;  // CGRAM: korvpole's own letters
    for (std::size_t i = 1; i < std::size(kBringUp); i += 2)
        if (command == kBringUp[i]) return true;
    return command == kBacklightOn || command == kBacklightOff;
}
}  // namespace

Hd44780Model::Hd44780Model(charset::CharacterRom rom) : rom_(rom) { ddram_.fill(kBlank); }

DecodedByte Hd44780Model::Feed(std::uint8_t byte) {
    ++bytes_received_;
    DecodedByte decoded{Kind::kPrefix, byte, address_};
    if (prefix_pending_) {
        prefix_pending_ = false;
        ++commands_seen_;
        decoded = Command(byte);
        if (!IsProtocolCommand(byte)) ++unknown_commands_;
    } else if (byte == lcd::kCommandPrefix) {
        prefix_pending_ = true;
    } else {
        decoded = Character(byte);
    }
    if (decoded.kind == Kind::kCgramData) return decoded;
    for (int row = 1; row <= kRows; ++row) {
        const int column = decoded.address - lcd::RowStart20x4(row) + 1;
        if (column >= 1 && column <= kColumns) {
            decoded.row = row;
            decoded.column = column;
        }
    }
    return decoded;
}

std::string Hd44780Model::PlaceText(const DecodedByte& decoded) const {
    char text[16];
    const bool cgram = decoded.kind == Kind::kCgramData;
    std::snprintf(text, sizeof text, cgram ? "cgram %02X" : "ddram %02X", decoded.address);
    return text;
}

std::optional<char32_t> Hd44780Model::CharacterOf(std::uint8_t code) const {
    if (code >= kUserCodes) return charset::RomCharacter(rom_, code);
    charset::GlyphPattern pattern{};
    const auto first = cgram_.begin() + code % lcd::kUserCharacters * pattern.size();
    std::copy(first, first + pattern.size(), pattern.begin());
    return charset::LetterOfPattern(pattern).value_or(kNoLetter);
}

DecodedByte Hd44780Model::Command(std::uint8_t command) {
    Kind kind = Kind::kUnknownCommand;  // "no instruction" (0x00)
    if (command & 0x80) {
        address_ = command & 0x7F;
        writing_cgram_ = false;
        kind = Kind::kSetAddress;
    } else if (command & lcd::kSetCgramAddress) {
        cgram_address_ = command & kCgramMask;
        writing_cgram_ = true;
        kind = Kind::kSetCgramAddress;
    } else if (command & 0x20) {
        kind = Kind::kFunctionSet;
    } else if (command & 0x10) {
        if ((command & 0x08) == 0) Step((command & 0x04) ? 1 : -1);  // cursor, not display
        kind = Kind::kCursorShift;
    } else if (command & 0x08) {
        display_on_ = (command & 0x04) != 0;
        kind = Kind::kDisplayControl;
    } else if (command & 0x04) {
        increment_ = (command & 0x02) != 0;
        kind = Kind::kEntryMode;
    } else if (command == lcd::kBacklightOn || command == lcd::kBacklightOff) {
        backlight_on_ = command == lcd::kBacklightOn;
        kind = backlight_on_ ? Kind::kBacklightOn : Kind::kBacklightOff;
    } else if (command == lcd::kClearDisplay) {
        ddram_.fill(kBlank);
        address_ = 0;
        increment_ = true;
        writing_cgram_ = false;
        ++clears_;
        kind = Kind::kClear;
    }
    return {kind, command, address_};
}

DecodedByte Hd44780Model::Character(std::uint8_t byte) {
    if (!writing_cgram_) {
        const DecodedByte decoded{Kind::kCharacter, byte, address_};
        ddram_[address_] = byte;
        Step(increment_ ? 1 : -1);
        return decoded;
    }
    DecodedByte decoded{Kind::kCgramData, byte, cgram_address_};
    cgram_[cgram_address_] = byte & kPatternRowMask;
    const std::size_t rows = charset::GlyphPattern().size();
    if (cgram_address_ % rows == rows - 1)
        decoded.letter = CharacterOf(static_cast<std::uint8_t>(cgram_address_ / rows)).value_or(kNoLetter);
    cgram_address_ = static_cast<std::uint8_t>((cgram_address_ + (increment_ ? 1 : -1)) & kCgramMask);
    return decoded;
}

// DDRAM in two-line mode: 0x00-0x27 and 0x40-0x67, each running into the other.
void Hd44780Model::Step(int direction) {
    int line = address_ & kSecondLine;
    int offset = (address_ & 0x3F) + direction;
    if (offset < 0 || offset >= kLineLength) {
        offset = offset < 0 ? kLineLength - 1 : 0;
        line ^= kSecondLine;
    }
    address_ = static_cast<std::uint8_t>(line + offset);
}

std::string Hd44780Model::Row(int row) const {
    if (row < 1 || row > kRows) return std::string();
    const auto start = ddram_.begin() + lcd::RowStart20x4(row);
    return std::string(start, start + kColumns);
}
}  // namespace korv::sim
