#include "sim/hd44780_model.h"

#include "display/protocol.h"

namespace korv::sim {

namespace {

constexpr std::uint8_t kBlank = 0x20;
constexpr std::uint8_t kLineLength = 40;       // DDRAM per line in two-line mode
constexpr std::uint8_t kSecondLine = 0x40;

// The commands the pole protocol uses; anything else is decoded but counted unknown.
bool IsProtocolCommand(std::uint8_t command) {
    using namespace protocol;
    if (command & kSetDdramAddress) return true;
    for (std::uint8_t known : kInitialisation)
        if (command == known) return true;
    return command == kBacklightOn || command == kBacklightOff;
}

}  // namespace

const char* KindName(DecodedByte::Kind kind) {
    switch (kind) {
        case DecodedByte::Kind::kPrefix: return "prefix";
        case DecodedByte::Kind::kCharacter: return "character";
        case DecodedByte::Kind::kClear: return "clear";
        case DecodedByte::Kind::kSetAddress: return "set-address";
        case DecodedByte::Kind::kBacklightOn: return "backlight-on";
        case DecodedByte::Kind::kBacklightOff: return "backlight-off";
        case DecodedByte::Kind::kFunctionSet: return "function-set";
        case DecodedByte::Kind::kEntryMode: return "entry-mode";
        case DecodedByte::Kind::kDisplayControl: return "display-control";
        case DecodedByte::Kind::kCursorShift: return "cursor-shift";
        case DecodedByte::Kind::kSetCgramAddress: return "set-cgram-address";
        case DecodedByte::Kind::kCgramData: return "cgram-data";
        case DecodedByte::Kind::kUnknownCommand: return "unknown-command";
    }
    return "?";
}

Hd44780Model::Hd44780Model() { ddram_.fill(kBlank); }

DecodedByte Hd44780Model::Feed(std::uint8_t byte) {
    ++bytes_received_;
    if (prefix_pending_) {
        prefix_pending_ = false;
        ++commands_seen_;
        DecodedByte decoded = Command(byte);
        if (!IsProtocolCommand(byte)) {
            ++unknown_commands_;
            if (decoded.kind == DecodedByte::Kind::kCharacter)
                decoded.kind = DecodedByte::Kind::kUnknownCommand;
        }
        return decoded;
    }
    if (byte == protocol::kCommandPrefix) {
        prefix_pending_ = true;
        return {DecodedByte::Kind::kPrefix, byte, address_};
    }
    return Character(byte);
}

void Hd44780Model::Feed(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) Feed(data[i]);
}

void Hd44780Model::Feed(const std::string& bytes) {
    Feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

DecodedByte Hd44780Model::Command(std::uint8_t command) {
    using Kind = DecodedByte::Kind;
    Kind kind = Kind::kCharacter;  // stands for "no instruction" (0x00)
    if (command & 0x80) {
        address_ = command & 0x7F;
        writing_cgram_ = false;
        kind = Kind::kSetAddress;
    } else if (command & 0x40) {
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
    } else if (command == protocol::kBacklightOn) {
        backlight_on_ = true;
        kind = Kind::kBacklightOn;
    } else if (command == protocol::kBacklightOff) {
        backlight_on_ = false;
        kind = Kind::kBacklightOff;
    } else if (command == protocol::kClearDisplay) {
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
    if (writing_cgram_) return {DecodedByte::Kind::kCgramData, byte, address_};
    const DecodedByte decoded{DecodedByte::Kind::kCharacter, byte, address_};
    ddram_[address_] = byte;
    Step(increment_ ? 1 : -1);
    return decoded;
}

// DDRAM in two-line mode: 0x00-0x27 and 0x40-0x67, each running into the other.
void Hd44780Model::Step(int direction) {
    const bool second = address_ >= kSecondLine;
    int offset = (address_ & 0x3F) + direction;
    bool switch_line = false;
    if (offset >= kLineLength) {
        offset = 0;
        switch_line = true;
    } else if (offset < 0) {
        offset = kLineLength - 1;
        switch_line = true;
    }
    const bool next_second = switch_line ? !second : second;
    address_ = static_cast<std::uint8_t>((next_second ? kSecondLine : 0) + offset);
}

std::string Hd44780Model::Row(int row) const {
    if (row < 1 || row > kRows) return std::string();
    const std::uint8_t start = protocol::RowStart20x4(row);
    return std::string(ddram_.begin() + start, ddram_.begin() + start + kColumns);
}

std::array<std::string, Hd44780Model::kRows> Hd44780Model::Screen() const {
    return {Row(1), Row(2), Row(3), Row(4)};
}

std::string Hd44780Model::VisibleRow(int row) const {
    return display_on_ ? Row(row) : std::string(kColumns, ' ');
}

}  // namespace korv::sim
