// The setup dialogue's save on the in-memory platform: answers apply only when the
// save was made, and the console reads the same either way.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "pole/startup.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wire_bytes.h"

namespace korv {
namespace {

using test::Hex;
namespace wire = test::wire;

const std::string kDialogue =
    "Entering config mode\n\n"
    "Please enter the number of the COM Port (i.e. for COM5 enter 5): "
    "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): "
    "Exiting config mode\n\n";

// Runs the dialogue with `answers` as standard input; what it printed.
std::string RunDialogue(DisplayDriver& display, const std::string& answers) {
    test::TempDir dir;
    dir.Write("answers", answers);
    EXPECT_NE(std::freopen((dir / "answers").c_str(), "r", stdin), nullptr);

    std::fflush(stdout);
    std::cout.flush();
    const int console = dup(STDOUT_FILENO);
    const int capture = open((dir / "console").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(capture, 0);
    dup2(capture, STDOUT_FILENO);
    RunSetupDialogue(display);
    std::fflush(stdout);
    std::cout.flush();
    dup2(console, STDOUT_FILENO);
    close(console);
    close(capture);
    return dir.Read("console");
}

TEST(SetupSave, AnswersApplyOnlyWhenTheSaveWasMade) {
    platform::fake::Reset();
    auto& platform = platform::fake::Platform();
    DisplayDriver display;
    ASSERT_TRUE(display.OpenPort(5));
    platform.serial_output.clear();

    platform.saves_fail = true;
    EXPECT_EQ(RunDialogue(display, "7\n1\n"), kDialogue);
    EXPECT_TRUE(platform.saved_files.empty());
    EXPECT_EQ(Hex(platform.serial_output), "") << "the display is left as it was";
    EXPECT_EQ(platform.open_port, 5);

    platform.saves_fail = false;
    EXPECT_EQ(RunDialogue(display, "7\n1\n"), kDialogue);
    EXPECT_EQ(Hex(platform.saved_files["KORVPOLE.CFG"]), "37 00 00 31 00");
    EXPECT_EQ(platform.open_port, 7);
    EXPECT_EQ(Hex(platform.serial_output), Hex(wire::kClose + wire::kBringUpLit));
}

}  // namespace
}  // namespace korv
