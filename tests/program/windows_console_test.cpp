// korvpole.exe under Wine as a Windows console drives it: key records written into its
// console by the key injector (tests/win32/key_injector.cpp), Ctrl+C raised with
// GenerateConsoleCtrlEvent, input that ends during setup, and standard input from NUL
// or a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/console_text.h"
#include "tests/support/program_test.h"
#include "tests/support/wine_prefix.h"
#include "tests/support/test_main.h"

namespace korv::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Kind = sim::DecodedByte::Kind;

constexpr seconds kWineWait{30};
constexpr long long kControlCExit = -1073741510;  // 0xC000013A
const char* const kInputEndedNote = "Input ended before both answers were given: nothing was saved.\n";

// Script lines for the key injector: a key pressed and released as a keyboard gives it.
std::string Press(const std::string& vk_scan_char, const std::string& state = "0") {
    return "press " + vk_scan_char + " " + state + "\n";
}
// A letter with Shift held around it, as a capital is typed.
std::string Capital(const std::string& vk_scan_char) {
    return "down 0x10 0x2A 0 shift\n" + Press(vk_scan_char, "shift") + "up 0x10 0x2A 0\n";
}
// A key with Alt held around it.
std::string WithAlt(const std::string& vk_scan_char) {
    return "down 0x12 0x38 0 lalt\n" + Press(vk_scan_char, "lalt") + "up 0x12 0x38 0\n";
}

const std::string kS = "0x53 0x1F 's'";
const std::string kB = "0x42 0x30 'b'";
const std::string kX = "0x58 0x2D 'x'";
const std::string kCapitalS = "0x53 0x1F 'S'";
const std::string kCapitalB = "0x42 0x30 'B'";
const std::string kCapitalX = "0x58 0x2D 'X'";
const std::string kEnter = Press("0x0D 0x1C 13");
const std::string kEscape = Press("0x1B 0x01 27");
// Ctrl+Z then Enter: the end of input at a Windows console.
const std::string kEndOfInput = Press("0x5A 0x2C 26", "lctrl") + kEnter;

// 1 to 9 on the main block: virtual-key code '1' to '9', scan codes 2 to 10.
std::string Digit(char digit) {
    char vk_scan_char[32];
    std::snprintf(vk_scan_char, sizeof vk_scan_char, "0x%02X 0x%02X '%c'", digit, digit - '0' + 1,
                  digit);
    return Press(vk_scan_char);
}

// A b typed as Alt and keypad 9 8: Alt's release carries the character.
const std::string kAltKeypadB = "down 0x12 0x38 0 lalt\n" + Press("0x69 0x49 0", "lalt+numlock") +
                                Press("0x68 0x48 0", "lalt+numlock") + "up 0x12 0x38 98\n";

// korvpole.exe started by the key injector on a console of its own, with COM5 a
// display, and the injector's script in the run's folder, appended to as a case goes.
class WindowsConsoleCase : public ::testing::Test {
protected:
    WindowsConsoleCase() { run_.UseWine(g_program.wine); }

    DisplayTap& Com5() { return run_.Port(5); }

    // Starts with an empty script; waits for the key menu.
    void StartWithKeys() {
        Com5();
        run_.Dir().Write(kScript, "");
        const Program injector{g_key_injector,
                               {"--status", WinePrefix::WindowsPath(run_.PathOf(kStatus)),
                                WinePrefix::WindowsPath(run_.PathOf(kScript)),
                                WinePrefix::WindowsPath(g_program.path)},
                               g_program.wine};
        run_.Start(injector);
        ASSERT_TRUE(run_.WaitForOutput(kMenu, kWineWait)) << run_.Output();
    }

    // The injector reads whole lines as they are appended.
    void Keys(const std::string& lines) {
        std::ofstream script(run_.PathOf(kScript), std::ios::app | std::ios::binary);
        script << lines;
        script.flush();
        ASSERT_TRUE(script.good()) << "cannot append to the key script";
    }

    // The program ended with status 0 and cleared and darkened the display last.
    void EndsByTheExitKey(seconds limit = kWineWait) {
        const ExitResult result = run_.WaitExit(limit);
        ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; console:\n" << run_.Output();
        Com5().CatchUp();
        EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
    }

    // korvpole.exe's exit code as the injector saw it, once it has ended.
    bool StatusWritten(seconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!run_.Dir().Has(kStatus)) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            run_.Pump();
            std::this_thread::sleep_for(milliseconds(20));
        }
        return true;
    }

    static constexpr const char* kScript = "keys.txt";
    static constexpr const char* kStatus = "status.txt";
    Runner run_;
};

