// korvpole-check as a technician runs it: the test pattern on the display, and where
// the port does not open, each cause in its own words, status 1 and nothing sent.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/hd44780_model.h"
#include "tests/support/console_text.h"
#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using Args = std::vector<std::string>;
using Screen = std::array<std::string, 4>;

// The pattern as a technician should see it, written out by hand: the printable
// characters from '!' to '~', 40 to a page on rows 3 and 4.
const std::string kSettingsRow = "COM5 9600 baud 8N1  ";
const std::string kRuler = "12345678901234567890";
const Screen kPages[] = {
    {kSettingsRow, kRuler, "!\"#$%&'()*+,-./01234", "56789:;<=>?@ABCDEFGH"},
    {kSettingsRow, kRuler, "IJKLMNOPQRSTUVWXYZ[\\", "]^_`abcdefghijklmnop"},
    {kSettingsRow, kRuler, "qrstuvwxyz{|}~      ", kBlankRow},
};
const Screen kCleared = {kBlankRow, kBlankRow, kBlankRow, kBlankRow};

// Replays every byte the display took, so that a screen that stood for a moment only
// counts as well as one the test happened to look at.
::testing::AssertionResult ShowedInOrder(const DisplayTap& tap, const std::vector<Screen>& screens) {
    sim::Hd44780Model replay;
    std::size_t next = 0;
    for (unsigned char byte : tap.Received()) {
        if (next == screens.size()) break;
        replay.Feed(byte);
        if (replay.Screen() == screens[next]) ++next;
    }
    if (next == screens.size()) return ::testing::AssertionSuccess();
    std::string shown;
    for (const std::string& row : screens[next]) shown += "[" + row + "]";
    return ::testing::AssertionFailure() << "never showed " << shown << " after the screens before it; screen "
                                         << ScreenOf(tap);
}

class CheckTool : public ::testing::Test {
protected:
    CheckTool() { run_.UseWine(Program::Tool("korvpole-check").wine); }

