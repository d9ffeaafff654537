// korvpole-check where the port does not open: each cause in its own words on
// standard error, status 1, and nothing sent anywhere.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/program_test.h"
#include "tests/support/runner.h"
#include "tests/support/screen.h"

namespace korv::test {
namespace {

struct Outcome {
    ExitResult result;
    std::string out;
    std::string err;
};

Outcome RunCheck(Runner& run, std::vector<std::string> args = {}, const Console& console = kScripted) {
    const ExitResult result = run.RunToEnd(Program::Tool("korvpole-check", std::move(args)), console);
    return {result, run.Output(), run.Errors()};
}

::testing::AssertionResult FailsSaying(const Outcome& run, const std::string& words) {
    const std::string verdict = "korvpole-check: FAIL: " + words;
    if (run.result.exited && run.result.status == 1 && run.err.find(verdict) != std::string::npos &&
        run.out.find("OK") == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << run.result.Describe() << ", not status 1 with ["
                                         << verdict << "]; output:\n" << run.out << "errors:\n"
                                         << run.err;
}

::testing::AssertionResult NothingSent(DisplayTap& tap) {
    tap.PumpUntilQuiet(std::chrono::milliseconds(100));
    if (tap.Received().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bytes were sent; screen " << ScreenOf(tap);
}

std::string LinkedAs(DisplayTap& tap) { return "COM5 (link to " + tap.Port().SlavePath() + ")"; }

// A port number with neither a COM link nor a built-in port behind it, 5 where it can.
int PortWithNoDevice() {
    int port = 5;
    while (port < 99 && access(("/dev/ttyS" + std::to_string(port - 1)).c_str(), F_OK) == 0) ++port;
    return port;
}

TEST(CheckFailures, EachCauseIsNamedInItsOwnWordsWithStatusOne) {
    {
        SCOPED_TRACE("a link that leads nowhere");
        Runner run;
        run.WriteConfig(5, true);
        ASSERT_EQ(symlink("/nonexistent/ttyUSB9", run.PathOf("COM5").c_str()), 0);
        EXPECT_TRUE(FailsSaying(RunCheck(run),
                                "COM5 links to /nonexistent/ttyUSB9, which does not exist"));
    }
    {
        SCOPED_TRACE("no link and no built-in port");
        Runner run;
        const int port = PortWithNoDevice();
        run.WriteConfig(port, true);
        EXPECT_TRUE(FailsSaying(RunCheck(run), "there is no COM" + std::to_string(port) +
                                                   " (/dev/ttyS" + std::to_string(port - 1) + ")"));
    }
    {
        SCOPED_TRACE("a port a running korvpole holds");
        Runner run;
        run.WriteConfig(5, true);
        run.WriteRecord(Sale(1, "HELD"));
        DisplayTap& com5 = run.Port(5);
        Runner pole(run.SharedDir());
        pole.Start(Program::Korvpole(), {Input::kPipe, false});
        ASSERT_TRUE(pole.WaitForOutput(kMenu)) << pole.Output();
        ASSERT_TRUE(CyclesPass(com5, 1));
        EXPECT_TRUE(FailsSaying(RunCheck(run), LinkedAs(com5) +
                                                   " is held by another program, a running korvpole included"));
        com5.PumpUntilQuiet(std::chrono::milliseconds(300));
        EXPECT_EQ(com5.Received().find("9600 baud"), std::string::npos) << ScreenOf(com5);
        pole.Type("x");
        EXPECT_TRUE(pole.WaitExit().Succeeded()) << "korvpole was disturbed";
    }
    {
        SCOPED_TRACE("a link to an ordinary file");
        Runner run;
        run.WriteConfig(5, true);
        run.Dir().Write("plain.txt", "kept as it was");
        ASSERT_EQ(symlink("plain.txt", run.PathOf("COM5").c_str()), 0);
        EXPECT_TRUE(FailsSaying(RunCheck(run), "COM5 (link to plain.txt -> " + run.PathOf("plain.txt") +
                                                   ") is not a serial device"));
        EXPECT_EQ(run.Dir().Read("plain.txt"), "kept as it was");
    }
    {
        SCOPED_TRACE("port 0, and no settings at all");
        Runner run;
        DisplayTap& com5 = run.Port(5);
        EXPECT_TRUE(FailsSaying(RunCheck(run), "no KORVPOLE.CFG in this folder"));
        run.WriteConfig(0, true);
        EXPECT_TRUE(FailsSaying(RunCheck(run), "no COM port is configured (port 0)"));
        EXPECT_TRUE(NothingSent(com5));
    }
    {
        SCOPED_TRACE("a bad argument");
        Runner run;
        run.WriteConfig(5, true);
        DisplayTap& com5 = run.Port(5);
        const Outcome bad = RunCheck(run, {"--port", "100"});
        EXPECT_EQ(bad.result.status, 2) << bad.result.Describe();
        EXPECT_EQ(bad.err.rfind("korvpole-check: ", 0), 0u) << bad.err;
        EXPECT_TRUE(NothingSent(com5));
    }
    {
        SCOPED_TRACE("a device only its group may open");
        if (geteuid() != 0) GTEST_SKIP() << "only the superuser can hand the port to root";
        const group* dialout = getgrnam("dialout");
        if (dialout == nullptr) GTEST_SKIP() << "no group 'dialout' here";
        Runner run;
        run.WriteConfig(5, true);
        DisplayTap& com5 = run.Port(5);
        const std::string device = com5.Port().SlavePath();
        ASSERT_EQ(chown(device.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(chmod(device.c_str(), 0660), 0);
        ASSERT_EQ(chmod(run.Dir().Path().c_str(), 0755), 0);  // the device, not the folder, forbids
        Console as_shop_user = kScripted;
        as_shop_user.ordinary_user = true;
        const Outcome refused = RunCheck(run, {}, as_shop_user);
        if (refused.result.status == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges";
        EXPECT_TRUE(FailsSaying(refused, "you may not open " + LinkedAs(com5) +
                                             ": only members of the group 'dialout' may. Join it "
                                             "with: sudo usermod -aG dialout $USER"));
        EXPECT_TRUE(NothingSent(com5));
    }
}

}  // namespace
}  // namespace korv::test
