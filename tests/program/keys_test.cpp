// The keys S, B and X typed on the program's terminal, and keys that must do nothing.
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
using Kind = sim::DecodedByte::Kind;

std::string Bytes(std::initializer_list<int> codes) {
    std::string text;
    for (int code : codes) text += static_cast<char>(code);
    return text;
}

TEST_F(ProgramTest, BacklightKeyTogglesWhileKeysWithoutACharacterDoNothing) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "KEYS", "SECOND LINE"), /*backlight_on=*/true));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("KEYS")));
    ASSERT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(InKeyMode(run_.TerminalSettings()));

    run_.Type("B");
    ASSERT_TRUE(BacklightBecomes(Com5(), false));
    run_.Type("B");
    ASSERT_TRUE(BacklightBecomes(Com5(), true));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), false));

    // Plain keys without a command, then Delete (224 'S'), F8 (0 'B'), Shift+F5
    // (0 'X'), cursor down, F4 and a Linux console F2, as a terminal sends them. The
    // final b proves each was taken whole and the keys behind it still count.
    run_.Type("q1\n" + Bytes({224, 'S'}) + Bytes({0, 'B'}) + Bytes({0, 'X'}) +
                 "\x1b[B" "\x1bOS" "\x1b[[B" "b");
    ASSERT_TRUE(BacklightBecomes(Com5(), true));
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOn), 3);   // start-up, B, b
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 2);  // B, b

    // A lone Escape is a key of its own; what comes later is not swallowed.
    run_.Type("\x1b");
    ASSERT_TRUE(CyclesPass(Com5(), 3));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), false));
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 3);

    EXPECT_TRUE(run_.Running());
    EXPECT_EQ(run_.Output().find("Entering config mode"), std::string::npos);
    EXPECT_EQ(Model().Row(1), TextRow("KEYS"));

    run_.Type("x");
    const ExitResult result = run_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 0) << result.Describe();
    Com5().Pump(200ms);
    EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
}

TEST_F(ProgramTest, SetupFromTheLoopMovesTheDisplayToAnotherPort) {
    DisplayTap& com6 = run_.Port(6);
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "ON COM FIVE", "SECOND LINE"), /*backlight_on=*/true));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("ON COM FIVE")));

    run_.Type("s");
    ASSERT_TRUE(run_.WaitForOutput("Entering config mode\n\n"));
    ASSERT_TRUE(run_.WaitForOutput(
        "Please enter the number of the COM Port (i.e. for COM5 enter 5): "));
    EXPECT_TRUE(InLineMode(run_.TerminalSettings())) << "answers must echo and be editable";

    // The loop stands still while the dialogue waits.
    Com5().PumpUntilQuiet(100ms);
    EXPECT_EQ(Com5().Pump(700ms), "");

    run_.Type("6\n");
    ASSERT_TRUE(run_.WaitForOutput(
        "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): "));
    run_.Type("0\n");
    ASSERT_TRUE(run_.WaitForOutput("Exiting config mode\n\n"));
    EXPECT_NE(run_.Output().find("enter 5): 6\nEnter backlight"), std::string::npos)
        << "the answer was not echoed: " << run_.Output();
    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(6, false));

    // The new port gets rows 3 and 4 at once; rows 1 and 2 wait for a new counter.
    ASSERT_TRUE(ShowsRow(com6, 3, TaxRow("1.25")));
    ASSERT_TRUE(ShowsRow(com6, 4, TotalRow("2.50")));
    ASSERT_TRUE(CyclesPass(com6, 2));
    EXPECT_EQ(com6.Model().Row(1), kBlankRow);
    EXPECT_EQ(com6.Model().Row(2), kBlankRow);
    EXPECT_FALSE(com6.Model().BacklightOn());
    EXPECT_TRUE(InKeyMode(run_.TerminalSettings()));

    // The old port was closed: blank and dark, and nothing more arrives there.
    Com5().Pump(100ms);
    EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
    EXPECT_FALSE(Model().BacklightOn());

    run_.WriteRecord(Sale(2, "ON COM SIX", "SECOND LINE"));
    EXPECT_TRUE(ShowsRow(com6, 1, TextRow("ON COM SIX")));
    EXPECT_TRUE(ShowsRow(com6, 2, TextRow("SECOND LINE")));
    EXPECT_EQ(Com5().Pump(100ms), "");

    run_.Type("X");
    const ExitResult result = run_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 0) << result.Describe();
    com6.Pump(200ms);
    EXPECT_TRUE(EndsWith(com6, wire::kClose));
}

TEST_F(ProgramTest, AnswersTypedAheadOfTheDialogueAreTaken) {
    DisplayTap& com7 = run_.Port(7);
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "FAST TYPIST", "SECOND LINE")));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("FAST TYPIST")));

    // Typed while the terminal is still in key mode.
    run_.Type("s7\n1\n");
    ASSERT_TRUE(run_.WaitForOutput("Exiting config mode\n\n")) << run_.Output();
    EXPECT_TRUE(ShowsRow(com7, 3, TaxRow("1.25")));
    EXPECT_TRUE(com7.Model().BacklightOn());
    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(7, true));
}

TEST_F(ProgramTest, ExitKeyBlanksTheDisplayRestoresTheTerminalAndIgnoresLaterKeys) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(3, "GOODBYE", "SECOND LINE"), /*backlight_on=*/true));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("GOODBYE")));
    ASSERT_TRUE(InKeyMode(run_.TerminalSettings()));

    // B right behind X: the loop ends after the turn that took X.
    run_.Type("XB");
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 0) << result.Describe();

    Com5().Pump(200ms);
    EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 1);
    EXPECT_FALSE(Model().BacklightOn());
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(Model().Row(row), kBlankRow) << "row " << row;

    const termios after = run_.TerminalSettings();
    EXPECT_TRUE(InLineMode(after));
    EXPECT_EQ(after.c_lflag, run_.InitialTerminalSettings().c_lflag);
    EXPECT_EQ(run_.Errors(), "");
}

}  // namespace
}  // namespace korv::test
