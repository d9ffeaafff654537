#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/win32/key_event_filter.h"

static_assert(korv::platform::kAltVirtualKey == VK_MENU);
static_assert(korv::platform::kAltHeld == (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED));
static_assert(korv::platform::kCtrlHeld == (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED));

// Keys are read as records from the console itself (CONIN$), not from standard input:
// a program started with its input from NUL or a file still has its console's keys.
namespace korv::platform {
namespace {
int CharacterOf(const INPUT_RECORD& record) {
    if (record.EventType != KEY_EVENT) return kNoKey;
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    return CharacterOf(KeyEvent{key.bKeyDown != FALSE, key.wVirtualKeyCode, key.uChar.UnicodeChar,
                                key.dwControlKeyState});
}

// Drops the records before the first key, which would keep the handle signalled. False
// when the console cannot be read.
bool DropToKey(HANDLE console, bool& key_first) {
    INPUT_RECORD record;
    DWORD count = 0;
    while (PeekConsoleInputW(console, &record, 1, &count)) {
        key_first = count == 1 && CharacterOf(record) != kNoKey;
        if (count == 0 || key_first) return true;
        if (!ReadConsoleInputW(console, &record, 1, &count)) break;
    }
    return false;
}
}  // namespace

struct ConsoleKeys::Input {
    HANDLE console = INVALID_HANDLE_VALUE;
};

// Shared both ways, so that scanf still gets its edited lines; records come whatever the
// line mode, so there is no mode to switch.
ConsoleKeys::ConsoleKeys() : input_(std::make_unique<Input>()) {
    input_->console = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    input_ended_ = input_->console == INVALID_HANDLE_VALUE;  // no console at all
}

ConsoleKeys::~ConsoleKeys() {
    if (!input_ended_) CloseHandle(input_->console);
}

void ConsoleKeys::BeginKeyMode() {}
void ConsoleKeys::EndKeyMode() {}

bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    const std::int64_t deadline = NowMilliseconds() + timeout_ms;
    for (std::int64_t left = timeout_ms; !input_ended_; left = deadline - NowMilliseconds()) {
        bool key_first = false;
        if (!DropToKey(input_->console, key_first)) {
            CloseHandle(input_->console);  // the console is gone
            input_ended_ = true;
        } else if (key_first) {
            return true;
        } else if (left <= 0 || WaitForSingleObject(input_->console, static_cast<DWORD>(left)) != WAIT_OBJECT_0) {
            return false;
        }
    }
    return false;
}

int ConsoleKeys::ReadKey() {
    INPUT_RECORD record;
    DWORD count = 0;
    const bool read = KeyWaiting(0) && ReadConsoleInputW(input_->console, &record, 1, &count) && count == 1;
    return read ? CharacterOf(record) : kNoKey;
}

// A console hands the runtime a whole line, so its rest is in stdin's buffer already; a
// file's is there to be read.
void ConsoleKeys::DropRestOfLine() {
    int c = 0;
    while (c != EOF && c != '\n') c = std::getchar();
    if (c == EOF) std::clearerr(stdin);
}
}  // namespace korv::platform
