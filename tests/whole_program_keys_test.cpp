// The keys S, B and X typed on the program's terminal, and keys that must do nothing.
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/whole_program_fixture.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
using Kind = sim::DecodedByte::Kind;

const std::string kBlankRow(20, ' ');
const std::string kCloseBytes = "\xFE\x01\xFE\x02";  // clear, backlight off

PoleRecord Sale(std::uint16_t counter, std::string line1) {
    PoleRecord record;
    record.counter = counter;
    record.line1 = std::move(line1);
    record.line2 = "SECOND LINE";
    record.scale = 1;
    record.tax = 125;
    record.total = 250;
    return record;
}

std::string Bytes(std::initializer_list<int> codes) {
    std::string text;
    for (int code : codes) text += static_cast<char>(code);
    return text;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(WholeProgram, BacklightKeyTogglesWhileKeysWithoutACharacterDoNothing) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "KEYS"), /*backlight_on=*/true));
    ASSERT_TRUE(ShowsRow(1, TextRow("KEYS")));
    ASSERT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(InKeyMode(runner_.TerminalSettings()));

    runner_.Type("B");
    ASSERT_TRUE(BacklightBecomes(false));
    runner_.Type("B");
    ASSERT_TRUE(BacklightBecomes(true));
    runner_.Type("b");
    ASSERT_TRUE(BacklightBecomes(false));

    // Plain keys without a command, then Delete (224 'S'), F8 (0 'B'), Shift+F5
    // (0 'X'), cursor down, F4 and a Linux console F2, as a terminal sends them. The
    // final b proves each was taken whole and the keys behind it still count.
    runner_.Type("q1\n" + Bytes({224, 'S'}) + Bytes({0, 'B'}) + Bytes({0, 'X'}) +
                 "\x1b[B" "\x1bOS" "\x1b[[B" "b");
    ASSERT_TRUE(BacklightBecomes(true));
    EXPECT_EQ(Count(*display_, Kind::kBacklightOn), 3);   // start-up, B, b
    EXPECT_EQ(Count(*display_, Kind::kBacklightOff), 2);  // B, b

    // A lone Escape is a key of its own; what comes later is not swallowed.
    runner_.Type("\x1b");
    ASSERT_TRUE(CyclesPass(3));
    runner_.Type("b");
    ASSERT_TRUE(BacklightBecomes(false));
    EXPECT_EQ(Count(*display_, Kind::kBacklightOff), 3);

    EXPECT_TRUE(runner_.Running());
    EXPECT_EQ(runner_.Output().find("Entering config mode"), std::string::npos);
    EXPECT_EQ(Model().Row(1), TextRow("KEYS"));

    runner_.Type("x");
    const ExitResult result = runner_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 0) << result.Describe();
    display_->Pump(200ms);
    EXPECT_TRUE(EndsWith(display_->Received(), kCloseBytes)) << Hex(display_->Received());
}

