#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "display/display_driver.h"
#include "platform/console_keys.h"
#include "pole/failure_words.h"
#include "pole/startup.h"
#include "tests/support/program_test.h"

namespace korv::test {
namespace {
// What start-up and setup put in force; these cases read the port instead.
InForce g_dark;

const std::string kNoConfig = "No korvpole.cfg was detected, you MUST run setup.\nSetup will start now.\n";
const std::string kEntering = "Entering config mode\n\n";
const std::string kAskPort = std::string("Please enter the number of the COM Port ") + kPortQuestion;
const std::string kDialogue = kEntering + kAskPort + kBacklightQuestion + kExiting;
const std::string kCutShort = kEntering + kAskPort + kBacklightQuestion + kInputEndedNote + kExiting;

const std::string kBringUpLit = Hex(wire::kBringUpLit);
const std::string kBringUpDark = Hex(wire::kBringUpDark);

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

// The output after the three banner lines: the first exact, the other two there.
std::string AfterBanner(const std::string& output) {
    EXPECT_EQ(output.substr(0, kBannerFirstLine.size()), kBannerFirstLine);
    std::size_t at = kBannerFirstLine.size();
    for (int line = 2; line <= 3; ++line) {
        const std::size_t end = output.find('\n', at);
        if (end == std::string::npos || end == at) {
            ADD_FAILURE() << "banner line " << line << " missing in:\n" << output;
            return output;
        }
        at = end + 1;
    }
    return output.substr(at);
}

std::string ConfigFile(const Runner& run) {
    if (!run.Dir().Has(kConfigFileName)) return "(missing)";
    return Hex(run.Dir().Read(kConfigFileName));
}

bool Finished(Runner& run) { return run.WaitExit().Succeeded(); }

// With the console as the program has it, which the dialogue's input shares.
int StartUp() {
    platform::ConsoleKeys console;
    DisplayDriver display;
    RunStartup(display, g_dark);
    return 0;
}

int TwoDialogues() {
    platform::ConsoleKeys console;
    DisplayDriver display;
    RunSetup(display, g_dark);
    RunSetup(display, g_dark);
    return 0;
}

std::string SentTo(DisplayTap& tap) { return Hex(tap.CatchUp()); }

class StartupTest : public ::testing::Test {
protected:
    Runner run_;
    DisplayTap& com5_ = run_.Port(5);
};

const std::string kStored = Bytes("5\0\0" "1\0", 5);
const std::string kReadPort5On = "Reading config...\nCOM=5\nBacklight=ON\n";

TEST(StartupConfigFile, BringsTheDisplayUpAndSaysWhatTheFileHolds) {
    const struct {
        std::string file;
        int port;
        std::string printed;  // after the banner
        std::string sent;     // to that port
    } cases[] = {
        {Bytes("5x\0" "2\0", 5), 5, "Reading config...\nCOM=5x\nBacklight=OFF\n", kBringUpDark},
        {Bytes("123" "1\0", 5), 12, "Reading config...\nCOM=12\nBacklight=ON\n", kBringUpLit},
        {Bytes("5\0\0", 3), 5, "Reading config...\nCOM=5\nBacklight=OFF\n", kBringUpDark},
        {Bytes("5\0\0" "1", 4), 5, kReadPort5On, kBringUpLit},
        {std::string(), 5, "Reading config...\nCOM=\nBacklight=OFF\n", ""},
        {kStored + "99", 5, kReadPort5On, kBringUpLit},  // bytes after the fifth ignored
        {Bytes("05\0" "1\0", 5), 5, "Reading config...\nCOM=05\nBacklight=ON\n", kBringUpLit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("file " + Hex(c.file));
        Runner run;
        DisplayTap& tap = run.Port(c.port);
        run.Dir().Write(kConfigFileName, c.file);

        run.StartFunction(StartUp);  // standard input stays open: nothing is read from it
        ASSERT_TRUE(Finished(run)) << run.Output();
        EXPECT_EQ(AfterBanner(run.Output()), c.printed);
        EXPECT_EQ(SentTo(tap), c.sent);
        EXPECT_EQ(ConfigFile(run), Hex(c.file)) << "the file is only read";
    }
}

TEST(StartupFirstDialogue, SavesTheAnswersAsTypedAndBringsUpThePortTheyName) {
    const struct {
        std::string typed;
        bool input_ends;  // else it stays open: nothing more is waited for
        std::string file;
        int port;
        std::string sent;
    } cases[] = {
        {"\n\n\n5\n\n\n   1\n", false, "35 00 00 31 00", 5, kBringUpLit},  // empty lines skipped, not asked again
        {"5\n2\n", false, "35 00 00 32 00", 5, kBringUpDark},  // anything but 1 means off
        {"5\n0\n", false, "35 00 00 30 00", 5, kBringUpDark},
        {"5\ny\n", false, "35 00 00 79 00", 5, kBringUpDark},
        {"123\n", false, "31 32 00 33 00", 12, kBringUpDark},  // the 3 answers the second question
        {"ab 1\n", false, "61 62 00 31 00", 5, ""},            // naming no port, saved as typed
        {"", true, "(missing)", 5, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("typed \"" + c.typed + "\"");
        Runner run;
        DisplayTap& com5 = run.Port(5);
        DisplayTap& com12 = run.Port(12);
        run.StartFunction(StartUp);
        run.Type(c.typed);
        if (c.input_ends) run.CloseInput();
        ASSERT_TRUE(Finished(run)) << run.Output();
        EXPECT_EQ(AfterBanner(run.Output()), kNoConfig + (c.input_ends ? kCutShort : kDialogue));
        EXPECT_EQ(ConfigFile(run), c.file);
        EXPECT_EQ(SentTo(c.port == 12 ? com12 : com5), c.sent);
        EXPECT_EQ(SentTo(c.port == 12 ? com5 : com12), "");
        EXPECT_EQ(com5.Model().BacklightOn() || com12.Model().BacklightOn(), c.sent == kBringUpLit);
    }
}

// Everything typed at once: what the first leaves on its second answer's line answers
// nothing.
TEST(StartupTwoDialogues, TheRestOfTheSecondAnswersLineIsDroppedAndLinesAheadAreKept) {
    const struct {
        std::string first;
        std::string port5;  // the first dialogue's bring-up there, then the second's close
    } cases[] = {
        {"COM5\n", ""},  // CO and M, port 0; the 5 is dropped
        {"5\non\n", wire::kBringUpDark + wire::kClose},  // o; the n is dropped
        {"5\n1x\n", wire::kBringUpLit + wire::kClose},
        {"5 yes\n", wire::kBringUpDark + wire::kClose},  // both answers from one line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("typed \"" + c.first + "\"");
        Runner run;
        DisplayTap& com5 = run.Port(5);
        DisplayTap& com6 = run.Port(6);
        run.StartFunction(TwoDialogues);
        run.Type(c.first + "6\n2\n");
        ASSERT_TRUE(Finished(run)) << run.Output();
        EXPECT_EQ(run.Output(), kDialogue + kDialogue);
        EXPECT_EQ(ConfigFile(run), "36 00 00 32 00");
        EXPECT_EQ(SentTo(com5), Hex(c.port5));
        EXPECT_EQ(SentTo(com6), kBringUpDark);
    }
}

TEST(StartupEndOfInput, AnswersCutShortChangeNeitherTheFileNorTheDisplay) {
    // Nothing, blanks only, the port answer only: input ends at either question.
    for (const std::string typed : {"", " \n\n\t", "7\n", "7 "}) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        Runner run;
        DisplayTap& com5 = run.Port(5);
        run.Dir().Write(kConfigFileName, kStored);
        run.StartFunction([] {
            DisplayDriver display;
            RunStartup(display, g_dark);
            RunSetup(display, g_dark);
            return 0;
        });
        run.Type(typed);
        run.CloseInput();
        ASSERT_TRUE(Finished(run)) << run.Output();
        EXPECT_EQ(AfterBanner(run.Output()), kReadPort5On + kCutShort);
        EXPECT_EQ(ConfigFile(run), Hex(kStored));
        EXPECT_EQ(SentTo(com5), kBringUpLit) << "the start-up's bring-up only";
        EXPECT_TRUE(com5.Model().BacklightOn());
    }
}

// Ctrl+D on a terminal ends its input once; the next dialogue gets its answers.
TEST_F(StartupTest, AfterATerminalsEndOfInputTheNextDialogueReadsAgain) {
    run_.Dir().Write(kConfigFileName, kStored);
    run_.StartFunction(TwoDialogues, {Input::kTerminal});
    ASSERT_TRUE(run_.WaitForOutput(kEntering)) << run_.Output();
    run_.Type("\x04");
    ASSERT_TRUE(run_.WaitForOutput(std::string(kInputEndedNote) + kExiting + kEntering)) << run_.Output();
    EXPECT_EQ(ConfigFile(run_), Hex(kStored));
    run_.Type("5\n2\n");
    ASSERT_TRUE(Finished(run_)) << run_.Output();
    EXPECT_EQ(ConfigFile(run_), "35 00 00 32 00");
    EXPECT_EQ(SentTo(com5_), kBringUpDark) << "the second dialogue's bring-up only";
}

TEST_F(StartupTest, ReadOnlyConfigFileLeavesFileAndDisplayAsTheyWere) {
    run_.Dir().Write(kConfigFileName, kStored);
    ASSERT_EQ(chmod(run_.PathOf(kConfigFileName).c_str(), 0444), 0);
    ASSERT_EQ(chmod(run_.Dir().Path().c_str(), 0755), 0);  // the file, not the directory, forbids

    run_.StartFunction([] {
        DisplayDriver display;
        RunStartup(display, g_dark);
        BecomeAnOrdinaryUser();
        RunSetup(display, g_dark);
        return 0;
    });
    run_.Type("7\n2\n");
    const ExitResult result = run_.WaitExit();
    if (result.status == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    ASSERT_TRUE(result.Succeeded()) << run_.Output();

    EXPECT_EQ(AfterBanner(run_.Output()),
              kReadPort5On + kEntering + kAskPort + kBacklightQuestion +
                  "KORVPOLE.CFG was not saved (it is read-only): the answers were not applied.\n" + kExiting);
    EXPECT_EQ(ConfigFile(run_), Hex(kStored));
    EXPECT_EQ(SentTo(com5_), kBringUpLit) << "the dialogue sent nothing";
    EXPECT_TRUE(com5_.Model().BacklightOn());
}
}  // namespace
}  // namespace korv::test
