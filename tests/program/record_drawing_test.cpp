// What a customer sees on the pole display while the point-of-sale writer rewrites
// POLE.DAT under the running program.
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

using namespace std::chrono_literals;

// Tax 1.25, total -5.00.
tools::PoleRecordFields Lines(std::uint16_t counter, std::string line1, std::string line2) {
    return Sale(counter, std::move(line1), std::move(line2), 125, -500);
}

TEST_F(ProgramTest, ChangeCounterDecidesWhenTheTextLinesAreRedrawn) {
    // Counter 0 at start equals the last seen counter: no lines yet.
    ASSERT_NO_FATAL_FAILURE(StartShowing(Lines(0, "HELLO", "WORLD")));
    ASSERT_TRUE(ShowsRows(Com5(), TaxRow("1.25"), TotalRow("-5.00")));
    EXPECT_EQ(Model().Row(1), kBlankRow);
    EXPECT_EQ(Model().Row(2), kBlankRow);

    run_.WriteRecord(Lines(1, "FIRST LINE", "SECOND"));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("FIRST LINE")));
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("SECOND")));

    // New lines under the same counter wait; the amount changed with them shows that
    // the program has read this version of the record.
    const auto clears_before = Model().Clears();
    tools::PoleRecordFields same_counter = Lines(1, "CHANGED", "LINES");
    same_counter.tax = 250;
    run_.WriteRecord(same_counter);
    ASSERT_TRUE(ShowsRow(Com5(), 3, TaxRow("2.50")));
    ASSERT_TRUE(CyclesPass(Com5(), 2));
    EXPECT_EQ(Model().Row(1), TextRow("FIRST LINE"));
    EXPECT_EQ(Model().Row(2), TextRow("SECOND"));
    EXPECT_EQ(Model().Clears(), clears_before) << "the display flickers without a change";

    run_.WriteRecord(Lines(65535, "TOP COUNTER", ""));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("TOP COUNTER")));
    EXPECT_TRUE(ShowsRow(Com5(), 2, kBlankRow));

    // 65535 then 0 is a change like any other.
    run_.WriteRecord(Lines(0, "WRAPPED TO ZERO", "Z"));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("WRAPPED TO ZERO")));
    EXPECT_TRUE(ShowsRow(Com5(), 2, TextRow("Z")));
    EXPECT_TRUE(ShowsRows(Com5(), TaxRow("1.25"), TotalRow("-5.00")));
}

TEST_F(ProgramTest, TextLinesEndAtTheirFirstZeroByteOrFillTwentyColumns) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Lines(0, "", "")));
    ASSERT_TRUE(ShowsRow(Com5(), 3, TaxRow("1.25")));

    std::string line1("ABC", 3);
    line1 += '\0';
    line1 += std::string(16, 'Q');
    run_.WriteRecord(Lines(7, line1, "ABCDEFGHIJKLMNOPQRST"));
    ASSERT_TRUE(ShowsRow(Com5(), 2, "ABCDEFGHIJKLMNOPQRST"));
    EXPECT_EQ(Model().Row(1), TextRow("ABC"));

    // A text byte equal to the command prefix must not reach the display as one.
    run_.WriteRecord(Lines(8, "A\xFE" "B", "PLAIN"));
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("PLAIN")));
    EXPECT_EQ(Model().Row(1), TextRow("A B"));
    EXPECT_EQ(Model().UnknownCommands(), 0u);
}

struct AmountCase {
    std::uint16_t scale;
    std::int32_t tax;
    std::int32_t total;
    const char* tax_text;
    const char* total_text;
};

