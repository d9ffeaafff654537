#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/record_file.h"
#include "tests/support/record_bytes.h"
#include "tests/support/runner.h"
#include "tests/support/temp_dir.h"
#include "tools/post/post_record.h"
#include "tools/record_writer.h"

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
    EXPECT_FALSE(file.Open(kName)) << "a dangling link is a file that cannot be opened";
    EXPECT_TRUE(IsEmpty(elsewhere_.Path())) << "its target was created";
    EXPECT_TRUE(IsLink(kName));

    ASSERT_EQ(unlink(kName), 0);
    const mode_t previous = umask(022);
    const bool opened = file.Open(kName);
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
    ASSERT_TRUE(file.Open(kName));
    char text[6] = {};
    EXPECT_EQ(file.Seek(0), 0);
    ASSERT_EQ(file.Read(text, sizeof text), 6);
    EXPECT_EQ(std::string(text, sizeof text), "Coffee");
}

// The stand-in for the point-of-sale application writes in place, also through a
// link to an existing file, but never creates through a link nor writes a non-file.
TEST_F(RecordFileOpenTest, RecordWriterCreatesOnlyOrdinaryFilesUnderTheirOwnName) {
    tools::RecordUpdate update;
    update.line1 = "Coffee";
    std::string error;

    ASSERT_EQ(symlink((elsewhere_ / "x").c_str(), kName), 0);
    EXPECT_FALSE(tools::WriteRecord(kName, update, error).has_value());
    EXPECT_EQ(error.rfind(std::string(kName) + " is a link that leads nowhere", 0), 0u) << error;
    EXPECT_TRUE(IsEmpty(elsewhere_.Path()));

    ASSERT_EQ(mkfifo((elsewhere_ / "x").c_str(), 0666), 0);
    error.clear();
    EXPECT_FALSE(tools::WriteRecord(kName, update, error).has_value()) << "a FIFO is no record";
    EXPECT_FALSE(error.empty());

    ASSERT_EQ(unlink((elsewhere_ / "x").c_str()), 0);
    elsewhere_.Write("x", "");
    EXPECT_EQ(tools::WriteRecord(kName, update, error), std::optional<std::uint16_t>(1));
    EXPECT_TRUE(IsLink(kName)) << "an existing file is written in place";
    EXPECT_EQ(elsewhere_.Read("x").substr(0, 6), "Coffee");

    ASSERT_EQ(unlink(kName), 0);
    EXPECT_TRUE(tools::WriteRecord(kName, update, error).has_value()) << error;
    struct stat info;
    ASSERT_EQ(lstat(kName, &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

TEST_F(RecordFileOpenTest, RecordWriterWritesInPlaceKeepingWhatLiesBeyondTheRecord) {
    const std::string first = test::RecordByHand("A", "B", 1, 1, 2, 3);
    const std::string second = test::RecordByHand("C", "D", 4, 1, 2, 3);
    std::string error;
    ASSERT_TRUE(tools::WriteRecordInPlace("new.dat", first, error)) << error;
    EXPECT_EQ(dir_.Read("new.dat"), first);

    dir_.Write("long.dat", std::string(100, 'x'));
    ASSERT_TRUE(tools::WriteRecordInPlace("long.dat", second, error)) << error;
    EXPECT_EQ(dir_.Read("long.dat"), second + std::string(26, 'x'));

    std::string bytes = "left over";
    EXPECT_TRUE(tools::ReadRecordBytes("missing.dat", bytes, error));
    EXPECT_EQ(bytes, "") << "a missing file holds nothing";
    EXPECT_FALSE(dir_.Has("missing.dat"));

    ASSERT_EQ(mkdir("folder.dat", 0755), 0);
    error.clear();
    EXPECT_FALSE(tools::WriteRecordInPlace("folder.dat", first, error));
    EXPECT_EQ(error.rfind("folder.dat", 0), 0u) << error;
}

}  // namespace
}  // namespace korv
