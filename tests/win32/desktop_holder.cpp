// Test-only, for Wine: holds the prefix's desktop until it is killed, so that no program
// started waits for a new one (tests/support/wine_prefix.h).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (GetDesktopWindow() == nullptr) return 1;
    Sleep(INFINITE);
    return 0;
}