TEST_F(WindowsConsoleCase, LettersInEitherCaseAreTheirCommands) {
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "LETTERS"));
    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("LETTERS"), kWineWait));

    Keys(Capital(kCapitalB));
    ASSERT_TRUE(BacklightBecomes(Com5(), false, kWineWait));
    Keys(Press(kB));
    ASSERT_TRUE(BacklightBecomes(Com5(), true, kWineWait));

    // The answers are typed as keys too, into the console's line input.
    Keys(Capital(kCapitalS));
    ASSERT_TRUE(Prints(run_, "(i.e. for COM5 enter 5): ", kWineWait));
    Keys(Digit('5') + kEnter);
    ASSERT_TRUE(Prints(run_, "Press 2 for OFF): ", kWineWait));
    Keys(Digit('2') + kEnter);
    ASSERT_TRUE(Prints(run_, "Exiting config mode\n\n", kWineWait));
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "35 00 00 32 00");
    ASSERT_TRUE(BacklightBecomes(Com5(), false, kWineWait));

    Keys(Press(kS));
    ASSERT_TRUE(Prints(run_, "(i.e. for COM5 enter 5): ", kWineWait));
    Keys(Digit('5') + kEnter + Digit('1') + kEnter);
    ASSERT_TRUE(Prints(run_, "Exiting config mode\n\n", kWineWait));
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "35 00 00 31 00");
    ASSERT_TRUE(BacklightBecomes(Com5(), true, kWineWait));

    Keys(Capital(kCapitalX));
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());

    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    Keys(Press(kX));
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());
}

// Key-ups, modifiers pressed and released alone, keys without a character (Delete, F8,
// Shift+F5: once S, B and X) and Alt with a key give no key. A B and an X behind them
// show that nothing before was taken as a key: exactly one toggle, then the end.
TEST_F(WindowsConsoleCase, ReleasesAndLoneModifiersGiveNoKey) {
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "NO KEYS"));
    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("NO KEYS"), kWineWait));

    Keys("up " + kX + "\nup " + kB + " 0\nup " + kS + "\nup " + kCapitalX + " shift\n" +
         "down 0x10 0x2A 0 shift\nup 0x10 0x2A 0\n"      // Shift
         "down 0x11 0x1D 0 lctrl\nup 0x11 0x1D 0\n"      // left Ctrl
         "down 0x11 0x1D 0 rctrl+enhanced\nup 0x11 0x1D 0 enhanced\n"  // right Ctrl
         "down 0x12 0x38 0 lalt\nup 0x12 0x38 0\n"       // left Alt
         "down 0x12 0x38 0 ralt+enhanced\nup 0x12 0x38 0 enhanced\n"  // right Alt
         "focus\nmouse\nsize\n" + Press("0x2E 0x53 0", "enhanced") + Press("0x77 0x42 0") +
         Press("0x74 0x3F 0", "shift") + WithAlt(kX) + WithAlt(kB) + WithAlt(kS) + Press(kB) + Press(kX));
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 2) << "the B and the end; " << ScreenOf(Com5());
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOn), 1) << "the bring-up; " << ScreenOf(Com5());
    EXPECT_EQ(run_.Output().find("Entering config mode"), std::string::npos) << run_.Output();
}

// A Windows console has no escape sequences: Esc is a key of its own and the key
// typed right behind it counts, as a b typed as Alt and keypad digits does.
TEST_F(WindowsConsoleCase, EscapeIsAPlainKey) {
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "ESCAPE"));
    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("ESCAPE"), kWineWait));

    Keys(kEscape + kAltKeypadB);
    ASSERT_TRUE(BacklightBecomes(Com5(), false, kWineWait));
    Keys(kEscape + Press(kX));
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());
}

// As a stop signal on Linux: the program ends at once, the display keeps what it showed
// and the port is free for the next start.
TEST_F(WindowsConsoleCase, CtrlCEndsTheProgramAtOnceAndFreesThePort) {
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "STOPPED", "BY CTRL+C"));
    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    // Rows 3 and 4 are redrawn in place each cycle, so a stop in the middle of a redraw
    // leaves the screen as it was once all four rows are there.
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("BY CTRL+C"), kWineWait));
    ASSERT_TRUE(ShowsRow(Com5(), 4, TotalRow("2.50"), kWineWait));

    const auto raised = std::chrono::steady_clock::now();
    Keys("ctrl-c\n");
    const ExitResult result = run_.WaitExit(seconds(5));
    const auto took = std::chrono::steady_clock::now() - raised;
    ASSERT_FALSE(result.timed_out) << result.Describe();
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(took).count(), 5000);
    EXPECT_EQ(result.windows_status, kControlCExit) << result.Describe();

    Com5().CatchUp();
    EXPECT_EQ(Com5().Model().Row(1), TextRow("STOPPED")) << ScreenOf(Com5());
    EXPECT_EQ(Com5().Model().Row(2), TextRow("BY CTRL+C")) << ScreenOf(Com5());
    EXPECT_EQ(Com5().Model().Row(4), TotalRow("2.50")) << ScreenOf(Com5());
    EXPECT_TRUE(Com5().Model().BacklightOn()) << ScreenOf(Com5());
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 0) << ScreenOf(Com5());

    // The next start opens COM5 before it says what it read: no retry a second later.
    const std::size_t before = Com5().Received().size();
    run_.Start(g_program);
    ASSERT_TRUE(Prints(run_, "Reading config...\n", kWineWait));
    Com5().CatchUp();
    EXPECT_EQ(Hex(Com5().Received().substr(before, wire::kBringUpLit.size())),
              Hex(wire::kBringUpLit));
    run_.Type("x");
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());
}

