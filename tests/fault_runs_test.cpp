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

#include "tests/whole_program_fixture.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

PoleRecord Sale(std::uint16_t counter, const std::string& line1, std::int32_t tax) {
    PoleRecord record;
    record.counter = counter;
    record.line1 = line1;
    record.line2 = "FAULT RUN";
    record.scale = 1;
    record.tax = tax;
    record.total = 1000;
    return record;
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

TEST_F(WholeProgram, DisplayThatStopsTakingBytesCostsAboutASecondPerByteAndXStillEnds) {
    // No record yet: the only bytes left to send are the four of the exit.
    runner_.WriteFile("POLE.DAT", "");
    AttachCom5();
    ASSERT_NO_FATAL_FAILURE(StopLine(display_->Port()));
    runner_.Start();
    ASSERT_TRUE(runner_.WaitForOutput(kMenu)) << runner_.Output();
    display_->PumpUntilQuiet(500ms);
    ASSERT_NO_FATAL_FAILURE(SendXoff(display_->Port()));
    std::this_thread::sleep_for(100ms);

    const auto start = Clock::now();
    runner_.Type("x");
    const ExitResult exit = runner_.WaitExit(30s);
    const auto took = Clock::now() - start;
    ASSERT_TRUE(exit.exited && exit.status == 0) << exit.Describe();
    // Clear and backlight off, four bytes, each waited for at most about a second.
    EXPECT_GE(took, 3s) << "the bytes were not waited for";
    EXPECT_LE(took, 12s) << "a byte was waited for far longer than a second";
    EXPECT_EQ(display_->Pump(200ms), "") << "a stopped line took bytes";
}

TEST_F(WholeProgram, SetupThatCannotSaveLeavesFileAndDisplayAsTheyWere) {
    const PoleRecord record = Sale(2, "KEEP ME", 150);
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsRow(1, TextRow("KEEP ME")));
    // The configuration's name is taken by a directory: nothing can be saved there.
    ASSERT_EQ(unlink(runner_.PathOf("KORVPOLE.CFG").c_str()), 0);
    ASSERT_EQ(mkdir(runner_.PathOf("KORVPOLE.CFG").c_str(), 0755), 0);
    const auto clears_before = Model().Clears();

    runner_.Type("s");
    ASSERT_TRUE(runner_.WaitForOutput("(i.e. for COM5 enter 5): "));
    runner_.Type("6\n2\n");
    ASSERT_TRUE(runner_.WaitForOutput("Exiting config mode\n\n"));
    ASSERT_TRUE(CyclesPass(2));
    EXPECT_EQ(Model().Row(1), TextRow("KEEP ME")) << "the display was brought up again";
    EXPECT_EQ(Model().Clears(), clears_before);
    EXPECT_TRUE(Model().BacklightOn());
    struct stat info {};
    ASSERT_EQ(stat(runner_.PathOf("KORVPOLE.CFG").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    runner_.Type("x");
    EXPECT_TRUE(runner_.WaitExit().exited);
}

TEST_F(WholeProgram, RecordFileReplacedWhileRunningKeepsBeingReadThroughTheOldHandle) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(3, "ORIGINAL", 100)));
    ASSERT_TRUE(ShowsRow(1, TextRow("ORIGINAL")));

    // The writer keeps the old file open, deletes its name and puts a new file there.
    const int old_file = open(writer_.Path().c_str(), O_WRONLY);
    ASSERT_GE(old_file, 0);
    ASSERT_EQ(unlink(writer_.Path().c_str()), 0);
    writer_.Write(Sale(4, "REPLACEMENT", 999));
    ASSERT_TRUE(CyclesPass(3));
    EXPECT_EQ(Model().Row(1), TextRow("ORIGINAL"));
    EXPECT_EQ(Model().Row(3), TaxRow("1.00"));

    // What goes into the old file still shows.
    const std::string tax = EncodeRecord(Sale(3, "ORIGINAL", 777)).substr(66, 4);
    ASSERT_EQ(pwrite(old_file, tax.data(), tax.size(), 66), 4);
    close(old_file);
    EXPECT_TRUE(ShowsRow(3, TaxRow("7.77")));

    runner_.Type("x");
    EXPECT_TRUE(runner_.WaitExit().exited);
}

TEST_F(WholeProgram, ClosedStandardInputLeavesTheProgramRunningQuietly) {
    writer_.Write(Sale(5, "INPUT CLOSED", 200));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, Input::kPipe));
    ASSERT_TRUE(ShowsRow(1, TextRow("INPUT CLOSED")));
    runner_.CloseInput();

    EXPECT_LT(runner_.CpuShareOver(2s), 0.10);
    ASSERT_TRUE(runner_.Running());
    writer_.Write(Sale(6, "STILL POLLING", 300));
    EXPECT_TRUE(ShowsRow(1, TextRow("STILL POLLING")));
    EXPECT_TRUE(ShowsRow(3, TaxRow("3.00")));
    runner_.Signal(SIGTERM);
    const ExitResult exit = runner_.WaitExit();
    EXPECT_EQ(exit.signal, SIGTERM) << exit.Describe();
}

}  // namespace
}  // namespace korv::test