TEST_F(ProgramTest, AmountsAreFormattedByTheScaleAndRightAligned) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(Lines(0, "", "")));
    const AmountCase cases[] = {
        {1, 125, -500, "1.25", "-5.00"},
        {1, 1350, 99999999, "13.50", "999999.99"},
        {10, 125, 0, "12.50", "0.00"},
        {100, 1250, 999999999, "1250", "999999999"},
        {100, -1250, -99999999, "-1250", "-99999999"},
        {0, 777, 123456, "0.00", "0.00"},
        {1, -9999999, 1, "-99999.99", "0.01"},
    };
    for (const AmountCase& amounts : cases) {
        SCOPED_TRACE(std::string(amounts.tax_text) + " / " + amounts.total_text);
        tools::PoleRecordFields record = Lines(0, "", "");
        record.scale = amounts.scale;
        record.tax = amounts.tax;
        record.total = amounts.total;
        run_.WriteRecord(record);
        EXPECT_TRUE(ShowsRows(Com5(), TaxRow(amounts.tax_text), TotalRow(amounts.total_text)));
    }
}

TEST_F(ProgramTest, ShorterAndOverlongAmountsLeaveNoWrongDigits) {
    tools::PoleRecordFields record = Lines(0, "", "");
    record.tax = 12345;
    record.total = 100;
    ASSERT_NO_FATAL_FAILURE(StartShowing(record));
    ASSERT_TRUE(ShowsRow(Com5(), 3, TaxRow("123.45")));

    // Same counter, shorter text: no leftover "12" in front of it.
    record.tax = 999;
    run_.WriteRecord(record);
    EXPECT_TRUE(ShowsRow(Com5(), 3, TaxRow("9.99")));

    // Ten characters do not fit: a marker across the field, captions intact.
    record.tax = 100000000;     // 1000000.00
    record.total = -10000000;   // -100000.00
    run_.WriteRecord(record);
    EXPECT_TRUE(ShowsRows(Com5(), "TOTAL TAX" + std::string(11, '*'), "    TOTAL " + std::string(10, '*')));

    record.tax = 500;
    record.total = 100;
    run_.WriteRecord(record);
    EXPECT_TRUE(ShowsRows(Com5(), TaxRow("5.00"), TotalRow("1.00")));

    // The widest texts there are must not hurt the program either.
    record.scale = 65535;
    record.tax = INT32_MIN;
    record.total = INT32_MAX;
    run_.WriteRecord(record);
    EXPECT_TRUE(ShowsRows(Com5(), "TOTAL TAX" + std::string(11, '*'), "    TOTAL " + std::string(10, '*')));

    record.scale = 100;
    record.tax = 1000000000;  // "%.0f" gives ten characters
    record.total = 42;
    run_.WriteRecord(record);
    EXPECT_TRUE(ShowsRows(Com5(), "TOTAL TAX" + std::string(11, '*'), TotalRow("42")));
    EXPECT_TRUE(run_.Running());
}

TEST_F(ProgramTest, ShortRecordFilesDrawWhatTheyHoldAndAGrowingFileIsFollowed) {
    run_.TruncateRecord(0);
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    Com5().PumpUntilQuiet(300ms);
    const std::size_t after_startup = Com5().Received().size();

    // An empty file is polled, not spun on.
    EXPECT_LT(run_.CpuShareOver(2000ms), 0.10);

    const std::string full = tools::EncodeRecord(Lines(1, "GROWING", "FILE"));
    run_.WriteRecordBytes(0, full.substr(0, 58));
    Com5().Pump(600ms);
    EXPECT_EQ(Com5().Received().size(), after_startup) << "58 bytes hold no counter yet";

    run_.WriteRecordBytes(58, full.substr(58, 2));
    ASSERT_TRUE(ShowsRow(Com5(), 1, TextRow("GROWING")));
    ASSERT_TRUE(ShowsRow(Com5(), 2, TextRow("FILE")));
    Com5().Pump(600ms);
    EXPECT_EQ(Model().Row(3), kBlankRow) << "60 bytes hold no scale";

    run_.WriteRecordBytes(60, full.substr(60, 6));
    ASSERT_TRUE(ShowsRow(Com5(), 3, TextRow("TOTAL TAX")));
    EXPECT_EQ(Model().Row(4), kBlankRow);

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

}  // namespace
}  // namespace korv::test
