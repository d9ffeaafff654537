// How the program starts, with or without its two files, and how it ends.
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {
namespace fs = std::filesystem;
using Kind = sim::DecodedByte::Kind;

TEST_F(ProgramTest, FirstStartAsksForTheSettingsSavesThemAndBringsTheDisplayUp) {
    Com5();
    run_.Start();
    ASSERT_TRUE(Prints(run_, "No korvpole.cfg was detected, you MUST run setup.\nSetup will start now.\n"
                             "Entering config mode\n\n"
                             "Please enter the number of the COM Port (i.e. for COM5 enter 5): "));
    EXPECT_EQ(run_.Output().find(kBacklightQuestion), std::string::npos) << "asked before the answer";
    run_.Type("5\r");
    ASSERT_TRUE(Prints(run_, kBacklightQuestion));
    run_.Type("1\r");
    ASSERT_TRUE(Prints(run_, kExiting));
    ASSERT_TRUE(Prints(run_, kMenu));

    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(5, true));
    EXPECT_EQ(run_.Output().find("Reading config..."), std::string::npos);
    Com5().CatchUp();
    EXPECT_EQ(Hex(Com5().Received()), Hex(wire::kBringUpLit));
    EXPECT_TRUE(Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramTest, ConfiguredStartReportsTheSettingsAndCreatesAnEmptyRecordFile) {
    run_.WriteConfig(5, false);
    Com5();
    run_.Start(Program::Korvpole(), Console{Input::kTerminal, true, 002});
    ASSERT_TRUE(Prints(run_, kBannerFirstLine));
    ASSERT_TRUE(Prints(run_, std::string("Reading config...\nCOM=5\nBacklight=OFF\n") + kMenu));
    EXPECT_EQ(run_.Output().find("No korvpole.cfg"), std::string::npos);
    Com5().CatchUp();  // the empty POLE.DAT draws nothing
    EXPECT_EQ(Hex(Com5().Received()), Hex(wire::kBringUpDark));
    EXPECT_TRUE(fs::is_regular_file(run_.PathOf("POLE.DAT")));
    EXPECT_EQ(fs::file_size(run_.PathOf("POLE.DAT")), 0u);
    if (!Program::Korvpole().IsWindows()) {
        EXPECT_EQ(fs::status(run_.PathOf("POLE.DAT")).permissions(), fs::perms(0664)) << "0666 less the umask";
    }

    // Counter 0 is the one seen at start: its lines wait for a change (a cycle draws
    // them before rows 3 and 4).
    run_.WriteRecord(Sale(0, "NOT YET"));
    ASSERT_TRUE(ShowsRows(Com5(), TaxRow("1.25"), TotalRow("2.50")));
    EXPECT_EQ(Model().Row(1), kBlankRow);
    run_.WriteRecord(Sale(4, "FILLED LATER"));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("FILLED LATER")));
    ExitWithX("X");
}

// At a console a key is waited for (under Wine Enter, which cmd takes as an empty line);
// without one, as the systemd unit runs this build, it ends without.
TEST_F(ProgramTest, RecordFileThatCannotBeOpenedEndsAfterAKeyOrWithoutAConsole) {
    const bool windows = Program::Korvpole().IsWindows();
    TempDir elsewhere;
    for (const bool folder : {true, false}) {
        const bool console = folder || windows;
        SCOPED_TRACE(std::string(folder ? "a folder" : "a link that leads nowhere") +
                     (console ? ", at a console" : ", without a console"));
        Runner run;
        run.UseWine(Program::Korvpole().wine);
        if (folder) fs::create_directory(run.PathOf("POLE.DAT"));
        else fs::create_symlink(elsewhere / "POLE.DAT", run.PathOf("POLE.DAT"));
        run.WriteConfig(5, true);
        DisplayTap& com5 = run.Port(5);
        run.Start(Program::Korvpole(), console ? Console{} : kScripted);
        ASSERT_TRUE(Prints(run, kFileOpenError));
        EXPECT_TRUE(Said(run, folder ? "POLE.DAT is a folder, not a record file\n"
                                     : "POLE.DAT is a link that leads nowhere;", 1));
        if (console) run.Type(windows ? "\r" : "q");
        const ExitResult result = run.WaitExit();
        ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; console:\n" << run.Output();
        if (!windows) {
            EXPECT_TRUE(InLineMode(run.TerminalSettings()));
        }
        EXPECT_EQ(run.Output().find("Press S to run setup"), std::string::npos);
        com5.CatchUp();
        EXPECT_EQ(Hex(com5.Received()), Hex(wire::kBringUpLit + wire::kClose));
        EXPECT_EQ(fs::is_directory(fs::symlink_status(run.PathOf("POLE.DAT"))), folder);
        EXPECT_EQ(fs::is_symlink(run.PathOf("POLE.DAT")), !folder);
    }
    EXPECT_TRUE(elsewhere.Entries().empty()) << "a file was made through the link";
}

