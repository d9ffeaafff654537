#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

#include "display/display_driver.h"
#include "pole/startup.h"
#include "tests/support/pty_port.h"
#include "tests/support/startup_workdir.h"

namespace korv {
namespace {

using std::chrono::milliseconds;
using test::Hex;
using test::ScratchWorkdir;
using test::ScriptedChild;

const std::string kBannerFirstLine = "Korvane pole app release v 1.0.1\n";
const std::string kNoConfig =
    "No korvpole.cfg was detected, you MUST run setup.\nSetup will start now.\n";
const std::string kEntering = "Entering config mode\n\n";
const std::string kPortQuestion =
    "Please enter the number of the COM Port (i.e. for COM5 enter 5): ";
const std::string kBacklightQuestion =
    "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): ";
const std::string kExiting = "Exiting config mode\n\n";
const std::string kDialogue = kEntering + kPortQuestion + kBacklightQuestion + kExiting;

const std::string kBringUp = "FE 30 FE 30 FE 30 FE 38 FE 06 FE 10 FE 0C FE 01 FE 01";
const std::string kBringUpLit = kBringUp + " FE 03 FE 01";
const std::string kBringUpDark = kBringUp + " FE 02 FE 01";

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

// The output after the three banner lines; the first must be exact, the other two
// are free wording but must be there.
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

std::string ConfigFile() {
    std::string bytes;
    if (!ScratchWorkdir::ReadFile(kConfigFileName, bytes)) return "(missing)";
    return Hex(bytes);
}

void StartUp() {
    DisplayDriver display;
    RunStartup(display);
}

void TwoDialogues() {
    DisplayDriver display;
    RunSetupDialogue(display);
    RunSetupDialogue(display);
}

// Each case runs the real start-up code in a child process inside a scratch working
// directory, whose COM5 is a pseudo-terminal read by the test.
class StartupTest : public ::testing::Test {
protected:
    std::string SentTo(test::DisplayTap& tap) { return Hex(tap.PumpUntilQuiet(milliseconds(100))); }
    std::string SentToCom5() { return SentTo(com5_); }

    ScratchWorkdir workdir_;
    test::DisplayTap com5_{"COM5"};
};

// --- Reading the configuration file ----------------------------------------------------

struct ConfigCase {
    const char* name;
    std::string file;
    const char* link;
    std::string printed;  // after the banner
    std::string sent;     // to the port behind `link`
};

void PrintTo(const ConfigCase& param, std::ostream* out) { *out << param.name; }

class ConfigFileTest : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigFileTest, BringsTheDisplayUpAndSaysWhatTheFileHolds) {
    const ConfigCase& param = GetParam();
    ScratchWorkdir workdir;
    test::DisplayTap tap(param.link);
    ScratchWorkdir::WriteFile(kConfigFileName, param.file);

