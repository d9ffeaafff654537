#include <windows.h>

#include "platform/stop_request.h"
#include "platform/system_error.h"

namespace korv::platform {
namespace {
volatile LONG g_stop_requested = 0;
HANDLE g_main_thread = nullptr;

// Longer than Windows gives a program after a close (5 s) or at the session's end
// (20 s at most): Windows ends it first if the main loop has not.
constexpr DWORD kEndWaitMs = 30000;

// The main loop ends the program as at X; a setup answer being read on its thread gives
// up, as at the input's end.
void RequestStop() {
    InterlockedExchange(&g_stop_requested, 1);
    CancelSynchronousIo(g_main_thread);
}

// Windows ends the process once the handler returns, so this waits for the main loop's
// close: the program's own end (ExitProcess, status 0) ends this thread first. A setup
// answer whose read began after the first cancel is cancelled on a later step.
void AwaitProgramEnd() {
    constexpr DWORD kStepMs = 100;
    for (DWORD waited = 0; waited < kEndWaitMs; waited += kStepMs) {
        if (WaitForSingleObject(g_main_thread, kStepMs) != WAIT_TIMEOUT) return;
        CancelSynchronousIo(g_main_thread);
    }
}

// On the console's own thread. Only a service gets CTRL_LOGOFF_EVENT, at any user's
// log-off, which must not darken the display; its own session's end comes as a close or
// as WM_ENDSESSION.
BOOL WINAPI StopOnConsoleEvent(DWORD event) {
    if (event == CTRL_LOGOFF_EVENT) return TRUE;
    if (!OneOf(event, CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT, CTRL_SHUTDOWN_EVENT)) return FALSE;
    RequestStop();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_SHUTDOWN_EVENT) AwaitProgramEnd();
    return TRUE;
}

// A program that has loaded user32, as this one has, hears of its session's end only
// through a top-level window, never through the console handler.
LRESULT CALLBACK SessionWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message != WM_ENDSESSION) return DefWindowProcW(window, message, wparam, lparam);
    if (wparam) {
        RequestStop();
        AwaitProgramEnd();
    }
    return 0;
}

// A hidden window on a thread of its own; it lives until the process ends.
DWORD WINAPI WatchSessionEnd(LPVOID) {
    WNDCLASSW kind{};
    kind.lpfnWndProc = SessionWindow;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = L"korvpole session end";
    if (RegisterClassW(&kind) == 0) return 0;
    if (!CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, kind.hInstance, nullptr))
        return 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
}  // namespace

void CatchStopRequests() {
    if (g_main_thread != nullptr) return;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_main_thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    SetConsoleCtrlHandler(StopOnConsoleEvent, TRUE);
    const HANDLE watcher = CreateThread(nullptr, 0, WatchSessionEnd, nullptr, 0, nullptr);
    if (watcher != nullptr) CloseHandle(watcher);
}

bool StopRequested() { return g_stop_requested != 0; }
}  // namespace korv::platform
