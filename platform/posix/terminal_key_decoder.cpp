#include "platform/posix/terminal_key_decoder.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace korv::platform {

namespace {

// Enough for any key a terminal sends; a longer run is taken whole all the same.
constexpr std::size_t kMaxParameters = 16;

struct Key {
    int scan_code;
    bool enhanced;
};

constexpr Key kNoKey{0, false};

TwoCodeKey Encode(Key key, KeyModifiers modifiers = {}) {
    if (key.scan_code == 0) return kUnknownKey;
    const auto codes = TwoCodeKeyFor(key.scan_code, key.enhanced, modifiers);
    return codes ? *codes : kUnknownKey;
}

Key CursorKey(std::uint8_t final_byte) {
    switch (final_byte) {
        case 'A': return {scan::kUp, true};
        case 'B': return {scan::kDown, true};
        case 'C': return {scan::kRight, true};
        case 'D': return {scan::kLeft, true};
        case 'H': return {scan::kHome, true};
        case 'F': return {scan::kEnd, true};
        default: return kNoKey;
    }
}

Key FunctionKey(int number) { return {scan::kF1 + number - 1, false}; }

// ESC O x: cursor keys in application mode, F1 to F4.
Key Ss3Key(std::uint8_t final_byte) {
    if (final_byte >= 'P' && final_byte <= 'S') return FunctionKey(final_byte - 'P' + 1);
    return CursorKey(final_byte);
}

// ESC [ n ~, as VT220-style terminals and the Linux console send them.
Key TildeKey(int number) {
    switch (number) {
        case 1:
        case 7: return {scan::kHome, true};
        case 2: return {scan::kInsert, true};
        case 3: return {scan::kDelete, true};
        case 4:
        case 8: return {scan::kEnd, true};
        case 5: return {scan::kPageUp, true};
        case 6: return {scan::kPageDown, true};
        case 23: return {scan::kF11, false};
        case 24: return {scan::kF12, false};
        default: break;
    }
    if (number >= 11 && number <= 15) return FunctionKey(number - 10);
    if (number >= 17 && number <= 21) return FunctionKey(number - 11);
    return kNoKey;
}

// xterm's modifier parameter: 1 plus Shift 1, Alt 2, Ctrl 4, Meta 8.
KeyModifiers ModifiersOf(int parameter) {
    const int bits = parameter > 1 ? parameter - 1 : 0;
    KeyModifiers modifiers;
    modifiers.shift = (bits & 1) != 0;
    modifiers.alt = (bits & (2 | 8)) != 0;
    modifiers.ctrl = (bits & 4) != 0;
    return modifiers;
}

// "n;m" into its numbers; false for anything but digits and semicolons.
bool ParseParameters(const std::string& parameters, std::vector<int>& numbers) {
    if (parameters.find_first_not_of("0123456789;") != std::string::npos) return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = parameters.find(';', start);
        numbers.push_back(std::atoi(parameters.substr(start, end - start).c_str()));
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

TwoCodeKey DecodeControlSequence(const std::string& parameters, std::uint8_t final_byte) {
    std::vector<int> numbers;
    if (!ParseParameters(parameters, numbers)) return kUnknownKey;
    const KeyModifiers modifiers = ModifiersOf(numbers.size() > 1 ? numbers[1] : 1);
    if (final_byte == '~') return Encode(TildeKey(numbers[0]), modifiers);
    if (final_byte == 'Z') return Encode({scan::kTab, false}, KeyModifiers{true, false, false});
    if (final_byte >= 'P' && final_byte <= 'S') return Encode(Ss3Key(final_byte), modifiers);
    return Encode(CursorKey(final_byte), modifiers);
}

TwoCodeKey DecodeSs3(std::uint8_t final_byte) { return Encode(Ss3Key(final_byte)); }

// ESC [ [ A to E: F1 to F5 on the Linux console.
TwoCodeKey DecodeLinuxFunctionKey(std::uint8_t final_byte) {
    if (final_byte >= 'A' && final_byte <= 'E') return Encode(FunctionKey(final_byte - 'A' + 1));
    return kUnknownKey;
}

// The keys of a US keyboard's main block by row: the first key's scan code, then the
// characters of the row's keys without and with Shift.
struct KeyboardRow {
    int first_scan_code;
    const char* plain;
    const char* shifted;
};

constexpr KeyboardRow kKeyboardRows[] = {
    {2, "1234567890-=", "!@#$%^&*()_+"},
    {16, "qwertyuiop[]", "QWERTYUIOP{}"},
    {30, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
    {43, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
};

// The key that types `byte` on a US keyboard, by its scan code; 0 for none.
int ScanCodeOfCharacter(std::uint8_t byte) {
    if (byte == '\r' || byte == '\n') return scan::kEnter;
    if (byte == '\t') return scan::kTab;
    if (byte == 0x7F || byte == 0x08) return scan::kBackspace;
    if (byte == 0 || byte >= 0x80) return 0;
    for (const KeyboardRow& row : kKeyboardRows) {
        for (const char* keys : {row.plain, row.shifted}) {
            const char* found = std::strchr(keys, byte);
            if (found != nullptr) return row.first_scan_code + static_cast<int>(found - keys);
        }
    }
    return 0;
}

TwoCodeKey AltKey(std::uint8_t byte) {
    KeyModifiers alt;
    alt.alt = true;
    return Encode({ScanCodeOfCharacter(byte), false}, alt);
}

bool IsPrintable(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; }

}  // namespace

void TerminalKeyDecoder::Emit(TwoCodeKey key) {
    Emit(key.lead);
    Emit(key.code);
}

int TerminalKeyDecoder::TakeCode() {
    const int code = codes_.front();
    codes_.pop_front();
    return code;
}

void TerminalKeyDecoder::Feed(std::uint8_t byte) {
    switch (state_) {
        case State::kIdle:
            FeedIdle(byte);
            break;
        case State::kAfterLead:
            Emit(lead_);
            Emit(byte);
            state_ = State::kIdle;
            break;
        case State::kAfterEscape:
            FeedAfterEscape(byte);
            break;
        case State::kControlSequence:
            FeedControlSequence(byte);
            break;
        case State::kLinuxFunctionKey:
            FeedFinal(byte, DecodeLinuxFunctionKey);
            break;
        case State::kSs3:
            FeedFinal(byte, DecodeSs3);
            break;
    }
}

void TerminalKeyDecoder::FeedIdle(std::uint8_t byte) {
    if (byte == kLeadZero || byte == kLeadExtended) {
        lead_ = byte;
        state_ = State::kAfterLead;
    } else if (byte == kEscapeCode) {
        state_ = State::kAfterEscape;
    } else {
        Emit(byte);
    }
}

void TerminalKeyDecoder::FeedAfterEscape(std::uint8_t byte) {
    state_ = State::kIdle;
    if (byte == '[') {
        parameters_.clear();
        state_ = State::kControlSequence;
    } else if (byte == 'O') {
        state_ = State::kSs3;
    } else if (byte == kEscapeCode || byte == kLeadZero || byte == kLeadExtended) {
        // Escape pressed alone; the byte begins a key of its own.
        Emit(kEscapeCode);
        FeedIdle(byte);
    } else {
        Emit(AltKey(byte));
    }
}

// After ESC [ : parameter and intermediate bytes, then one final byte. The Linux
// console's F1 to F5 have a second '[' first.
void TerminalKeyDecoder::FeedControlSequence(std::uint8_t byte) {
    if (byte == '[' && parameters_.empty()) {
        state_ = State::kLinuxFunctionKey;
    } else if (byte >= 0x20 && byte <= 0x3F) {
        if (parameters_.size() < kMaxParameters) parameters_ += static_cast<char>(byte);
    } else if (byte >= 0x40 && byte <= 0x7E) {
        Emit(DecodeControlSequence(parameters_, byte));
        state_ = State::kIdle;
    } else {
        // A byte no sequence holds cuts it short and is a key of its own.
        Emit(kUnknownKey);
        state_ = State::kIdle;
        FeedIdle(byte);
    }
}

void TerminalKeyDecoder::FeedFinal(std::uint8_t byte, TwoCodeKey (*decode)(std::uint8_t)) {
    state_ = State::kIdle;
    if (IsPrintable(byte)) {
        Emit(decode(byte));
        return;
    }
    Emit(kUnknownKey);
    FeedIdle(byte);
}

void TerminalKeyDecoder::GapPassed() {
    switch (state_) {
        case State::kIdle:
            return;
        case State::kAfterLead:
            Emit(lead_);  // a lead without its second code
            break;
        case State::kAfterEscape:
            Emit(kEscapeCode);
            break;
        case State::kControlSequence:
            Emit(parameters_.empty() ? AltKey('[') : kUnknownKey);
            break;
        case State::kLinuxFunctionKey:
            Emit(kUnknownKey);
            break;
        case State::kSs3:
            Emit(AltKey('O'));
            break;
    }
    state_ = State::kIdle;
}

}  // namespace korv::platform
