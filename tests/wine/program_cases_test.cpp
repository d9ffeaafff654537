// The whole program against a display on a pseudo-terminal: the Linux build directly,
// korvpole.exe through Wine with the terminal as its COM5. Same cases, same checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "sim/hd44780_model.h"
#include "tests/support/console_text.h"
#include "tests/support/program_test.h"
#include "tests/wine/program_under_test.h"

namespace korv::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr std::chrono::seconds kWineWait{30};

std::string Padded(const std::string& text) { return TextRow(text); }

bool IsSubsequence(const std::string& part, const std::string& whole) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}

// The display's end of the line says XOFF, as a device whose buffer is full does: the
// terminal then takes no byte from the program until XON.
class StoppedLine {
public:
    explicit StoppedLine(DisplayTap& tap) : tap_(tap) {
        SetSoftwareFlowControl(true);
        Say('\x13');
    }
    ~StoppedLine() { Restart(); }
    void Restart() {
        if (restarted_) return;
        restarted_ = true;
        Say('\x11');
        SetSoftwareFlowControl(false);
    }

private:
    void SetSoftwareFlowControl(bool on) {
        termios line;
        if (tcgetattr(tap_.Port().SlaveFd(), &line) != 0) return;
        if (on) line.c_iflag |= IXON;
        else line.c_iflag &= ~static_cast<tcflag_t>(IXON);
        tcsetattr(tap_.Port().SlaveFd(), TCSANOW, &line);
    }
    void Say(char code) {
        if (write(tap_.Port().MasterFd(), &code, 1) != 1) std::perror("write");
    }
    DisplayTap& tap_;
    bool restarted_ = false;
};

// Every case has its own folder and its own COM5 terminal; under Wine they share the
// prefix, so they run one after another, in any order.
class ProgramCase : public ::testing::Test {
protected:
    ProgramCase() { run_.UseWine(g_program.wine); }

    DisplayTap& Com5() { return run_.Port(5); }

    void Start() {
        Com5();
        run_.Start(g_program);
    }


    ::testing::AssertionResult RowBecomes(int row, const std::string& text) {
        return ShowsRow(Com5(), row, text, seconds(20));
    }

    // Bytes this case's program sent to COM5, as hexadecimal pairs.
    std::string PortHex() {
        Com5().PumpUntilQuiet(milliseconds(400));
        return Hex(Com5().Received());
    }

    // X ends the run: status 0, and the display is cleared and darkened last.
    void ExitWithX(const std::string& key = "x") {
        run_.Type(key);
        const ExitResult result = run_.WaitExit(kWineWait);
        ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; console:\n" << run_.Output();
        Com5().PumpUntilQuiet(milliseconds(400));
        EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
        for (int row = 1; row <= 4; ++row) EXPECT_EQ(Com5().Model().Row(row), kBlankRow);
        EXPECT_FALSE(Com5().Model().BacklightOn());
    }

    Runner run_;
};

TEST_F(ProgramCase, FirstStartAsksForSettingsSavesThemAndBringsTheDisplayUp) {
    Start();
    ASSERT_TRUE(Prints(run_, "No korvpole.cfg was detected, you MUST run setup.\nSetup will start now.\n"
                      "Entering config mode\n\n"
                      "Please enter the number of the COM Port (i.e. for COM5 enter 5): ", kWineWait));
    run_.Type("5\r");
    ASSERT_TRUE(
        Prints(run_, "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): ", kWineWait));
    run_.Type("1\r");
    ASSERT_TRUE(Prints(run_, "Exiting config mode\n\n", kWineWait));
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));

    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), std::string("5\0\0001\0", 5));
    EXPECT_EQ(run_.Output().find("Reading config..."), std::string::npos);
    EXPECT_EQ(PortHex(), Hex(wire::kBringUpLit));
    EXPECT_TRUE(Com5().Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramCase, ConfiguredStartBringsUpTheDisplayAndReportsTheFile) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    Start();
    ASSERT_TRUE(Prints(run_, "Korvane pole app release v 1.0.1\n", kWineWait));
    ASSERT_TRUE(Prints(run_, std::string("Reading config...\nCOM=5\nBacklight=OFF\n") + kMenu, kWineWait));
    // An empty POLE.DAT was created and draws nothing: the line carries the bring-up only.
    EXPECT_EQ(PortHex(), Hex(wire::kBringUpDark));
    EXPECT_EQ(run_.Output().find("No korvpole.cfg"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(run_.PathOf("POLE.DAT")));
    EXPECT_EQ(fs::file_size(run_.PathOf("POLE.DAT")), 0u);
    ExitWithX("X");
}

