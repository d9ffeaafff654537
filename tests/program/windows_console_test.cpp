// korvpole.exe under Wine as a Windows console drives it: input records and Ctrl+C from
// the key injector (tests/win32/key_injector.cpp), a console's end of input during
// setup, and standard input from NUL or a file.
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/program_test.h"
#include "tests/support/wine_prefix.h"

namespace korv::test {
namespace {
using Kind = sim::DecodedByte::Kind;

const std::string kInputEnded = "Input ended before both answers were given: nothing was saved.\nExiting config mode\n";

// Key injector script lines, a console input record each. Control-key state: 0x02 left
// Alt, 0x08 left Ctrl, 0x10 Shift, 0x20 Num Lock, 0x100 enhanced.
std::string Record(const char* verb, int vk, int character, int state) {
    return std::string(verb) + " " + std::to_string(vk) + " " + std::to_string(character) + " " +
           std::to_string(state) + "\n";
}
std::string Press(int vk, int character, int state = 0) {
    return Record("down", vk, character, state) + Record("up", vk, character, state);
}
const std::string kEscape = Press(0x1B, 0x1B);
// Ctrl+Z, then Enter: the end of input at a Windows console.
const std::string kEndOfInput = Press('Z', 0x1A, 0x08) + Press(0x0D, '\r');
// Alt held over keypad 9 and 8: Alt's release carries the b.
const std::string kAltKeypadB = Record("down", 0x12, 0, 0x02) + Press(0x69, 0, 0x22) + Press(0x68, 0, 0x22) +
                                Record("up", 0x12, 'b', 0);

// korvpole.exe started by the key injector, whose script a case appends to.
class WindowsConsoleCase : public ProgramTest {
protected:
    void StartWithKeys(const PoleRecordFields& record) {
        run_.WriteConfig(5, true);
        run_.WriteRecord(record);
        Com5();
        run_.Dir().Write(kScript, "");
        run_.Start(Program::Tool("korv-key-injector", {WinePrefix::WindowsPath(run_.PathOf(kStatus)),
                                                       WinePrefix::WindowsPath(run_.PathOf(kScript)),
                                                       WinePrefix::WindowsPath(Program::Korvpole().path)}));
        ASSERT_TRUE(Prints(run_, kMenu));
        ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow(record.line1)));
    }

    void StartAtTheBacklightQuestion(const std::string& line1) {
        ASSERT_NO_FATAL_FAILURE(StartWithKeys(Sale(1, line1)));
        run_.Type("s7\r");
        ASSERT_TRUE(Prints(run_, "Press 2 for OFF): "));
    }

    void Keys(const std::string& lines) {
        std::ofstream script(run_.PathOf(kScript), std::ios::app | std::ios::binary);
        script << lines << std::flush;
        ASSERT_TRUE(script.good()) << "cannot append to the key script";
    }

    // Ctrl+C raised: korvpole.exe ends as at X, status 0 as the injector saw (ended in
    // a line read, Wine's console is left without a reader, so cmd cannot be asked).
    void StopByControlC() {
        Keys("ctrl-c\n");
        ASSERT_TRUE(WaitFor([&] {
            run_.Pump();
            return run_.Dir().Has(kStatus);
        })) << "still running after Ctrl+C; console:\n" << run_.Output();
        EXPECT_EQ(run_.Dir().Read(kStatus), "0\n");
        ExpectClosedAsByX(Com5());
    }

    static constexpr const char* kScript = "keys.txt";
    static constexpr const char* kStatus = "status.txt";
};

