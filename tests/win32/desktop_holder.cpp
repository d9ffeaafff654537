// Test-only, for Wine: holds the prefix's desktop until it is killed.
//
//   korv-desktop-holder        (started in the background before a test run)
//
// Wine closes its desktop about a second after the last program using it ends, and the
// next program that loads user32 then waits up to 10 s for a new one. With this
// process holding the desktop, every start takes a fraction of a second.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (GetDesktopWindow() == nullptr) return 1;
    Sleep(INFINITE);
    return 0;
}
