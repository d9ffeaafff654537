#pragma once

namespace korv {
enum class KeyCommand { kNone, kSetup, kBacklight, kExit };

// The command a key's character stands for: S, B or X in either case; nothing else.
inline KeyCommand CommandOf(int key) {
    if (key == 'S' || key == 's') return KeyCommand::kSetup;
    if (key == 'B' || key == 'b') return KeyCommand::kBacklight;
    if (key == 'X' || key == 'x') return KeyCommand::kExit;
    return KeyCommand::kNone;
}
}  // namespace korv
