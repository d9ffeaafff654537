#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/console_key_codes.h"

namespace korv::platform {

// Turns the bytes a terminal sends for keys into the codes a Windows console gives for
// the same keys (console_key_codes.h): an escape sequence becomes a two-code key, e.g.
// ESC [ B (Down) becomes 224 80 and ESC O P (F1) 0 59; an unrecognised one becomes
// kUnknownKey; Escape followed by a key is Alt with that key. Escape alone, known only
// when no further byte follows within a short gap, is the plain code 27. Raw bytes 0
// and 224 stay a lead code and take the next byte as their second.
//
// Fed one byte at a time; the caller tells it when the gap passed without a byte.
class TerminalKeyDecoder {
public:
    void Feed(std::uint8_t byte);

    // No byte followed within the gap: an unfinished key ends as it is.
    void GapPassed();

    // A key has begun and needs a further byte, or the gap, to end.
    bool Unfinished() const { return state_ != State::kIdle; }

    bool HasCode() const { return !codes_.empty(); }
    // The oldest code not taken yet; call only while HasCode().
    int TakeCode();

private:
    enum class State { kIdle, kAfterLead, kAfterEscape, kControlSequence, kLinuxFunctionKey, kSs3 };

    void FeedIdle(std::uint8_t byte);
    void FeedAfterEscape(std::uint8_t byte);
    void FeedControlSequence(std::uint8_t byte);
    void FeedFinal(std::uint8_t byte, TwoCodeKey (*decode)(std::uint8_t));
    void Emit(int code) { codes_.push_back(static_cast<std::uint8_t>(code)); }
    void Emit(TwoCodeKey key);

    State state_ = State::kIdle;
    std::uint8_t lead_ = 0;
    std::string parameters_;  // of a control sequence, at most kMaxParameters bytes kept
    std::deque<std::uint8_t> codes_;
};

}  // namespace korv::platform
