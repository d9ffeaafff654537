// korvpole's loop on the in-memory platform, what happens to it planned on the virtual
// clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "display/display_driver.h"
#include "platform/console_keys.h"
#include "platform/fake/fake_platform.h"
#include "pole/main_loop.h"
#include "pole/startup.h"
#include "sim/hd44780_model.h"
#include "tests/support/console_text.h"
#include "tests/support/record_bytes.h"
#include "tests/support/screen.h"

namespace korv {
namespace {
namespace fake = platform::fake;
using test::TextRow;

// What the display on COM5 shows of what it took since it was plugged in.
sim::Hd44780Model Com5() {
    sim::Hd44780Model model;
    model.Feed(fake::ComPort(5).received);
    return model;
}

void Type(std::int64_t at_ms, int key) { fake::At(at_ms, [key] { fake::Platform().keys.push_back(key); }); }

// A writer saves the record by renaming over it, the counter unchanged; the display is
// held by another program at the start, then unplugged three times, the record changed
// and B pressed while it is away; the last time the record stays, so rows 1 and 2 come
// back only because the blank display is repainted whole.
TEST(MainLoop, FollowsTheRecordsNameAndBringsBackADisplayHeldElsewhereOrUnplugged) {
    fake::Reset();
    fake::File("POLE.DAT") = test::RecordByHand("BEFORE UNPLUG", "REPLUG", 3, 1, 30, 1999);
    fake::ComPort(5).held = true;
    fake::At(2000, [] { fake::ComPort(5).held = false; });
    fake::At(4000, [] { EXPECT_EQ(Com5().Row(1), TextRow("BEFORE UNPLUG")); });
    fake::At(5000, [] { fake::Replace("POLE.DAT", test::RecordByHand("RENAMED", "REPLUG", 3, 1, 30, 1999)); });
    fake::At(7000, [] { EXPECT_EQ(Com5().Row(1), TextRow("RENAMED")); });
    std::string line1 = "RENAMED";
    for (int replug = 1; replug <= 3; ++replug) {
        const std::int64_t away = replug * 10000;
        fake::At(away, [] {
            fake::ComPort(5).opens = 0;
            fake::Unplug(5);
        });
        if (replug < 3) {
            line1 = "WHILE AWAY " + std::to_string(replug);
            const std::string record = test::RecordByHand(line1, "REPLUG", static_cast<std::uint16_t>(10 + replug),
                                                          1, 100 * replug, 100 * replug + 5);
            fake::At(away + 2500, [record] { fake::File("POLE.DAT") = record; });
        }
        if (replug == 2) Type(away + 3000, 'b');
        fake::At(away + 5000, [] { fake::Replug(5); });
        fake::At(away + 8000, [=] {
            SCOPED_TRACE("replug " + std::to_string(replug));
            const std::string& received = fake::ComPort(5).received;
            EXPECT_EQ(received.substr(0, test::wire::kInitialisation.size()), test::wire::kInitialisation);
            EXPECT_EQ(test::Occurrences(received, replug < 2 ? test::wire::kBacklightOn : test::wire::kBacklightOff), 1)
                << test::Hex(received);
            EXPECT_EQ(Com5().BacklightOn(), replug < 2);
            EXPECT_EQ(Com5().Row(1), TextRow(line1));
            EXPECT_EQ(Com5().Row(4), test::TotalRow(replug < 3 ? std::to_string(replug) + ".05" : "2.05"));
            // Tried again about once a second while away, and once more when it is back.
            EXPECT_GE(fake::ComPort(5).opens, 5);
            EXPECT_LE(fake::ComPort(5).opens, 7);
        });
    }
    Type(40000, 'x');

    fake::File("KORVPOLE.CFG") = std::string("5\0\0" "1\0", 5);  // backlight on
    DisplayDriver display;
    platform::ConsoleKeys console;
    // Standard output, where the checks planned say what failed, is left alone.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunPoleProgram(display, console), ProgramEnd::kExit);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(test::Occurrences(said, "COM5 (COM5) is held by another program"), 1) << said;
    EXPECT_EQ(test::Occurrences(said, "COM5 cannot be opened: there is no COM5 (COM5). The display stays dark; "
                                      "korvpole tries again every second.\n"), 3) << said;
    EXPECT_EQ(test::Occurrences(said, "COM5 is open: the display shows POLE.DAT again.\n"), 4) << said;
}
}  // namespace
}  // namespace korv
