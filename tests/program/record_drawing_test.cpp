// What a customer sees while the till rewrites POLE.DAT under the running program.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {
// The real file read as it grows, on both builds: each field drawn once the file reaches
// it (58 and 60 bytes are absence_test's), the amounts as each build's C library formats
// them, the letters of the code page KORVPOLE.INI names.
TEST_F(ProgramTest, AGrowingRecordFileIsFollowedFieldByField) {
    run_.TruncateRecord(0);
    run_.Dir().Write("KORVPOLE.INI", "text = cp1252\r\n");
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    const std::string full = EncodeRecord(Sale(65535, "GROWING", "FILE", 125, -500));

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
    // started with. The shorter amount after it leaves no digit behind.
    run_.WriteRecordBytes(70, full.substr(70, 2));
    EXPECT_TRUE(ShowsRow(Com5(), 4, TotalRow("650.36")));
    run_.WriteRecordBytes(72, full.substr(72, 2));
    EXPECT_TRUE(ShowsRow(Com5(), 4, TotalRow("-5.00")));
    EXPECT_EQ(Model().Row(1), TextRow("GROWING"));

    // 65535 then 0 is a change: cleared first, so the empty line 2 leaves nothing; å and
    // € drawn into characters of the display's own. The widest amount texts there are
    // marked across; under the same counter whole numbers (scale 100), the longest that
    // fits, replace the marks.
    const std::string smorgas = "Sm\xF6rg\xE5s 5 \x80";
    run_.WriteRecord({smorgas, "", 0, 65535, INT32_MIN, INT32_MAX});
    EXPECT_TRUE(ReadsRow(Com5(), 1, "Smörgås 5 €         "));
    EXPECT_TRUE(ShowsRow(Com5(), 2, kBlankRow));
    EXPECT_TRUE(ShowsRows(Com5(), TaxRow(std::string(11, '*')), TotalRow(std::string(10, '*'))));
    run_.WriteRecord({smorgas, "", 0, 100, 1250, 999999999});
    EXPECT_TRUE(ShowsRows(Com5(), TaxRow("1250"), TotalRow("999999999")));
}

// While the name leads nowhere the file held is read on; written again, it is followed.
// (On Windows korvpole holds the file without delete sharing.)
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
