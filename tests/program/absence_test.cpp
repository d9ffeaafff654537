// What must not happen: a key without a character acting, the loop turning while the
// dialogue waits, a core spent on waiting. Some watch for a while, so ctest runs these
// suites one at a time (label "absence").

#include <csignal>
#include <filesystem>
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {
using namespace std::chrono_literals;
using Kind = sim::DecodedByte::Kind;

// About four cycles of a whole record, fifty of one too short to draw.
constexpr auto kWatch = 1000ms;
// Waiting costs well under one percent of a core (bench/korvpole_bench); a busy loop
// takes most of one.
constexpr double kIdleShare = 0.10;

class ProgramAbsence : public ProgramTest {};
class LinuxProgramAbsence : public ProgramTest {};

// Delete, F8, Shift+F5, cursor down, F4, a Linux console's F2, Alt+b, then Ctrl+Down cut
// in two by a pause: each taken whole, and the b behind them still counts.
TEST_F(LinuxProgramAbsence, KeysWithoutACharacterDoNothing) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "KEYS", "SECOND LINE")));
    run_.Type("\x1b[3~" "\x1b[19~" "\x1b[15;2~" "\x1b[B" "\x1bOS" "\x1b[[B" "\x1b" "b" "\x1b[1;5");
    ASSERT_TRUE(CyclesPass(Com5(), 6));
    run_.Type("Bb");
    ASSERT_TRUE(BacklightBecomes(Com5(), false));

    // A lone Escape is a key of its own; what comes later is not swallowed.
    run_.Type("\x1b");
    ASSERT_TRUE(CyclesPass(Com5(), 3));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), true));
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 1);  // b
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOn), 2);   // start-up, b
    EXPECT_EQ(run_.Output().find("Entering config mode"), std::string::npos);
    EXPECT_EQ(Model().Row(1), TextRow("KEYS"));
    ExitWithX();
}

TEST_F(ProgramAbsence, TheLoopStandsStillWhileTheDialogueWaits) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "STANDING STILL")));
    run_.Type("s");
    ASSERT_TRUE(Prints(run_, kPortQuestion));
    Com5().CatchUp();
    EXPECT_EQ(Hex(Com5().Pump(kWatch)), "");
    run_.Type("5\r1\r");
    ASSERT_TRUE(Prints(run_, kExiting));
    ExitWithX();
}

TEST_F(ProgramAbsence, ARecordTooShortToDrawIsPolledWithoutSpinning) {
    run_.TruncateRecord(0);
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    EXPECT_LT(run_.CpuShareOver(2000ms), kIdleShare);

    const std::string full = EncodeRecord(Sale(1, "GROWING", "FILE"));
    Com5().CatchUp();
    run_.WriteRecordBytes(0, full.substr(0, 58));
    EXPECT_EQ(Hex(Com5().Pump(kWatch)), "") << "58 bytes hold no counter yet";
    run_.WriteRecordBytes(58, full.substr(58, 2));
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("FILE")));
    Com5().Pump(kWatch);
    EXPECT_EQ(Model().Row(3), kBlankRow) << "60 bytes hold no scale";
}

TEST_F(ProgramAbsence, AFileOpenErrorWaitsForItsKeyWithoutSpinning) {
    std::filesystem::create_directory(run_.PathOf("POLE.DAT"));
    run_.WriteConfig(5, true);
    run_.Start();
    ASSERT_TRUE(Prints(run_, kFileOpenError));
    EXPECT_LT(run_.CpuShareOver(1500ms), kIdleShare);
    EXPECT_TRUE(run_.Running());
    run_.Type("\r");
    EXPECT_TRUE(run_.WaitExit().Succeeded());
}

// Missing at start: retried without spinning, said once, painted whole once it is there.
TEST_F(ProgramAbsence, AnUnreachableDisplayIsRetriedQuietlyWithoutSpinning) {
    const PoleRecordFields record = Sale(1, "RETRIED", "MISSING AT START", 40, 4250);
    run_.WriteRecord(record);
    run_.WriteConfig(5, true);
    std::filesystem::create_symlink("/dev/pts/does-not-exist", run_.PortLink(5));
    run_.Start();
    ASSERT_TRUE(Prints(run_, kMenu));
    if (!Program::Korvpole().IsWindows()) {
        EXPECT_TRUE(Said(run_, "COM5 cannot be opened: COM5 links to /dev/pts/does-not-exist, which does not "
                               "exist" + std::string(kStaysDark), 1));
    }
    EXPECT_LT(run_.CpuShareOver(1500ms), kIdleShare);
    ASSERT_TRUE(ShowsRecord(Com5(), record));
    EXPECT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(Said(run_, kStaysDark, 1));
    EXPECT_TRUE(Said(run_, kCom5Open, 1));
    ExitWithX();
}

// Keys from a pipe that ends, as under a service manager, or no input from the start as
// the systemd unit has it; the terminal, not its input, is left alone.
TEST_F(LinuxProgramAbsence, InputThatEndedCostsNoCore) {
    run_.WriteRecord(Sale(1, "PIPED"));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true, {Input::kPipe}));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("PIPED")));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), false));
    run_.CloseInput();
    EXPECT_LT(run_.CpuShareOver(2000ms), kIdleShare);
    run_.WriteRecord(Sale(2, "AFTER THE END", "", 300));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("AFTER THE END")));
    EXPECT_TRUE(ShowsRow(Com5(), 3, TaxRow("3.00")));
    run_.TruncateRecord(0);
    EXPECT_LT(run_.CpuShareOver(2000ms), kIdleShare);
    EXPECT_EQ(run_.TerminalSettings().c_lflag, run_.InitialTerminalSettings().c_lflag);
    ASSERT_TRUE(run_.Running());
    run_.Signal(SIGTERM);
    ASSERT_NO_FATAL_FAILURE(ExitWithX(""));

    run_.WriteRecord(Sale(2, "UNATTENDED"));
    run_.Start(Program::Korvpole(), kScripted);
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("UNATTENDED")));
    EXPECT_LT(run_.CpuShareOver(2000ms), kIdleShare);
    run_.WriteRecord(Sale(3, "NEXT ITEM"));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("NEXT ITEM")));
    run_.Signal(SIGTERM);
    EXPECT_TRUE(run_.WaitExit().Succeeded());
}
}  // namespace
}  // namespace korv::test
