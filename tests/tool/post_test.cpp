// korvpole-post as an integrator runs it, the record it writes read back byte by byte.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/console_text.h"
#include "tests/support/program_test.h"
#include "tests/support/record_bytes.h"

namespace korv::test {
namespace {
using Args = std::vector<std::string>;

// Where korvpole-post holds nothing it writes zero bytes: RecordByHand's '\0'.
class PostTool : public ::testing::Test {
protected:
    PostTool() { run_.UseWine(Program::Tool("korvpole-post").wine); }

    int Post(const Args& args) {
        const ExitResult result = run_.RunToEnd(Program::Tool("korvpole-post", args));
        EXPECT_FALSE(result.timed_out) << result.Describe();
        return result.exited ? result.status : -1;
    }
    std::string Record() const { return run_.Dir().Read("POLE.DAT"); }

    Runner run_;
};

TEST_F(PostTool, WritesEveryFieldAtItsOffsetAndChangesOnlyWhatItIsToldNorBytesItDoesNotOwn) {
    // Shown as typed at scale 10: 12.50 and -50 are stored as 125 and -500.
    ASSERT_EQ(Post({"--line1", "ABC", "--line2", "Second line", "--tax", "12.50", "--total", "-50",
                    "--scale", "10"}), 0) << run_.Errors();
    EXPECT_EQ(Hex(Record()), Hex(RecordByHand("ABC", "Second line", 1, 10, 125, -500, '\0')));
    ASSERT_EQ(Post({"--line1", "12345678901234567890EXTRA"}), 0);
    EXPECT_EQ(Hex(Record()), Hex(RecordByHand("12345678901234567890", "Second line", 2, 10, 125, -500, '\0')));
    ASSERT_EQ(Post({"--line1", "Hi"}), 0);
    EXPECT_EQ(Hex(Record()), Hex(RecordByHand("Hi", "Second line", 3, 10, 125, -500, '\0')));

    std::string before(80, '\xAA');
    before.replace(58, 2, Le16(0x1234));
    run_.Dir().Write("POLE.DAT", before);
    ASSERT_EQ(Post({"--total", "873.80"}), 0);  // the file's scale 0xAAAA shows 2 so
    EXPECT_EQ(Hex(Record()), Hex(std::string(before).replace(58, 2, Le16(0x1235)).replace(70, 4, Le32(2))));
}

TEST_F(PostTool, NewOrEmptyFileGetsScaleOneAndCounterOneWhichCountsUpAndWrapsPastZeroToOne) {
    ASSERT_EQ(Post({"--total", "13.50"}), 0);
    EXPECT_EQ(Hex(Record()), Hex(RecordByHand("", "", 1, 1, 0, 1350, '\0')));
    run_.Dir().Write("POLE.DAT", "");  // as korvpole creates it
    ASSERT_EQ(Post({"--line1", "one"}), 0);
    EXPECT_EQ(Hex(Record()), Hex(RecordByHand("one", "", 1, 1, 0, 0, '\0')));
    ASSERT_EQ(Post({}), 0);
    EXPECT_EQ(Hex(Record().substr(58, 2)), Hex(Le16(2)));
    run_.WriteRecordBytes(58, Le16(0xFFFE));
    ASSERT_EQ(Post({}), 0);
    EXPECT_EQ(Hex(Record().substr(58, 2)), Hex(Le16(0xFFFF)));
    ASSERT_EQ(Post({}), 0);
    EXPECT_EQ(Hex(Record()), Hex(RecordByHand("one", "", 1, 1, 0, 0, '\0'))) << "0 would read as 'nothing drawn yet'";
}

// Also an amount the scale given, or else the file's, cannot show.
TEST_F(PostTool, BadArgumentsExitTwoWithAMessageAndLeaveTheFileAlone) {
    EXPECT_EQ(Post({"--total", "twelve"}), 2);
    EXPECT_TRUE(Contains(run_.Errors(), "korvpole-post: "));
    EXPECT_FALSE(run_.Dir().Has("POLE.DAT")) << "a missing file was created";
    ASSERT_EQ(Post({"--line1", "before", "--total", "12", "--scale", "100"}), 0);
    const std::string before = Record();
    for (const Args& args : {Args{"--line1", "fine", "--total", "bad"}, Args{"--scale", "0", "--tax", "1"},
                             Args{"--scale", "100", "--total", "12.50"}, Args{"--total", "12.50"}}) {
        EXPECT_EQ(Post(args), 2);
        EXPECT_EQ(Record(), before);
    }
    EXPECT_TRUE(Contains(Unwrapped(run_.Errors()), "the total 12.50 cannot be shown with the file's scale 100"));
}

TEST_F(PostTool, DemoPlaysTheSaleOnceWithRunningTotals) {
    ASSERT_EQ(Post({"--demo", "--step-ms", "0"}), 0) << run_.Errors();
    // One output line per step, each starting with the counter it wrote.
    std::istringstream lines(run_.Output());
    std::vector<std::string> steps;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first])))
            steps.push_back(line);
    }
    ASSERT_EQ(steps.size(), 7u) << run_.Output();
    EXPECT_TRUE(Contains(steps.front(), "WELCOME"));
    EXPECT_TRUE(Contains(steps.back(), "THANK YOU"));
    EXPECT_TRUE(Contains(steps[4], "14.85"));
    // 8.90 + 2 x 1.80 + 2.35 = 14.85; 7 % of it is 1.0395, a till's 1.04.
    EXPECT_EQ(Record().substr(58, 4), Le16(7) + Le16(1));
    EXPECT_EQ(Record().substr(66, 8), Le32(104) + Le32(1589));
}

