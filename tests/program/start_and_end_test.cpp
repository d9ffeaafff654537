// How the program starts without its record file, and how it ends: a record file it
// cannot use, a display it cannot reach, signals, and input that is no terminal.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
using Kind = sim::DecodedByte::Kind;

TEST_F(ProgramTest, MissingRecordFileIsCreatedEmptyAndPolledWithoutSpinning) {
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, Input::kTerminal, /*umask=*/002));
    struct stat info {};
    ASSERT_EQ(stat(run_.PathOf("POLE.DAT").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u) << "0666 less the umask";

    EXPECT_LT(run_.CpuShareOver(2000ms), 0.10);

    run_.WriteRecord(Sale(4, "FILLED LATER"));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("FILLED LATER")));
    EXPECT_TRUE(ShowsRows(Com5(), TaxRow("1.25"), TotalRow("2.50")));
}

TEST_F(ProgramTest, RecordFileThatIsADirectoryEndsAfterAnyKey) {
    ASSERT_EQ(mkdir(run_.PathOf("POLE.DAT").c_str(), 0777), 0);
    run_.WriteConfig(5, true);
    Com5();
    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput(kFileOpenError)) << run_.Output();
    EXPECT_EQ(run_.Output().find("Press S to run setup"), std::string::npos);

    // Waiting for the key is no busy loop either.
    EXPECT_LT(run_.CpuShareOver(1500ms), 0.10);
    EXPECT_TRUE(run_.Running());

    run_.Type("q");
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 0) << result.Describe();
    Com5().Pump(200ms);
    EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
    EXPECT_TRUE(InLineMode(run_.TerminalSettings()));
}

TEST_F(ProgramTest, DisplayPortHeldElsewhereLeavesTheProgramRunning) {
    run_.WriteRecord(Sale(1, "NOBODY SEES THIS"));
    run_.WriteConfig(5, true);
    Com5();
    // Another program holds the port for itself.
    const int holder = open(Com5().Port().SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput("COM=5\nBacklight=ON\n")) << run_.Output();
    ASSERT_TRUE(run_.WaitForOutput(kMenu));
    EXPECT_EQ(Com5().Pump(1500ms), "");
    EXPECT_TRUE(run_.Running());

    run_.Type("X");
    const ExitResult result = run_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 0) << result.Describe();
    EXPECT_EQ(Com5().Pump(100ms), "");
    close(holder);
}

class ProgramSignal : public ProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramSignal, RestoresTheTerminalAndDiesOfTheSignal) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "SIGNALLED")));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("SIGNALLED")));
    ASSERT_TRUE(InKeyMode(run_.TerminalSettings()));

    run_.Signal(GetParam());
    const ExitResult result = run_.WaitExit();
    EXPECT_FALSE(result.exited) << result.Describe();
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.signal, GetParam());
    EXPECT_EQ(run_.TerminalSettings().c_lflag, run_.InitialTerminalSettings().c_lflag);
}

INSTANTIATE_TEST_SUITE_P(EndingSignals, ProgramSignal,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

TEST_F(ProgramTest, SeekFailureEndsWithStatus255AndLeavesTheDisplayAsItWas) {
    // A FIFO opens like a file but cannot be positioned.
    ASSERT_EQ(mkfifo(run_.PathOf("POLE.DAT").c_str(), 0666), 0);
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true));
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 255) << result.Describe();

    EXPECT_EQ(run_.Errors(), std::string("_lseek failed: ") + std::strerror(ESPIPE) + "\n");
    Com5().Pump(200ms);
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 0) << Hex(Com5().Received());
    EXPECT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(InLineMode(run_.TerminalSettings()));
}

TEST_F(ProgramTest, KeysComeFromAPipeAndItsEndCostsNoSpinning) {
    run_.WriteRecord(Sale(1, "PIPED"));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, Input::kPipe));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("PIPED")));

    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), false));
    run_.CloseInput();
    run_.TruncateRecord(0);
    EXPECT_LT(run_.CpuShareOver(2000ms), 0.10);

    // Still at work after its input ended.
    run_.WriteRecord(Sale(2, "AFTER THE END"));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("AFTER THE END")));
    // Its terminal is not its input, so it leaves the terminal alone.
    EXPECT_EQ(run_.TerminalSettings().c_lflag, run_.InitialTerminalSettings().c_lflag);

    run_.Signal(SIGTERM);
    const ExitResult result = run_.WaitExit();
    EXPECT_EQ(result.signal, SIGTERM) << result.Describe();
}

}  // namespace
}  // namespace korv::test