// Ctrl+Break would be raised the same way, but Wine 8 refuses
// GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT) (error 6), so it has no case here.

TEST_F(WindowsConsoleCase, CtrlCDuringSetupEndsTheProgramAndSavesNothing) {
    const std::string stored = ConfigBytes(5, true);
    run_.Dir().Write("KORVPOLE.CFG", stored);
    run_.WriteRecord(Sale(1, "HALF ANSWERED"));
    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("HALF ANSWERED"), kWineWait));

    Keys(Press(kS));
    ASSERT_TRUE(Prints(run_, "(i.e. for COM5 enter 5): ", kWineWait));
    Keys(Digit('7') + kEnter);
    ASSERT_TRUE(Prints(run_, "Press 2 for OFF): ", kWineWait));
    // Wine's console is left without a working reader when a program ends in the middle
    // of a line read, so cmd cannot tell the status; the injector writes it down.
    Keys("ctrl-c\n");
    ASSERT_TRUE(StatusWritten(seconds(5))) << run_.Output();
    EXPECT_EQ(run_.Dir().Read(kStatus), std::to_string(kControlCExit) + "\n");

    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), Hex(stored));
    EXPECT_EQ(run_.Dir().Entries(),
              (std::vector<std::string>{"KORVPOLE.CFG", "POLE.DAT", kScript, kStatus}));
    Com5().CatchUp();
    EXPECT_EQ(Com5().Model().Row(1), TextRow("HALF ANSWERED")) << ScreenOf(Com5());
    EXPECT_TRUE(Com5().Model().BacklightOn()) << ScreenOf(Com5());
}

// Ctrl+Z and Enter end a console's input for the read that is waiting. Answers cut
// short so, at either question, leave the stored settings and the display as they were,
// and the program goes on taking keys.
TEST_F(WindowsConsoleCase, SetupWhoseInputEndsKeepsTheSettingsAndTheDisplay) {
    const std::string stored = ConfigBytes(5, true);
    run_.Dir().Write("KORVPOLE.CFG", stored);
    run_.WriteRecord(Sale(1, "KEEP ME"));
    ASSERT_NO_FATAL_FAILURE(StartWithKeys());
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("KEEP ME"), kWineWait));

    const std::string cut_short =
        std::string("Press 2 for OFF): ") + kInputEndedNote + "Exiting config mode\n";
    Keys(Press(kS));
    ASSERT_TRUE(Prints(run_, "(i.e. for COM5 enter 5): ", kWineWait));
    Keys(kEndOfInput);
    ASSERT_TRUE(Said(run_, cut_short, 1));

    Keys(Press(kS));
    ASSERT_TRUE(Prints(run_, "(i.e. for COM5 enter 5): ", kWineWait));
    Keys(Digit('7') + kEnter);
    ASSERT_TRUE(Prints(run_, "Press 2 for OFF): ", kWineWait));
    Keys(kEndOfInput);
    ASSERT_TRUE(Said(run_, cut_short, 2));

    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), Hex(stored));
    ASSERT_TRUE(CyclesPass(Com5(), 1));
    EXPECT_EQ(Com5().Received().find(wire::kInitialisation, 1), std::string::npos)
        << "brought up again; " << ScreenOf(Com5());
    EXPECT_EQ(Com5().Model().Row(1), TextRow("KEEP ME")) << ScreenOf(Com5());
    EXPECT_TRUE(Com5().Model().BacklightOn()) << ScreenOf(Com5());

    Keys(Press(kX));
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());
}

// `korvpole.exe < answers.txt` and `< NUL`, as a launcher or a till starts it: the
// answers come from that input, the keys from the console all the same.
TEST_F(WindowsConsoleCase, KeysComeFromTheConsoleWhateverStandardInputIs) {
    Com5();
    run_.Dir().Write("answers.txt", "5\r\n2\r\n");
    run_.Start(g_program, {Input::kFile, true, 022, -1, false, "answers.txt"});
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "35 00 00 32 00");
    run_.Type("B");
    ASSERT_TRUE(BacklightBecomes(Com5(), true, kWineWait));
    run_.Type("X");
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());

    run_.Start(g_program, {Input::kNothing});
    ASSERT_TRUE(Prints(run_, kMenu, kWineWait));
    run_.Type("s");
    ASSERT_TRUE(Said(run_, std::string("Press 2 for OFF): ") + kInputEndedNote + "Exiting config mode\n", 1));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), true, kWineWait));
    run_.Type("x");
    ASSERT_NO_FATAL_FAILURE(EndsByTheExitKey());
}

}  // namespace
}  // namespace korv::test