// What --show makes of a record is tool_parts_test's; here the file is read, never made.
TEST_F(PostTool, ShowPrintsTheFileAsKorvpoleDrawsItAndSaysWhenThereIsNone) {
    EXPECT_EQ(Post({"--show"}), 1);
    EXPECT_TRUE(Contains(Unwrapped(run_.Errors()), "korvpole-post: POLE.DAT does not exist"));
    EXPECT_FALSE(run_.Dir().Has("POLE.DAT"));
    ASSERT_EQ(Post({"--line1", "Coffee", "--tax", "0.22", "--total", "3.20"}), 0) << run_.Errors();
    ASSERT_EQ(Post({"--show"}), 0) << run_.Errors();
    const std::string& shown = run_.Output();
    for (const char* line : {"POLE.DAT, 74 bytes;", "1 |Coffee              |\n", "2 |                    |\n",
                             "4 |    TOTAL       3.20|\n", "change counter  1\n"})
        EXPECT_TRUE(Contains(shown, line));
    EXPECT_EQ(shown.find("warning"), std::string::npos) << shown;
}

// LF, Ctrl-Z and CR bytes in amounts and the scale, where text mode would turn or stop;
// the counter from 0xFFFF to 1; amounts at their limits; an 80-byte file's tail kept.
TEST(WindowsPostTool, WritesTheSameBytesAsThisBuildsTool) {
    std::string till_file;
    while (till_file.size() < 80) till_file += std::string("\x1A\r\n\x1A", 4);
    till_file.replace(0, 6, "Till\0\0", 6);
    till_file.replace(58, 4, Le16(0xFFFF) + Le16(1));
    const struct {
        std::string seed;
        std::vector<Args> steps;
    } files[] = {
        {"", {{"--line1", "Coffee", "--line2", "1 x 3.20", "--tax", "1.30", "--total", "3.38", "--scale", "13"},
              {"--line1", "Tea", "--total", "-21474836.48", "--scale", "1"}}},
        {till_file, {{"--tax", "-0.07"}, {"--total", "21474836.47", "--line2", "x"}}},
    };
    for (const auto& file : files) {
        Runner linux_run, windows_run;
        for (Runner* run : {&linux_run, &windows_run})
            if (!file.seed.empty()) run->Dir().Write("POLE.DAT", file.seed);
        for (std::size_t step = 0; step < file.steps.size(); ++step) {
            const std::string says = "POLE.DAT: counter " + std::to_string(step + 1) + " written";
            SCOPED_TRACE(says);
            ASSERT_TRUE(linux_run.RunToEnd(Program::ThisBuild("korvpole-post", file.steps[step])).Succeeded());
            const ExitResult result = windows_run.RunToEnd(Program::Tool("korvpole-post", file.steps[step]));
            ASSERT_TRUE(result.Succeeded()) << result.Describe() << windows_run.Output();
            EXPECT_TRUE(Contains(windows_run.Output(), says));
            EXPECT_EQ(Hex(windows_run.Dir().Read("POLE.DAT")), Hex(linux_run.Dir().Read("POLE.DAT")));
        }
    }
}

