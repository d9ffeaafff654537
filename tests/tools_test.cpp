// The tools through the built programs: korvpole-post's record read back byte by
// byte, korvpole-display's link, dump and log after known bytes, and the demo's
// pieces (simulator, korvpole, writer) started and stopped with nothing left over.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display/protocol.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Generous: a loaded two-core machine may be slow, but never this slow.
constexpr std::chrono::seconds kDeadline(10);

// ---------------------------------------------------------------- test plumbing

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Bytes ReadBytes(const fs::path& path) {
    const std::string text = ReadText(path);
    return Bytes(text.begin(), text.end());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = kDeadline) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool Exists(const fs::path& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "korv-tools-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// One of the built programs, run in `dir` with its output in files there. A program
// still running when the test ends is killed, so a hang fails the test, not ctest.
class Program {
public:
    Program(const fs::path& dir, const std::string& name, std::vector<std::string> args,
            bool input_pipe = false)
        : out_(dir / (fs::path(name).filename().string() + ".out")),
          err_(dir / (fs::path(name).filename().string() + ".err")) {
        int input[2] = {-1, -1};
        if (input_pipe && pipe(input) != 0) throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            const int null = open("/dev/null", O_RDONLY);
            dup2(input_pipe ? input[0] : null, STDIN_FILENO);
            dup2(open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
            dup2(open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            if (input_pipe) close(input[1]);
            std::vector<char*> argv{const_cast<char*>(name.c_str())};
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(name.c_str(), argv.data());
            _exit(127);
        }
        if (input_pipe) {
            close(input[0]);
            input_ = input[1];
        }
    }
    ~Program() {
        if (input_ >= 0) close(input_);
        if (!reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t Pid() const { return pid_; }
    void Signal(int signal_number) const { kill(pid_, signal_number); }
    void Type(const std::string& keys) const {
        ASSERT_EQ(write(input_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    std::string Out() const { return ReadText(out_); }
    std::string Err() const { return ReadText(err_); }

    // The exit status, 128 + the signal that ended it, or -1 when it still runs at
    // the deadline.
    int Wait() {
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        if (!ended) return -1;
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    fs::path out_;
    fs::path err_;
    pid_t pid_ = -1;
    int input_ = -1;
    bool reaped_ = false;
};

// Runs a program to its end.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunToEnd(const fs::path& dir, const std::string& name, const std::vector<std::string>& args) {
    Program program(dir, name, args);
    const int status = program.Wait();
    return {status, program.Out(), program.Err()};
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
        args.insert(args.begin(), {"--file", record_.string()});
        return RunToEnd(dir_.Path(), KORV_POST_PROGRAM, args);
    }
    Bytes Record() const { return ReadBytes(record_); }

    TempDir dir_;
    fs::path record_ = dir_ / "POLE.DAT";
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

    WriteBytes(record_, {});  // as korvpole creates it
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
    WriteBytes(record_, before);
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
    WriteBytes(record_, record);
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
    EXPECT_FALSE(Exists(record_));
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
    std::unique_ptr<Program> StartDisplay(std::vector<std::string> args, const std::string& link = "COM1") {
        auto display = std::make_unique<Program>(dir_.Path(), KORV_DISPLAY_PROGRAM, std::move(args));
        EXPECT_TRUE(WaitFor([&] { return Exists(dir_ / link); })) << display->Err();
        return display;
    }
    // Opens the port as a client would, writes, and closes it again.
    void SendToPort(const std::string& bytes, const std::string& link = "COM1") {
        const int fd = open((dir_ / link).c_str(), O_WRONLY | O_NOCTTY);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    std::size_t LogLines() const {
        const std::string log = ReadText(dir_ / "bytes.log");
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
    }

    TempDir dir_;
};

std::string Command(std::uint8_t command) {
    return {static_cast<char>(korv::protocol::kCommandPrefix), static_cast<char>(command)};
}

std::string At(int row, int column) {
    return Command(static_cast<std::uint8_t>(korv::protocol::kRowBase20x4[row - 1] + column - 1));
}

std::string BringUp() {
    std::string bytes;
    for (std::uint8_t command : korv::protocol::kInitialisation) bytes += Command(command);
    return bytes + Command(korv::protocol::kBacklightOn);
}

TEST_F(DisplayTest, DumpShowsTheScreenAfterAKnownStreamAcrossTwoClients) {
    auto display = StartDisplay({"--dump", "--log", "bytes.log"});
    const std::string first = BringUp() + At(1, 1) + "HELLO" + At(3, 1) + "TOTAL TAX" + At(3, 17) + "1.25";
    SendToPort(first);
    // The first client has closed the port: no hang-up may end or deafen the simulator.
    const std::string second = At(4, 16) + "13.50" + At(2, 20) + "Z" + At(1, 3) + "y";
    SendToPort(second);
    ASSERT_TRUE(WaitFor([&] { return LogLines() == first.size() + second.size(); }))
        << LogLines() << " log lines";
    display->Signal(SIGTERM);
    ASSERT_EQ(display->Wait(), 0) << display->Err();
    EXPECT_EQ(display->Out(),
              "HEyLO               \n"
              "                   Z\n"
              "TOTAL TAX       1.25\n"
              "               13.50\n");
}

TEST_F(DisplayTest, LogHasOneDecodedLinePerByteInOrder) {
    auto display = StartDisplay({"--dump", "--log", "bytes.log"});
    const std::string bytes = Command(korv::protocol::kClearDisplay) + At(3, 2) + "A\x01" + Command(0x00);
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return LogLines() == bytes.size(); }));
    display->Signal(SIGINT);
    ASSERT_EQ(display->Wait(), 0);

    std::istringstream log(ReadText(dir_ / "bytes.log"));
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
    auto display = StartDisplay({"--log", "bytes.log"});
    const std::string bytes = BringUp() + At(2, 1) + "PANEL" + Command(0x00);
    SendToPort(bytes);
    ASSERT_TRUE(WaitFor([&] { return display->Out().find("unknown 1") != std::string::npos; }))
        << display->Out();
    const std::string lit = display->Out();
    EXPECT_NE(lit.find("backlight ON"), std::string::npos) << lit;
    EXPECT_NE(lit.find("|PANEL               |"), std::string::npos) << lit;
    EXPECT_NE(lit.find("bytes " + std::to_string(bytes.size())), std::string::npos) << lit;
    EXPECT_NE(lit.find("commands 11"), std::string::npos) << lit;
    EXPECT_EQ(lit.find('\x1b'), std::string::npos) << "no escape codes off a terminal";

    SendToPort(Command(korv::protocol::kBacklightOff));
    EXPECT_TRUE(WaitFor([&] { return display->Out().find("backlight off") != std::string::npos; }))
        << display->Out();
    display->Signal(SIGTERM);
    EXPECT_EQ(display->Wait(), 0);
}

TEST_F(DisplayTest, RefusesAnEntryThatIsNotItsOwnLink) {
    WriteBytes(dir_ / "COM1", {'k', 'e', 'e', 'p'});
    Outcome run = RunToEnd(dir_.Path(), KORV_DISPLAY_PROGRAM, {"--port", "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("COM1"), std::string::npos) << run.err;
    EXPECT_EQ(ReadText(dir_ / "COM1"), "keep");

    // A link to a pseudo-terminal that some other program made is no less foreign.
    const int other = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(grantpt(other), 0);
    ASSERT_EQ(unlockpt(other), 0);
    const std::string other_slave = ptsname(other);
    ASSERT_EQ(symlink(other_slave.c_str(), (dir_ / "COM7").c_str()), 0);
    run = RunToEnd(dir_.Path(), KORV_DISPLAY_PROGRAM, {"--port", "7"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(fs::read_symlink(dir_ / "COM7").string(), other_slave);
    close(other);
}

TEST_F(DisplayTest, RemovesItsLinkWhenEndedBySignal) {
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        auto display = StartDisplay({"--port", "3"}, "COM3");
        display->Signal(signal_number);
        EXPECT_EQ(display->Wait(), 0) << strsignal(signal_number);
        EXPECT_FALSE(Exists(dir_ / "COM3")) << strsignal(signal_number);
    }
}

TEST_F(DisplayTest, LeavesAnEntryThatReplacedItsLink) {
    auto display = StartDisplay({});
    ASSERT_EQ(unlink((dir_ / "COM1").c_str()), 0);
    WriteBytes(dir_ / "COM1", {'n', 'e', 'w'});
    display->Signal(SIGTERM);
    EXPECT_EQ(display->Wait(), 0);
    EXPECT_EQ(ReadText(dir_ / "COM1"), "new");
}

TEST_F(DisplayTest, BadArgumentsExitTwoAndLinkNothing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--port", "0"}, {"--port", "100"}, {"--port", "x"}, {"--port"},
          {"--log"}, {"--colour"}}) {
        const Outcome run = RunToEnd(dir_.Path(), KORV_DISPLAY_PROGRAM, args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_NE(run.err.find("korvpole-display: "), std::string::npos) << run.err;
    }
    for (const auto& entry : fs::directory_iterator(dir_.Path()))
        EXPECT_NE(entry.path().filename().string().rfind("COM", 0), 0u) << entry.path();
}

// ---------------------------------------------------------------- the demo's pieces

bool ShowsSaleText(const std::string& panel) {
    for (const char* text : {"WELCOME", "Coffee", "Oat milk", "Croissant", "SUBTOTAL", "TOTAL DUE", "THANK YOU"})
        if (panel.find(text) != std::string::npos) return true;
    return false;
}

TEST(DemoPieces, SaleReachesTheSimulatedDisplayAndEverythingStopsCleanly) {
    TempDir dir;
    WriteBytes(dir / "KORVPOLE.CFG", {0x31, 0x00, 0x00, 0x31, 0x00});  // COM1, backlight on
    Program display(dir.Path(), KORV_DISPLAY_PROGRAM, {"--port", "1"});
    ASSERT_TRUE(WaitFor([&] { return Exists(dir / "COM1"); })) << display.Err();
    Program pole(dir.Path(), KORV_POLE_PROGRAM, {}, /*input_pipe=*/true);
    Program writer(dir.Path(), KORV_POST_PROGRAM, {"--demo", "--loop", "--step-ms", "300"});

    ASSERT_TRUE(WaitFor([&] {
        const std::string panel = display.Out();
        return ShowsSaleText(panel) && panel.find("|    TOTAL ") != std::string::npos;
    }, std::chrono::seconds(20))) << display.Out() << pole.Out() << pole.Err();
    EXPECT_NE(display.Out().find("backlight ON"), std::string::npos);

    pole.Type("X");
    EXPECT_EQ(pole.Wait(), 0) << pole.Err();
    writer.Signal(SIGTERM);
    EXPECT_EQ(writer.Wait(), 128 + SIGTERM) << "the looping writer runs until it is stopped";
    // korvpole's own goodbye: screen cleared, backlight off.
    EXPECT_TRUE(WaitFor([&] {
        const std::string panel = display.Out();
        return panel.rfind("backlight off") != std::string::npos &&
               panel.rfind("backlight off") > panel.rfind("backlight ON");
    })) << display.Out();
    display.Signal(SIGTERM);
    EXPECT_EQ(display.Wait(), 0);

    EXPECT_FALSE(Exists(dir / "COM1"));
    for (pid_t pid : {display.Pid(), pole.Pid(), writer.Pid()})
        EXPECT_EQ(kill(pid, 0), -1) << "process " << pid << " is still there";
}

}  // namespace
