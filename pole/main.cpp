#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "pole/main_loop.h"

namespace {
// Program-wide, so that the port is closed at exit on every way out.
korv::DisplayDriver g_display;
}  // namespace

int main() {
    korv::platform::FineTimerScope fine_timer;
    korv::platform::ConsoleKeys console;
    return korv::RunPoleProgram(g_display, console);
}
