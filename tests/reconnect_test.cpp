// A display whose adapter is pulled and plugged back, or that is not there at start,
// comes back by itself with the whole record and the backlight as it was.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;

// The replug must be noticed within about a second and the display repainted at once.
constexpr std::chrono::milliseconds kReplugWait{2000};

const std::string kStaysDark = ". The display stays dark; korvpole tries again every second.\n";
const std::string kCom5Open = "COM5 is open: the display shows POLE.DAT again.\n";

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

PoleRecordFields Item(std::uint16_t counter, const std::string& line1, std::int32_t total) {
    return Sale(counter, line1, "REPLUG " + std::to_string(counter), 10 * counter, total);
}

std::string Hundredths(std::int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value / 100.0);
    return text;
}

class Reconnect : public ProgramTest {
protected:
    static ::testing::AssertionResult ShowsWhole(DisplayTap& tap, const PoleRecordFields& record,
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
                                             << ScreenOf(tap);
    }
};

TEST_F(Reconnect, UnpluggedDisplayComesBackWithRecordAndBacklightThreeTimes) {
    PoleRecordFields record = Item(3, "BEFORE UNPLUG", 1999);
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsWhole(Com5(), record, kDisplayWait));
    const std::string output_before = run_.Output();
    bool backlight_on = true;

    for (int replug = 1; replug <= 3; ++replug) {
        SCOPED_TRACE("replug " + std::to_string(replug));
        run_.Unplug(5);
        // Said once, when the first attempt to open the port again fails.
        EXPECT_TRUE(run_.WaitForErrors("COM5 cannot be opened: ")) << run_.Errors();
        EXPECT_TRUE(run_.WaitForErrors(", which does not exist" + kStaysDark)) << run_.Errors();

        // Unplugged: the program neither hangs nor spins, and goes on with its work.
        EXPECT_LT(run_.CpuShareOver(1500ms), 0.25);
        ASSERT_TRUE(run_.Running());
        // The last time the record stays as it was: rows 1 and 2 come back only because
        // the blank display is repainted whole, not because the counter changed.
        if (replug < 3) {
            record = Item(static_cast<std::uint16_t>(10 + replug), "WHILE AWAY " + std::to_string(replug),
                          100 * replug + 5);
            run_.WriteRecord(record);
        }
        if (replug == 2) {
            run_.Type("b");  // recorded while away, shown after the replug
            backlight_on = !backlight_on;
        }
        run_.Pump();
        std::this_thread::sleep_for(700ms);

        run_.Replug(5);
        ASSERT_TRUE(Com5().PumpUntil([](const sim::Hd44780Model& m) { return m.Clears() > 0; },
                                        kReplugWait))
            << "no bring-up within two seconds of the replug; received " << Hex(Com5().Received());
        EXPECT_TRUE(ShowsWhole(Com5(), record, kReplugWait));
        EXPECT_EQ(Com5().Received().compare(0, wire::kInitialisation.size(), wire::kInitialisation), 0)
            << Hex(Com5().Received());
        EXPECT_EQ(Count(Com5(), backlight_on ? sim::DecodedByte::Kind::kBacklightOn
                                                : sim::DecodedByte::Kind::kBacklightOff), 1)
            << Hex(Com5().Received());
        EXPECT_EQ(Com5().Model().BacklightOn(), backlight_on);
        EXPECT_TRUE(run_.WaitForErrors(kCom5Open)) << run_.Errors();
    }

    run_.Pump();
    EXPECT_EQ(run_.Output(), output_before) << "the program printed while it retried";
    EXPECT_EQ(Occurrences(run_.Errors(), kStaysDark), 3) << "a line per retry: " << run_.Errors();
    EXPECT_EQ(Occurrences(run_.Errors(), kCom5Open), 3) << run_.Errors();
    run_.Type("x");
    const ExitResult exit = run_.WaitExit();
    EXPECT_TRUE(exit.exited && exit.status == 0) << exit.Describe();
    EXPECT_TRUE(BacklightBecomes(Com5(), false));
}

TEST_F(Reconnect, DisplayMissingAtStartIsPaintedOnceItIsPluggedIn) {
    run_.WriteConfig(5, true);
    const PoleRecordFields record = Item(4, "WAITING FOR PORT", 4250);
    run_.WriteRecord(record);
    // COM5 names a device that is not there yet.
    ASSERT_EQ(symlink("/dev/pts/does-not-exist", run_.PathOf("COM5").c_str()), 0);
    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput(kMenu)) << run_.Output();
    EXPECT_EQ(run_.Errors(), "COM5 cannot be opened: COM5 links to /dev/pts/does-not-exist, which "
                             "does not exist" + kStaysDark);
    EXPECT_LT(run_.CpuShareOver(1500ms), 0.25);
    const std::string output_before = run_.Output();

    ASSERT_TRUE(ShowsWhole(Com5(), record, kReplugWait));
    EXPECT_TRUE(run_.WaitForErrors(kCom5Open)) << run_.Errors();
    EXPECT_TRUE(Com5().Model().BacklightOn());
    run_.Pump();
    EXPECT_EQ(run_.Output(), output_before) << "the program printed while it retried";

    run_.Type("x");
    EXPECT_TRUE(run_.WaitExit().exited);
}

TEST_F(Reconnect, ReconnectFollowsThePortChosenInSetup) {
    const PoleRecordFields record = Item(6, "MOVED PORT", 600);
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsWhole(Com5(), record, kDisplayWait));

    // Setup moves the display to COM6, which is not plugged in yet.
    ASSERT_EQ(symlink("/dev/pts/does-not-exist", run_.PathOf("COM6").c_str()), 0);
    run_.Type("s");
    ASSERT_TRUE(run_.WaitForOutput("enter 5): "));
    run_.Type("6\n");
    ASSERT_TRUE(run_.WaitForOutput("for OFF): "));
    run_.Type("1\n");
    ASSERT_TRUE(run_.WaitForOutput("Exiting config mode"));
    Com5().Pump(1500ms);
    const std::size_t com5_bytes = Com5().Received().size();

    DisplayTap& com6 = run_.Port(6);
    EXPECT_TRUE(ShowsWhole(com6, record, kReplugWait));
    Com5().Pump(1200ms);
    EXPECT_EQ(Com5().Received().size(), com5_bytes) << "the old port is still written";

    run_.Type("x");
    EXPECT_TRUE(run_.WaitExit().exited);
}

}  // namespace
}  // namespace korv::test