// Esc is a key of its own, as a console has no escape sequences: the b typed behind it
// as Alt and keypad digits counts, as does an X typed with Shift behind another.
TEST_F(WindowsConsoleCase, RecordsWithoutACharacterGiveNoKeyAndEscIsAPlainKey) {
    ASSERT_NO_FATAL_FAILURE(StartWithKeys(Sale(1, "KEY RECORDS")));
    Keys(Record("up", 'B', 'b', 0) + Press(0x2E, 0, 0x100) + "focus\n" + kEscape + kAltKeypadB);
    ASSERT_TRUE(BacklightBecomes(Com5(), false));
    Keys(kEscape + Record("down", 0x10, 0, 0x10) + Press('X', 'X', 0x10) + Record("up", 0x10, 0, 0));
    ASSERT_NO_FATAL_FAILURE(ExitWithX(""));  // the X was a record
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 2) << "the b and the end; " << ScreenOf(Com5());
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOn), 1) << "the bring-up; " << ScreenOf(Com5());
}

// The next start opens COM5 before it says what it read, with no retry a second later.
TEST_F(WindowsConsoleCase, CtrlCEndsTheProgramAsXDoesAndFreesThePort) {
    ASSERT_NO_FATAL_FAILURE(StartWithKeys(Sale(1, "STOPPED", "BY CTRL+C")));
    ASSERT_NO_FATAL_FAILURE(StopByControlC());
    ASSERT_FALSE(run_.WaitExit().timed_out);

    const std::size_t before = Com5().Received().size();
    run_.Start();
    ASSERT_TRUE(Prints(run_, "Reading config...\n"));
    Com5().CatchUp();
    EXPECT_EQ(Hex(Com5().Received().substr(before, wire::kBringUpLit.size())), Hex(wire::kBringUpLit));
    ExitWithX();
}

// Wine 8 refuses GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT), so Ctrl+Break has no case.

TEST_F(WindowsConsoleCase, CtrlCDuringSetupEndsTheProgramAsXDoesAndSavesNothing) {
    ASSERT_NO_FATAL_FAILURE(StartAtTheBacklightQuestion("HALF ANSWERED"));
    ASSERT_NO_FATAL_FAILURE(StopByControlC());
    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(5, true));
    EXPECT_EQ(run_.Dir().Entries(), (std::vector<std::string>{"KORVPOLE.CFG", "POLE.DAT", kScript, kStatus}));
}

// Ctrl+Z and Enter end a console's input for the read that waits; keys still count.
TEST_F(WindowsConsoleCase, SetupWhoseInputEndsKeepsTheSettingsAndTheDisplay) {
    ASSERT_NO_FATAL_FAILURE(StartAtTheBacklightQuestion("KEEP ME"));
    Keys(kEndOfInput);
    ASSERT_TRUE(Said(run_, "^Z\n" + kInputEnded, 1));

    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(5, true));
    ASSERT_TRUE(CyclesPass(Com5(), 1));
    EXPECT_EQ(Com5().Received().find(wire::kInitialisation, 1), std::string::npos)
        << "brought up again; " << ScreenOf(Com5());
    EXPECT_EQ(Model().Row(1), TextRow("KEEP ME")) << ScreenOf(Com5());
    EXPECT_TRUE(Model().BacklightOn()) << ScreenOf(Com5());
    ExitWithX();
}

// `korvpole.exe < answers.txt` and `< NUL`: the answers from that input, the keys from
// the console all the same.
TEST_F(WindowsConsoleCase, KeysComeFromTheConsoleWhateverStandardInputIs) {
    Com5();
    run_.Dir().Write("answers.txt", "5\r\n2\r\n");
    run_.Start(Program::Korvpole(), {Input::kFile, true, 022, false, "answers.txt"});
    ASSERT_TRUE(Prints(run_, kMenu));
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "35 00 00 32 00");
    run_.Type("B");
    ASSERT_TRUE(BacklightBecomes(Com5(), true));
    ExitWithX("X");

    run_.Start(Program::Korvpole(), {Input::kNothing});
    ASSERT_TRUE(Prints(run_, kMenu));
    run_.Type("s");
    ASSERT_TRUE(Said(run_, "Press 2 for OFF): " + kInputEnded, 1));
    run_.Type("b");
    ASSERT_TRUE(BacklightBecomes(Com5(), true));
    ExitWithX();
}
}  // namespace
}  // namespace korv::test