// Lines typed in UTF-8 go into the code page of the KORVPOLE.INI beside the record, or are refused.
TEST_F(PostTool, LinesGoIntoTheCodePageOfTheSideFileBesideTheRecordOrAreRefused) {
    run_.Dir().Write("KORVPOLE.INI", "text = cp850\r\n");
    ASSERT_EQ(Post({"--line1", "Smörgås", "--line2", "Café"}), 0) << run_.Errors();
    EXPECT_EQ(Hex(Record().substr(0, 40)), Hex(LineField("Sm\x94rg\x86s") + LineField("Caf\x82")));
    const std::string before = Record();
    EXPECT_EQ(Post({"--line1", "5 €"}), 2);
    EXPECT_TRUE(Contains(Unwrapped(run_.Errors()), "--line1 holds € (U+20AC), which cp850"));
    run_.Dir().Write("KORVPOLE.INI", "text = utf8\r\n");
    EXPECT_EQ(Post({"--line1", "Tea"}), 2);
    EXPECT_TRUE(Contains(Unwrapped(run_.Errors()), "KORVPOLE.INI line 1: text must be"));
    EXPECT_EQ(Record(), before);

    // The side file of the record's own folder counts, not the working folder's.
    std::filesystem::create_directory(run_.PathOf("till"));
    run_.Dir().Write("till/KORVPOLE.INI", "text = cp1252\r\n");
    ASSERT_EQ(Post({"--file", "till/POLE.DAT", "--line1", "5 €"}), 0) << run_.Errors();
    EXPECT_EQ(Hex(run_.Dir().Read("till/POLE.DAT").substr(0, 20)), Hex(LineField("5 \x80")));
    run_.Dir().Write("till/POLE.DAT", before);
    ASSERT_TRUE(run_.RunToEnd(Program::Tool("korvpole-post", {"--show", "--file", "till/POLE.DAT"})).Succeeded());
    // cp850's bytes read as cp1252 are quotes and a dagger, which the LCD shows plain.
    EXPECT_TRUE(Contains(run_.Output(), "1 |Sm\"rg s             |"));
    EXPECT_TRUE(Contains(run_.Output(), "line 1 shows ” as \", † as  : the LCD draws"));

    // A cd5220 display holding cp437 shows the euro sign plain; UTF-8 is cut between letters.
    run_.Dir().Write("till/KORVPOLE.INI", "display = cd5220\r\ntext = cp1252\r\n");
    ASSERT_EQ(Post({"--file", "till/POLE.DAT", "--line1", "Straße 3,50 €"}), 0) << run_.Errors();
    ASSERT_TRUE(run_.RunToEnd(Program::Tool("korvpole-post", {"--show", "--file", "till/POLE.DAT"})).Succeeded());
    EXPECT_TRUE(Contains(run_.Output(), "1 |Straße 3,50 E       |"));
    run_.Dir().Write("till/KORVPOLE.INI", "text = utf-8\r\n");
    ASSERT_EQ(Post({"--file", "till/POLE.DAT", "--line1", "Smörgåsbordet, stör"}), 0) << run_.Errors();
    EXPECT_EQ(run_.Dir().Read("till/POLE.DAT").substr(0, 20), std::string("Smörgåsbordet, st\0\0", 20));
    EXPECT_TRUE(
        Contains(Unwrapped(run_.Errors()), "--line1 is cut to the 20 bytes of its field: 'Smörgåsbordet, st'"));
}
}  // namespace
}  // namespace korv::test
