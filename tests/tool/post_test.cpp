// The tools through the built programs: korvpole-post's record read back byte by
// byte, korvpole-display's link, dump and log after known bytes, and the demo's
// pieces (simulator, korvpole, writer) started and stopped with nothing left over.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display/protocol.h"
#include "tests/support/runner.h"

namespace korv::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Generous: a loaded two-core machine may be slow, but never this slow.
constexpr std::chrono::seconds kDeadline(10);

// ---------------------------------------------------------------- test plumbing

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string FromBytes(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = kDeadline) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The exit status, 128 + the signal that ended it, or -1 when it still ran at the deadline.
int StatusOf(const ExitResult& result) {
    if (result.timed_out) return -1;
    return result.exited ? result.status : 128 + result.signal;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs a tool in the run's folder to its end.
Outcome RunToEnd(Runner& run, const std::string& tool, std::vector<std::string> args) {
    const ExitResult result = run.RunToEnd(Program::Tool(tool, std::move(args)));
    return {StatusOf(result), run.Output(), run.Errors()};
}

// ---------------------------------------------------------------- korvpole-post

constexpr std::size_t kRecordSize = 74;

std::uint16_t Le16(const Bytes& record, std::size_t at) {
    return static_cast<std::uint16_t>(record.at(at) | record.at(at + 1) << 8);
}

Bytes Le32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t size) {
    return Bytes(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + size));
}

Bytes Field(const std::string& text, std::size_t size) {
    Bytes field(size, 0);
    std::memcpy(field.data(), text.data(), std::min(size, text.size()));
    return field;
}

class PostTest : public ::testing::Test {
protected:
    Outcome Post(std::vector<std::string> args) {
        args.insert(args.begin(), {"--file", run_.PathOf("POLE.DAT")});
        return RunToEnd(run_, "korvpole-post", args);
    }
    Bytes Record() const { return ToBytes(run_.Dir().Read("POLE.DAT")); }
    void WriteRecord(const Bytes& bytes) const { run_.Dir().Write("POLE.DAT", FromBytes(bytes)); }

    Runner run_;
};

TEST_F(PostTest, WritesEveryFieldAtItsOffsetLittleEndianAndZeroFilled) {
    const Outcome run = Post({"--line1", "ABC", "--line2", "Second line", "--tax", "1.25",
                              "--total", "-5", "--scale", "10"});
    ASSERT_EQ(run.status, 0) << run.err;
    Bytes expected = Field("ABC", 20);
    const Bytes line2 = Field("Second line", 20);
    expected.insert(expected.end(), line2.begin(), line2.end());
    expected.resize(58, 0);
    expected.insert(expected.end(), {0x01, 0x00, 0x0A, 0x00, 0, 0, 0, 0});
    expected.insert(expected.end(), {0x7D, 0x00, 0x00, 0x00});  // 125 hundredths
    expected.insert(expected.end(), {0x0C, 0xFE, 0xFF, 0xFF});  // -500 hundredths
    EXPECT_EQ(Record(), expected);
}

TEST_F(PostTest, CutsTextsAtTwentyBytesWithoutTouchingTheNextField) {
    ASSERT_EQ(Post({"--line2", "kept"}).status, 0);
    ASSERT_EQ(Post({"--line1", "12345678901234567890EXTRA"}).status, 0);
    const Bytes record = Record();
    EXPECT_EQ(Slice(record, 0, 20), Field("12345678901234567890", 20));
    EXPECT_EQ(Slice(record, 20, 20), Field("kept", 20));
}

TEST_F(PostTest, ShorterTextClearsTheRestOfTheLongerOne) {
    ASSERT_EQ(Post({"--line1", "A long first text"}).status, 0);
    ASSERT_EQ(Post({"--line1", "Hi"}).status, 0);
    EXPECT_EQ(Slice(Record(), 0, 20), Field("Hi", 20));
}

TEST_F(PostTest, NewOrEmptyFileGetsScaleOneAndCounterOne) {
    ASSERT_EQ(Post({"--total", "13.50"}).status, 0);
    Bytes record = Record();
    ASSERT_EQ(record.size(), kRecordSize);
    EXPECT_EQ(Le16(record, 58), 1);
    EXPECT_EQ(Le16(record, 60), 1);
    EXPECT_EQ(Slice(record, 70, 4), Le32(1350));

    WriteRecord({});  // as korvpole creates it
    ASSERT_EQ(Post({"--tax", "0.5"}).status, 0);
    record = Record();
    ASSERT_EQ(record.size(), kRecordSize);
    EXPECT_EQ(Le16(record, 58), 1);
    EXPECT_EQ(Le16(record, 60), 1);
    EXPECT_EQ(Slice(record, 66, 4), Le32(50));
}

