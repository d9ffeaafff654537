// korvpole-display: on a link of its own (this build only) its dump, panel and log after
// known bytes, and the demo's pieces (simulator, korvpole, writer) run together; on
// both builds, reading the port at the other end of korvpole's line.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "display/lcd_bytes.h"
#include "tests/support/program_test.h"

namespace korv::test {
namespace {
namespace fs = std::filesystem;

int StatusOf(const ExitResult& result) {
    if (result.timed_out) return -1;
    return result.exited ? result.status : 128 + result.signal;
}

class LinuxDisplayTool : public ::testing::Test {
protected:
    void StartDisplay(std::vector<std::string> args, const std::string& link = "COM1") {
        run_.Start(Program::ThisBuild("korvpole-display", std::move(args)), kScripted);
        EXPECT_TRUE(WaitFor([&] { return run_.Dir().Has(link); })) << run_.Errors();
    }
    int StopDisplay(int signal_number = SIGTERM) {
        run_.Signal(signal_number);
        return StatusOf(run_.WaitExit());
    }
    void SendToPort(const std::string& bytes, const std::string& link = "COM1") {
        const int fd = open(run_.PathOf(link).c_str(), O_WRONLY | O_NOCTTY);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    std::size_t LogLines() const {
        const std::string log = run_.Dir().Has("bytes.log") ? run_.Dir().Read("bytes.log") : "";
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
    }

    Runner run_;
};

std::string Command(std::uint8_t command) {
    return {static_cast<char>(lcd::kCommandPrefix), static_cast<char>(command)};
}

std::string At(int row, int column) {
    return Command(static_cast<std::uint8_t>(lcd::kRowBase20x4[row - 1] + column - 1));
}

// Three clients one after another: no hang-up may end or deafen the simulator.
TEST_F(LinuxDisplayTool, LogsEveryByteDecodedAndDumpsTheScreenAfterAKnownStream) {
    StartDisplay({"--dump", "--log", "bytes.log"});
    const std::string logged = Command(lcd::kClearDisplay) + At(3, 2) + "A\x01" + Command(0x00);
    SendToPort(logged);
    const std::string first = wire::kInitialisation + wire::kBacklightOn + At(1, 1) + "HELLO" + At(3, 1) +
                              "TOTAL TAX" + At(3, 17) + "1.25";
    SendToPort(first);
    const std::string second = At(4, 16) + "13.50" + At(2, 20) + "Z" + At(1, 3) + "y";
    SendToPort(second);
    const std::size_t sent = logged.size() + first.size() + second.size();
    ASSERT_TRUE(WaitFor([&] { return LogLines() == sent; })) << LogLines() << " log lines";
    ASSERT_EQ(StopDisplay(), 0) << run_.Errors();
    EXPECT_EQ(run_.Output(),
              "HEyLO               \n"
              "                   Z\n"
              "TOTAL TAX       1.25\n"
              "               13.50\n");

    std::istringstream log(run_.Dir().Read("bytes.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), sent);
    const char* expected[][3] = {
        {"FE", "prefix", nullptr},         {"01", "clear", nullptr},
        {"FE", "prefix", nullptr},         {"95", "set-address", "row 3 col 2"},
        {"41", "character", "'A'"},        {"01", "character", "'\\x01'"},
        {"FE", "prefix", nullptr},         {"00", "unknown-command", nullptr},
    };
    long previous_ms = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        long ms = -1;
        std::string unit, hex, kind;
        fields >> ms >> unit >> hex >> kind;
        EXPECT_EQ(unit, "ms") << lines[i];
        EXPECT_GE(ms, previous_ms) << lines[i];
        previous_ms = ms;
        if (i >= std::size(expected)) continue;
        EXPECT_EQ(hex, expected[i][0]) << lines[i];
        EXPECT_EQ(kind, expected[i][1]) << lines[i];
        if (expected[i][2]) {
            EXPECT_NE(lines[i].find(expected[i][2]), std::string::npos) << lines[i];
        }
    }
    EXPECT_NE(lines[4].find("ddram 15"), std::string::npos) << "the 'A' lands at row 3 col 2: " << lines[4];
}

TEST_F(LinuxDisplayTool, KindGivesA2x20DisplayOfThatCommandSet) {
    StartDisplay({"--kind", "escpos", "--dump", "--log", "bytes.log"});
    const std::string bytes = wire::kEscpos.bring_up + wire::kEscpos.cursor_lead + "\x03\x02" + "HI" +
                              wire::kEscpos.dimmest;
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return LogLines() == bytes.size(); })) << LogLines() << " log lines";
    EXPECT_NE(run_.Dir().Read("bytes.log").find("set-address        row 2 col 3    cursor 2,3"),
              std::string::npos) << run_.Dir().Read("bytes.log");
    ASSERT_EQ(StopDisplay(), 0) << run_.Errors();
    EXPECT_EQ(run_.Output(), std::string(20, ' ') + "\n  HI" + std::string(16, ' ') + "\n");
}

TEST_F(LinuxDisplayTool, PanelWithoutTerminalIsPlainTextAndShowsBacklightAndCounts) {
    StartDisplay({"--log", "bytes.log"});
    const std::string bytes = wire::kInitialisation + wire::kBacklightOn + At(2, 1) + "PANEL" + Command(0x00);
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return run_.Output().find("unknown 1") != std::string::npos; })) << run_.Output();
    const std::string lit = run_.Output();
    EXPECT_NE(lit.find(" lcd on COM1  backlight ON\n"), std::string::npos) << lit;
    EXPECT_NE(lit.find("\n unknown bytes: FE 00\n"), std::string::npos) << lit;
    EXPECT_NE(lit.find("|PANEL               |"), std::string::npos) << lit;
    EXPECT_NE(lit.find("bytes " + std::to_string(bytes.size())), std::string::npos) << lit;
    EXPECT_NE(lit.find("commands 11"), std::string::npos) << lit;
    EXPECT_EQ(lit.find('\x1b'), std::string::npos) << "no escape codes off a terminal";

    SendToPort(Command(lcd::kBacklightOff));
    EXPECT_TRUE(WaitFor([&] { return run_.Output().find("backlight off") != std::string::npos; })) << run_.Output();
    EXPECT_EQ(StopDisplay(), 0);
}

