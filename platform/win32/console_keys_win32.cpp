#include <conio.h>
#include <windows.h>

#include "platform/clock.h"
#include "platform/console_keys.h"

namespace korv::platform {

// The console hands _getch single keys without echo whatever its line mode, and
// scanf still gets edited lines, so there is no mode to switch or restore.
ConsoleKeys::ConsoleKeys() = default;
ConsoleKeys::~ConsoleKeys() = default;

void ConsoleKeys::BeginKeyMode() {}
void ConsoleKeys::EndKeyMode() {}

bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    if (_kbhit()) return true;
    const std::int64_t start = NowMilliseconds();
    while (NowMilliseconds() - start < timeout_ms) {
        Sleep(1);
        if (_kbhit()) return true;
    }
    return false;
}

// Keys without a character arrive as two codes, 0 or 224 and then the key's own.
int ConsoleKeys::ReadKey() { return _getch() & 0xFF; }

// A console never runs dry: with no key pressed, _kbhit just keeps saying no.
bool ConsoleKeys::InputEnded() const { return input_ended_; }

}  // namespace korv::platform
