// Faults a counter meets: a display that stops reading, is unplugged or missing, said on
// standard error; settings that cannot be saved, said on the console.
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {
namespace fs = std::filesystem;

bool IsSubsequence(const std::string& part, const std::string& whole) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}

// A write given up must not be finished later from a buffer reused meanwhile.
TEST_F(ProgramTest, DisplayThatStopsReadingStillLetsXEndTheProgram) {
    run_.Dir().Write("POLE.DAT", "");
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(false));
    Com5().CatchUp();
    const std::size_t before = Com5().Received().size();
    const int line = Com5().Port().SlaveFd();
    ASSERT_EQ(tcflow(line, TCOOFF), 0);  // as after the display's XOFF

    run_.Type("x");
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.Succeeded()) << "X did not end the program: " << result.Describe();

    // Once the line moves again: bytes the program sent, in order, each at most once.
    ASSERT_EQ(tcflow(line, TCOON), 0);
    Com5().CatchUp();
    const std::string late = Com5().Received().substr(before);
    EXPECT_TRUE(IsSubsequence(late, wire::kClose)) << "bytes after the stall: " << Hex(late);
    EXPECT_LT(late.size(), wire::kClose.size()) << "the line never stalled: " << Hex(late);
}

// A real terminal unplugged and another put behind the name: said once each way, and
// the record written meanwhile shown whole.
TEST_F(ProgramTest, UnpluggedDisplayComesBackWithTheRecord) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(3, "BEFORE UNPLUG", "REPLUG", 30, 1999)));
    Com5().Port().Unplug();
    EXPECT_TRUE(Said(run_, "COM5 cannot be opened: ", 1));
    EXPECT_TRUE(Said(run_, kStaysDark, 1));
    const PoleRecordFields record = Sale(11, "WHILE AWAY", "REPLUG", 100, 105);
    run_.WriteRecord(record);
    run_.Replug(5);
    ASSERT_TRUE(ShowsRecord(Com5(), record));
    EXPECT_TRUE(BacklightBecomes(Com5(), true));
    EXPECT_EQ(Hex(Com5().Received().substr(0, wire::kInitialisation.size())), Hex(wire::kInitialisation));
    EXPECT_TRUE(Said(run_, kCom5Open, 1));
    ExitWithX();
}

TEST_F(ProgramTest, PortThatDoesNotExistLeavesTheProgramRunning) {
    run_.WriteConfig(42, true);
    run_.WriteRecord(Sale(1, "NOBODY SEES THIS"));
    Com5();
    run_.Start();
    ASSERT_TRUE(Prints(run_, "Reading config...\nCOM=42\nBacklight=ON\n"));
    ASSERT_TRUE(Prints(run_, kMenu));
    const std::string device = Program::Korvpole().IsWindows() ? "\\\\.\\COM42" : "/dev/ttyS41";
    EXPECT_TRUE(Said(run_, "COM42 cannot be opened: there is no COM42 (" + device + ")" + kStaysDark, 1));
    run_.Type("Bx");
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; console:\n" << run_.Output();
    EXPECT_EQ(Com5().CatchUp(), "");
}

// Refused at start; the reconnect watch finds the terminal put there later.
TEST_F(ProgramTest, PortLinkedToAnOrdinaryFileIsNeverWritten) {
    TempDir elsewhere;
    elsewhere.Write("file", kForeign);
    fs::create_symlink(elsewhere / "file", run_.PortLink(5));
    const PoleRecordFields record = Sale(1, "FOUND AT LAST", "", 10, 100);
    run_.WriteRecord(record);
    run_.WriteConfig(5, true);
    run_.Start();
    ASSERT_TRUE(Prints(run_, kMenu));
    ASSERT_EQ(elsewhere.Read("file"), kForeign);
    ASSERT_TRUE(ShowsRecord(Com5(), record));  // the terminal goes behind the name
    ExitWithX();
    EXPECT_EQ(elsewhere.Read("file"), kForeign);
}

TEST_F(ProgramTest, SetupThatCannotSaveLeavesFileAndDisplayAsTheyWere) {
    DisplayTap& com6 = run_.Port(6);
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(2, "KEEP ME", "", 150)));
    fs::remove(run_.PathOf("KORVPOLE.CFG"));
    fs::create_directory(run_.PathOf("KORVPOLE.CFG"));
    const auto clears_before = Model().Clears();

    ASSERT_NO_FATAL_FAILURE(RunSetup("6", "2"));
    EXPECT_TRUE(Contains(Unwrapped(run_.Output()), "KORVPOLE.CFG was not saved (a folder has that name): the answers "
                                                   "were not applied.Exiting config mode"));
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Model().Row(1), TextRow("KEEP ME")) << "the display was brought up again";
    EXPECT_EQ(Model().Clears(), clears_before);
    EXPECT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(fs::is_directory(run_.PathOf("KORVPOLE.CFG")));
    ExitWithX();
    EXPECT_EQ(com6.CatchUp(), "") << "the unsaved port was opened";
}

TEST_F(ProgramTest, SettingsLinkedElsewhereAreReplacedNotWrittenThrough) {
    TempDir elsewhere;
    elsewhere.Write("KORVPOLE.CFG", ConfigBytes(5, true));
    fs::create_symlink(elsewhere / "KORVPOLE.CFG", run_.PathOf("KORVPOLE.CFG"));
    Com5();
    run_.Start();
    ASSERT_TRUE(Prints(run_, std::string("COM=5\nBacklight=ON\n") + kMenu)) << "read through the link";
    ASSERT_NO_FATAL_FAILURE(RunSetup("7", "2"));

    EXPECT_EQ(elsewhere.Read("KORVPOLE.CFG"), ConfigBytes(5, true));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(run_.PathOf("KORVPOLE.CFG")))) << "the link itself is replaced";
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "37 00 00 32 00");
    ExitWithX();
}
}  // namespace
}  // namespace korv::test
