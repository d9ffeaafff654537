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

volatile LONG g_stop_requested = 0;
HANDLE g_main_thread = nullptr;

// Longer than Windows gives a program after a close (5 s) or at the session's end
// (20 s at most): Windows ends it first if the main loop has not.
constexpr DWORD kEndWaitMs = 30000;

// The main loop ends the program as at X; a setup answer being read on its thread
// gives up, as at the input's end.
void RequestStop() {
    InterlockedExchange(&g_stop_requested, 1);
    CancelSynchronousIo(g_main_thread);
}

// Windows lets the process go when the handler returns, so the main loop's close is
// waited for; the program's own end (ExitProcess, status 0) ends this thread first. A
// setup answer whose read began after the first cancel is cancelled on a later step.
void AwaitProgramEnd() {
    constexpr DWORD kStepMs = 100;
    for (DWORD waited = 0; waited < kEndWaitMs; waited += kStepMs) {
        if (WaitForSingleObject(g_main_thread, kStepMs) != WAIT_TIMEOUT) return;
        CancelSynchronousIo(g_main_thread);
    }
}

// On the console's own thread.
BOOL WINAPI StopOnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            RequestStop();
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            RequestStop();
            AwaitProgramEnd();
            return TRUE;
        case CTRL_LOGOFF_EVENT:
            // Only a program outside any user's session (a service) gets this, at any
            // user's log-off; a counter's display must not go dark for that. The end of
            // its own session comes as a close or as WM_ENDSESSION.
            return TRUE;
        default:
            return FALSE;
    }
}

// A program that has loaded user32, as this one has, is told of its session's end
// (log-off, shutdown) only through a top-level window, never through the console
// handler.
LRESULT CALLBACK SessionWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION) {
        if (wparam) {
            RequestStop();
            AwaitProgramEnd();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// A hidden window on a thread of its own; it lives until the process ends.
DWORD WINAPI WatchSessionEnd(LPVOID) {
    WNDCLASSW kind{};
    kind.lpfnWndProc = SessionWindow;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = L"korvpole session end";
    if (RegisterClassW(&kind) == 0) return 0;
    if (CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, kind.hInstance, nullptr) ==
        nullptr)
        return 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

void WatchForStops() {
    if (g_main_thread != nullptr) return;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_main_thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    SetConsoleCtrlHandler(StopOnConsoleEvent, TRUE);
    const HANDLE watcher = CreateThread(nullptr, 0, WatchSessionEnd, nullptr, 0, nullptr);
    if (watcher != nullptr) CloseHandle(watcher);
}

int CharacterOf(const INPUT_RECORD& record) {
    if (record.EventType != KEY_EVENT) return kNoKey;
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    return CharacterOf(KeyEvent{key.bKeyDown != FALSE, key.wVirtualKeyCode, key.uChar.UnicodeChar,
                                key.dwControlKeyState});
}

// Drops the records at the front of the console's input that carry no character, which
// would otherwise keep the handle signalled; a key and everything behind it stay. False
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

// Shared both ways, so that scanf on a console input still gets its edited lines; the
// console hands over records whatever its line mode, so there is no mode to switch.
ConsoleKeys::ConsoleKeys() : input_(std::make_unique<Input>()) {
    input_->console = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    input_ended_ = input_->console == INVALID_HANDLE_VALUE;  // no console at all
    WatchForStops();
}

// The stop handlers stay: a stop after this still waits for the program's end.
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
    if (!read) return kNoKey;
    return CharacterOf(record);
}

bool ConsoleKeys::InputEnded() const { return input_ended_; }

bool ConsoleKeys::StopRequested() { return g_stop_requested != 0; }

// A console hands the runtime a whole line, so its rest is in stdin's buffer already; a
// file's is there to be read.
void ConsoleKeys::DropRestOfLine() {
    int c;
    do {
        c = std::getchar();
    } while (c != EOF && c != '\n');
    if (c == EOF) std::clearerr(stdin);
}

}  // namespace korv::platform
