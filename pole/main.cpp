#include <cstdio>
#include <cstring>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "pole/main_loop.h"
#include "pole/startup.h"

namespace {

// Program-wide, so that the port is closed at exit on every way out.
korv::DisplayDriver g_display;

const char* const kHelp =
    "Usage: korvpole [--help | --version]\n"
    "Shows the sale that the point-of-sale application keeps in POLE.DAT, in the working\n"
    "folder, on the customer pole display: the port and backlight are asked for on the\n"
    "first start and kept in KORVPOLE.CFG there. The 4x20 LCD is driven at 9600 baud\n"
    "unless KORVPOLE.INI there names another kind (display = lcd, escpos or cd5220),\n"
    "the rows a 2x20 display shows (rows = 1,4) or the speed (baud = 9600).\n"
    "Keys while it runs: S setup again, B backlight on/off, X clear the display and end.\n"
    "When the display's port cannot be opened it says why on its console and tries\n"
    "again every second; korvpole-check says the same and what to do about it.\n"
    "Exit status: 0 after X, or after a POLE.DAT that cannot be opened and a key;\n"
    "2 for a KORVPOLE.INI it cannot use; -1 (255 on Linux) when POLE.DAT becomes\n"
    "unusable while it runs.\n";

}  // namespace

int main(int argc, char** argv) {
    // Only these two; any other argument is ignored, as it always was.
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvpole %s\n", korv::kProgramVersion);
        return 0;
    }
    korv::platform::FineTimerScope fine_timer;
    korv::platform::ConsoleKeys console;
    return korv::RunPoleProgram(g_display, console);
}
