#include "sim/customer_display_model.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace korv::sim {
// The cursor moves from kLeft to kBottom in the order of the CD5220 set's ESC [ letters.
enum class CustomerDisplayModel::Action : std::uint8_t {
    kInitialise, kClear, kClearLine, kCursorTo, kLeft, kRight, kUp, kDown, kHome,
    kLineStart, kLineEnd, kBottom, kOverwrite, kVerticalScroll, kHorizontalScroll,
    kCursorDisplay, kBrightness, kBracketMove, kCodeTable, kOther,
};

// `lead` 0: a control byte alone, `code` being the byte. `sets`: the sets that have it.
struct CustomerDisplayModel::Command {
    std::uint8_t sets;
    std::uint8_t lead;
    std::uint8_t code;
    std::uint8_t parameters;
    Action action;
};

namespace {
using Action = CustomerDisplayModel::Action;
using Kind = DecodedByte::Kind;

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kUs = 0x1F;
constexpr std::uint8_t kEscpos = 1, kCd5220 = 2, kBoth = kEscpos | kCd5220;

const CustomerDisplayModel::Command kCommands[] = {
    {kBoth, 0, 0x08, 0, Action::kLeft},      {kBoth, 0, 0x09, 0, Action::kRight},
    {kBoth, 0, 0x0A, 0, Action::kDown},      {kBoth, 0, 0x0B, 0, Action::kHome},
    {kBoth, 0, 0x0C, 0, Action::kClear},     {kBoth, 0, 0x0D, 0, Action::kLineStart},
    {kBoth, 0, 0x18, 0, Action::kClearLine}, {kBoth, kEsc, '@', 0, Action::kInitialise},
    // Peripheral device; a user-defined character cancelled; user-defined characters on or off.
    {kBoth, kEsc, '=', 1, Action::kOther}, {kBoth, kEsc, '?', 1, Action::kOther}, {kBoth, kEsc, '%', 1, Action::kOther},

    {kEscpos, kEsc, 't', 1, Action::kCodeTable},      {kEscpos, kUs, 0x01, 0, Action::kOverwrite},
    {kEscpos, kUs, 0x02, 0, Action::kVerticalScroll}, {kEscpos, kUs, 0x03, 0, Action::kHorizontalScroll},
    {kEscpos, kUs, 0x0A, 0, Action::kUp},             {kEscpos, kUs, 0x0D, 0, Action::kLineEnd},
    {kEscpos, kUs, 'B', 0, Action::kBottom},          {kEscpos, kUs, '$', 2, Action::kCursorTo},
    {kEscpos, kUs, 'C', 1, Action::kCursorDisplay},   {kEscpos, kUs, 'X', 1, Action::kBrightness},
    // International character set; blink; reverse characters; period, comma and semicolon
    // display; annunciator; self-test.
    {kEscpos, kEsc, 'R', 1, Action::kOther}, {kEscpos, kUs, 'E', 1, Action::kOther},
    {kEscpos, kUs, 'r', 1, Action::kOther},  {kEscpos, kUs, '.', 1, Action::kOther},
    {kEscpos, kUs, ',', 1, Action::kOther},  {kEscpos, kUs, ';', 1, Action::kOther},
    {kEscpos, kUs, '#', 2, Action::kOther},  {kEscpos, kUs, '@', 0, Action::kOther},

    {kCd5220, kEsc, 0x11, 0, Action::kOverwrite},        {kCd5220, kEsc, 0x12, 0, Action::kVerticalScroll},
    {kCd5220, kEsc, 0x13, 0, Action::kHorizontalScroll}, {kCd5220, kEsc, 'l', 2, Action::kCursorTo},
    {kCd5220, kEsc, '*', 1, Action::kBrightness},        {kCd5220, kEsc, '_', 1, Action::kCursorDisplay},
    {kCd5220, kEsc, '[', 1, Action::kBracketMove},
    // Horizontal scroll window; international font set; ASCII or JIS; user-defined
    // characters stored, loaded.
    {kCd5220, kEsc, 'W', 4, Action::kOther}, {kCd5220, kEsc, 'f', 1, Action::kOther},
    {kCd5220, kEsc, 'c', 1, Action::kOther}, {kCd5220, kEsc, 's', 1, Action::kOther},
    {kCd5220, kEsc, 'd', 1, Action::kOther},
};

// The set bit of a display kind's table entries.
std::uint8_t SetOf(const DisplayProtocol& protocol) {
    return protocol.kind == DisplayKind::kEscpos ? kEscpos : kCd5220;
}
}  // namespace