// Which arguments are bad, and the words, are tool_parts_test's.
TEST_F(LinuxDisplayTool, BadArgumentsExitTwoAndLinkNothingAndAnEntryNotItsOwnLinkIsRefused) {
    EXPECT_EQ(StatusOf(run_.RunToEnd(Program::ThisBuild("korvpole-display", {"--rom", "a01"}))), 2);
    EXPECT_NE(run_.Errors().find("korvpole-display: --rom: 'a01'"), std::string::npos) << run_.Errors();
    EXPECT_TRUE(run_.Dir().Entries().empty()) << "COM1 was linked";

    run_.Dir().Write("COM1", "keep");
    EXPECT_EQ(StatusOf(run_.RunToEnd(Program::ThisBuild("korvpole-display", {"--port", "1"}))), 1);
    EXPECT_NE(run_.Errors().find("COM1"), std::string::npos) << run_.Errors();
    EXPECT_EQ(run_.Dir().Read("COM1"), "keep");

    // A link to a pseudo-terminal that some other program made is no less foreign.
    const std::string other_slave = run_.Port(7).Port().SlavePath();
    EXPECT_EQ(StatusOf(run_.RunToEnd(Program::ThisBuild("korvpole-display", {"--port", "7"}))), 1);
    EXPECT_EQ(fs::read_symlink(run_.PathOf("COM7")).string(), other_slave);
}

TEST_F(LinuxDisplayTool, RemovesItsLinkWhenEndedBySignalButNotAnEntryThatReplacedIt) {
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        StartDisplay({"--port", "3"}, "COM3");
        EXPECT_EQ(StopDisplay(signal_number), 0) << strsignal(signal_number);
        EXPECT_FALSE(run_.Dir().Has("COM3")) << strsignal(signal_number);
    }
    StartDisplay({"--port", "3"}, "COM3");
    ASSERT_EQ(unlink(run_.PathOf("COM3").c_str()), 0);
    run_.Dir().Write("COM3", "new");
    EXPECT_EQ(StopDisplay(), 0);
    EXPECT_EQ(run_.Dir().Read("COM3"), "new");
}

bool ShowsSaleText(const std::string& panel) {
    for (const char* text : {"WELCOME", "Coffee", "Oat milk", "Croissant", "SUBTOTAL", "TOTAL DUE", "THANK YOU"})
        if (panel.find(text) != std::string::npos) return true;
    return false;
}

TEST(LinuxDemo, SaleReachesTheSimulatedDisplayAndEverythingStopsCleanly) {
    Runner display;
    Runner pole(display.SharedDir());
    Runner writer(display.SharedDir());
    display.Dir().Write("KORVPOLE.CFG", std::string("1\0\0" "1\0", 5));  // COM1, backlight on
    display.Start(Program::ThisBuild("korvpole-display", {"--port", "1"}), kScripted);
    ASSERT_TRUE(WaitFor([&] { return display.Dir().Has("COM1"); })) << display.Errors();
    pole.Start(Program::ThisBuild("korvpole"), {Input::kPipe, false});
    writer.Start(Program::ThisBuild("korvpole-post", {"--demo", "--loop", "--step-ms", "300"}), kScripted);

    ASSERT_TRUE(WaitFor([&] {
        const std::string panel = display.Output();
        return ShowsSaleText(panel) && panel.find("|    TOTAL ") != std::string::npos;
    })) << display.Output() << pole.Output() << pole.Errors();
    EXPECT_NE(display.Output().find("backlight ON"), std::string::npos);

    pole.Type("X");
    EXPECT_EQ(StatusOf(pole.WaitExit()), 0) << pole.Errors();
    writer.Signal(SIGTERM);
    EXPECT_EQ(StatusOf(writer.WaitExit()), 128 + SIGTERM) << "the looping writer runs until it is stopped";
    // korvpole's own goodbye: screen cleared, backlight off.
    EXPECT_TRUE(WaitFor([&] {
        const std::string panel = display.Output();
        return panel.rfind("backlight off") != std::string::npos &&
               panel.rfind("backlight off") > panel.rfind("backlight ON");
    })) << display.Output();
    display.Signal(SIGTERM);
    EXPECT_EQ(StatusOf(display.WaitExit()), 0);

    EXPECT_FALSE(display.Dir().Has("COM1"));
    for (pid_t pid : {display.Pid(), pole.Pid(), writer.Pid()})
        EXPECT_EQ(kill(pid, 0), -1) << "process " << pid << " is still there";
}

