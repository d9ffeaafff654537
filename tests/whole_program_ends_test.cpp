// How the program starts without its record file, and how it ends: a record file it
// cannot use, a display it cannot reach, signals, and input that is no terminal.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

#include "tests/whole_program_fixture.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
using Kind = sim::DecodedByte::Kind;

constexpr const char* kFileOpenError = "File open error detected: POLE.DAT\nPress any key to exit\n";
const std::string kCloseBytes = "\xFE\x01\xFE\x02";

PoleRecord Sale(std::uint16_t counter, std::string line1) {
    PoleRecord record;
    record.counter = counter;
    record.line1 = std::move(line1);
    record.line2 = "THANK YOU";
    record.scale = 1;
    record.tax = 125;
    record.total = 250;
    return record;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(WholeProgram, MissingRecordFileIsCreatedEmptyAndPolledWithoutSpinning) {
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, Input::kTerminal, /*umask=*/002));
    struct stat info {};
    ASSERT_EQ(stat(runner_.PathOf("POLE.DAT").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u) << "0666 less the umask";

    EXPECT_LT(runner_.CpuShareOver(2000ms), 0.10);

    writer_.Write(Sale(4, "FILLED LATER"));
    EXPECT_TRUE(ShowsRow(1, TextRow("FILLED LATER")));
    EXPECT_TRUE(ShowsRows(TaxRow("1.25"), TotalRow("2.50")));
}

TEST_F(WholeProgram, RecordFileThatIsADirectoryEndsAfterAnyKey) {
    ASSERT_EQ(mkdir(runner_.PathOf("POLE.DAT").c_str(), 0777), 0);
    AttachCom5(true);
    runner_.Start();
    ASSERT_TRUE(runner_.WaitForOutput(kFileOpenError)) << runner_.Output();
    EXPECT_EQ(runner_.Output().find("Press S to run setup"), std::string::npos);

    // Waiting for the key is no busy loop either.
    EXPECT_LT(runner_.CpuShareOver(1500ms), 0.10);
    EXPECT_TRUE(runner_.Running());

    runner_.Type("q");
    const ExitResult result = runner_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 0) << result.Describe();
    display_->Pump(200ms);
    EXPECT_TRUE(EndsWith(display_->Received(), kCloseBytes)) << Hex(display_->Received());
    EXPECT_TRUE(InLineMode(runner_.TerminalSettings()));
}

TEST_F(WholeProgram, DisplayPortHeldElsewhereLeavesTheProgramRunning) {
    writer_.Write(Sale(1, "NOBODY SEES THIS"));
    AttachCom5(true);
    // Another program holds the port for itself.
    const int holder = open(display_->Port().SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    runner_.Start();
    ASSERT_TRUE(runner_.WaitForOutput("COM=5\nBacklight=ON\n")) << runner_.Output();
    ASSERT_TRUE(runner_.WaitForOutput(kMenu));
    EXPECT_EQ(display_->Pump(1500ms), "");
    EXPECT_TRUE(runner_.Running());

    runner_.Type("X");
    const ExitResult result = runner_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 0) << result.Describe();
    EXPECT_EQ(display_->Pump(100ms), "");
    close(holder);
}

class WholeProgramSignal : public WholeProgram, public ::testing::WithParamInterface<int> {};

TEST_P(WholeProgramSignal, RestoresTheTerminalAndDiesOfTheSignal) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "SIGNALLED")));
    ASSERT_TRUE(ShowsRow(1, TextRow("SIGNALLED")));
    ASSERT_TRUE(InKeyMode(runner_.TerminalSettings()));

    runner_.Signal(GetParam());
    const ExitResult result = runner_.WaitExit();
    EXPECT_FALSE(result.exited) << result.Describe();
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.signal, GetParam());
    EXPECT_EQ(runner_.TerminalSettings().c_lflag, runner_.InitialTerminalSettings().c_lflag);
}

INSTANTIATE_TEST_SUITE_P(EndingSignals, WholeProgramSignal,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

TEST_F(WholeProgram, SeekFailureEndsWithStatus255AndLeavesTheDisplayAsItWas) {
    // A FIFO opens like a file but cannot be positioned.
    ASSERT_EQ(mkfifo(runner_.PathOf("POLE.DAT").c_str(), 0666), 0);
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true));
    const ExitResult result = runner_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 255) << result.Describe();

    EXPECT_EQ(runner_.Errors(), std::string("_lseek failed: ") + std::strerror(ESPIPE) + "\n");
    display_->Pump(200ms);
    EXPECT_EQ(Count(*display_, Kind::kBacklightOff), 0) << Hex(display_->Received());
    EXPECT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(InLineMode(runner_.TerminalSettings()));
}

TEST_F(WholeProgram, KeysComeFromAPipeAndItsEndCostsNoSpinning) {
    writer_.Write(Sale(1, "PIPED"));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, Input::kPipe));
    ASSERT_TRUE(ShowsRow(1, TextRow("PIPED")));

    runner_.Type("b");
    ASSERT_TRUE(BacklightBecomes(false));
    runner_.CloseInput();
    writer_.Truncate(0);
    EXPECT_LT(runner_.CpuShareOver(2000ms), 0.10);

    // Still at work after its input ended.
    writer_.Write(Sale(2, "AFTER THE END"));
    EXPECT_TRUE(ShowsRow(1, TextRow("AFTER THE END")));
    // Its terminal is not its input, so it leaves the terminal alone.
    EXPECT_EQ(runner_.TerminalSettings().c_lflag, runner_.InitialTerminalSettings().c_lflag);

    runner_.Signal(SIGTERM);
    const ExitResult result = runner_.WaitExit();
    EXPECT_EQ(result.signal, SIGTERM) << result.Describe();
}

}  // namespace
}  // namespace korv::test