    ScriptedChild child(StartUp);  // standard input stays open: nothing is read from it
    ASSERT_TRUE(child.Finish()) << child.Output();
    EXPECT_EQ(AfterBanner(child.Output()), param.printed);
    EXPECT_EQ(Hex(tap.PumpUntilQuiet(milliseconds(100))), param.sent);
    EXPECT_EQ(ConfigFile(), Hex(param.file)) << "the file is only read";
}

const ConfigCase kConfigCases[] = {
    {"Port5On", Bytes("5\0\0" "1\0", 5), "COM5",
     "Reading config...\nCOM=5\nBacklight=ON\n", kBringUpLit},
    {"TextWithTrailingLetter", Bytes("5x\0" "2\0", 5), "COM5",
     "Reading config...\nCOM=5x\nBacklight=OFF\n", kBringUpDark},
    {"ThreeDigitsWithoutNul", Bytes("123" "1\0", 5), "COM12",
     "Reading config...\nCOM=12\nBacklight=ON\n", kBringUpLit},
    {"ThreeBytes", Bytes("5\0\0", 3), "COM5",
     "Reading config...\nCOM=5\nBacklight=OFF\n", kBringUpDark},
    {"FourBytes", Bytes("5\0\0" "1", 4), "COM5",
     "Reading config...\nCOM=5\nBacklight=ON\n", kBringUpLit},
    {"EmptyFile", std::string(), "COM5",
     "Reading config...\nCOM=\nBacklight=OFF\n", ""},
    {"BytesAfterTheFifthIgnored", Bytes("5\0\0" "1\0" "99", 7), "COM5",
     "Reading config...\nCOM=5\nBacklight=ON\n", kBringUpLit},
    {"LeadingZero", Bytes("05\0" "1\0", 5), "COM5",
     "Reading config...\nCOM=05\nBacklight=ON\n", kBringUpLit},
};

INSTANTIATE_TEST_SUITE_P(Startup, ConfigFileTest, ::testing::ValuesIn(kConfigCases),
                         [](const ::testing::TestParamInfo<ConfigCase>& info) {
                             return std::string(info.param.name);
                         });

// --- The dialogue at first start ---------------------------------------------------------

TEST_F(StartupTest, FirstStartAsksSavesAndBringsTheDisplayUp) {
    ScriptedChild child(StartUp);
    ASSERT_TRUE(child.WaitForOutput(kPortQuestion)) << "the question is shown before the wait";
    EXPECT_EQ(child.Output().find(kBacklightQuestion), std::string::npos);
    child.Type("5\n");
    ASSERT_TRUE(child.WaitForOutput(kBacklightQuestion));
    child.Type("1\n");
    ASSERT_TRUE(child.Finish()) << child.Output();

    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kDialogue);
    EXPECT_EQ(ConfigFile(), "35 00 00 31 00");
    EXPECT_EQ(SentToCom5(), kBringUpLit);
    EXPECT_TRUE(com5_.Model().BacklightOn());
}

TEST_F(StartupTest, ThreeDigitAnswerGivesPortTwelveAndTheThreeAnswersTheSecondQuestion) {
    test::DisplayTap com12("COM12");
    ScriptedChild child(StartUp);
    child.Type("123\n");  // nothing more is typed: the second answer must not be waited for
    ASSERT_TRUE(child.Finish()) << child.Output();

    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kDialogue);
    EXPECT_EQ(ConfigFile(), "31 32 00 33 00");
    EXPECT_EQ(SentTo(com12), kBringUpDark);
    EXPECT_FALSE(com12.Model().BacklightOn());
    EXPECT_EQ(SentToCom5(), "");
}

TEST_F(StartupTest, RestOfAWordStaysBufferedForTheNextDialogue) {
    ScriptedChild child(TwoDialogues);
    child.Type("COM5\n");
    ASSERT_TRUE(child.WaitForOutput(kBacklightQuestion, 2, std::chrono::seconds(5)))
        << "the second dialogue takes 5 without waiting:\n" << child.Output();
    EXPECT_EQ(ConfigFile(), "43 4F 00 4D 00");
    EXPECT_TRUE(child.StillRunningAfter(milliseconds(200))) << "it waits for the backlight answer";
    child.Type("1\n");
    ASSERT_TRUE(child.Finish()) << child.Output();

    EXPECT_EQ(child.Output(), kDialogue + kDialogue);
    EXPECT_EQ(ConfigFile(), "35 00 00 31 00");
    EXPECT_EQ(SentToCom5(), kBringUpLit) << "port CO is 0 and opens nothing; then port 5";
}

TEST_F(StartupTest, EmptyLinesAreSkippedWithoutAskingAgain) {
    ScriptedChild child(StartUp);
    child.Type("\n\n");
    EXPECT_TRUE(child.StillRunningAfter(milliseconds(300)));
    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kEntering + kPortQuestion);
    child.Type("\n5\n");
    ASSERT_TRUE(child.WaitForOutput(kBacklightQuestion));
    child.Type("\n\n");
    EXPECT_TRUE(child.StillRunningAfter(milliseconds(300)));
    EXPECT_EQ(child.Output().find(kExiting), std::string::npos);
    child.Type("   1\n");
    ASSERT_TRUE(child.Finish()) << child.Output();

    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kDialogue);
    EXPECT_EQ(ConfigFile(), "35 00 00 31 00");
    EXPECT_EQ(SentToCom5(), kBringUpLit);
}

