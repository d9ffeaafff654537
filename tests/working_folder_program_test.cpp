// The working folder is shared with the point-of-sale application and whoever runs it:
// the program never writes through a link there, and a full disk cannot tear its
// settings.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kForeign = "SOMEONE ELSE'S DATA";
const std::string kPortQuestion = "(i.e. for COM5 enter 5): ";
const std::string kExiting = "Exiting config mode\n\n";

class WorkingFolder : public ProgramTest {
protected:
    // S, then the answers 7 and 2; waits until the dialogue has ended.
    void RunSetup() {
        run_.Type("s");
        ASSERT_TRUE(run_.WaitForOutput(kPortQuestion)) << run_.Output();
        run_.Type("7\n2\n");
        ASSERT_TRUE(run_.WaitForOutput(kExiting)) << run_.Output();
    }

    TempDir elsewhere_;
};

TEST_F(WorkingFolder, PortLinkedToAnOrdinaryFileIsNeverWritten) {
    elsewhere_.Write("file", kForeign);
    ASSERT_EQ(symlink((elsewhere_ / "file").c_str(), run_.PathOf("COM5").c_str()), 0);
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(1, "NOBODY SEES THIS"));
    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput(kMenu)) << run_.Output();
    // Long enough for the reconnect watch to look again.
    std::this_thread::sleep_for(1500ms);

    run_.Type("x");
    const ExitResult result = run_.WaitExit();
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    EXPECT_EQ(elsewhere_.Read("file"), kForeign);
}

TEST_F(WorkingFolder, SettingsLinkedElsewhereAreReplacedNotWrittenThrough) {
    const std::string old_settings = ConfigBytes(5, true);
    elsewhere_.Write("KORVPOLE.CFG", old_settings);
    ASSERT_EQ(symlink((elsewhere_ / "KORVPOLE.CFG").c_str(), run_.PathOf("KORVPOLE.CFG").c_str()), 0);
    Com5();
    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput("COM=5\nBacklight=ON\n")) << "read through the link";
    ASSERT_TRUE(run_.WaitForOutput(kMenu));
    ASSERT_NO_FATAL_FAILURE(RunSetup());

    EXPECT_EQ(elsewhere_.Read("KORVPOLE.CFG"), old_settings);
    struct stat info {};
    ASSERT_EQ(lstat(run_.PathOf("KORVPOLE.CFG").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << "the link itself is replaced";
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), "37 00 00 32 00");
    ExitWithX();
}

TEST_F(WorkingFolder, DanglingRecordLinkIsAFileOpenErrorAndCreatesNothing) {
    ASSERT_EQ(symlink((elsewhere_ / "POLE.DAT").c_str(), run_.PathOf("POLE.DAT").c_str()), 0);
    run_.WriteConfig(5, true);
    Com5();
    run_.Start();
    ASSERT_TRUE(run_.WaitForOutput(kFileOpenError)) << run_.Output();
    run_.Type("q");
    const ExitResult result = run_.WaitExit();
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    EXPECT_TRUE(elsewhere_.Entries().empty()) << "a file was made through the link";
    EXPECT_TRUE(fs::is_symlink(run_.PathOf("POLE.DAT")));
}

TEST_F(WorkingFolder, FullDiskDuringTheSaveKeepsTheOldSettingsExactly) {
    const std::string old_settings = ConfigBytes(5, true);
    run_.WriteConfig(5, true);
    run_.WriteRecord(Sale(2, "KEEP ME"));
    DisplayTap& com7 = run_.Port(7);
    Com5();
    // Three bytes fit, as in a disk that fills in the middle of the five.
    Console full_disk;
    full_disk.file_size_limit = 3;
    run_.Start(Program::Korvpole(), full_disk);
    ASSERT_TRUE(run_.WaitForOutput(kMenu)) << run_.Output();
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("KEEP ME")));
    const auto clears_before = Model().Clears();

    ASSERT_NO_FATAL_FAILURE(RunSetup());
    EXPECT_NE(run_.Output().find("KORVPOLE.CFG was not saved (the disk is full)"), std::string::npos);
    EXPECT_EQ(Hex(run_.Dir().Read("KORVPOLE.CFG")), Hex(old_settings));
    EXPECT_EQ(run_.Dir().Entries(), (std::vector<std::string>{"COM5", "COM7", "KORVPOLE.CFG", "POLE.DAT"}))
        << "no temporary file is left";
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Model().Clears(), clears_before) << "the display was brought up again";
    EXPECT_TRUE(Model().BacklightOn());
    EXPECT_EQ(com7.Pump(100ms), "") << "the unsaved port was opened";
    ExitWithX();
}

}  // namespace
}  // namespace korv::test