    ExitResult Check(const Args& args = {}, const Console& console = kScripted) {
        const ExitResult result = run_.RunToEnd(Program::Tool("korvpole-check", args), console);
        Com5().CatchUp();
        return result;
    }
    ::testing::AssertionResult FailsSaying(const ExitResult& result, const std::string& words) {
        const std::string verdict = "korvpole-check: FAIL: " + words;
        if (result.exited && result.status == 1 && Unwrapped(run_.Errors()).find(verdict) != std::string::npos &&
            run_.Output().find("korvpole-check: OK") == std::string::npos && Com5().Received().empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << result.Describe() << ", not status 1 with [" << verdict
                                             << "] and nothing sent; output:\n" << run_.Output()
                                             << "errors:\n" << run_.Errors() << "screen " << ScreenOf(Com5());
    }
    DisplayTap& Com5() { return run_.Port(5); }

    Runner run_;
};

struct PatternRun {
    const char* name;
    int configured_port;
    bool backlight_on;
    bool keep;
    Args args;
};

// Each run in a fresh folder with COM5 and COM7 of its own; the file's COM7 is
// overridden by --port 5 in the last.
const PatternRun kPatternRuns[] = {
    {"backlight on", 5, true, false, {}},
    {"backlight off", 5, false, false, {}},
    {"--keep", 5, true, true, {"--keep"}},
    {"--port 5 over COM7 in the file", 7, false, false, {"--port", "5"}},
};

TEST(CheckPattern, GoesUpBlinksOnceAndEndsClearedWithTheConfiguredBacklight) {
    for (const PatternRun& plan : kPatternRuns) {
        SCOPED_TRACE(plan.name);
        Runner run;
        run.UseWine(Program::Tool("korvpole-check").wine);
        run.WriteConfig(plan.configured_port, plan.backlight_on);
        DisplayTap& com5 = run.Port(5);
        DisplayTap& com7 = run.Port(7);
        Args args = {"--step-ms", "50"};
        args.insert(args.end(), plan.args.begin(), plan.args.end());

        const ExitResult result = run.RunToEnd(Program::Tool("korvpole-check", args));
        com5.CatchUp();
        EXPECT_TRUE(result.Succeeded()) << result.Describe() << "; output:\n" << run.Output()
                                        << "errors:\n" << run.Errors() << "screen " << ScreenOf(com5);
        const std::string verdict = Unwrapped(run.Output());
        EXPECT_NE(verdict.find("korvpole-check: OK: the test pattern went out on COM5 ("), std::string::npos)
            << verdict;
        const std::string ending = std::string(plan.keep ? "the pattern stays up" : "it is cleared") +
                                   ", backlight " + (plan.backlight_on ? "on" : "off") + ".";
        EXPECT_NE(verdict.find(ending), std::string::npos) << verdict;

        const std::string bring_up = plan.backlight_on ? wire::kBringUpLit : wire::kBringUpDark;
        EXPECT_EQ(Hex(com5.Received().substr(0, bring_up.size())), Hex(bring_up));
        EXPECT_TRUE(ShowedInOrder(com5, {kPages[0], kPages[1], kPages[2]}));
        // Off and on once, then as configured: no other backlight command after the bring-up.
        const std::string configured = plan.backlight_on ? wire::kBacklightOn : wire::kBacklightOff;
        EXPECT_TRUE(EndsWith(com5, wire::kBacklightOff + wire::kBacklightOn + configured +
                                       (plan.keep ? "" : wire::kClear)));
        EXPECT_EQ(Count(com5, sim::DecodedByte::Kind::kBacklightOn) +
                      Count(com5, sim::DecodedByte::Kind::kBacklightOff),
                  4) << ScreenOf(com5);
        EXPECT_EQ(com5.Model().Screen(), plan.keep ? kPages[0] : kCleared) << ScreenOf(com5);
        EXPECT_EQ(com5.Model().BacklightOn(), plan.backlight_on) << ScreenOf(com5);
        EXPECT_EQ(Hex(com7.CatchUp()), "") << "COM7 is not the port checked";
    }
}

TEST_F(CheckTool, MissingSettingsPortZeroAndABadArgumentSendNothing) {
    EXPECT_TRUE(FailsSaying(Check(), "no KORVPOLE.CFG in this folder"));
    run_.WriteConfig(0, true);
    EXPECT_TRUE(FailsSaying(Check(), "no COM port is configured (port 0)"));
    run_.WriteConfig(5, true);
    const ExitResult bad = Check({"--port", "100"});
    EXPECT_EQ(bad.status, 2) << bad.Describe();
    EXPECT_NE(run_.Errors().find("korvpole-check: "), std::string::npos) << run_.Errors();
    EXPECT_EQ(Com5().Received(), "");
}

class LinuxCheckTool : public CheckTool {};

TEST_F(LinuxCheckTool, ALinkThatLeadsNowhereOrNoPortAtAll) {
    run_.WriteConfig(5, true);
    std::filesystem::create_symlink("/nonexistent/ttyUSB9", run_.PathOf("COM4"));
    EXPECT_TRUE(FailsSaying(Check({"--port", "4"}), "COM4 links to /nonexistent/ttyUSB9, which does not exist"));
    // A port number with neither a COM link nor a built-in port behind it.
    int port = 6;
    while (port < 99 && access(("/dev/ttyS" + std::to_string(port - 1)).c_str(), F_OK) == 0) ++port;
    EXPECT_TRUE(FailsSaying(Check({"--port", std::to_string(port)}),
                            "there is no COM" + std::to_string(port) + " (/dev/ttyS" + std::to_string(port - 1) + ")"));
}

TEST_F(LinuxCheckTool, APortARunningKorvpoleHolds) {
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "HELD"));
    Com5();
    Runner pole(run_.SharedDir());
    pole.Start(Program::Korvpole());
    ASSERT_TRUE(Prints(pole, kMenu));
    ASSERT_TRUE(CyclesPass(Com5(), 1));
    const ExitResult result = run_.RunToEnd(Program::Tool("korvpole-check"));
    EXPECT_EQ(result.status, 1) << result.Describe();
    EXPECT_NE(run_.Errors().find("korvpole-check: FAIL: COM5 (link to " + Com5().Port().SlavePath() +
                                 ") is held by another program, a running korvpole included"),
              std::string::npos) << run_.Errors();
    Com5().CatchUp();
    EXPECT_EQ(Com5().Received().find("9600 baud"), std::string::npos) << ScreenOf(Com5());
    pole.Type("x");
    EXPECT_TRUE(pole.WaitExit().Succeeded()) << "korvpole was disturbed";
}

TEST_F(LinuxCheckTool, ALinkToAnOrdinaryFileIsNoSerialDevice) {
    run_.WriteConfig(6, true);
    run_.Dir().Write("plain.txt", "kept as it was");
    std::filesystem::create_symlink("plain.txt", run_.PathOf("COM6"));
    EXPECT_TRUE(FailsSaying(Check(), "COM6 (link to plain.txt -> " + run_.PathOf("plain.txt") +
                                         ") is not a serial device"));
    EXPECT_EQ(run_.Dir().Read("plain.txt"), "kept as it was");
}

TEST_F(LinuxCheckTool, ADeviceOnlyItsGroupMayOpen) {
    if (geteuid() != 0) GTEST_SKIP() << "only the superuser can hand the port to root";
    const group* dialout = getgrnam("dialout");
    if (dialout == nullptr) GTEST_SKIP() << "no group 'dialout' here";
    run_.WriteConfig(5, true);
    const std::string device = Com5().Port().SlavePath();
    ASSERT_EQ(chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(device.c_str(), 0660), 0);
    ASSERT_EQ(chmod(run_.Dir().Path().c_str(), 0755), 0);  // the device, not the folder, forbids
    Console as_shop_user = kScripted;
    as_shop_user.ordinary_user = true;
    const ExitResult refused = Check({}, as_shop_user);
    if (refused.status == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_TRUE(FailsSaying(refused, "you may not open COM5 (link to " + device +
                                         "): only members of the group 'dialout' may. Join it "
                                         "with: sudo usermod -aG dialout $USER"));
}

}  // namespace
}  // namespace korv::test