TEST_F(PostTest, KeepsWhatItIsNotToldToChangeAndBytesItDoesNotOwn) {
    Bytes before(80, 0xAA);
    before[58] = 0x34;
    before[59] = 0x12;
    WriteRecord(before);
    ASSERT_EQ(Post({"--total", "2"}).status, 0);
    const Bytes after = Record();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i == 58 || i == 59 || (i >= 70 && i < 74)) continue;
        EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
    EXPECT_EQ(Le16(after, 58), 0x1235);
    EXPECT_EQ(Slice(after, 70, 4), Le32(200));
}

TEST_F(PostTest, CounterCountsUpAndWrapsPastZeroToOne) {
    ASSERT_EQ(Post({"--line1", "one"}).status, 0);
    ASSERT_EQ(Post({}).status, 0);
    EXPECT_EQ(Le16(Record(), 58), 2);

    Bytes record = Record();
    record[58] = 0xFE;
    record[59] = 0xFF;
    WriteRecord(record);
    ASSERT_EQ(Post({}).status, 0);
    EXPECT_EQ(Le16(Record(), 58), 0xFFFF);
    ASSERT_EQ(Post({}).status, 0);
    EXPECT_EQ(Le16(Record(), 58), 1) << "0 would read as 'nothing drawn yet'";
    EXPECT_EQ(Slice(Record(), 0, 20), Field("one", 20));
}

// Values whose binary floating-point form lies just below the cent they name.
TEST_F(PostTest, ParsesAmountsExactlyToTheCent) {
    const struct {
        const char* text;
        std::int32_t hundredths;
    } cases[] = {
        {"0.29", 29},           {"1.15", 115},          {"19.99", 1999},
        {"4.35", 435},          {"1.1", 110},           {"+3", 300},
        {"-0.07", -7},          {"1.250", 125},         {".5", 50},
        {"21474836.47", 2147483647},                    {"-21474836.48", -2147483647 - 1},
        {"0", 0},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Post({"--tax", c.text}).status, 0) << c.text;
        EXPECT_EQ(Slice(Record(), 66, 4), Le32(static_cast<std::uint32_t>(c.hundredths))) << c.text;
    }
}

TEST_F(PostTest, ScaleTakesItsWholeRange) {
    ASSERT_EQ(Post({"--scale", "65535"}).status, 0);
    EXPECT_EQ(Le16(Record(), 60), 65535);
    ASSERT_EQ(Post({"--scale", "0"}).status, 0);
    EXPECT_EQ(Le16(Record(), 60), 0);
}

TEST_F(PostTest, BadArgumentsExitTwoWithAMessageAndLeaveTheFileAlone) {
    const std::vector<std::vector<std::string>> bad = {
        {"--tax", "abc"},          {"--tax", "1e3"},           {"--tax", "0x10"},
        {"--tax", "1,25"},         {"--tax", " 1"},            {"--tax", "-"},
        {"--total", "1.234"},      {"--total", "21474836.48"}, {"--total", "-21474836.49"},
        {"--total", "99999999999999999999"},                   {"--total", ""},
        {"--scale", "65536"},      {"--scale", "-1"},          {"--scale", "1.5"},
        {"--scale", ""},           {"--frobnicate"},           {"--tax"},
        {"--line1", "fine", "--total", "bad"},                 {"--loop"},
        {"--step-ms", "10"},       {"--demo", "--total", "1"}, {"--demo", "--step-ms", "soon"},
    };
    ASSERT_EQ(Post({"--line1", "before", "--total", "1"}).status, 0);
    const Bytes before = Record();
    for (const auto& args : bad) {
        const Outcome run = Post(args);
        const std::string shown = args.front() + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("korvpole-post: "), std::string::npos) << shown << ": " << run.err;
        EXPECT_EQ(Record(), before) << shown;
    }
}

TEST_F(PostTest, BadArgumentsDoNotCreateAMissingFile) {
    EXPECT_EQ(Post({"--total", "twelve"}).status, 2);
    EXPECT_FALSE(run_.Dir().Has("POLE.DAT"));
}

