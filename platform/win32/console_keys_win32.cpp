#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/console_key_codes.h"
#include "platform/console_keys.h"

// Keys are read as console input records and turned into the codes _getch gives
// (console_key_codes.h) here, rather than by _kbhit and _getch: those leave key-ups
// and lone modifiers queued, which keeps the input handle signalled and a wait on it
// spinning, and Wine's have no codes for function keys and keypad keys.
namespace korv::platform {

namespace {

// Records looked at in one go while those that give no key are dropped.
constexpr DWORD kPeekBatch = 32;

// A stop from the console ends the program at once, as a stop signal does on POSIX:
// the port is released with the process and the display keeps what it shows.
BOOL WINAPI EndOnConsoleStop(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
            return TRUE;
        case CTRL_LOGOFF_EVENT:
            // Only a program outside any user's session (a service) gets this, at any
            // user's log-off; a counter's display must not go dark for that.
            return TRUE;
        default:
            return FALSE;
    }
}

KeyModifiers ModifiersOf(DWORD state) {
    KeyModifiers modifiers;
    modifiers.shift = (state & SHIFT_PRESSED) != 0;
    modifiers.ctrl = (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    modifiers.alt = (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    return modifiers;
}

std::string InConsoleCodePage(WCHAR character) {
    char bytes[8];
    const int count = WideCharToMultiByte(GetConsoleCP(), 0, &character, 1, bytes,
                                          sizeof bytes, nullptr, nullptr);
    return std::string(bytes, count > 0 ? static_cast<std::size_t>(count) : 0);
}

// As _getch, one key per key-down record whatever its repeat count.
std::string CodesOf(const INPUT_RECORD& record) {
    if (record.EventType != KEY_EVENT) return {};
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    if (!key.bKeyDown) return {};
    KeyRecord decoded;
    decoded.down = true;
    decoded.scan_code = key.wVirtualScanCode;
    decoded.enhanced = (key.dwControlKeyState & ENHANCED_KEY) != 0;
    decoded.modifiers = ModifiersOf(key.dwControlKeyState);
    if (key.uChar.UnicodeChar != 0) decoded.character = InConsoleCodePage(key.uChar.UnicodeChar);
    return CodesOfKeyRecord(decoded);
}

enum class Queue { kKeyFirst, kEmptied, kEmpty, kFailed };

// Drops the records at the front of the console's input that give no key (key-ups,
// modifiers alone, mouse, focus and size records), which would otherwise keep the
// input handle signalled. A key and everything behind it stay.
Queue DropRecordsBeforeKey(HANDLE input) {
    INPUT_RECORD records[kPeekBatch];
    bool dropped = false;
    while (true) {
        DWORD count = 0;
        if (!PeekConsoleInputW(input, records, kPeekBatch, &count)) return Queue::kFailed;
        if (count == 0) return dropped ? Queue::kEmptied : Queue::kEmpty;
        DWORD before_key = 0;
        while (before_key < count && CodesOf(records[before_key]).empty()) ++before_key;
        if (before_key > 0) {
            DWORD read = 0;
            if (!ReadConsoleInputW(input, records, before_key, &read)) return Queue::kFailed;
            dropped = true;
        }
        if (before_key < count) return Queue::kKeyFirst;
    }
}

}  // namespace

struct ConsoleKeys::Decoding {
    HANDLE input = nullptr;  // the console's input; null when standard input is none
    std::string codes;       // of a key read, not handed out yet
};

// The console hands over key records whatever its line mode, and scanf still gets
// edited lines, so there is no mode to switch or restore.
ConsoleKeys::ConsoleKeys() : decoding_(std::make_unique<Decoding>()) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input != nullptr && input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) {
        decoding_->input = input;
    } else {
        input_ended_ = true;  // a pipe, a file or no console at all: no key will come
    }
    SetConsoleCtrlHandler(EndOnConsoleStop, TRUE);
}

ConsoleKeys::~ConsoleKeys() { SetConsoleCtrlHandler(EndOnConsoleStop, FALSE); }

void ConsoleKeys::BeginKeyMode() {}
void ConsoleKeys::EndKeyMode() {}

// Sleeps in the wait on the input handle; a wake-up that finds nothing at all queued
// sleeps out the rest rather than waiting again, so a handle that stays signalled
// cannot make this spin.
bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    Decoding& decoding = *decoding_;
    if (!decoding.codes.empty()) return true;
    if (decoding.input == nullptr) {
        SleepMilliseconds(timeout_ms);
        return false;
    }
    const std::int64_t deadline = NowMilliseconds() + timeout_ms;
    bool woken = false;
    while (true) {
        const Queue queue = DropRecordsBeforeKey(decoding.input);
        if (queue == Queue::kKeyFirst) return true;
        if (queue == Queue::kFailed) {
            decoding.input = nullptr;  // the console is gone
            input_ended_ = true;
            return false;
        }
        const std::int64_t left = deadline - NowMilliseconds();
        if (left <= 0) return false;
        if (woken && queue == Queue::kEmpty) {
            SleepMilliseconds(static_cast<int>(left));
            return false;
        }
        const DWORD result = WaitForSingleObject(decoding.input, static_cast<DWORD>(left));
        if (result == WAIT_TIMEOUT) return false;
        if (result != WAIT_OBJECT_0) {
            SleepMilliseconds(static_cast<int>(left));
            return false;
        }
        woken = true;
    }
}

int ConsoleKeys::ReadKey() {
    Decoding& decoding = *decoding_;
    while (decoding.codes.empty()) {
        if (decoding.input == nullptr) return 0;
        INPUT_RECORD record;
        DWORD count = 0;
        if (!ReadConsoleInputW(decoding.input, &record, 1, &count)) {
            decoding.input = nullptr;
            input_ended_ = true;
            return 0;
        }
        if (count == 1) decoding.codes = CodesOf(record);
    }
    const int code = static_cast<unsigned char>(decoding.codes[0]);
    decoding.codes.erase(0, 1);
    return code;
}

bool ConsoleKeys::InputEnded() const { return input_ended_; }

}  // namespace korv::platform