TEST_F(ProgramCase, RecordIsDrawnWithItsAmountsRightAligned) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    run_.WriteRecord({"ABC", "TWENTY CHARACTERS 20", 1, 1, 125, -500});
    Start();
    ASSERT_TRUE(RowBecomes(4, "    TOTAL      -5.00"));
    EXPECT_EQ(Com5().Model().Row(1), Padded("ABC"));
    EXPECT_EQ(Com5().Model().Row(2), "TWENTY CHARACTERS 20");
    EXPECT_EQ(Com5().Model().Row(3), "TOTAL TAX       1.25");
    EXPECT_TRUE(Com5().Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramCase, LinesAreRedrawnOnlyWhenTheCounterChanges) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    run_.WriteRecord({"FIRST SALE", "ITEM ONE", 1, 1, 125, 1000});
    Start();
    ASSERT_TRUE(RowBecomes(1, Padded("FIRST SALE")));
    ASSERT_TRUE(RowBecomes(4, "    TOTAL      10.00"));

    // Same counter: the new amount shows, the new lines do not.
    run_.WriteRecord({"UNSEEN", "UNSEEN", 1, 1, 250, 1000});
    ASSERT_TRUE(RowBecomes(3, "TOTAL TAX       2.50"));
    EXPECT_EQ(Com5().Model().Row(1), Padded("FIRST SALE"));
    EXPECT_EQ(Com5().Model().Row(2), Padded("ITEM ONE"));

    // A new counter clears first, so the shorter line leaves nothing behind.
    run_.WriteRecord({"NEXT", "", 2, 100, 1250, 99999999});
    ASSERT_TRUE(RowBecomes(1, Padded("NEXT")));
    ASSERT_TRUE(RowBecomes(4, "    TOTAL   99999999"));
    EXPECT_EQ(Com5().Model().Row(2), kBlankRow);
    EXPECT_EQ(Com5().Model().Row(3), "TOTAL TAX       1250");
    ExitWithX();
}

TEST_F(ProgramCase, BacklightKeyTogglesInEitherCase) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    run_.WriteRecord({"LIGHT", "", 1, 1, 0, 100});
    Start();
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));
    ASSERT_TRUE(RowBecomes(1, Padded("LIGHT")));
    ASSERT_TRUE(Com5().Model().BacklightOn());
    run_.Type("B");
    ASSERT_TRUE(BacklightBecomes(Com5(), false, seconds(20)));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), true, seconds(20)));
    // Other keys are no commands.
    run_.Type("q5\r");
    ASSERT_TRUE(RowBecomes(4, "    TOTAL       1.00"));
    EXPECT_TRUE(Com5().Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramCase, PoleFileThatIsADirectoryEndsAfterAnyKey) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    fs::create_directory(run_.PathOf("POLE.DAT"));
    Start();
    ASSERT_TRUE(Prints(run_, "File open error detected: POLE.DAT\nPress any key to exit\n", kWineWait));
    run_.Type("\r");  // left unread: cmd takes it as an empty line
    const ExitResult status = run_.WaitExit(kWineWait);
    ASSERT_TRUE(status.Succeeded()) << status.Describe() << "; console:\n" << run_.Output();
    EXPECT_EQ(run_.Output().find("Press S to run setup"), std::string::npos);
    EXPECT_EQ(PortHex(), Hex(wire::kBringUpLit + wire::kClose));
    EXPECT_TRUE(fs::is_directory(run_.PathOf("POLE.DAT")));
}

// The save replaces the file through a temporary one, on Windows too; the display
// brought up again shows the whole sale, the counter unchanged.
TEST_F(ProgramCase, SetupSavesTheAnswersLeavesNoTemporaryFileAndRepaintsTheSale) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    run_.WriteRecord({"MID SALE", "2 x 1.80", 4, 1, 25, 360});
    Start();
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));
    ASSERT_TRUE(RowBecomes(2, Padded("2 x 1.80")));
    Com5().PumpUntilQuiet(milliseconds(400));
    const auto clears_before = Com5().Model().Clears();
    run_.Type("s");
    ASSERT_TRUE(Prints(run_, "(i.e. for COM5 enter 5): ", kWineWait));
    run_.Type("5\r");
    ASSERT_TRUE(Prints(run_, "Press 2 for OFF): ", kWineWait));
    run_.Type("1\r");
    ASSERT_TRUE(Prints(run_, "Exiting config mode\n\n", kWineWait));
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "35 00 00 31 00");
    // Rows 1 and 2 written after a clear of the bring-up.
    EXPECT_TRUE(Com5().PumpUntil(
        [&](const sim::Hd44780Model& m) {
            return m.Clears() > clears_before && m.BacklightOn() && m.Row(1) == Padded("MID SALE") &&
                   m.Row(2) == Padded("2 x 1.80");
        },
        seconds(20)))
        << ScreenOf(Com5());
    for (const std::string& name : run_.Dir().Entries())
        EXPECT_TRUE(name == "KORVPOLE.CFG" || name == "POLE.DAT" || name == "COM5") << name;
    run_.Type("x");
    const ExitResult status = run_.WaitExit(kWineWait);
    EXPECT_TRUE(status.Succeeded()) << status.Describe() << "; console:\n" << run_.Output();
}

