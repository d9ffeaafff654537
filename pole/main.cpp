#include <cstdio>
#include <cstring>
#include <string>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/stop_request.h"
#include "pole/main_loop.h"
#include "pole/record_format.h"
#include "pole/startup.h"

namespace {
// Program-wide, so that the port is closed at exit on every way out.
korv::DisplayDriver g_display;

std::string Help() {
    const std::string record = korv::kPoleRecordFileName;
    const std::string config = korv::kConfigFileName;
    const std::string side = korv::kIniFileName;
    return "Usage: korvpole [--help | --version]\n"
           "Shows the sale that the point-of-sale application keeps in " + record + ", in the working\n"
           "folder, on the customer pole display: the port and backlight are asked for on the\n"
           "first start and kept in " + config + " there. The 4x20 LCD is driven at " +
           std::to_string(korv::kDefaultLineSpeed) + " baud\n"
           "unless " + side + " there names another kind (display = lcd, escpos or cd5220),\n"
           "the rows a 2x20 display shows (rows = 1,4), the speed (baud = " +
           std::to_string(korv::kDefaultLineSpeed) + "), the code page\n"
           "the point-of-sale application writes (text = cp1252 or utf-8), whose letters then\n"
           "show as the display's own, a 2x20 display's code table (table = cp437), the LCD's\n"
           "character ROM (rom = a02), and the amount rows' captions and decimal sign\n"
           "(tax = MOMS, total = ATT BETALA, decimal = ,).\n"
           "Keys while it runs: S setup again, B backlight on/off, X clear the display and end.\n"
           "When the display's port cannot be opened it says why on its console and tries\n"
           "again every second; korvpole-check says the same and what to do about it.\n"
           "Ctrl+C, closing its window and a stop by the system (SIGTERM, SIGHUP, a service\n"
           "stop, Windows shutting down) end it as X does.\n"
           "Exit status: 0 after X or a stop, or after a " + record + " that cannot be opened and a\n"
           "key; 1 when there is no " + config + " and setup got no answers (its input ended);\n"
           "2 for a " + side + " it cannot use; -1 (255 on Linux) when " + record + "\n"
           "becomes unusable while it runs.\n";
}
}  // namespace

int main(int argc, char** argv) {
    // Only these two; any other argument is ignored, as it always was.
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(Help().c_str(), stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvpole %s\n", korv::kProgramVersion);
        return 0;
    }
    korv::platform::CatchStopRequests();
    korv::platform::FineTimerScope fine_timer;
    korv::platform::ConsoleKeys console;
    switch (korv::RunPoleProgram(g_display, console)) {
        case korv::ProgramEnd::kExit: return 0;
        case korv::ProgramEnd::kNoSettings: return 1;
        case korv::ProgramEnd::kBadIni: return 2;
        case korv::ProgramEnd::kRecordBroken: return -1;
    }
    return 0;
}
