// korvpole-check as a technician runs it: the pattern and the character pages, the list
// of ports, and a port that does not open, each cause in its own words.
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sim/display_model.h"
#include "tests/support/console_text.h"
#include "tests/support/program_test.h"
#include "tests/support/wine_prefix.h"

namespace korv::test {
namespace {
using Args = std::vector<std::string>;
using Kind = sim::DecodedByte::Kind;
using Screen = std::vector<std::string>;

// The pattern written out by hand: '!' to '~', 40 to a page on rows 3 and 4.
const std::string kSettingsRow = "COM5 9600 baud 8N1  ";
const std::string kRuler = "12345678901234567890";
const Screen kPages[] = {
    {kSettingsRow, kRuler, "!\"#$%&'()*+,-./01234", "56789:;<=>?@ABCDEFGH"},
    {kSettingsRow, kRuler, "IJKLMNOPQRSTUVWXYZ[\\", "]^_`abcdefghijklmnop"},
    {kSettingsRow, kRuler, "qrstuvwxyz{|}~      ", kBlankRow},
};
const Screen kCleared = {kBlankRow, kBlankRow, kBlankRow, kBlankRow};

// Replays every byte taken, so that a screen that stood a moment counts; with a ROM, read in UTF-8.
::testing::AssertionResult ShowedInOrder(const DisplayTap& tap, const std::vector<Screen>& screens,
                                         std::optional<charset::CharacterRom> rom = std::nullopt) {
    const auto replay = sim::MakeDisplayModel(tap.Kind(), rom.value_or(charset::CharacterRom::kA00));
    std::size_t next = 0;
    for (unsigned char byte : tap.Received()) {
        if (next == screens.size()) break;
        replay->Feed(byte);
        if ((rom ? replay->Readings() : replay->Screen()) == screens[next]) ++next;
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

TEST(CheckPattern, GoesUpBlinksOnceAndEndsClearedWithTheConfiguredBacklight) {
    // Each run in a fresh folder with COM5 and COM7 of its own.
    const struct {
        const char* name;
        int configured_port;
        bool backlight_on;
        bool keep;
        Args args;
    } runs[] = {
        {"backlight on", 5, true, false, {"--step-ms", "50"}},
        {"--keep", 5, true, true, {"--step-ms", "50", "--keep"}},
        {"--port 5 over COM7 in the file", 7, false, false, {"--step-ms", "50", "--port", "5"}},
    };
    for (const auto& plan : runs) {
        SCOPED_TRACE(plan.name);
        Runner run;
        run.UseWine(Program::Tool("korvpole-check").wine);
        run.WriteConfig(plan.configured_port, plan.backlight_on);
        DisplayTap& com5 = run.Port(5);
        DisplayTap& com7 = run.Port(7);
        const ExitResult result = run.RunToEnd(Program::Tool("korvpole-check", plan.args));
        com5.CatchUp();
        EXPECT_TRUE(result.Succeeded()) << result.Describe() << "; output:\n" << run.Output()
                                        << "errors:\n" << run.Errors() << "screen " << ScreenOf(com5);
        const std::string verdict = Unwrapped(run.Output());
        EXPECT_TRUE(Contains(verdict, "korvpole-check: OK: the test pattern went out on COM5 ("));
        const std::string ending = std::string(plan.keep ? "the pattern stays up" : "it is cleared") +
                                   ", backlight " + (plan.backlight_on ? "on" : "off") + ".";
        EXPECT_TRUE(Contains(verdict, ending));
        EXPECT_TRUE(Contains(verdict, "record:   POLE.DAT does not exist"));

        const std::string bring_up = plan.backlight_on ? wire::kBringUpLit : wire::kBringUpDark;
        EXPECT_EQ(Hex(com5.Received().substr(0, bring_up.size())), Hex(bring_up));
        EXPECT_TRUE(ShowedInOrder(com5, {kPages[0], kPages[1], kPages[2]}));
        // Off and on once, then as configured; a kept pattern ends in row 1 over the wrong kind's line.
        const std::string configured = plan.backlight_on ? wire::kBacklightOn : wire::kBacklightOff;
        const std::string row1 = "\xFE\x80";
        EXPECT_TRUE(EndsWith(com5, wire::kBacklightOff + wire::kBacklightOn + configured +
                                       (plan.keep ? row1 + "WRONG KIND lcd" + row1 + kSettingsRow : wire::kClear)));
        EXPECT_EQ(Count(com5, Kind::kBacklightOn) + Count(com5, Kind::kBacklightOff), 4) << ScreenOf(com5);
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
    EXPECT_TRUE(Contains(run_.Errors(), "korvpole-check: "));
    EXPECT_EQ(Com5().Received(), "");
}

// --kind tries a 2x20 display without KORVPOLE.INI, two rows at a time.
TEST_F(CheckTool, KindTriesA2x20DisplayAndABadSideFileIsSaidAsKorvpoleSaysIt) {
    run_.WriteConfig(5, false);
    DisplayTap& com5 = run_.Port(5, DisplayKind::kCd5220);
    const ExitResult result = Check({"--kind", "CD5220", "--step-ms", "50"});
    ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; output:\n" << run_.Output() << run_.Errors();
    const std::string output = Unwrapped(run_.Output());
    EXPECT_TRUE(Contains(output, "display:  cd5220, 2x20 (--kind)"));
    EXPECT_TRUE(Contains(output, "its brightness went lowest and highest once; now it is cleared, brightness lowest."));
    EXPECT_TRUE(ShowedInOrder(com5, {{kSettingsRow, kRuler}, {kPages[0][2], kPages[0][3]},
                                     {kPages[1][2], kPages[1][3]}, {kPages[2][2], kBlankRow},
                                     {kBlankRow, kBlankRow}}));
    EXPECT_FALSE(com5.Model().BacklightOn()) << ScreenOf(com5);

    // The other kind's cursor command moves nothing: its line stays, perhaps wrapped.
    ASSERT_TRUE(Check({"--kind", "escpos", "--step-ms", "50", "--keep"}).Succeeded()) << run_.Output();
    const std::string rows = com5.Model().Reading(1) + com5.Model().Reading(2);
    EXPECT_NE((rows + rows).find("WRONG KIND escpos"), std::string::npos) << ScreenOf(com5);

    const std::size_t sent = com5.Received().size();
    run_.Dir().Write("KORVPOLE.INI", "display = cd5220\nbaud = 9601\n");
    const ExitResult refused = Check({"--kind", "escpos"});
    EXPECT_EQ(refused.status, 2) << refused.Describe();
    EXPECT_TRUE(Contains(Unwrapped(run_.Errors()), "korvpole-check: FAIL: KORVPOLE.INI line 2: baud must be 1200, "
                                                   "2400, 4800, 9600, 19200, 38400, 57600 or 115200, not '9601'"));
    EXPECT_EQ(com5.Received().size(), sent) << ScreenOf(com5);
}

// The display's own characters from `first`, 48 to a page: a ruler of the last hex digit,
// then 16 behind the code of the first; FE, the command prefix, travels as a blank.
Screen CharsetPage(int first) {
    Screen page = {"   0123456789ABCDEF ", "", "", ""};
    const char* const hex = "0123456789ABCDEF";
    for (int row = 1; row < 4; ++row) {
        const int code = first + 16 * (row - 1);
        page[row] = code > 0xFF ? "" : std::string{hex[code >> 4], '0', ' '};
        for (int c = code; c < code + 16 && c <= 0xFF; ++c) page[row] += c == 0xFE ? ' ' : static_cast<char>(c);
        page[row].resize(20, ' ');
    }
    return page;
}

TEST_F(CheckTool, CharsetShows80ToFFBehindTheirCodesAPageAtATimeAndTheLettersKorvpoleDraws) {
    run_.WriteConfig(5, false);
    Com5();
    const ExitResult result = Check({"--charset", "--step-ms", "50"});
    ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; output:\n" << run_.Output();
    EXPECT_TRUE(Contains(Unwrapped(run_.Output()), "page 3 of 3: codes E0 to FF"));
    EXPECT_TRUE(ShowedInOrder(Com5(), {CharsetPage(0x80), CharsetPage(0xB0), CharsetPage(0xE0), kCleared}));
    EXPECT_EQ(Com5().Model().Screen(), kCleared) << ScreenOf(Com5());
    EXPECT_EQ(Count(Com5(), Kind::kUnknownCommand), 0) << "FE went out as text";

    // A line per table: on a 2x20 display holding cp437 cp437's and cp850's read right.
    DisplayTap& com6 = run_.Port(6, DisplayKind::kEscpos);
    run_.Dir().Write("KORVPOLE.INI", "display = escpos\n");
    ASSERT_TRUE(Check({"--charset", "--step-ms", "50", "--port", "6"}).Succeeded()) << run_.Output();
    com6.CatchUp();
    EXPECT_TRUE(Contains(Unwrapped(run_.Output()), "page 9 of 10: the letters ä ö ü å é ñ € in each table"));
    EXPECT_TRUE(ShowedInOrder(com6, {{"1 cp437 äöüåéñE     ", "2 cp850 äöüåéñE     "}}, charset::CharacterRom::kA00));

    // With a code page, then its letters the ROM lacks, as korvpole draws them, over their stand-ins.
    run_.Dir().Write("KORVPOLE.INI", "text = cp850\r\nrom = a02\r\n");
    ASSERT_TRUE(Check({"--charset", "--step-ms", "50"}).Succeeded()) << run_.Output();
    EXPECT_TRUE(Contains(Unwrapped(run_.Output()),
                         "page 4 of 4: letters korvpole draws, Ø ı þ; beyond eight at once O i t"));
    const Screen letters = {"cp850 1/1           ", "Ø ı þ               ", "O i t               ", kBlankRow};
    EXPECT_TRUE(ShowedInOrder(Com5(), {letters}, charset::CharacterRom::kA02));
    EXPECT_EQ(Com5().Model().Screen(), kCleared) << ScreenOf(Com5());
}

int LineMatching(const std::string& text, const std::string& pattern) {
    const std::regex expression(pattern);
    std::istringstream lines(text);
    int index = 0;
    for (std::string line; std::getline(lines, line); ++index)
        if (std::regex_match(line, expression)) return index;
    return -1;
}

// Under Wine, COM5 is mapped in the registry as a technician's adapter would be.
TEST_F(CheckTool, ListNamesEachPortWithItsStateMarksTheConfiguredOneAndOpensNone) {
    const Program check = Program::Tool("korvpole-check", {"--list"});
    run_.WriteConfig(5, true);
    std::vector<std::string> watched = {Com5().Port().SlavePath()};
    if (check.IsWindows()) {
        check.wine->MapComPort(5, Com5().Port().SlavePath());
    } else {
        std::filesystem::create_symlink("/dev/korv-unplugged-adapter", run_.PathOf("COM6"));
        run_.Dir().Write("COM7", "not a port");
        watched.push_back(run_.PathOf("COM7"));
    }
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const std::string& path : watched) EXPECT_GE(inotify_add_watch(watch, path.c_str(), IN_OPEN), 0) << path;
    const ExitResult result = run_.RunToEnd(check);
    alignas(inotify_event) char events[4096];
    const ssize_t reported = read(watch, events, sizeof events);  // no open: -1, EAGAIN
    close(watch);
    ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; output:\n" << run_.Output();
    EXPECT_LE(reported, 0) << "listing opened a port or the file in one's place";

    const std::string& list = run_.Output();
    if (check.IsWindows()) {
        EXPECT_GE(LineMatching(list, R"(COM5 +\\\\\.\\COM5 +present +<- KORVPOLE\.CFG)"), 0) << list;
        return;
    }
    const int com5_line = LineMatching(list, "COM5 +COM5 -> " + Com5().Port().SlavePath() +
                                                 " +present +pseudo-terminal +<- KORVPOLE\\.CFG");
    const int com6_line = LineMatching(list, "COM6 +COM6 -> /dev/korv-unplugged-adapter +missing");
    const int com7_line = LineMatching(list, "COM7 +COM7 +not a serial device");
    EXPECT_GE(com5_line, 0) << list;
    EXPECT_GT(com6_line, com5_line) << list;
    EXPECT_GT(com7_line, com6_line) << list;
    const int machine_line = LineMatching(list, "(COM[0-9]+|-) +/dev/.*");
    EXPECT_TRUE(machine_line < 0 || machine_line > com7_line) << "the folder's ports come first:\n" << list;
}

class LinuxCheckTool : public CheckTool {};

TEST_F(LinuxCheckTool, ALinkThatLeadsNowhereOrToAFileOrNoPortAtAll) {
    run_.WriteConfig(6, true);
    std::filesystem::create_symlink("/nonexistent/ttyUSB9", run_.PathOf("COM4"));
    EXPECT_TRUE(FailsSaying(Check({"--port", "4"}), "COM4 links to /nonexistent/ttyUSB9, which does not exist"));
    run_.Dir().Write("plain.txt", "kept as it was");
    std::filesystem::create_symlink("plain.txt", run_.PathOf("COM6"));
    EXPECT_TRUE(FailsSaying(Check(), "COM6 (link to plain.txt -> " + run_.PathOf("plain.txt") +
                                         ") is not a serial device"));
    EXPECT_EQ(run_.Dir().Read("plain.txt"), "kept as it was");
    // A port number with neither a COM link nor a built-in port behind it.
    int port = 7;
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
    EXPECT_TRUE(Contains(run_.Errors(), "korvpole-check: FAIL: COM5 (link to " + Com5().Port().SlavePath() +
                                            ") is held by another program, a running korvpole included"));
    Com5().CatchUp();
    EXPECT_EQ(Com5().Received().find("9600 baud"), std::string::npos) << ScreenOf(Com5());
    pole.Type("x");
    EXPECT_TRUE(pole.WaitExit().Succeeded()) << "korvpole was disturbed";
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
