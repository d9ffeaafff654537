#include "pole/key_reader.h"

namespace korv {

namespace {

constexpr int kLeadZero = 0;
constexpr int kLeadExtended = 224;
// A console hands out both codes of a key together; this only bounds the wait when a
// source has a lead without its second code.
constexpr int kSecondCodeWaitMs = 30;

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

KeyCommand KeyReader::Next() {
    if (!source_.KeyWaiting(0)) return KeyCommand::kNone;
    const int code = source_.ReadKey();
    if (code == kLeadZero || code == kLeadExtended) {
        if (source_.KeyWaiting(kSecondCodeWaitMs)) source_.ReadKey();
        return KeyCommand::kNone;
    }
    return CommandOf(code);
}

}  // namespace korv
