// The setup dialogue when standard input ends before both answers came: nothing is
// saved and the display stays as it was.
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "display/display_driver.h"
#include "pole/startup.h"
#include "tests/support/pty_port.h"
#include "tests/support/startup_workdir.h"
#include "tests/support/wire_bytes.h"

namespace korv {
namespace {

using std::chrono::milliseconds;
using test::Hex;
using test::ScratchWorkdir;
using test::ScriptedChild;

const std::string kEntering = "Entering config mode\n\n";
const std::string kQuestions =
    "Please enter the number of the COM Port (i.e. for COM5 enter 5): "
    "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): ";
const std::string kExiting = "Exiting config mode\n\n";
const std::string kCutShort = kEntering + kQuestions + kInputEndedNote + kExiting;
const std::string kStored("5\0\0" "1\0", 5);

std::string AfterBanner(const std::string& output) {
    std::size_t at = 0;
    for (int line = 0; line < 3 && at != std::string::npos; ++line) {
        at = output.find('\n', at);
        if (at != std::string::npos) ++at;
    }
    return at == std::string::npos ? "(no banner) " + output : output.substr(at);
}

std::string ConfigFile() {
    std::string bytes;
    if (!ScratchWorkdir::ReadFile(kConfigFileName, bytes)) return "(missing)";
    return Hex(bytes);
}

void Write(int fd, const std::string& text) {
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

class SetupEndOfInputTest : public ::testing::Test {
protected:
    std::string SentToCom5() { return Hex(com5_.PumpUntilQuiet(milliseconds(100))); }

    ScratchWorkdir workdir_;
    test::DisplayTap com5_{"COM5"};
};

TEST_F(SetupEndOfInputTest, AnswersCutShortChangeNeitherTheFileNorTheDisplay) {
    // Nothing, blanks only, the port answer only: input ends at either question.
    for (const std::string typed : {"", " \n\n\t", "7\n", "7 "}) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        ScratchWorkdir::WriteFile(kConfigFileName, kStored);
        ScriptedChild child([] {
            DisplayDriver display;
            RunStartup(display);
            RunSetupDialogue(display);
        });
        child.Type(typed);
        child.EndInput();
        ASSERT_TRUE(child.Finish()) << child.Output();
        EXPECT_EQ(AfterBanner(child.Output()), "Reading config...\nCOM=5\nBacklight=ON\n" + kCutShort);
        EXPECT_EQ(ConfigFile(), Hex(kStored));
        EXPECT_EQ(SentToCom5(), Hex(test::wire::kBringUpLit)) << "the start-up's bring-up only";
        EXPECT_TRUE(com5_.Model().BacklightOn());
    }
}

TEST_F(SetupEndOfInputTest, AFirstStartWithoutInputSavesNoFileAndOpensNoPort) {
    ScriptedChild child([] {
        DisplayDriver display;
        RunStartup(display);
    });
    child.EndInput();
    ASSERT_TRUE(child.Finish()) << child.Output();
    EXPECT_EQ(AfterBanner(child.Output()),
              "No korvpole.cfg was detected, you MUST run setup.\nSetup will start now.\n" + kCutShort);
    EXPECT_EQ(ConfigFile(), "(missing)");
    EXPECT_EQ(SentToCom5(), "");
}

// Ctrl+D on a terminal ends its input once; the next dialogue gets its answers.
TEST_F(SetupEndOfInputTest, AfterATerminalsEndOfInputTheNextDialogueReadsAgain) {
    ScratchWorkdir::WriteFile(kConfigFileName, kStored);
    int terminal = -1;
    int program_side = -1;
    ASSERT_EQ(openpty(&terminal, &program_side, nullptr, nullptr, nullptr), 0);
    ScriptedChild child([program_side] {
        dup2(program_side, STDIN_FILENO);
        DisplayDriver display;
        RunSetupDialogue(display);
        RunSetupDialogue(display);
    });
    close(program_side);

    ASSERT_TRUE(child.WaitForOutput(kEntering)) << child.Output();
    Write(terminal, "\x04");
    ASSERT_TRUE(child.WaitForOutput(kEntering, 2)) << child.Output();
    EXPECT_EQ(ConfigFile(), Hex(kStored));
    Write(terminal, "5\n2\n");
    ASSERT_TRUE(child.Finish()) << child.Output();
    close(terminal);

    EXPECT_EQ(child.Output(), kCutShort + kEntering + kQuestions + kExiting);
    EXPECT_EQ(ConfigFile(), "35 00 00 32 00");
    EXPECT_EQ(SentToCom5(), Hex(test::wire::kBringUpDark)) << "the second dialogue's bring-up only";
}

}  // namespace
}  // namespace korv