TEST_F(ProgramCase, PortThatDoesNotExistLeavesTheProgramRunning) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("42\0001\0", 5));
    run_.WriteRecord({"NOBODY SEES THIS", "", 1, 1, 125, 125});
    Start();
    ASSERT_TRUE(Prints(run_, "Reading config...\nCOM=42\nBacklight=ON\n", kWineWait));
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));
    // Said once on standard error, which a Windows console shows before the key menu.
    const std::string dark = "COM42 cannot be opened: there is no COM42 (" +
                             std::string(g_program.IsWindows() ? "\\\\.\\COM42" : "/dev/ttyS41") +
                             "). The display stays dark; korvpole tries again every second.\n";
    if (g_program.IsWindows())
        EXPECT_NE(Unwrapped(run_.Output()).find(Unwrapped("Backlight=ON\n" + dark + kMenu)),
                  std::string::npos) << run_.Output();
    else
        EXPECT_EQ(run_.Errors(), dark);
    run_.Type("B");
    run_.Type("x");
    const ExitResult status = run_.WaitExit(kWineWait);
    ASSERT_TRUE(status.Succeeded()) << status.Describe() << "; console:\n" << run_.Output();
    EXPECT_EQ(PortHex(), "");
}

// A display that takes nothing: every byte waits its 1000 ms and is given up, and a
// write given up must not be finished later from a buffer that was reused meanwhile.
TEST_F(ProgramCase, DisplayThatNeverReadsStillLetsXEndTheProgram) {
    StoppedLine stopped(Com5());
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    Start();
    // 22 bring-up bytes at up to a second each.
    ASSERT_TRUE(Prints(run_, kMenu, seconds(120)));
    run_.Type("x");
    const ExitResult status = run_.WaitExit(seconds(60));
    ASSERT_TRUE(status.Succeeded()) << "X did not end the program: " << status.Describe()
                                    << "; console:\n" << run_.Output();

    // Whatever still arrives once the line moves again must be bytes the program sent,
    // in its order, each at most once: none finished later from a reused buffer.
    stopped.Restart();
    Com5().PumpUntilQuiet(milliseconds(1000), seconds(30));
    const std::string late = Com5().Received();
    const std::string sent = wire::kBringUpDark + wire::kClose;
    EXPECT_TRUE(IsSubsequence(late, sent)) << "bytes after the stall: " << Hex(late);
    EXPECT_LT(late.size(), sent.size()) << "the line never stalled: " << Hex(late);
}

TEST_F(ProgramCase, UnpluggedDisplayIsBroughtBackAndRepaintedByItself) {
    run_.Dir().Write("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    run_.WriteRecord({"PLUG ME BACK", "SAME RECORD", 1, 1, 125, 250});
    Start();
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));
    ASSERT_TRUE(RowBecomes(1, Padded("PLUG ME BACK")));

    for (int replug = 1; replug <= 3; ++replug) {
        SCOPED_TRACE("replug " + std::to_string(replug));
        run_.Unplug(5);
        std::this_thread::sleep_for(seconds(2));
        run_.Replug(5);

        // The record has not changed: rows 1 and 2 come back only with a whole repaint.
        ASSERT_TRUE(RowBecomes(1, Padded("PLUG ME BACK"))) << run_.Output();
        EXPECT_TRUE(RowBecomes(2, Padded("SAME RECORD")));
        EXPECT_TRUE(RowBecomes(4, "    TOTAL       2.50"));
        EXPECT_TRUE(Com5().Model().BacklightOn());
        EXPECT_EQ(Hex(Com5().Received().substr(0, 16)), Hex(wire::kInitialisation));
    }
    ExitWithX();
}

TEST(PlainTextTest, DropsControlSequencesAndReadsCursorStepsAsBlanks) {
    EXPECT_EQ(PlainText("\x1b]0;C:\\cmd.exe\x07\x1b[?25lPress\x1b[K\x1b[1CS\x1b[?25h\r\n"),
              "Press S\n");
    EXPECT_EQ(PlainText("a\x1b[3Cb"), "a   b");
    EXPECT_EQ(PlainText("end\x1b["), "end");  // cut short
}

}  // namespace
}  // namespace korv::test