struct ReadKind { DisplayKind kind; const char* lit; const char* dark; };
class DisplayReadingPort : public ::testing::TestWithParam<ReadKind> {};

// korvpole on COM5, the display reading COM6 across a null-modem cable; a missing port in korvpole's words.
TEST_P(DisplayReadingPort, ShowsTheSaleBAndXThatKorvpoleSendsOnTheOtherPort) {
    const char* kind = ProtocolOf(GetParam().kind).name;
    const std::string header = std::string(kind) + " on COM6, 9600 baud 8N1";
    Runner display, pole(display.SharedDir()), other(display.SharedDir());
    display.UseWine(Program::Korvpole().wine);
    display.WriteConfig(5, true);
    display.Dir().Write("KORVPOLE.INI", std::string("display = ") + kind + "\n");
    display.WriteRecord(Sale(1, "Coffee", "1 x 3.20", 22, 320));
    PtyPort& com5 = display.Port(5).Port();
    PtyPort& com6 = display.Port(6).Port();
    display.Start(Program::Tool("korvpole-display", {"--read", "6", "--kind", kind}), kScripted);
    ASSERT_TRUE(display.WaitForOutput(header)) << display.Output();
    EXPECT_EQ(StatusOf(other.RunToEnd(Program::Tool("korvpole-display", {"--read", "99"}))), 1);
    EXPECT_NE(other.Errors().find("COM99 cannot be opened: there is no COM99"), std::string::npos) << other.Errors();

    // The panel drawn last shows every one of `texts`.
    const auto shows = [&](const std::vector<std::string>& texts) {
        return WaitFor([&] {
            CarryAcross(com5, com6);
            const std::string last = display.Output().substr(display.Output().rfind(header));
            return std::all_of(texts.begin(), texts.end(),
                               [&](auto& text) { return last.find(text) != std::string::npos; });
        });
    };
    const std::string sale = "|" + TextRow("Coffee") + "|\n", total = "|" + TotalRow("3.20") + "|\n";
    pole.Start(Program::Korvpole());
    EXPECT_TRUE(shows({sale, total, GetParam().lit})) << display.Output();
    pole.Type("b");
    EXPECT_TRUE(shows({sale, total, GetParam().dark})) << display.Output();
    pole.Type("x");
    EXPECT_TRUE(pole.WaitExit().Succeeded()) << pole.Output();
    EXPECT_TRUE(shows({"|" + kBlankRow + "|\n", GetParam().dark})) << display.Output();
}

INSTANTIATE_TEST_SUITE_P(Kinds, DisplayReadingPort,
                         ::testing::Values(ReadKind{DisplayKind::kLcd, "backlight ON", "backlight off"},
                                           ReadKind{DisplayKind::kEscpos, "brightness 4 of 4", "brightness 1 of 4"}),
                         [](const auto& info) { return std::string(ProtocolOf(info.param.kind).name); });

// The A02 ROM's letters and a user-defined character's pattern read; the log names each load's letter.
TEST_F(LinuxDisplayTool, RomAndUserDefinedCharactersShowAsLettersAndTheLogNamesEachLoad) {
    StartDisplay({"--rom", "a02", "--dump", "--log", "bytes.log"});
    const std::string e_acute("\x02\x04\x0E\x11\x1F\x10\x0E\x00", 8);
    const std::string bytes = Command(0x48) + e_acute + At(1, 1) + "\x09\xC4\x5C\x02";
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return LogLines() == bytes.size(); })) << LogLines() << " log lines";
    ASSERT_EQ(StopDisplay(), 0) << run_.Errors();
    EXPECT_EQ(run_.Output().substr(0, run_.Output().find('\n')), "éÄ\\█                ");
    EXPECT_NE(run_.Dir().Read("bytes.log").find("cgram 1 <- é"), std::string::npos) << run_.Dir().Read("bytes.log");
}
}  // namespace
}  // namespace korv::test
