#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/record_file.h"
#include "pole/failure_words.h"
#include "tests/support/record_bytes.h"
#include "tests/support/program_test.h"
#include "tools/post/post_record.h"
#include "tools/post/record_writer.h"

namespace korv {
namespace {
namespace fs = std::filesystem;

const char* const kName = "POLE.DAT";

std::string FirstBytes(platform::RecordFile& file) {
    char text[8] = {};
    int count = 0;
    file.Seek(0);
    file.Read(text, sizeof text, count);
    return std::string(text, static_cast<std::size_t>(count));
}

using RecordFileOpenTest = test::FolderTest;

// Opened through a link to a file, then following its name to another ordinary file
// only, never creating one.
TEST_F(RecordFileOpenTest, OpensAndFollowsItsNameToAnotherFileOnly) {
    elsewhere_.Write("first", "first");
    ASSERT_EQ(symlink((elsewhere_ / "first").c_str(), kName), 0);
    platform::RecordFile file;
    ASSERT_FALSE(file.Open(kName, platform::RecordFile::Mode::kPoll)) << "a link to a file is the file";
    EXPECT_EQ(FirstBytes(file), "first");
    EXPECT_FALSE(file.FollowName()) << "still the same file";

    ASSERT_EQ(unlink(kName), 0);
    ASSERT_EQ(symlink((elsewhere_ / "x").c_str(), kName), 0);
    EXPECT_FALSE(file.FollowName());
    EXPECT_EQ(elsewhere_.Entries(), std::vector<std::string>{"first"}) << "created through a link";
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

// What korvpole says beside its file-open message, for a shop's own login.
TEST_F(RecordFileOpenTest, AFailedOpenSaysItsCause) {
    ASSERT_EQ(mkdir("FOLDER.DAT", 0755), 0);
    dir_.Write("SECRET.DAT", "sale");
    ASSERT_EQ(chmod("SECRET.DAT", 0), 0);
    ASSERT_EQ(symlink("NOWHERE.DAT", "LINK.DAT"), 0);
    ASSERT_EQ(chmod(".", 0555), 0);
    const int status = run_.RunFunction([] {
        test::BecomeAnOrdinaryUser();
        for (const char* name : {"FOLDER.DAT", "SECRET.DAT", "NEW.DAT", "LINK.DAT"}) {
            platform::RecordFile file;
            const auto failure = file.Open(name, platform::RecordFile::Mode::kPoll);
            std::printf("%s\n", RecordFailureWords(name, platform::RecordFile::Mode::kPoll, failure).c_str());
        }
        return 0;
    }).status;
    ASSERT_EQ(chmod(".", 0755), 0);
    if (status == test::kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(run_.Output(),
              "FOLDER.DAT is a folder, not a record file\n"
              "this user may not read SECRET.DAT\n"
              "the folder does not let this user create NEW.DAT\n"
              "LINK.DAT is a link that leads nowhere; no file is created through it: point it at "
              "the record file, or remove it\n");
}

// The till's stand-in writes in place, also through a link to an existing file, but
// never creates through a link nor writes a non-file.
TEST_F(RecordFileOpenTest, RecordWriterCreatesOnlyOrdinaryFilesUnderTheirOwnNameAndReadsAMissingOneAsEmpty) {
    tools::RecordUpdate update;
    update.line1 = "Coffee";

    ASSERT_EQ(symlink((elsewhere_ / "x").c_str(), kName), 0);
    std::uint16_t counter = 0;
    tools::WriteFailure written = tools::WriteRecord(kName, update, counter);
    EXPECT_EQ(written.cause, tools::WriteFault::kFile);
    EXPECT_EQ(written.error.rfind(std::string(kName) + " is a link that leads nowhere", 0), 0u) << written.error;
    EXPECT_TRUE(fs::is_empty(elsewhere_.Path()));

    ASSERT_EQ(mkfifo((elsewhere_ / "x").c_str(), 0666), 0);
    written = tools::WriteRecord(kName, update, counter);
    EXPECT_EQ(written.cause, tools::WriteFault::kFile) << "a FIFO is no record";
    EXPECT_FALSE(written.error.empty());

    ASSERT_EQ(unlink((elsewhere_ / "x").c_str()), 0);
    elsewhere_.Write("x", "");
    written = tools::WriteRecord(kName, update, counter);
    EXPECT_FALSE(written) << written.error;
    EXPECT_EQ(counter, 1);
    EXPECT_TRUE(fs::is_symlink(kName)) << "an existing file is written in place";
    EXPECT_EQ(elsewhere_.Read("x").substr(0, 6), "Coffee");

    ASSERT_EQ(unlink(kName), 0);
    written = tools::WriteRecord(kName, update, counter);
    EXPECT_FALSE(written) << written.error;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(kName)));

    std::string bytes = "left over";
    EXPECT_FALSE(tools::ReadRecordBytes("missing.dat", bytes));
    EXPECT_EQ(bytes, "") << "a missing file holds nothing";
    EXPECT_FALSE(dir_.Has("missing.dat"));

    ASSERT_EQ(mkdir("folder.dat", 0755), 0);
    EXPECT_EQ(tools::WriteRecordInPlace("folder.dat", test::RecordByHand("A", "B", 1, 1, 2, 3)).cause,
              platform::RecordFailure::kFolder);
}
}  // namespace
}  // namespace korv
