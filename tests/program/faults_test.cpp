// The whole program through faults a counter meets: a display that stops reading, a
// configuration that cannot be saved, a record file swapped under it, input that ends.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Total 10.00, tax as given.
tools::PoleRecordFields Fault(std::uint16_t counter, const std::string& line1, std::int32_t tax) {
    return Sale(counter, line1, "FAULT RUN", tax, 1000);
}

// A display that stopped taking bytes: the line uses software flow control, as the
// port had it, and the display has sent XOFF.
void StopLine(PtyPort& port) {
    termios line{};
    ASSERT_EQ(tcgetattr(port.SlaveFd(), &line), 0);
    line.c_iflag |= IXON;
    ASSERT_EQ(tcsetattr(port.SlaveFd(), TCSANOW, &line), 0);
}

void SendXoff(PtyPort& port) {
    const char xoff = 0x13;
    ASSERT_EQ(write(port.MasterFd(), &xoff, 1), 1);
}

TEST_F(ProgramTest, DisplayThatStopsTakingBytesCostsAboutASecondPerByteAndXStillEnds) {
    // No record yet: the only bytes left to send are the four of the exit.
    run_.Dir().Write("POLE.DAT", "");
    run_.WriteConfig(5, true);
    Com5();
    ASSERT_NO_FATAL_FAILURE(StopLine(Com5().Port()));
    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput(kMenu)) << run_.Output();
    Com5().PumpUntilQuiet(500ms);
    ASSERT_NO_FATAL_FAILURE(SendXoff(Com5().Port()));
    std::this_thread::sleep_for(100ms);

    const auto start = Clock::now();
    run_.Type("x");
    const ExitResult exit = run_.WaitExit(30s);
    const auto took = Clock::now() - start;
    ASSERT_TRUE(exit.exited && exit.status == 0) << exit.Describe();
    // Clear and backlight off, four bytes, each waited for at most about a second.
    EXPECT_GE(took, 3s) << "the bytes were not waited for";
    EXPECT_LE(took, 12s) << "a byte was waited for far longer than a second";
    EXPECT_EQ(Com5().Pump(200ms), "") << "a stopped line took bytes";
}

TEST_F(ProgramTest, SetupThatCannotSaveLeavesFileAndDisplayAsTheyWere) {
    const tools::PoleRecordFields record = Fault(2, "KEEP ME", 150);
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("KEEP ME")));
    // The configuration's name is taken by a directory: nothing can be saved there.
    ASSERT_EQ(unlink(run_.PathOf("KORVPOLE.CFG").c_str()), 0);
    ASSERT_EQ(mkdir(run_.PathOf("KORVPOLE.CFG").c_str(), 0755), 0);
    const auto clears_before = Model().Clears();

    run_.Type("s");
    ASSERT_TRUE(run_.WaitForOutput("(i.e. for COM5 enter 5): "));
    run_.Type("6\n2\n");
    ASSERT_TRUE(run_.WaitForOutput("Exiting config mode\n\n"));
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Model().Row(1), TextRow("KEEP ME")) << "the display was brought up again";
    EXPECT_EQ(Model().Clears(), clears_before);
    EXPECT_TRUE(Model().BacklightOn());
    struct stat info {};
    ASSERT_EQ(stat(run_.PathOf("KORVPOLE.CFG").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    run_.Type("x");
    EXPECT_TRUE(run_.WaitExit().exited);
}

TEST_F(ProgramTest, RecordFileReplacedWhileRunningKeepsBeingReadThroughTheOldHandle) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Fault(3, "ORIGINAL", 100)));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("ORIGINAL")));

    // The writer keeps the old file open, deletes its name and puts a new file there.
    const int old_file = open(run_.PathOf("POLE.DAT").c_str(), O_WRONLY);
    ASSERT_GE(old_file, 0);
    ASSERT_EQ(unlink(run_.PathOf("POLE.DAT").c_str()), 0);
    run_.WriteRecord(Fault(4, "REPLACEMENT", 999));
    ASSERT_TRUE(CyclesPass(Com5(), 3));
    EXPECT_EQ(Model().Row(1), TextRow("ORIGINAL"));
    EXPECT_EQ(Model().Row(3), TaxRow("1.00"));

    // What goes into the old file still shows.
    const std::string tax = EncodeRecord(Fault(3, "ORIGINAL", 777)).substr(66, 4);
    ASSERT_EQ(pwrite(old_file, tax.data(), tax.size(), 66), 4);
    close(old_file);
    EXPECT_TRUE(ShowsRow(Com5(), 3, TaxRow("7.77")));

    run_.Type("x");
    EXPECT_TRUE(run_.WaitExit().exited);
}

TEST_F(ProgramTest, ClosedStandardInputLeavesTheProgramRunningQuietly) {
    run_.WriteRecord(Fault(5, "INPUT CLOSED", 200));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, Input::kPipe));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("INPUT CLOSED")));
    run_.CloseInput();

    EXPECT_LT(run_.CpuShareOver(2s), 0.10);
    ASSERT_TRUE(run_.Running());
    run_.WriteRecord(Fault(6, "STILL POLLING", 300));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("STILL POLLING")));
    EXPECT_TRUE(ShowsRow(Com5(), 3, TaxRow("3.00")));
    run_.Signal(SIGTERM);
    const ExitResult exit = run_.WaitExit();
    EXPECT_EQ(exit.signal, SIGTERM) << exit.Describe();
}

}  // namespace
}  // namespace korv::test
