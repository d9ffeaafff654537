#include "platform/console_key_codes.h"

namespace korv::platform {

namespace {

// Which of a key's codes applies: Alt before Ctrl before Shift, as _getch picks.
enum class Column { kPlain, kShift, kCtrl, kAlt };

Column ColumnOf(KeyModifiers modifiers) {
    if (modifiers.alt) return Column::kAlt;
    if (modifiers.ctrl) return Column::kCtrl;
    if (modifiers.shift) return Column::kShift;
    return Column::kPlain;
}

bool IsCursorBlock(int scan_code) {
    switch (scan_code) {
        case scan::kHome:
        case scan::kUp:
        case scan::kPageUp:
        case scan::kLeft:
        case scan::kRight:
        case scan::kEnd:
        case scan::kDown:
        case scan::kPageDown:
        case scan::kInsert:
        case scan::kDelete:
            return true;
        default:
            return false;
    }
}

// Ctrl with a cursor key has a code of its own; PgUp's differs between the grey
// block and the keypad.
std::uint8_t CtrlCodeOfCursorKey(int scan_code, bool enhanced) {
    switch (scan_code) {
        case scan::kHome: return 119;
        case scan::kUp: return 141;
        case scan::kPageUp: return enhanced ? 134 : 132;
        case scan::kLeft: return 115;
        case scan::kRight: return 116;
        case scan::kEnd: return 117;
        case scan::kDown: return 145;
        case scan::kPageDown: return 118;
        case scan::kInsert: return 146;
        default: return 147;  // Delete
    }
}

std::optional<TwoCodeKey> Code(int lead, int code) {
    return TwoCodeKey{static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(code)};
}

// The grey cursor block, keypad Enter and keypad slash.
std::optional<TwoCodeKey> EnhancedKey(int scan_code, Column column) {
    if (IsCursorBlock(scan_code)) {
        switch (column) {
            case Column::kAlt: return Code(kLeadZero, scan_code + 80);
            case Column::kCtrl: return Code(kLeadExtended, CtrlCodeOfCursorKey(scan_code, true));
            default: return Code(kLeadExtended, scan_code);
        }
    }
    if (scan_code == scan::kEnter && column == Column::kAlt) return Code(kLeadZero, 166);
    if (scan_code == 53 && column == Column::kAlt) return Code(kLeadZero, 164);
    if (scan_code == 53 && column == Column::kCtrl) return Code(kLeadZero, 149);
    return std::nullopt;
}

std::optional<TwoCodeKey> FunctionKey(int scan_code, Column column) {
    if (scan_code >= scan::kF1 && scan_code < scan::kF1 + 10) {
        const int offsets[] = {0, 25, 35, 45};  // plain, Shift, Ctrl, Alt
        return Code(kLeadZero, scan_code + offsets[static_cast<int>(column)]);
    }
    if (scan_code == scan::kF11 || scan_code == scan::kF12) {
        const int f11_codes[] = {133, 135, 137, 139};
        return Code(kLeadExtended, f11_codes[static_cast<int>(column)] + (scan_code - scan::kF11));
    }
    return std::nullopt;
}

// The keypad with Num Lock off; with Shift it gives its digits instead.
std::optional<TwoCodeKey> KeypadKey(int scan_code, Column column) {
    if (!IsCursorBlock(scan_code)) return std::nullopt;
    if (column == Column::kPlain) return Code(kLeadZero, scan_code);
    if (column == Column::kCtrl) return Code(kLeadZero, CtrlCodeOfCursorKey(scan_code, false));
    return std::nullopt;
}

// Alt with the keys of the main block: the digit row has codes of its own, the
// other keys their scan code. The modifier keys (29 Ctrl, 42 Shift) and backslash
// (43) have none.
std::optional<TwoCodeKey> AltKey(int scan_code) {
    if (scan_code >= 2 && scan_code <= 13) return Code(kLeadZero, scan_code + 118);
    const bool in_main_block = scan_code >= scan::kEscape && scan_code <= 53;
    if (!in_main_block || scan_code == 29 || scan_code == 42 || scan_code == 43) return std::nullopt;
    return Code(kLeadZero, scan_code);
}

std::optional<TwoCodeKey> MainBlockKey(int scan_code, Column column) {
    if (column == Column::kAlt) return AltKey(scan_code);
    if (scan_code == scan::kTab && column == Column::kShift) return Code(kLeadZero, scan::kTab);
    if (scan_code == scan::kTab && column == Column::kCtrl) return Code(kLeadZero, 148);
    if (scan_code == 3 && column == Column::kCtrl) return Code(kLeadZero, 3);  // Ctrl+2
    return std::nullopt;
}

std::string CodesOf(const TwoCodeKey& key) {
    return std::string{static_cast<char>(key.lead), static_cast<char>(key.code)};
}

}  // namespace

std::optional<TwoCodeKey> TwoCodeKeyFor(int scan_code, bool enhanced, KeyModifiers modifiers) {
    const Column column = ColumnOf(modifiers);
    if (enhanced) return EnhancedKey(scan_code, column);
    if (auto key = FunctionKey(scan_code, column)) return key;
    if (auto key = KeypadKey(scan_code, column)) return key;
    return MainBlockKey(scan_code, column);
}

std::string CodesOfKeyRecord(const KeyRecord& record) {
    if (!record.down) return {};
    const auto key = TwoCodeKeyFor(record.scan_code, record.enhanced, record.modifiers);
    const bool alt_alone = record.modifiers.alt && !record.modifiers.ctrl;
    if (alt_alone && key) return CodesOf(*key);
    if (!record.character.empty()) return record.character;
    if (key) return CodesOf(*key);
    return {};
}

}  // namespace korv::platform