TEST_F(PostTest, DemoPlaysTheSaleOnceWithRunningTotals) {
    const Outcome run = Post({"--demo", "--step-ms", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    // One output line per step, each with the counter it wrote.
    std::istringstream lines(run.out);
    std::string line;
    std::vector<std::string> steps;
    while (std::getline(lines, line)) steps.push_back(line);
    ASSERT_EQ(steps.size(), 7u) << run.out;
    EXPECT_NE(steps.front().find("WELCOME"), std::string::npos);
    EXPECT_NE(steps.back().find("THANK YOU"), std::string::npos);

    const Bytes record = Record();
    EXPECT_EQ(Le16(record, 58), 7);
    EXPECT_EQ(Le16(record, 60), 1);
    // 8.90 + 2 x 1.80 + 2.35 = 14.85; 7 % of it is 1.0395, a till's 1.04.
    EXPECT_EQ(Slice(record, 66, 4), Le32(104));
    EXPECT_EQ(Slice(record, 70, 4), Le32(1589));
    EXPECT_NE(steps[4].find("14.85"), std::string::npos) << steps[4];
}

// ---------------------------------------------------------------- korvpole-display

class DisplayTest : public ::testing::Test {
protected:
    void StartDisplay(std::vector<std::string> args, const std::string& link = "COM1") {
        run_.Start(Program::Tool("korvpole-display", std::move(args)), kScripted);
        EXPECT_TRUE(WaitFor([&] { return run_.Dir().Has(link); })) << run_.Errors();
    }
    int StopDisplay(int signal_number = SIGTERM) {
        run_.Signal(signal_number);
        return StatusOf(run_.WaitExit());
    }
    // Opens the port as a client would, writes, and closes it again.
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
    return {static_cast<char>(protocol::kCommandPrefix), static_cast<char>(command)};
}

std::string At(int row, int column) {
    return Command(static_cast<std::uint8_t>(protocol::kRowBase20x4[row - 1] + column - 1));
}

std::string BringUp() {
    std::string bytes;
    for (std::uint8_t command : protocol::kInitialisation) bytes += Command(command);
    return bytes + Command(protocol::kBacklightOn);
}

TEST_F(DisplayTest, DumpShowsTheScreenAfterAKnownStreamAcrossTwoClients) {
    StartDisplay({"--dump", "--log", "bytes.log"});
    const std::string first = BringUp() + At(1, 1) + "HELLO" + At(3, 1) + "TOTAL TAX" + At(3, 17) + "1.25";
    SendToPort(first);
    // The first client has closed the port: no hang-up may end or deafen the simulator.
    const std::string second = At(4, 16) + "13.50" + At(2, 20) + "Z" + At(1, 3) + "y";
    SendToPort(second);
    ASSERT_TRUE(WaitFor([&] { return LogLines() == first.size() + second.size(); }))
        << LogLines() << " log lines";
    ASSERT_EQ(StopDisplay(), 0) << run_.Errors();
    EXPECT_EQ(run_.Output(),
              "HEyLO               \n"
              "                   Z\n"
              "TOTAL TAX       1.25\n"
              "               13.50\n");
}

TEST_F(DisplayTest, LogHasOneDecodedLinePerByteInOrder) {
    StartDisplay({"--dump", "--log", "bytes.log"});
    const std::string bytes = Command(protocol::kClearDisplay) + At(3, 2) + "A\x01" + Command(0x00);
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return LogLines() == bytes.size(); }));
    ASSERT_EQ(StopDisplay(SIGINT), 0);

    std::istringstream log(run_.Dir().Read("bytes.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u);
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
        EXPECT_EQ(hex, expected[i][0]) << lines[i];
        EXPECT_EQ(kind, expected[i][1]) << lines[i];
        if (expected[i][2]) {
            EXPECT_NE(lines[i].find(expected[i][2]), std::string::npos) << lines[i];
        }
    }
    EXPECT_NE(lines[4].find("ddram 15"), std::string::npos) << "the 'A' lands at row 3 col 2: "
                                                            << lines[4];
}

