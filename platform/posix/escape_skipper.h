#pragma once

#include <cstdint>

#include "platform/console_keys.h"

namespace korv::platform {
// Drops whole, fed a byte at a time, what a terminal sends for a key without a character
// or for Alt with a key, so that none of its bytes is taken as a key: ESC [ up to a final
// byte 0x40-0x7E, ESC O and one byte, the Linux console's ESC [ [ and one byte, ESC and
// any byte within kEscapeGapMs. An ESC that nothing follows in that time is the Esc key.
class EscapeSkipper {
public:
    static constexpr int kEscape = 0x1B;
    // A terminal sends a key's whole sequence at once; this also covers a slow link.
    static constexpr int kEscapeGapMs = 30;

    // The byte as a key when it was typed alone; kNoKey when it is part of a sequence.
    int Feed(std::uint8_t byte) {
        // A control byte is never inside a sequence: it ends one and counts itself.
        const bool inside = byte >= 0x20 && byte < 0x7F;
        if (state_ == State::kAfterEscape && byte != kEscape) {
            state_ = byte == '[' ? State::kFirstOfControl : byte == 'O' ? State::kLast : State::kIdle;
            return kNoKey;
        }
        if (inside && (state_ == State::kFirstOfControl || state_ == State::kControl)) {
            const bool linux_key = state_ == State::kFirstOfControl && byte == '[';
            state_ = linux_key ? State::kLast : byte >= 0x40 ? State::kIdle : State::kControl;
            return kNoKey;
        }
        if (inside && state_ == State::kLast) {
            state_ = State::kIdle;
            return kNoKey;
        }
        state_ = byte == kEscape ? State::kAfterEscape : State::kIdle;
        return byte == kEscape ? kNoKey : byte;
    }

    // An ESC waits kEscapeGapMs for a byte that makes it Alt with a key.
    bool AfterEscape() const { return state_ == State::kAfterEscape; }

    // Call only after ESC: nothing followed it within the gap, so it was the Esc key.
    int GapPassed() {
        state_ = State::kIdle;
        return kEscape;
    }

private:
    enum class State { kIdle, kAfterEscape, kFirstOfControl, kControl, kLast };
    State state_ = State::kIdle;
};
}  // namespace korv::platform
