// The keys S, B and X typed at the program's console.
#include <filesystem>
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {
using Kind = sim::DecodedByte::Kind;

// The answers typed ahead, while the console still gives single keys. The new port gets
// the whole record, the counter unchanged, whether it is there at once or found later;
// the old port is closed and left alone.
TEST_F(ProgramTest, SetupFromTheLoopSavesTheAnswersAndMovesTheDisplay) {
    DisplayTap& com6 = run_.Port(6);
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "ON COM FIVE", "SECOND LINE")));

    run_.Type("s6\r2\r");
    ASSERT_TRUE(Prints(run_, kExiting));
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "36 00 00 32 00");
    for (const std::string& name : run_.Dir().Entries())  // no temporary file left
        EXPECT_TRUE(name == "KORVPOLE.CFG" || name == "POLE.DAT" || name.rfind("COM", 0) == 0) << name;

    EXPECT_TRUE(ShowsRecord(com6, Sale(1, "ON COM FIVE", "SECOND LINE")));
    EXPECT_FALSE(com6.Model().BacklightOn());

    run_.WriteRecord(Sale(2, "ON COM SIX", "SECOND LINE"));
    EXPECT_TRUE(ShowsRow(com6, 1, TextRow("ON COM SIX")));
    EXPECT_TRUE(ShowsRow(com6, 2, TextRow("SECOND LINE")));
    Com5().CatchUp();
    EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
    EXPECT_FALSE(Model().BacklightOn());

    // On to COM7, plugged in only after setup.
    std::filesystem::create_symlink("/dev/pts/does-not-exist", run_.PortLink(7));
    ASSERT_NO_FATAL_FAILURE(RunSetup("7", "1"));
    DisplayTap& com7 = run_.Port(7);
    EXPECT_TRUE(ShowsRecord(com7, Sale(2, "ON COM SIX", "SECOND LINE")));
    com6.CatchUp();
    EXPECT_TRUE(EndsWith(com6, wire::kClose)) << "the old port is still written";
    ExitWithX("X", &com7);
}

// What follows the backlight answer on its line is no key and no later answer.
TEST_F(ProgramTest, RestOfTheBacklightAnswersLineIsDropped) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "LEFTOVERS")));
    for (const std::string answer : {"1x", "yes"}) {
        SCOPED_TRACE(answer);
        ASSERT_NO_FATAL_FAILURE(RunSetup("5", answer));
        ASSERT_NO_FATAL_FAILURE(RunSetup("5", "2"));
        EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "35 00 00 32 00");
    }
    ExitWithX();
}

// Under Wine the keys behind X would go to the cmd that korvpole.exe was typed at.
TEST_F(LinuxProgramTest, TerminalModesFollowTheDialogueAndAreRestoredAtX) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "MODES")));
    EXPECT_TRUE(InKeyMode(run_.TerminalSettings()));
    run_.Type("s");
    ASSERT_TRUE(Prints(run_, kPortQuestion));
    EXPECT_TRUE(InLineMode(run_.TerminalSettings())) << "answers must echo and be editable";
    run_.Type("6\x7f" "5\n");  // 6, rubbed out, then 5
    ASSERT_TRUE(Prints(run_, kBacklightQuestion));
    run_.Type("1\n");
    ASSERT_TRUE(Prints(run_, kExiting));
    EXPECT_NE(run_.Output().find("enter 5): 6"), std::string::npos) << "not echoed: " << run_.Output();
    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(5, true));
    // Single keys come back before the loop turns again.
    Com5().CatchUp();
    ASSERT_TRUE(CyclesPass(Com5(), 1));
    EXPECT_TRUE(InKeyMode(run_.TerminalSettings()));

    // B right behind X: the loop ends with the turn that took X.
    const int offs_before = Count(Com5(), Kind::kBacklightOff);
    ASSERT_NO_FATAL_FAILURE(ExitWithX("XB"));
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), offs_before + 1) << "the close only";
    const termios after = run_.TerminalSettings();
    EXPECT_TRUE(InLineMode(after));
    EXPECT_EQ(after.c_lflag, run_.InitialTerminalSettings().c_lflag);
    EXPECT_EQ(run_.Errors(), "");
}
}  // namespace
}  // namespace korv::test
