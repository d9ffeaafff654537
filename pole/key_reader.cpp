#include "pole/key_reader.h"

namespace korv {

namespace {

constexpr int kEscape = 27;
constexpr int kLeadZero = 0;
constexpr int kLeadExtended = 224;
// A terminal sends a whole sequence at once; this covers a slow link.
constexpr int kSequenceGapMs = 30;

bool IsSequenceFinal(int code) { return code >= 0x40 && code <= 0x7E; }
bool IsSequenceMiddle(int code) { return code >= 0x20 && code <= 0x3F; }

KeyCommand CommandOf(int code) {
    switch (code) {
        case 'S':
        case 's':
            return KeyCommand::kSetup;
        case 'B':
        case 'b':
            return KeyCommand::kBacklight;
        case 'X':
        case 'x':
            return KeyCommand::kExit;
        default:
            return KeyCommand::kNone;
    }
}

}  // namespace

bool KeyReader::Waiting(int timeout_ms) {
    return pushed_back_ >= 0 || source_.KeyWaiting(timeout_ms);
}

int KeyReader::Take() {
    if (pushed_back_ >= 0) {
        const int code = pushed_back_;
        pushed_back_ = -1;
        return code;
    }
    return source_.ReadKey();
}

KeyCommand KeyReader::Next() {
    if (!Waiting(0)) return KeyCommand::kNone;
    const int code = Take();
    if (code == kLeadZero || code == kLeadExtended) {
        if (Waiting(kSequenceGapMs)) Take();
        return KeyCommand::kNone;
    }
    if (code == kEscape) {
        SkipEscapeSequence();
        return KeyCommand::kNone;
    }
    return CommandOf(code);
}

void KeyReader::SkipEscapeSequence() {
    if (!Waiting(kSequenceGapMs)) return;  // a lone Escape key
    const int code = Take();
    if (code == '[') {
        SkipControlSequence();
    } else if (code == 'O') {
        if (Waiting(kSequenceGapMs)) Take();
    } else if (code == kEscape) {
        pushed_back_ = code;  // Escape pressed twice: the second starts its own key
    }
    // Anything else after ESC is an Alt-modified key, taken whole.
}

// After ESC [ : parameter and intermediate bytes up to one final byte. A Linux
// console function key (ESC [ [ A) has a second '[' before its final letter.
void KeyReader::SkipControlSequence() {
    bool first = true;
    while (Waiting(kSequenceGapMs)) {
        const int code = Take();
        if (first && code == '[') {
            if (Waiting(kSequenceGapMs)) Take();
            return;
        }
        first = false;
        if (IsSequenceFinal(code)) return;
        if (!IsSequenceMiddle(code)) {
            pushed_back_ = code;
            return;
        }
    }
}

}  // namespace korv
