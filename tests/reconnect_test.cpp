// A display whose adapter is pulled and plugged back, or that is not there at start,
// comes back by itself with the whole record and the backlight as it was.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "tests/whole_program_fixture.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;

// The replug must be noticed within about a second and the display repainted at once.
constexpr std::chrono::milliseconds kReplugWait{2000};

PoleRecord Item(std::uint16_t counter, const std::string& line1, std::int32_t total) {
    PoleRecord record;
    record.counter = counter;
    record.line1 = line1;
    record.line2 = "REPLUG " + std::to_string(counter);
    record.scale = 1;
    record.tax = 10 * counter;
    record.total = total;
    return record;
}

std::string Hundredths(std::int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value / 100.0);
    return text;
}

class Reconnect : public WholeProgram {
protected:
    static ::testing::AssertionResult ShowsWhole(DisplayTap& tap, const PoleRecord& record,
                                                 std::chrono::milliseconds limit) {
        const bool shown = tap.PumpUntil(
            [&](const sim::Hd44780Model& m) {
                return m.Row(1) == TextRow(record.line1) && m.Row(2) == TextRow(record.line2) &&
                       m.Row(3) == TaxRow(Hundredths(record.tax)) &&
                       m.Row(4) == TotalRow(Hundredths(record.total));
            },
            limit);
        if (shown) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the record is not on the display; screen "
                                             << ScreenOf(tap) << "\nreceived " << Hex(tap.Received());
    }
};

TEST_F(Reconnect, UnpluggedDisplayComesBackWithRecordAndBacklightThreeTimes) {
    PoleRecord record = Item(3, "BEFORE UNPLUG", 1999);
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsWhole(*display_, record, kDisplayWait));
    const std::string output_before = runner_.Output();
    bool backlight_on = true;

    for (int replug = 1; replug <= 3; ++replug) {
        SCOPED_TRACE("replug " + std::to_string(replug));
        display_->Port().Unplug();

        // Unplugged: the program neither hangs nor spins, and goes on with its work.
        EXPECT_LT(runner_.CpuShareOver(1500ms), 0.25);
        ASSERT_TRUE(runner_.Running());
        // The last time the record stays as it was: rows 1 and 2 come back only because
        // the blank display is repainted whole, not because the counter changed.
        if (replug < 3) {
            record = Item(static_cast<std::uint16_t>(10 + replug), "WHILE AWAY " + std::to_string(replug),
                          100 * replug + 5);
            writer_.Write(record);
        }
        if (replug == 2) {
            runner_.Type("b");  // recorded while away, shown after the replug
            backlight_on = !backlight_on;
        }
        runner_.Pump();
        std::this_thread::sleep_for(700ms);

        display_.reset();  // its link goes with it, so the new one must come after
        display_ = std::make_unique<DisplayTap>(runner_.PathOf("COM5"));
        ASSERT_TRUE(display_->PumpUntil([](const sim::Hd44780Model& m) { return m.Clears() > 0; },
                                        kReplugWait))
            << "no bring-up within two seconds of the replug; received " << Hex(display_->Received());
        EXPECT_TRUE(ShowsWhole(*display_, record, kReplugWait));
        EXPECT_EQ(display_->Received().compare(0, 16, "\xFE\x30\xFE\x30\xFE\x30\xFE\x38\xFE\x06\xFE\x10\xFE\x0C\xFE\x01"), 0)
            << Hex(display_->Received());
        EXPECT_EQ(Count(*display_, backlight_on ? sim::DecodedByte::Kind::kBacklightOn
                                                : sim::DecodedByte::Kind::kBacklightOff), 1)
            << Hex(display_->Received());
        EXPECT_EQ(display_->Model().BacklightOn(), backlight_on);
    }

    runner_.Pump();
    EXPECT_EQ(runner_.Output(), output_before) << "the program printed while it retried";
    runner_.Type("x");
    const ExitResult exit = runner_.WaitExit();
    EXPECT_TRUE(exit.exited && exit.status == 0) << exit.Describe();
    EXPECT_TRUE(BacklightBecomes(false));
}

TEST_F(Reconnect, DisplayMissingAtStartIsPaintedOnceItIsPluggedIn) {
    runner_.WriteFile("KORVPOLE.CFG", ConfigBytes(5, true));
    const PoleRecord record = Item(4, "WAITING FOR PORT", 4250);
    writer_.Write(record);
    // COM5 names a device that is not there yet.
    ASSERT_EQ(symlink("/dev/pts/does-not-exist", runner_.PathOf("COM5").c_str()), 0);
    runner_.Start();
    ASSERT_TRUE(runner_.WaitForOutput(kMenu)) << runner_.Output();
    EXPECT_LT(runner_.CpuShareOver(1500ms), 0.25);
    const std::string output_before = runner_.Output();

    display_ = std::make_unique<DisplayTap>(runner_.PathOf("COM5"));
    ASSERT_TRUE(ShowsWhole(*display_, record, kReplugWait));
    EXPECT_TRUE(display_->Model().BacklightOn());
    runner_.Pump();
    EXPECT_EQ(runner_.Output(), output_before) << "the program printed while it retried";

    runner_.Type("x");
    EXPECT_TRUE(runner_.WaitExit().exited);
}

TEST_F(Reconnect, ReconnectFollowsThePortChosenInSetup) {
    const PoleRecord record = Item(6, "MOVED PORT", 600);
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsWhole(*display_, record, kDisplayWait));

    // Setup moves the display to COM6, which is not plugged in yet.
    ASSERT_EQ(symlink("/dev/pts/does-not-exist", runner_.PathOf("COM6").c_str()), 0);
    runner_.Type("s");
    ASSERT_TRUE(runner_.WaitForOutput("enter 5): "));
    runner_.Type("6\n");
    ASSERT_TRUE(runner_.WaitForOutput("for OFF): "));
    runner_.Type("1\n");
    ASSERT_TRUE(runner_.WaitForOutput("Exiting config mode"));
    display_->Pump(1500ms);
    const std::size_t com5_bytes = display_->Received().size();

    DisplayTap com6(runner_.PathOf("COM6"));
    EXPECT_TRUE(ShowsWhole(com6, record, kReplugWait));
    display_->Pump(1200ms);
    EXPECT_EQ(display_->Received().size(), com5_bytes) << "the old port is still written";

    runner_.Type("x");
    EXPECT_TRUE(runner_.WaitExit().exited);
}

}  // namespace
}  // namespace korv::test