TEST_F(LinuxProgramTest, HelpAndVersionPrintAndEndWithoutTouchingTheFolder) {
    ExitResult result = run_.RunToEnd(Program::Korvpole({"--version"}));
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    EXPECT_EQ(run_.Output(), std::string("korvpole ") + KORV_EXPECTED_VERSION + "\n");
    result = run_.RunToEnd(Program::Korvpole({"--help"}));
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    EXPECT_EQ(run_.Output().rfind("Usage: korvpole", 0), 0u) << run_.Output();
    EXPECT_TRUE(Contains(run_.Output(), "Exit status"));
    EXPECT_TRUE(run_.Dir().Entries().empty()) << "it started: " << run_.Dir().Entries().front();
}

class LinuxProgramSignal : public LinuxProgramTest, public ::testing::WithParamInterface<int> {};

// The port no longer exclusive, so that another user's korvpole opens it at once.
TEST_P(LinuxProgramSignal, EndsAsXDoesAndLeavesThePortFree) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "SIGNALLED")));
    ASSERT_TRUE(InKeyMode(run_.TerminalSettings()));
    const auto exclusive = [this] {
        int flag = -1;
        EXPECT_EQ(ioctl(Com5().Port().SlaveFd(), TIOCGEXCL, &flag), 0);
        return flag;
    };
    ASSERT_EQ(exclusive(), 1);

    run_.Signal(GetParam());
    ASSERT_NO_FATAL_FAILURE(ExitWithX(""));
    EXPECT_EQ(exclusive(), 0);
    EXPECT_EQ(run_.TerminalSettings().c_lflag, run_.InitialTerminalSettings().c_lflag);
}

INSTANTIATE_TEST_SUITE_P(LinuxEndingSignals, LinuxProgramSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

TEST_F(LinuxProgramTest, StopWhileSetupWaitsEndsAsXDoes) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(1, "HALF ANSWERED")));
    run_.Type("s");
    ASSERT_TRUE(Prints(run_, kPortQuestion));
    run_.Signal(SIGTERM);
    ASSERT_NO_FATAL_FAILURE(ExitWithX(""));
    EXPECT_EQ(run_.Dir().Read("KORVPOLE.CFG"), ConfigBytes(5, true));
}

// No KORVPOLE.CFG and no input, as the systemd unit starts it: a status it restarts on.
TEST_F(ProgramTest, FirstStartWithoutInputSaysWhyAndEndsWithStatus1) {
    Com5();
    const ExitResult result = run_.RunToEnd(Program::Korvpole(), kScripted);
    EXPECT_TRUE(result.exited && result.status == 1) << result.Describe() << "; console:\n" << run_.Output();
    EXPECT_TRUE(Said(run_, "There is no KORVPOLE.CFG in this folder and setup got no answers, so korvpole ends", 1));
    EXPECT_FALSE(run_.Dir().Has("KORVPOLE.CFG"));
    EXPECT_EQ(Com5().CatchUp(), "");
}

TEST_F(LinuxProgramTest, SeekFailureEndsWithStatus255AndLeavesTheDisplayAsItWas) {
    // A FIFO opens like a file but cannot be positioned.
    ASSERT_EQ(mkfifo(run_.PathOf("POLE.DAT").c_str(), 0666), 0);
    ASSERT_NO_FATAL_FAILURE(StartOnCom5(true));
    const ExitResult result = run_.WaitExit();
    ASSERT_TRUE(result.exited && result.status == 255) << result.Describe();

    EXPECT_EQ(run_.Errors(), std::string("_lseek failed: ") + std::strerror(ESPIPE) + "\n");
    Com5().CatchUp();
    EXPECT_EQ(Count(Com5(), Kind::kBacklightOff), 0) << Hex(Com5().Received());
    EXPECT_TRUE(Model().BacklightOn());
    EXPECT_TRUE(InLineMode(run_.TerminalSettings()));
}
}  // namespace
}  // namespace korv::test