CustomerDisplayModel::CustomerDisplayModel(DisplayKind kind, charset::CodePage table)
    : protocol_(ProtocolOf(kind)), power_on_table_(table) {
    Reset();
}

const CustomerDisplayModel::Command* CustomerDisplayModel::Find(std::uint8_t lead, std::uint8_t code) const {
    for (const Command& command : kCommands)
        if ((command.sets & SetOf(protocol_)) && command.lead == lead && command.code == code) return &command;
    return nullptr;
}

bool CustomerDisplayModel::IsLead(std::uint8_t byte) const {
    for (const Command& command : kCommands)
        if (byte != 0 && (command.sets & SetOf(protocol_)) && command.lead == byte) return true;
    return false;
}

DecodedByte CustomerDisplayModel::Decoded(Kind kind, std::uint8_t byte) const {
    return {kind, byte, static_cast<std::uint8_t>((row_ - 1) * kColumns + column_ - 1), row_, column_};
}

DecodedByte CustomerDisplayModel::Feed(std::uint8_t byte) {
    ++bytes_received_;
    if (pending_ != nullptr) {
        parameters_[parameters_seen_++] = byte;
        if (parameters_seen_ < pending_->parameters) return Decoded(Kind::kParameter, byte);
        return Execute(std::exchange(pending_, nullptr)->action, byte);
    }
    if (lead_ == 0 && IsLead(byte)) {
        lead_ = byte;
        return Decoded(Kind::kPrefix, byte);
    }
    if (lead_ == 0 && byte >= 0x20) return Character(byte);
    const Command* command = Find(std::exchange(lead_, 0), byte);
    if (command == nullptr) {
        ++commands_seen_;
        ++unknown_commands_;
        return Decoded(Kind::kUnknownCommand, byte);
    }
    if (command->parameters == 0) return Execute(command->action, byte);
    pending_ = command;
    parameters_seen_ = 0;
    return Decoded(Kind::kParameter, byte);
}

DecodedByte CustomerDisplayModel::Execute(Action action, std::uint8_t byte) {
    ++commands_seen_;
    if (action == Action::kBracketMove) {
        // ESC [ and a letter: a cursor move of the CD5220 set.
        const std::size_t move = std::string_view("DCABHLRK").find(static_cast<char>(parameters_[0]));
        action = move == std::string_view::npos ? Action::kOther
                                                : static_cast<Action>(static_cast<std::size_t>(Action::kLeft) + move);
    }
    if (action != Action::kOther && action != Action::kCodeTable) held_at_end_ = false;
    switch (action) {
        case Action::kInitialise:
            Reset();
            ++clears_;
            return Decoded(Kind::kInitialise, byte);
        case Action::kClear:
            rows_.fill(std::string(kColumns, ' '));
            row_ = column_ = 1;
            ++clears_;
            return Decoded(Kind::kClear, byte);
        case Action::kClearLine:
            Blank(row_);
            column_ = 1;
            return Decoded(Kind::kClearLine, byte);
        case Action::kCursorTo:
            // A place off the display is ignored, as the references say.
            if (parameters_[0] >= 1 && parameters_[0] <= kColumns && parameters_[1] >= 1 && parameters_[1] <= kRows) {
                column_ = parameters_[0];
                row_ = parameters_[1];
            }
            return Decoded(Kind::kSetAddress, byte);
        case Action::kLeft: Back(); break;
        case Action::kRight: Advance(); break;
        case Action::kUp: LineUp(); break;
        case Action::kDown: LineDown(); break;
        case Action::kHome: row_ = column_ = 1; break;
        case Action::kLineStart: column_ = 1; break;
        case Action::kLineEnd: column_ = kColumns; break;
        case Action::kBottom:
            row_ = kRows;
            column_ = kColumns;
            break;
        case Action::kOverwrite:
        case Action::kVerticalScroll:
        case Action::kHorizontalScroll:
            mode_ = action == Action::kOverwrite        ? Mode::kOverwrite
                    : action == Action::kVerticalScroll ? Mode::kVerticalScroll
                                                        : Mode::kHorizontalScroll;
            return Decoded(Kind::kScreenMode, byte);
        case Action::kCursorDisplay:
            if (parameters_[0] <= 1) cursor_shown_ = parameters_[0] == 1;
            return Decoded(Kind::kDisplayControl, byte);
        case Action::kBrightness:
            if (parameters_[0] >= 1 && parameters_[0] <= kBrightest) brightness_ = parameters_[0];
            return Decoded(Kind::kBrightness, byte);
        case Action::kCodeTable:
            table_ = CodeTablePage(protocol_, parameters_[0]);
            return Decoded(Kind::kOtherCommand, byte);
        case Action::kBracketMove:
        case Action::kOther:
            return Decoded(Kind::kOtherCommand, byte);
    }
    return Decoded(Kind::kCursorShift, byte);
}

