#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/record_file.h"
#include "tests/support/runner.h"
#include "tests/support/temp_dir.h"
#include "tools/post/post_record.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const char* const kName = "POLE.DAT";

bool IsLink(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsEmpty(const std::string& folder) { return fs::is_empty(folder); }

class RecordFileOpenTest : public ::testing::Test {
protected:
    test::Runner run_;
    const TempDir& dir_ = run_.Dir();
    TempDir elsewhere_;
    test::WorkingDirectory cwd_{dir_.Path()};
};

TEST_F(RecordFileOpenTest, CreatesOnlyUnderItsOwnNameNeverThroughALink) {
    ASSERT_EQ(symlink((elsewhere_ / "x").c_str(), kName), 0);
    platform::RecordFile file;
    EXPECT_FALSE(file.Open(kName, platform::RecordFile::Mode::kPoll)) << "a dangling link is a file that cannot be opened";
    EXPECT_TRUE(IsEmpty(elsewhere_.Path())) << "its target was created";
    EXPECT_TRUE(IsLink(kName));

    ASSERT_EQ(unlink(kName), 0);
    const mode_t previous = umask(022);
    const bool opened = file.Open(kName, platform::RecordFile::Mode::kPoll);
    umask(previous);
    ASSERT_TRUE(opened);
    struct stat info;
    ASSERT_EQ(lstat(kName, &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0644u) << "readable and writable for its writer";
    EXPECT_EQ(info.st_size, 0);
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), 0);
}

TEST_F(RecordFileOpenTest, LinkToAnExistingFileIsReadAsTheFile) {
    elsewhere_.Write("pole", "Coffee");
    ASSERT_EQ(symlink((elsewhere_ / "pole").c_str(), kName), 0);
    platform::RecordFile file;
    ASSERT_TRUE(file.Open(kName, platform::RecordFile::Mode::kPoll));
    char text[6] = {};
    EXPECT_EQ(file.Seek(0), 0);
    ASSERT_EQ(file.Read(text, sizeof text), 6);
    EXPECT_EQ(std::string(text, sizeof text), "Coffee");
}

std::string FirstBytes(platform::RecordFile& file) {
    char text[8] = {};
    file.Seek(0);
    const int count = file.Read(text, sizeof text);
    return std::string(text, count > 0 ? static_cast<std::size_t>(count) : 0);
}

// The file held follows its name to another ordinary file only, and never creates one.
TEST_F(RecordFileOpenTest, FollowsItsNameToAnotherFileOnly) {
    dir_.Write(kName, "first");
    platform::RecordFile file;
    ASSERT_TRUE(file.Open(kName, platform::RecordFile::Mode::kPoll));
    EXPECT_FALSE(file.FollowName()) << "still the same file";

    ASSERT_EQ(unlink(kName), 0);
    EXPECT_FALSE(file.FollowName());
    ASSERT_EQ(symlink((elsewhere_ / "x").c_str(), kName), 0);
    EXPECT_FALSE(file.FollowName());
    EXPECT_TRUE(IsEmpty(elsewhere_.Path())) << "created through a link";
    ASSERT_EQ(unlink(kName), 0);
    ASSERT_EQ(mkdir(kName, 0755), 0);
    EXPECT_FALSE(file.FollowName());
    EXPECT_EQ(FirstBytes(file), "first") << "the file held is kept meanwhile";

    ASSERT_EQ(rmdir(kName), 0);
    elsewhere_.Write("pole", "second");
    ASSERT_EQ(symlink((elsewhere_ / "pole").c_str(), kName), 0);
    EXPECT_TRUE(file.FollowName());
    EXPECT_EQ(FirstBytes(file), "second");
    EXPECT_FALSE(file.FollowName());
}

// The stand-in for the point-of-sale application writes in place, also through a
// link to an existing file, but never creates through a link nor writes a non-file.
TEST_F(RecordFileOpenTest, RecordWriterCreatesOnlyOrdinaryFilesUnderTheirOwnName) {
    tools::RecordUpdate update;
    update.line1 = "Coffee";

    ASSERT_EQ(symlink((elsewhere_ / "x").c_str(), kName), 0);
    tools::WriteOutcome written = tools::WriteRecord(kName, update);
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(written.error.rfind(std::string(kName) + " is a link that leads nowhere", 0), 0u)
        << written.error;
    EXPECT_TRUE(IsEmpty(elsewhere_.Path()));

    ASSERT_EQ(mkfifo((elsewhere_ / "x").c_str(), 0666), 0);
    written = tools::WriteRecord(kName, update);
    EXPECT_EQ(written.status, 1) << "a FIFO is no record";
    EXPECT_FALSE(written.error.empty());

    ASSERT_EQ(unlink((elsewhere_ / "x").c_str()), 0);
    elsewhere_.Write("x", "");
    written = tools::WriteRecord(kName, update);
    EXPECT_EQ(written.status, 0) << written.error;
    EXPECT_EQ(written.counter, 1);
    EXPECT_TRUE(IsLink(kName)) << "an existing file is written in place";
    EXPECT_EQ(elsewhere_.Read("x").substr(0, 6), "Coffee");

    ASSERT_EQ(unlink(kName), 0);
    written = tools::WriteRecord(kName, update);
    EXPECT_EQ(written.status, 0) << written.error;
    struct stat info;
    ASSERT_EQ(lstat(kName, &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

}  // namespace
}  // namespace korv