TEST_F(WholeProgram, SetupFromTheLoopMovesTheDisplayToAnotherPort) {
    DisplayTap com6(runner_.PathOf("COM6"));
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "ON COM FIVE"), /*backlight_on=*/true));
    ASSERT_TRUE(ShowsRow(1, TextRow("ON COM FIVE")));

    runner_.Type("s");
    ASSERT_TRUE(runner_.WaitForOutput("Entering config mode\n\n"));
    ASSERT_TRUE(runner_.WaitForOutput(
        "Please enter the number of the COM Port (i.e. for COM5 enter 5): "));
    EXPECT_TRUE(InLineMode(runner_.TerminalSettings())) << "answers must echo and be editable";

    // The loop stands still while the dialogue waits.
    display_->PumpUntilQuiet(100ms);
    EXPECT_EQ(display_->Pump(700ms), "");

    runner_.Type("6\n");
    ASSERT_TRUE(runner_.WaitForOutput(
        "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): "));
    runner_.Type("0\n");
    ASSERT_TRUE(runner_.WaitForOutput("Exiting config mode\n\n"));
    EXPECT_NE(runner_.Output().find("enter 5): 6\nEnter backlight"), std::string::npos)
        << "the answer was not echoed: " << runner_.Output();
    EXPECT_EQ(ReadWhole(runner_.PathOf("KORVPOLE.CFG")), ConfigBytes(6, false));

    // The new port gets rows 3 and 4 at once; rows 1 and 2 wait for a new counter.
    ASSERT_TRUE(ShowsRowOn(com6, 3, TaxRow("1.25")));
    ASSERT_TRUE(ShowsRowOn(com6, 4, TotalRow("2.50")));
    ASSERT_TRUE(CyclesPassOn(com6, 2));
    EXPECT_EQ(com6.Model().Row(1), kBlankRow);
    EXPECT_EQ(com6.Model().Row(2), kBlankRow);
    EXPECT_FALSE(com6.Model().BacklightOn());
    EXPECT_TRUE(InKeyMode(runner_.TerminalSettings()));

    // The old port was closed: blank and dark, and nothing more arrives there.
    display_->Pump(100ms);
    EXPECT_TRUE(EndsWith(display_->Received(), kCloseBytes)) << Hex(display_->Received());
    EXPECT_FALSE(Model().BacklightOn());

    writer_.Write(Sale(2, "ON COM SIX"));
    EXPECT_TRUE(ShowsRowOn(com6, 1, TextRow("ON COM SIX")));
    EXPECT_TRUE(ShowsRowOn(com6, 2, TextRow("SECOND LINE")));
    EXPECT_EQ(display_->Pump(100ms), "");

    runner_.Type("X");
    const ExitResult result = runner_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 0) << result.Describe();
    com6.Pump(200ms);
    EXPECT_TRUE(EndsWith(com6.Received(), kCloseBytes)) << Hex(com6.Received());
}

TEST_F(WholeProgram, AnswersTypedAheadOfTheDialogueAreTaken) {
    DisplayTap com7(runner_.PathOf("COM7"));
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "FAST TYPIST")));
    ASSERT_TRUE(ShowsRow(1, TextRow("FAST TYPIST")));

    // Typed while the terminal is still in key mode.
    runner_.Type("s7\n1\n");
    ASSERT_TRUE(runner_.WaitForOutput("Exiting config mode\n\n")) << runner_.Output();
    EXPECT_TRUE(ShowsRowOn(com7, 3, TaxRow("1.25")));
    EXPECT_TRUE(com7.Model().BacklightOn());
    EXPECT_EQ(ReadWhole(runner_.PathOf("KORVPOLE.CFG")), ConfigBytes(7, true));
}

TEST_F(WholeProgram, ExitKeyBlanksTheDisplayRestoresTheTerminalAndIgnoresLaterKeys) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(3, "GOODBYE"), /*backlight_on=*/true));
    ASSERT_TRUE(ShowsRow(1, TextRow("GOODBYE")));
    ASSERT_TRUE(InKeyMode(runner_.TerminalSettings()));

    // B right behind X: the loop ends after the turn that took X.
    runner_.Type("XB");
    const ExitResult result = runner_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 0) << result.Describe();

    display_->Pump(200ms);
    EXPECT_TRUE(EndsWith(display_->Received(), kCloseBytes)) << Hex(display_->Received());
    EXPECT_EQ(Count(*display_, Kind::kBacklightOff), 1);
    EXPECT_FALSE(Model().BacklightOn());
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(Model().Row(row), kBlankRow) << "row " << row;

    const termios after = runner_.TerminalSettings();
    EXPECT_TRUE(InLineMode(after));
    EXPECT_EQ(after.c_lflag, runner_.InitialTerminalSettings().c_lflag);
    EXPECT_EQ(runner_.Errors(), "");
}

}  // namespace
}  // namespace korv::test
