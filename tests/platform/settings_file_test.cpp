#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "tests/support/program_test.h"

namespace korv::test {
namespace {
namespace fs = std::filesystem;

const char* const kName = "KORVPOLE.CFG";
const std::string kOld("5\0\0" "1\0", 5);
const std::string kNew("7\0\0" "2\0", 5);

using platform::SaveFailure;

bool Save(const std::string& bytes, const char* name = kName, SaveFailure expected = SaveFailure::kNone) {
    return platform::SaveFileContents(name, bytes.data(), bytes.size()).cause == expected;
}

using SettingsFileTest = FolderTest;

TEST_F(SettingsFileTest, SaveWritesExactlyTheBytesAsAnOrdinaryFileAndLeavesNothingElse) {
    const mode_t previous = umask(022);
    EXPECT_TRUE(Save(kOld));
    EXPECT_TRUE(Save(kNew));
    umask(previous);

    EXPECT_EQ(dir_.Read(kName), kNew);
    EXPECT_EQ(fs::symlink_status(kName).type(), fs::file_type::regular);
    EXPECT_EQ(fs::symlink_status(kName).permissions(), fs::perms(0644)) << "0666 less the umask, as fopen makes it";
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{kName}) << "no temporary file remains";
    ASSERT_EQ(chmod(kName, 0600), 0);
    EXPECT_TRUE(Save(kOld));
    EXPECT_EQ(fs::symlink_status(kName).permissions(), fs::perms(0600)) << "the old file's mode";
}

// A hard link and a dangling one; a link to a file is the program cases'.
TEST_F(SettingsFileTest, LinksByTheNameAreReplacedNeverWrittenThrough) {
    dir_.Write("shared", kForeign);
    ASSERT_EQ(link("shared", kName), 0);
    EXPECT_TRUE(Save(kNew));
    EXPECT_EQ(dir_.Read(kName), kNew);
    EXPECT_EQ(dir_.Read("shared"), kForeign) << "the hard link's other name keeps its file";

    ASSERT_EQ(unlink(kName), 0);
    ASSERT_EQ(symlink((elsewhere_ / "missing").c_str(), kName), 0);
    EXPECT_TRUE(Save(kNew));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(kName)));
    EXPECT_EQ(dir_.Read(kName), kNew);
    EXPECT_TRUE(elsewhere_.Entries().empty());
    EXPECT_EQ((std::vector<std::string>{kName, "shared"}), dir_.Entries());
}

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldFileExactlyAndNoTemporaryFile) {
    ASSERT_EQ(mkdir(kName, 0755), 0);
    dir_.Write(std::string(kName) + "/inside", kForeign);
    EXPECT_TRUE(Save(kNew, kName, SaveFailure::kFolderByThatName));
    EXPECT_EQ(dir_.Read(std::string(kName) + "/inside"), kForeign);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{kName});
    ASSERT_TRUE(fs::remove_all(kName) > 0);

    // The disk fills after three bytes.
    dir_.Write(kName, kOld);
    const int status = run_.RunFunction([] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit three_bytes{3, 3};
        if (setrlimit(RLIMIT_FSIZE, &three_bytes) != 0) return 2;
        return Save(kNew, kName, SaveFailure::kDiskFull) ? 0 : 1;
    }).status;
    EXPECT_EQ(status, 0) << "a short write is a failed save";
    EXPECT_EQ(dir_.Read(kName), kOld);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{kName});
}

TEST_F(SettingsFileTest, ReadOnlyFileIsNotReplaced) {
    dir_.Write(kName, kOld);
    ASSERT_EQ(chmod(kName, 0444), 0);
    // The folder lets anyone create and rename, so only the file's own mode forbids.
    ASSERT_EQ(chmod(dir_.Path().c_str(), 0777), 0);
    const int status = run_.RunFunction([] {
        BecomeAnOrdinaryUser();
        const bool refused = Save(kNew, kName, SaveFailure::kReadOnly);
        const bool others_saved = Save(kNew, "OTHER.CFG");
        return refused && others_saved ? 0 : 1;
    }).status;
    if (status == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(status, 0) << "refused for the read-only file, saved beside it";
    EXPECT_EQ(dir_.Read(kName), kOld);
    EXPECT_EQ((std::vector<std::string>{kName, "OTHER.CFG"}), dir_.Entries());
}

// A folder where no file may be made: the bytes go over the file in place, never
// through a link, into a file of two names or past a file's end.
TEST_F(SettingsFileTest, FolderThatRefusesNewFilesGetsTheBytesInPlace) {
    for (const char* name : {kName, "SHORT.CFG", "TWICE.CFG", "TARGET.CFG"}) {
        dir_.Write(name, name == std::string("SHORT.CFG") ? "5" : kOld + "rest");
        ASSERT_EQ(chmod(name, 0666), 0);
    }
    ASSERT_EQ(link("TWICE.CFG", "OTHER.CFG"), 0);
    ASSERT_EQ(symlink("TARGET.CFG", "LINK.CFG"), 0);
    ASSERT_EQ(chmod(".", 0555), 0);
    const int status = run_.RunFunction([] {
        BecomeAnOrdinaryUser();
        for (const char* name : {"SHORT.CFG", "TWICE.CFG", "LINK.CFG", "MISSING.CFG"})
            if (!Save(kNew, name, SaveFailure::kFolderRefuses)) return 1;
        return Save(kNew) ? 0 : 2;
    }).status;
    ASSERT_EQ(chmod(".", 0755), 0);
    if (status == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(status, 0) << "1: a save refused wrongly or not at all, 2: the one in place";
    EXPECT_EQ(dir_.Read(kName), kNew + "rest") << "not cut short first";
    EXPECT_EQ(dir_.Read("SHORT.CFG") + dir_.Read("TWICE.CFG") + dir_.Read("TARGET.CFG"),
              "5" + kOld + "rest" + kOld + "rest");
}

// A FIFO by the name would block an open or a read for good.
TEST_F(SettingsFileTest, ReadTakesOrdinaryFilesOnlyAndAtMostTheLimit) {
    using platform::ReadFailure;
    std::string bytes;
    EXPECT_EQ(platform::ReadSettingsFile(kName, 5, bytes).cause, ReadFailure::kMissing);
    ASSERT_EQ(mkfifo(kName, 0600), 0);
    EXPECT_EQ(platform::ReadSettingsFile(kName, 5, bytes).cause, ReadFailure::kNotOrdinary);
    ASSERT_EQ(unlink(kName), 0);
    ASSERT_EQ(mkdir(kName, 0700), 0);
    EXPECT_EQ(platform::ReadSettingsFile(kName, 5, bytes).cause, ReadFailure::kNotOrdinary);
    ASSERT_EQ(rmdir(kName), 0);
    dir_.Write("elsewhere", kOld + "more");
    ASSERT_EQ(symlink("elsewhere", kName), 0);
    EXPECT_FALSE(platform::ReadSettingsFile(kName, 5, bytes));
    EXPECT_EQ(bytes, kOld);
}
}  // namespace
}  // namespace korv::test