class BacklightAnswerTest : public StartupTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BacklightAnswerTest, AnythingButOneMeansOff) {
    ScriptedChild child(StartUp);
    child.Type(std::string("5\n") + GetParam() + "\n");
    ASSERT_TRUE(child.Finish()) << child.Output();
    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kDialogue);
    EXPECT_EQ(ConfigFile(), "35 00 00 " + Hex(GetParam()) + " 00");
    EXPECT_EQ(SentToCom5(), kBringUpDark);
    EXPECT_FALSE(com5_.Model().BacklightOn());
}

INSTANTIATE_TEST_SUITE_P(Startup, BacklightAnswerTest, ::testing::Values("2", "0", "y"));

TEST_F(StartupTest, BacklightAnswerOnIsOffAndLeavesItsNForTheNextDialogue) {
    ScriptedChild child(TwoDialogues);
    child.Type("5\non");
    ASSERT_TRUE(child.WaitForOutput(kPortQuestion, 2)) << child.Output();
    EXPECT_EQ(ConfigFile(), "35 00 00 6F 00");
    EXPECT_EQ(SentToCom5(), kBringUpDark);
    EXPECT_FALSE(com5_.Model().BacklightOn());

    child.Type("\n1\n");
    ASSERT_TRUE(child.Finish()) << child.Output();
    EXPECT_EQ(child.Output(), kDialogue + kDialogue);
    EXPECT_EQ(ConfigFile(), "6E 00 00 31 00") << "the n was the second port answer";
    EXPECT_EQ(SentToCom5(), "FE 01 FE 02") << "closed for port n, which opens nothing";
}

TEST_F(StartupTest, StandardInputAtItsEndSavesZeros) {
    ScriptedChild child(StartUp);
    child.EndInput();
    ASSERT_TRUE(child.Finish()) << "no hang at the end of input:\n" << child.Output();
    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kDialogue);
    EXPECT_EQ(ConfigFile(), "00 00 00 00 00");
    EXPECT_EQ(SentToCom5(), "");
}

TEST_F(StartupTest, StandardInputEndingAfterThePortLeavesTheBacklightOff) {
    ScriptedChild child(StartUp);
    child.Type("5\n");
    child.EndInput();
    ASSERT_TRUE(child.Finish()) << child.Output();
    EXPECT_EQ(AfterBanner(child.Output()), kNoConfig + kDialogue);
    EXPECT_EQ(ConfigFile(), "35 00 00 00 00");
    EXPECT_EQ(SentToCom5(), kBringUpDark);
}

// --- A configuration file that cannot be written ----------------------------------------------

constexpr int kCannotDropPrivileges = 77;

// The superuser writes read-only files all the same, so the child gives that up first.
void BecomeAnOrdinaryUser() {
    if (geteuid() != 0) return;
    const uid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
        setresuid(nobody, nobody, nobody) != 0)
        _exit(kCannotDropPrivileges);
}

TEST_F(StartupTest, ReadOnlyConfigFileLeavesFileAndDisplayAsTheyWere) {
    const std::string file = Bytes("5\0\0" "1\0", 5);
    ScratchWorkdir::WriteFile(kConfigFileName, file);
    ASSERT_EQ(chmod(kConfigFileName, 0444), 0);
    ASSERT_EQ(chmod(workdir_.Path().c_str(), 0755), 0);  // the file, not the directory, forbids

    ScriptedChild child([] {
        DisplayDriver display;
        RunStartup(display);
        BecomeAnOrdinaryUser();
        RunSetupDialogue(display);
    });
    child.Type("7\n2\n");
    const bool finished = child.Finish();
    if (child.ExitStatus() == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    ASSERT_TRUE(finished) << child.Output();

    EXPECT_EQ(AfterBanner(child.Output()),
              "Reading config...\nCOM=5\nBacklight=ON\n" + kDialogue);
    EXPECT_EQ(ConfigFile(), Hex(file));
    EXPECT_EQ(SentToCom5(), kBringUpLit) << "the dialogue sent nothing";
    EXPECT_TRUE(com5_.Model().BacklightOn());
}

TEST_F(StartupTest, PortAnswersNamingNoPortAreSavedAsTyped) {
    ScriptedChild child(StartUp);
    child.Type("ab 1\n");
    ASSERT_TRUE(child.Finish()) << child.Output();
    EXPECT_EQ(ConfigFile(), "61 62 00 31 00");
    EXPECT_EQ(SentToCom5(), "");
}

}  // namespace
}  // namespace korv
