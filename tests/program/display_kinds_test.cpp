// KORVPOLE.INI on both builds: a 2x20 customer display at the speed it gives, the shop's
// words, and a file korvpole cannot use.
#include <termios.h>
#include <unistd.h>

#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {
class DisplayKindsTest : public ProgramTest, public ::testing::WithParamInterface<const wire::CustomerWire*> {};

TEST_P(DisplayKindsTest, SaleOnRowsOneAndFourBDimsXClearsAndDims) {
    const wire::CustomerWire& kind = *GetParam();
    DisplayTap& display = run_.Port(5, kind.kind);
    run_.Dir().Write("KORVPOLE.INI",
                     std::string("; the new pole display\r\ndisplay = ") + kind.name + "\r\nbaud = 19200\r\n");
    run_.WriteRecord(Sale(1, "COFFEE", "1 x 3.20", 22, 320));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true));
    const std::string said =
        std::string("Backlight=ON\nKORVPOLE.INI: ") + kind.name + " display, 2x20, rows 1 and 4, 19200 baud\n";
    EXPECT_TRUE(Contains(run_.Output(), said));

    EXPECT_TRUE(ShowsRow(display, 1, TextRow("COFFEE")));
    EXPECT_TRUE(ShowsRow(display, 2, TotalRow("3.20")));
    const std::string bring_up = kind.bring_up + wire::kClr + kind.brightest + wire::kClr;
    EXPECT_EQ(Hex(display.Received().substr(0, bring_up.size())), Hex(bring_up));
    termios line{};
    ASSERT_EQ(tcgetattr(display.Port().SlaveFd(), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));

    run_.Type("q5\rb");  // keys that are no commands, then one B
    EXPECT_TRUE(BacklightBecomes(display, false));
    run_.Type("x");
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; console:\n" << run_.Output();
    display.CatchUp();
    EXPECT_TRUE(EndsWith(display, wire::kClr + kind.dimmest));
    EXPECT_EQ(Count(display, sim::DecodedByte::Kind::kBrightness), 3) << "the bring-up, b, X";
    EXPECT_EQ(display.Model().Screen(), std::vector<std::string>(2, kBlankRow));
    for (const char* other_row : {"1 x 3.20", "TOTAL TAX"})
        EXPECT_EQ(display.Received().find(other_row), std::string::npos) << ScreenOf(display);
    EXPECT_EQ(display.Model().UnknownCommands(), 0u) << ScreenOf(display);
}

INSTANTIATE_TEST_SUITE_P(Customer, DisplayKindsTest, ::testing::Values(&wire::kEscpos, &wire::kCd5220),
                         [](const auto& kind) { return std::string(kind.param->name); });

// A KORVPOLE.INI that Notepad saved with .txt is named, and read by nobody.
TEST_F(ProgramTest, TheShopsWordsOnTheAmountRowsAndANotepadTxtNamed) {
    run_.Dir().Write("KORVPOLE.INI.txt", "display = escpos\r\n");
    run_.WriteRecord(Sale(1, "KAFFE", "", 2590, 12950));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    EXPECT_TRUE(Said(run_, "KORVPOLE.INI.txt is not read: rename it to KORVPOLE.INI", 1));
    EXPECT_TRUE(ShowsRow(Com5(), 4, "    TOTAL     129.50"));
    ExitWithX();

    run_.Dir().Write("KORVPOLE.INI", "tax = MOMS\r\ntotal = ATT BETALA\r\ndecimal = ,\r\n");
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    EXPECT_TRUE(ShowsRow(Com5(), 4, "ATT BETALA    129,50"));
    EXPECT_TRUE(ShowsRow(Com5(), 3, "MOMS           25,90"));
    ExitWithX();
}

// At start, before any byte (on this build also a link that leads nowhere); at setup,
// before the answers are saved, the display then closed as X closes it.
TEST_F(ProgramTest, ASideFileItCannotUseIsToldAndEndsItWithStatusTwo) {
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "NEVER SHOWN"));
    Com5();
    ExitResult result;
    if (!Program::Korvpole().IsWindows()) {
        ASSERT_EQ(symlink("gone.ini", run_.PathOf("KORVPOLE.INI").c_str()), 0);
        result = run_.RunToEnd(Program::Korvpole());
        EXPECT_TRUE(result.exited && result.status == 2) << result.Describe();
        EXPECT_TRUE(Contains(run_.Errors(), "KORVPOLE.INI is a link that leads nowhere"));
        ASSERT_EQ(unlink(run_.PathOf("KORVPOLE.INI").c_str()), 0);
    }
    run_.Dir().Write("KORVPOLE.INI", "display = escpos\r\ntotal = TO BE PAID NOW\r\n");
    result = run_.RunToEnd(Program::Korvpole());
    EXPECT_TRUE(result.exited && result.status == 2) << result.Describe();
    EXPECT_TRUE(Contains(run_.Errors(), "KORVPOLE.INI line 2: total 'TO BE PAID NOW' must be 1 to 11 characters"));
    Com5().CatchUp();
    EXPECT_EQ(Hex(Com5().Received()), "");

    DisplayTap& com6 = run_.Port(6);
    run_.Dir().Write("KORVPOLE.INI", "display = lcd\r\n");
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    run_.Dir().Write("KORVPOLE.INI", "display = lcd\r\nbaud = 9601\r\n");
    run_.Type("s6\r1\r");
    result = run_.WaitExit();
    EXPECT_TRUE(result.exited && result.status == 2) << result.Describe();
    EXPECT_TRUE(Contains(Unwrapped(run_.Errors()), "KORVPOLE.INI line 2: baud must be"));
    ExpectClosedAsByX(Com5());
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), Hex(ConfigBytes(5, true)));
    com6.CatchUp();
    EXPECT_EQ(Hex(com6.Received()), "");
}
}  // namespace
}  // namespace korv::test
