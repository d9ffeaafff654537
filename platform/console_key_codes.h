#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korv::platform {

// Keys as the program sees them on every platform: the codes a Windows console's
// _getch gives. A key with a character gives its character code; a key without one
// gives two codes, a lead (0 or 224) and the key's own code.

inline constexpr int kLeadZero = 0;
inline constexpr int kLeadExtended = 224;
inline constexpr int kEscapeCode = 27;

struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct TwoCodeKey {
    std::uint8_t lead;
    std::uint8_t code;
    bool operator==(const TwoCodeKey& other) const { return lead == other.lead && code == other.code; }
};

// A key no console reports; what an unrecognised terminal sequence becomes.
inline constexpr TwoCodeKey kUnknownKey{0, 0};

// Scan codes of a PC keyboard (set 1) that have names here.
namespace scan {
inline constexpr int kEscape = 1;
inline constexpr int kBackspace = 14;
inline constexpr int kTab = 15;
inline constexpr int kEnter = 28;
inline constexpr int kF1 = 59;  // F1 to F10 follow on: 59 to 68
inline constexpr int kHome = 71;
inline constexpr int kUp = 72;
inline constexpr int kPageUp = 73;
inline constexpr int kLeft = 75;
inline constexpr int kRight = 77;
inline constexpr int kEnd = 79;
inline constexpr int kDown = 80;
inline constexpr int kPageDown = 81;
inline constexpr int kInsert = 82;
inline constexpr int kDelete = 83;
inline constexpr int kF11 = 87;
inline constexpr int kF12 = 88;
}  // namespace scan

// The two codes of a key without a character, by scan code, held modifiers and whether
// the console flags it enhanced (the grey block beside the letters, as against the
// numeric keypad). Nothing when the key gives no two codes so: a modifier alone, or a
// key whose code is its character.
std::optional<TwoCodeKey> TwoCodeKeyFor(int scan_code, bool enhanced, KeyModifiers modifiers);

// One key record as a Windows console reports it, the character already in the
// console's code page (empty when the record carries none).
struct KeyRecord {
    bool down = false;
    int scan_code = 0;
    bool enhanced = false;
    KeyModifiers modifiers;
    std::string character;
};

// The codes one record gives: none for a release or a modifier alone. As _getch reads
// them, with one change: Alt with a key (Ctrl not held, so not AltGr) always gives the
// key's two codes, so that Alt+X is never the letter X.
std::string CodesOfKeyRecord(const KeyRecord& record);

}  // namespace korv::platform
