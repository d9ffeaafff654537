#pragma once

#include <cstdio>
#include <string>

#include "display/display_kinds.h"

// The display's byte protocol written out by hand, apart from display/protocol.h, so
// that a wrong constant there still fails a test.
namespace korv::test::wire {
inline const std::string kInitialisation("\xFE\x30\xFE\x30\xFE\x30\xFE\x38\xFE\x06\xFE\x10\xFE\x0C\xFE\x01", 16);
inline const std::string kClear("\xFE\x01", 2);
inline const std::string kBacklightOn("\xFE\x03", 2);
inline const std::string kBacklightOff("\xFE\x02", 2);

// DisplayDriver::Open: the initialisation, then a clear.
inline const std::string kOpen = kInitialisation + kClear;
// An open that asks for the backlight.
inline const std::string kOpenLit = kInitialisation + kBacklightOn + kClear;
// Start-up and setup: open, the configured backlight, clear.
inline const std::string kBringUpLit = kOpen + kBacklightOn + kClear;
inline const std::string kBringUpDark = kOpen + kBacklightOff + kClear;
// DisplayDriver::Close on an open display: clear, backlight off.
inline const std::string kClose = kClear + kBacklightOff;

// A 2x20 customer display's commands as korvpole sends them.
struct CustomerWire {
    const char* name;
    DisplayKind kind;
    std::string bring_up;  // initialise, overwrite mode, cursor off
    std::string brightest;
    std::string dimmest;
    std::string cursor_lead;  // then column and row
};
inline const std::string kClr("\x0C", 1);
inline const CustomerWire kEscpos{"escpos", DisplayKind::kEscpos, std::string("\x1B\x40\x1F\x01\x1F\x43\x00", 7),
                                  "\x1F\x58\x04", "\x1F\x58\x01", "\x1F\x24"};
inline const CustomerWire kCd5220{"cd5220", DisplayKind::kCd5220, std::string("\x1B\x40\x1B\x11\x1B\x5F\x00", 7),
                                  "\x1B\x2A\x04", "\x1B\x2A\x01", "\x1B\x6C"};
}  // namespace korv::test::wire

namespace korv::test {
// Bytes as hexadecimal pairs, "FE 01 41", for comparisons and failure messages.
inline std::string Hex(const std::string& bytes) {
    std::string text;
    char pair[4];
    for (unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, " %02X", byte);
        text += pair;
    }
    return text.empty() ? text : text.substr(1);
}
}  // namespace korv::test