TEST_F(DisplayTest, PanelWithoutTerminalIsPlainTextAndShowsBacklightAndCounts) {
    StartDisplay({"--log", "bytes.log"});
    const std::string bytes = BringUp() + At(2, 1) + "PANEL" + Command(0x00);
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return run_.Output().find("unknown 1") != std::string::npos; }))
        << run_.Output();
    const std::string lit = run_.Output();
    EXPECT_NE(lit.find("backlight ON"), std::string::npos) << lit;
    EXPECT_NE(lit.find("|PANEL               |"), std::string::npos) << lit;
    EXPECT_NE(lit.find("bytes " + std::to_string(bytes.size())), std::string::npos) << lit;
    EXPECT_NE(lit.find("commands 11"), std::string::npos) << lit;
    EXPECT_EQ(lit.find('\x1b'), std::string::npos) << "no escape codes off a terminal";

    SendToPort(Command(protocol::kBacklightOff));
    EXPECT_TRUE(WaitFor([&] { return run_.Output().find("backlight off") != std::string::npos; }))
        << run_.Output();
    EXPECT_EQ(StopDisplay(), 0);
}

TEST_F(DisplayTest, RefusesAnEntryThatIsNotItsOwnLink) {
    run_.Dir().Write("COM1", "keep");
    Outcome run = RunToEnd(run_, "korvpole-display", {"--port", "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("COM1"), std::string::npos) << run.err;
    EXPECT_EQ(run_.Dir().Read("COM1"), "keep");

    // A link to a pseudo-terminal that some other program made is no less foreign.
    const std::string other_slave = run_.Port(7).Port().SlavePath();
    run = RunToEnd(run_, "korvpole-display", {"--port", "7"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(fs::read_symlink(run_.PathOf("COM7")).string(), other_slave);
}

TEST_F(DisplayTest, RemovesItsLinkWhenEndedBySignal) {
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        StartDisplay({"--port", "3"}, "COM3");
        EXPECT_EQ(StopDisplay(signal_number), 0) << strsignal(signal_number);
        EXPECT_FALSE(run_.Dir().Has("COM3")) << strsignal(signal_number);
    }
}

TEST_F(DisplayTest, LeavesAnEntryThatReplacedItsLink) {
    StartDisplay({});
    ASSERT_EQ(unlink(run_.PathOf("COM1").c_str()), 0);
    run_.Dir().Write("COM1", "new");
    EXPECT_EQ(StopDisplay(), 0);
    EXPECT_EQ(run_.Dir().Read("COM1"), "new");
}

TEST_F(DisplayTest, BadArgumentsExitTwoAndLinkNothing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--port", "0"}, {"--port", "100"}, {"--port", "x"}, {"--port"},
          {"--log"}, {"--colour"}}) {
        const Outcome run = RunToEnd(run_, "korvpole-display", args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_NE(run.err.find("korvpole-display: "), std::string::npos) << run.err;
    }
    for (const std::string& name : run_.Dir().Entries()) EXPECT_NE(name.rfind("COM", 0), 0u) << name;
}

// ---------------------------------------------------------------- the demo's pieces

bool ShowsSaleText(const std::string& panel) {
    for (const char* text : {"WELCOME", "Coffee", "Oat milk", "Croissant", "SUBTOTAL", "TOTAL DUE", "THANK YOU"})
        if (panel.find(text) != std::string::npos) return true;
    return false;
}

TEST(DemoPieces, SaleReachesTheSimulatedDisplayAndEverythingStopsCleanly) {
    Runner display;
    Runner pole(display.SharedDir());
    Runner writer(display.SharedDir());
    display.Dir().Write("KORVPOLE.CFG", std::string("1\0\0" "1\0", 5));  // COM1, backlight on
    display.Start(Program::Tool("korvpole-display", {"--port", "1"}), kScripted);
    ASSERT_TRUE(WaitFor([&] { return display.Dir().Has("COM1"); })) << display.Errors();
    pole.Start(Program::Korvpole(), {Input::kPipe, false});
    writer.Start(Program::Tool("korvpole-post", {"--demo", "--loop", "--step-ms", "300"}), kScripted);

    ASSERT_TRUE(WaitFor([&] {
        const std::string panel = display.Output();
        return ShowsSaleText(panel) && panel.find("|    TOTAL ") != std::string::npos;
    }, std::chrono::seconds(20))) << display.Output() << pole.Output() << pole.Errors();
    EXPECT_NE(display.Output().find("backlight ON"), std::string::npos);

    pole.Type("X");
    EXPECT_EQ(StatusOf(pole.WaitExit()), 0) << pole.Errors();
    writer.Signal(SIGTERM);
    EXPECT_EQ(StatusOf(writer.WaitExit()), 128 + SIGTERM)
        << "the looping writer runs until it is stopped";
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

}  // namespace
}  // namespace korv::test
