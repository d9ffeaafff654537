// What a customer sees on the pole display while the point-of-sale writer rewrites
// POLE.DAT under the running program, or saves it anew.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

// Tax 1.25, total -5.00.
PoleRecordFields Lines(std::uint16_t counter, std::string line1, std::string line2) {
    return Sale(counter, std::move(line1), std::move(line2), 125, -500);
}

TEST_F(ProgramTest, ChangeCounterDecidesWhenTheTextLinesAreRedrawn) {
    // Counter 0 at start equals the last seen counter: no lines. A cycle draws the lines
    // before rows 3 and 4, so once those show, the lines would have come.
    ASSERT_NO_FATAL_FAILURE(StartShowing(Lines(0, "HELLO", "WORLD")));
    ASSERT_TRUE(ShowsRows(Com5(), TaxRow("1.25"), TotalRow("-5.00")));
    EXPECT_EQ(Model().Row(1), kBlankRow);
    EXPECT_EQ(Model().Row(2), kBlankRow);

    run_.WriteRecord(Lines(1, "FIRST LINE", "SECOND"));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("FIRST LINE")));
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("SECOND")));

    // The same counter: the new tax shows that this version was read; the lines wait
    // for a change, and nothing is cleared.
    const auto clears_before = Model().Clears();
    run_.WriteRecord(Sale(1, "UNSEEN", "UNSEEN", 250, -500));
    ASSERT_TRUE(ShowsRow(Com5(), 3, TaxRow("2.50")));
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Model().Row(1), TextRow("FIRST LINE"));
    EXPECT_EQ(Model().Row(2), TextRow("SECOND"));
    EXPECT_EQ(Model().Clears(), clears_before) << "the display flickers without a change";

    // A new counter clears first, so shorter lines leave nothing behind.
    run_.WriteRecord(Lines(65535, "NEXT", ""));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("NEXT")));
    EXPECT_TRUE(ShowsRow(Com5(), 2, kBlankRow));

    // 65535 then 0 is a change like any other.
    run_.WriteRecord(Lines(0, "WRAPPED TO ZERO", "Z"));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("WRAPPED TO ZERO")));
    EXPECT_TRUE(ShowsRow(Com5(), 2, TextRow("Z")));
    EXPECT_TRUE(ShowsRows(Com5(), TaxRow("1.25"), TotalRow("-5.00")));
    ExitWithX();
}

// Row 3 and 4 are redrawn in place under the same counter: a shorter amount leaves no
// digits of the last one; ten characters do not fit and mark the field across.
TEST_F(ProgramTest, AmountsAreFormattedByTheScaleAndRightAligned) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Lines(0, "", "")));
    const std::string tax_marked(11, '*');
    const std::string total_marked(10, '*');
    const struct {
        std::uint16_t scale;
        std::int32_t tax;
        std::int32_t total;
        std::string tax_text;
        std::string total_text;
    } cases[] = {
        {1, 125, -500, "1.25", "-5.00"},
        {1, 12345, 99999999, "123.45", "999999.99"},
        {1, 999, 100, "9.99", "1.00"},
        {100, 1250, 999999999, "1250", "999999999"},
        {0, 777, 123456, "0.00", "0.00"},
        {1, 100000000, -10000000, tax_marked, total_marked},  // 1000000.00, -100000.00
        {1, 500, 100, "5.00", "1.00"},
        {65535, INT32_MIN, INT32_MAX, tax_marked, total_marked},  // the widest texts there are
    };
    for (const auto& amounts : cases) {
        SCOPED_TRACE(amounts.tax_text + " / " + amounts.total_text);
        PoleRecordFields record = Lines(0, "", "");
        record.scale = amounts.scale;
        record.tax = amounts.tax;
        record.total = amounts.total;
        run_.WriteRecord(record);
        EXPECT_TRUE(ShowsRows(Com5(), TaxRow(amounts.tax_text), TotalRow(amounts.total_text)));
    }
    ExitWithX();
}

// Each field is drawn once the file reaches it; 58 and 60 bytes are in absence_test.
TEST_F(ProgramTest, AGrowingRecordFileIsFollowedFieldByField) {
    run_.TruncateRecord(0);
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    const std::string full = EncodeRecord(Lines(1, "GROWING", "FILE"));

    run_.WriteRecordBytes(0, full.substr(0, 60));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("GROWING")));
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("FILE")));
    run_.WriteRecordBytes(60, full.substr(60, 6));
    ASSERT_TRUE(ShowsRow(Com5(), 3, TextRow("TOTAL TAX")));
    run_.WriteRecordBytes(66, full.substr(66, 4));
    ASSERT_TRUE(ShowsRow(Com5(), 3, TaxRow("1.25")));
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Model().Row(4), kBlankRow) << "70 bytes hold no total";

    // Half a total (0C FE of -500): the rest of its buffer is still the zeros it
    // started with.
    run_.WriteRecordBytes(70, full.substr(70, 2));
    EXPECT_TRUE(ShowsRow(Com5(), 4, TotalRow("650.36")));
    run_.WriteRecordBytes(72, full.substr(72, 2));
    EXPECT_TRUE(ShowsRow(Com5(), 4, TotalRow("-5.00")));
    EXPECT_EQ(Model().Row(1), TextRow("GROWING"));
}

// A writer that deletes the record and writes it again is followed; while the name
// leads nowhere the file held is read on. (On Windows korvpole holds the file without
// delete sharing, so this cannot happen.) A save by renaming over it, its counter
// unchanged, is main_loop_test's, and following a name record_file_open_test's.
TEST_F(LinuxProgramTest, RecordDeletedAndWrittenAgainIsFollowed) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Sale(3, "ORIGINAL", "", 100)));

    const int held = open(run_.PathOf("POLE.DAT").c_str(), O_WRONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(unlink(run_.PathOf("POLE.DAT").c_str()), 0);
    ASSERT_TRUE(CyclesPass(Com5(), 6)) << "the loop stopped without a record file";
    const std::string tax = EncodeRecord(Sale(3, "ORIGINAL", "", 777)).substr(66, 4);
    ASSERT_EQ(pwrite(held, tax.data(), tax.size(), 66), 4);
    close(held);
    EXPECT_TRUE(ShowsRow(Com5(), 3, TaxRow("7.77")));

    run_.WriteRecord(Sale(4, "WRITTEN AGAIN", "", 999));
    EXPECT_TRUE(ShowsRow(Com5(), 1, TextRow("WRITTEN AGAIN")));
    EXPECT_TRUE(ShowsRow(Com5(), 3, TaxRow("9.99")));
    ExitWithX();
}

}  // namespace
}  // namespace korv::test