DecodedByte CustomerDisplayModel::Character(std::uint8_t byte) {
    std::string& line = rows_[row_ - 1];
    if (std::exchange(held_at_end_, false)) line = line.substr(1) + ' ';
    line[column_ - 1] = static_cast<char>(byte);
    DecodedByte decoded = Decoded(Kind::kCharacter, byte);
    held_at_end_ = column_ == kColumns && mode_ == Mode::kHorizontalScroll;
    if (Advance()) decoded.row = 1;  // its line moved up
    return decoded;
}

void CustomerDisplayModel::Reset() {
    rows_.fill(std::string(kColumns, ' '));
    row_ = column_ = 1;
    held_at_end_ = false;
    brightness_ = kBrightest;
    cursor_shown_ = true;
    mode_ = Mode::kOverwrite;
    table_ = power_on_table_;
}

bool CustomerDisplayModel::Advance() {
    if (column_ < kColumns || mode_ == Mode::kHorizontalScroll) {
        column_ = std::min(column_ + 1, kColumns);
        return false;
    }
    column_ = 1;
    const bool scroll = row_ == 2 && mode_ == Mode::kVerticalScroll;
    if (scroll) ScrollUp();
    else row_ = row_ == 1 ? 2 : 1;
    return scroll;
}

void CustomerDisplayModel::Back() {
    if (column_ > 1) {
        --column_;
    } else if (mode_ == Mode::kOverwrite) {
        column_ = kColumns;
        row_ = row_ == 1 ? 2 : 1;
    }
}

void CustomerDisplayModel::LineUp() {
    if (row_ == 2) row_ = 1;
    else if (mode_ == Mode::kOverwrite) row_ = 2;
    else if (mode_ == Mode::kVerticalScroll) {
        rows_[1] = rows_[0];
        Blank(1);
    }
}

void CustomerDisplayModel::LineDown() {
    if (row_ == 1) row_ = 2;
    else if (mode_ == Mode::kOverwrite) row_ = 1;
    else if (mode_ == Mode::kVerticalScroll) ScrollUp();
}

std::optional<char32_t> CustomerDisplayModel::CharacterOf(std::uint8_t code) const {
    if (code < 0x20 || code == kDelete || (code >= 0x80 && !table_)) return std::nullopt;
    return code < 0x80 ? code : charset::CodePointOf(*table_, code);
}

std::string CustomerDisplayModel::LightText() const {
    return "brightness " + std::to_string(brightness_) + " of " + std::to_string(kBrightest);
}

std::string CustomerDisplayModel::PlaceText(const DecodedByte& decoded) const {
    return "cursor " + std::to_string(decoded.row) + "," + std::to_string(decoded.column);
}
}  // namespace korv::sim
