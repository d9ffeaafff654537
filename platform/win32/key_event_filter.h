#pragma once

#include <cstdint>

#include "platform/console_keys.h"

namespace korv::platform {
// The fields of a Windows console's KEY_EVENT_RECORD that decide whether it is a key,
// and the values of windows.h they are compared with (console_keys_win32.cpp checks).
struct KeyEvent {
    bool down = false;
    std::uint16_t virtual_key = 0;
    std::uint16_t character = 0;  // UTF-16; 0 for none
    std::uint32_t control_state = 0;
};
inline constexpr std::uint16_t kAltVirtualKey = 0x12;        // VK_MENU
inline constexpr std::uint32_t kAltHeld = 0x0001 | 0x0002;   // right, left
inline constexpr std::uint32_t kCtrlHeld = 0x0004 | 0x0008;  // right, left

// The record's character, or kNoKey. A key-down counts unless Alt alone is held with
// it (AltGr, which types characters, comes as Ctrl and Alt). A character typed as Alt
// and keypad digits comes with Alt's release.
inline int CharacterOf(const KeyEvent& key) {
    if (key.character == 0) return kNoKey;
    if (!key.down) return key.virtual_key == kAltVirtualKey ? key.character : kNoKey;
    const bool alt_alone = (key.control_state & kAltHeld) != 0 && (key.control_state & kCtrlHeld) == 0;
    return alt_alone ? kNoKey : key.character;
}
}  // namespace korv::platform
