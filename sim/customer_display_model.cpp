#include "sim/customer_display_model.h"

#include <cstdio>

namespace korv::sim {

namespace {

using Action = CustomerDisplayModel::Action;
using Command = CustomerDisplayModel::Command;
using Kind = DecodedByte::Kind;

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kUs = 0x1F;

// The control bytes both sets share.
const Command kControls[] = {
    {0, 0x08, 0, Action::kLeft},      {0, 0x09, 0, Action::kRight}, {0, 0x0A, 0, Action::kDown},
    {0, 0x0B, 0, Action::kHome},      {0, 0x0C, 0, Action::kClear},
    {0, 0x0D, 0, Action::kLineStart}, {0, 0x18, 0, Action::kClearLine},
};

const Command kEscposCommands[] = {
    {kEsc, '@', 0, Action::kInitialise},
    {kEsc, 't', 1, Action::kCodeTable},
    {kEsc, 'R', 1, Action::kOther},  // international character set
    {kEsc, '=', 1, Action::kOther},  // peripheral device
    {kEsc, '?', 1, Action::kOther},  // cancel a user-defined character
    {kEsc, '%', 1, Action::kOther},  // user-defined character set on or off
    {kUs, 0x01, 0, Action::kOverwrite},
    {kUs, 0x02, 0, Action::kVerticalScroll},
    {kUs, 0x03, 0, Action::kHorizontalScroll},
    {kUs, 0x0A, 0, Action::kUp},
    {kUs, 0x0D, 0, Action::kLineEnd},
    {kUs, 'B', 0, Action::kBottom},
    {kUs, '$', 2, Action::kCursorTo},
    {kUs, 'C', 1, Action::kCursorDisplay},
    {kUs, 'X', 1, Action::kBrightness},
    {kUs, 'E', 1, Action::kOther},  // blink
    {kUs, 'r', 1, Action::kOther},  // reverse characters
    {kUs, '.', 1, Action::kOther},  // period, comma and semicolon display
    {kUs, ',', 1, Action::kOther},
    {kUs, ';', 1, Action::kOther},
    {kUs, '#', 2, Action::kOther},  // annunciator
    {kUs, '@', 0, Action::kOther},  // self-test
};

const Command kCd5220Commands[] = {
    {kEsc, '@', 0, Action::kInitialise},
    {kEsc, 0x11, 0, Action::kOverwrite},
    {kEsc, 0x12, 0, Action::kVerticalScroll},
    {kEsc, 0x13, 0, Action::kHorizontalScroll},
    {kEsc, 'l', 2, Action::kCursorTo},
    {kEsc, '*', 1, Action::kBrightness},
    {kEsc, '_', 1, Action::kCursorDisplay},
    {kEsc, '[', 1, Action::kBracketMove},
    {kEsc, 'W', 4, Action::kOther},  // horizontal scroll window
    {kEsc, '%', 1, Action::kOther},  // download character set on or off
    {kEsc, '?', 1, Action::kOther},  // delete a download character
    {kEsc, 'f', 1, Action::kOther},  // international font set
    {kEsc, 'c', 1, Action::kOther},  // ASCII or JIS
    {kEsc, '=', 1, Action::kOther},  // peripheral device
    {kEsc, 's', 1, Action::kOther},  // store user-defined characters
    {kEsc, 'd', 1, Action::kOther},  // load user-defined characters
};

// ESC [ and a letter: the cursor moves of the CD5220 set.
Action BracketMove(std::uint8_t letter) {
    switch (letter) {
        case 'D': return Action::kLeft;
        case 'C': return Action::kRight;
        case 'A': return Action::kUp;
        case 'B': return Action::kDown;
        case 'H': return Action::kHome;
        case 'L': return Action::kLineStart;
        case 'R': return Action::kLineEnd;
        case 'K': return Action::kBottom;
        default: return Action::kOther;
    }
}

}  // namespace

EscposModel::EscposModel(charset::CodePage table) : CustomerDisplayModel(kEscposCommands, DisplayKind::kEscpos, table) {}
Cd5220Model::Cd5220Model(charset::CodePage table) : CustomerDisplayModel(kCd5220Commands, DisplayKind::kCd5220, table) {}

const Command* CustomerDisplayModel::Find(std::uint8_t lead, std::uint8_t code) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (commands_[i].lead == lead && commands_[i].code == code) return &commands_[i];
    for (const Command& control : kControls)
        if (control.lead == lead && control.code == code) return &control;
    return nullptr;
}

bool CustomerDisplayModel::IsLead(std::uint8_t byte) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (commands_[i].lead == byte) return true;
    return false;
}

DecodedByte CustomerDisplayModel::Decoded(Kind kind, std::uint8_t byte) const {
    DecodedByte decoded{kind, byte, 0, row_, column_};
    decoded.address = static_cast<std::uint8_t>((row_ - 1) * kColumns + column_ - 1);
    return decoded;
}

