// The integrator's kit as a technician runs it: the Linux korvpole-check directly, or
// korvpole-check.exe through Wine with a pseudo-terminal as its COM port; same cases,
// same checks. Under Wine, korvpole-post.exe's records are also compared byte for byte
// with those of this build's korvpole-post.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/hd44780_model.h"
#include "tests/support/console_text.h"
#include "tests/support/runner.h"
#include "tests/support/screen.h"
#include "tests/support/wine_prefix.h"

namespace korv::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Screen = std::array<std::string, 4>;

// What the cases run: set once by main, from the command line.
Program g_check;
Program g_post;

constexpr seconds kWait{40};
constexpr Console kScripted{Input::kNothing, false};

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

std::string Shown(const Screen& screen) {
    std::string text;
    for (const std::string& row : screen) text += "[" + row + "]";
    return text;
}

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
    return ::testing::AssertionFailure() << "never showed " << Shown(screens[next])
                                         << " after the screens before it; screen "
                                         << ScreenOf(tap);
}

std::string Describe(Runner& run, const ExitResult& result) {
    return result.Describe() + "; output:\n" + run.Output() + "errors:\n" + run.Errors();
}

struct PatternRun {
    const char* name;
    int configured_port;
    bool backlight_on;
    bool keep;
    std::vector<std::string> args;
};

// Each run in a fresh folder with COM5 (and COM7) of its own; the file's COM7 is
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
        run.UseWine(g_check.wine);
        run.WriteConfig(plan.configured_port, plan.backlight_on);
        DisplayTap& com5 = run.Port(5);
        DisplayTap& com7 = run.Port(7);
        Program check = g_check;
        check.args = {"--step-ms", "50"};
        check.args.insert(check.args.end(), plan.args.begin(), plan.args.end());

        run.Start(check, kScripted);
        const ExitResult result = run.WaitExit(kWait);
        com5.PumpUntilQuiet(milliseconds(400));
        com7.PumpUntilQuiet(milliseconds(100));
        EXPECT_TRUE(result.Succeeded()) << Describe(run, result) << "\nscreen " << ScreenOf(com5);

        const std::string verdict = Unwrapped(run.Output());
        EXPECT_NE(verdict.find("korvpole-check: OK: the test pattern went out on COM5 ("),
                  std::string::npos) << verdict;
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
        EXPECT_EQ(Hex(com7.Received()), "") << "COM7 is not the port checked";
    }
}

// The byte values a text-mode write or read would turn or stop at: LF, CR, Ctrl-Z.
const std::string kAwkwardBytes = std::string("\x1A\r\n\x1A", 4);

// An 80-byte record the till left: counter 0xFFFF, unread fields and the bytes past 74
// full of awkward bytes, which a rewrite in place must keep.
std::string LeftByATill() {
    std::string record;
    while (record.size() < 80) record += kAwkwardBytes;
    record.replace(0, 6, "Till\0\0", 6);
    record.replace(58, 2, "\xFF\xFF", 2);
    record.replace(60, 2, "\x01\x00", 2);
    return record;
}

struct PostStep {
    std::vector<std::string> args;
    std::string says;
};

// Amounts and a scale whose bytes are LF (10), Ctrl-Z (26) and CR (13); a shorter
// text; the counter from 0xFFFF to 1; the amounts at their limits.
const std::vector<PostStep> kNewFileSteps = {
    {{"--line1", "Coffee", "--line2", "1 x 3.20", "--tax", "0.10", "--total", "0.26", "--scale",
      "13"}, "POLE.DAT: counter 1 written"},
    {{"--line1", "Tea", "--total", "-21474836.48"}, "POLE.DAT: counter 2 written"},
};
const std::vector<PostStep> kTillFileSteps = {
    {{"--tax", "-0.07"}, "POLE.DAT: counter 1 written"},
    {{"--total", "21474836.47", "--line2", "x"}, "POLE.DAT: counter 2 written"},
};

::testing::AssertionResult RanSaying(Runner& run, const ExitResult& result, const std::string& says) {
    if (!result.Succeeded() || run.Output().find(says) == std::string::npos)
        return ::testing::AssertionFailure() << "did not end with 0 saying [" << says << "]: "
                                             << Describe(run, result);
    return ::testing::AssertionSuccess();
}

void ExpectSameRecords(const std::string& seed, const std::vector<PostStep>& steps) {
    Runner linux_run;
    Runner windows_run;
    windows_run.UseWine(g_post.wine);
    if (!seed.empty()) {
        linux_run.Dir().Write("POLE.DAT", seed);
        windows_run.Dir().Write("POLE.DAT", seed);
    }
    for (const PostStep& step : steps) {
        SCOPED_TRACE(step.says);
        linux_run.Start(Program::Tool("korvpole-post", step.args), kScripted);
        ASSERT_TRUE(RanSaying(linux_run, linux_run.WaitExit(), step.says));
        Program post = g_post;
        post.args = step.args;
        windows_run.Start(post, kScripted);
        ASSERT_TRUE(RanSaying(windows_run, windows_run.WaitExit(kWait), step.says));
        EXPECT_EQ(Hex(windows_run.Dir().Read("POLE.DAT")), Hex(linux_run.Dir().Read("POLE.DAT")));
    }
}

TEST(PostRecord, WindowsToolWritesTheSameBytesAsTheLinuxTool) {
    if (!g_post.IsWindows()) GTEST_SKIP() << "compares korvpole-post.exe with this build's tool";
    {
        SCOPED_TRACE("a new file");
        ExpectSameRecords("", kNewFileSteps);
    }
    {
        SCOPED_TRACE("a till's file, rewritten in place");
        ExpectSameRecords(LeftByATill(), kTillFileSteps);
    }
}

}  // namespace
}  // namespace korv::test

// kit_cases_test CHECK POST [--desktop-holder EXE]: the Linux tools, or both .exe
// files under Wine, which needs the holder.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const bool holder_given = argc == 5 && std::string(argv[3]) == "--desktop-holder";
    if (argc != 3 && !holder_given) {
        std::fprintf(stderr, "usage: %s CHECK POST [--desktop-holder EXE]\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    using namespace korv::test;
    g_check.path = fs::absolute(argv[1]).string();
    g_post.path = fs::absolute(argv[2]).string();
    for (const Program* program : {&g_check, &g_post}) {
        if (!fs::exists(program->path)) {
            std::fprintf(stderr, "no program at %s\n", program->path.c_str());
            return 2;
        }
    }
    if (!g_check.IsWindows() && !g_post.IsWindows()) return RUN_ALL_TESTS();
    if (!holder_given) {
        std::fprintf(stderr, "the .exe files need --desktop-holder\n");
        return 2;
    }
    return RunAllTestsUnderWine({&g_check, &g_post}, fs::absolute(argv[4]).string());
}
