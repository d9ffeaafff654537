#pragma once

namespace korv {

enum class KeyCommand { kNone, kSetup, kBacklight, kExit };

// The command a key's character stands for: S, B or X in either case; nothing else.
inline KeyCommand CommandOf(int key) {
    switch (key) {
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

}  // namespace korv