DecodedByte CustomerDisplayModel::Feed(std::uint8_t byte) {
    ++bytes_received_;
    if (pending_ != nullptr) {
        parameters_[parameters_seen_++] = byte;
        if (parameters_seen_ < pending_->parameters) return Decoded(Kind::kParameter, byte);
        const Command& command = *pending_;
        pending_ = nullptr;
        return Execute(command, parameters_, byte);
    }
    if (lead_ != 0) {
        const Command* command = Find(lead_, byte);
        lead_ = 0;
        if (command == nullptr) {
            ++commands_seen_;
            ++unknown_commands_;
            return Decoded(Kind::kUnknownCommand, byte);
        }
        if (command->parameters == 0) return Execute(*command, nullptr, byte);
        pending_ = command;
        parameters_seen_ = 0;
        return Decoded(Kind::kParameter, byte);
    }
    if (IsLead(byte)) {
        lead_ = byte;
        return Decoded(Kind::kPrefix, byte);
    }
    if (byte < 0x20) {
        const Command* control = Find(0, byte);
        if (control != nullptr) return Execute(*control, nullptr, byte);
        ++commands_seen_;
        ++unknown_commands_;
        return Decoded(Kind::kUnknownCommand, byte);
    }
    return Character(byte);
}

DecodedByte CustomerDisplayModel::Execute(const Command& command, const std::uint8_t* parameters,
                                          std::uint8_t byte) {
    ++commands_seen_;
    Action action = command.action;
    if (action == Action::kBracketMove) action = BracketMove(parameters[0]);
    if (action != Action::kOther && action != Action::kCodeTable) held_at_end_ = false;
    Kind kind = Kind::kCursorShift;
    switch (action) {
        case Action::kInitialise:
            Reset();
            ++clears_;
            kind = Kind::kInitialise;
            break;
        case Action::kClear:
            Blank(1);
            Blank(2);
            row_ = column_ = 1;
            ++clears_;
            kind = Kind::kClear;
            break;
        case Action::kClearLine:
            Blank(row_);
            column_ = 1;
            kind = Kind::kClearLine;
            break;
        case Action::kCursorTo:
            // A place off the display is ignored, as the references say.
            if (parameters[0] >= 1 && parameters[0] <= kColumns && parameters[1] >= 1 &&
                parameters[1] <= kRows) {
                column_ = parameters[0];
                row_ = parameters[1];
            }
            kind = Kind::kSetAddress;
            break;
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
            kind = Kind::kScreenMode;
            break;
        case Action::kCursorDisplay:
            if (parameters[0] <= 1) cursor_shown_ = parameters[0] == 1;
            kind = Kind::kDisplayControl;
            break;
        case Action::kBrightness:
            if (parameters[0] >= 1 && parameters[0] <= kBrightest) brightness_ = parameters[0];
            kind = Kind::kBrightness;
            break;
        case Action::kCodeTable:
            table_ = CodeTablePage(protocol_, parameters[0]);
            kind = Kind::kOtherCommand;
            break;
        case Action::kBracketMove:
        case Action::kOther:
            kind = Kind::kOtherCommand;
            break;
    }
    return Decoded(kind, byte);
}

DecodedByte CustomerDisplayModel::Character(std::uint8_t byte) {
    std::string& line = rows_[row_ - 1];
    if (held_at_end_) {
        line.erase(0, 1);
        line.push_back(' ');
        held_at_end_ = false;
    }
    line[column_ - 1] = static_cast<char>(byte);
    DecodedByte decoded = Decoded(Kind::kCharacter, byte);
    if (column_ == kColumns && mode_ == Mode::kHorizontalScroll) held_at_end_ = true;
    else if (Advance()) decoded.row = 1;  // its line moved up
    return decoded;
}

void CustomerDisplayModel::Reset() {
    Blank(1);
    Blank(2);
    row_ = column_ = 1;
    held_at_end_ = false;
    brightness_ = kBrightest;
    cursor_shown_ = true;
    mode_ = Mode::kOverwrite;
    table_ = power_on_table_;
}

void CustomerDisplayModel::Blank(int row) { rows_[row - 1].assign(kColumns, ' '); }

bool CustomerDisplayModel::Advance() {
    if (column_ < kColumns) {
        ++column_;
        return false;
    }
    if (mode_ == Mode::kHorizontalScroll) return false;
    column_ = 1;
    if (row_ == 1) {
        row_ = 2;
        return false;
    }
    if (mode_ == Mode::kVerticalScroll) {
        ScrollUp();
        return true;
    }
    row_ = 1;
    return false;
}

void CustomerDisplayModel::Back() {
    if (column_ > 1) {
        --column_;
        return;
    }
    if (mode_ != Mode::kOverwrite) return;
    column_ = kColumns;
    row_ = row_ == 1 ? 2 : 1;
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

void CustomerDisplayModel::ScrollUp() {
    rows_[0] = rows_[1];
    Blank(2);
}

std::string CustomerDisplayModel::Row(int row) const {
    if (row < 1 || row > kRows) return std::string();
    return rows_[row - 1];
}

std::optional<char32_t> CustomerDisplayModel::CharacterOf(std::uint8_t code) const {
    if (code < 0x20 || code == kDelete) return std::nullopt;
    if (code < 0x80) return code;
    if (!table_) return std::nullopt;
    return charset::CodePointOf(*table_, code);
}

std::string CustomerDisplayModel::LightText() const {
    return "brightness " + std::to_string(brightness_) + " of " + std::to_string(kBrightest);
}

std::string CustomerDisplayModel::PlaceText(const DecodedByte& decoded) const {
    char text[24];
    std::snprintf(text, sizeof text, "cursor %d,%d", decoded.row, decoded.column);
    return text;
}

}  // namespace korv::sim
