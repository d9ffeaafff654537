#include "pole/poll_cycle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "platform/record_file.h"
#include "tests/support/record_bytes.h"

namespace korv {
namespace {
// Decoded from the test's own little-endian bytes (record_bytes.h).
TEST(DecodeLe, ReadsLittleEndianUnsigned16AndSigned32) {
    const auto at = [](const std::string& bytes) { return reinterpret_cast<const std::uint8_t*>(bytes.data()); };
    for (const std::uint16_t value : {0x1234, 0xFFFF, 0x8000}) EXPECT_EQ(DecodeLe16(at(test::Le16(value))), value);
    for (const std::int32_t value : {-500, 125, INT32_MAX, INT32_MIN, 0x04030201})
        EXPECT_EQ(DecodeLe32(at(test::Le32(value))), value);
}

std::string Formatted(std::int32_t raw, std::uint16_t scale) {
    char text[64];
    const int length = FormatAmount(raw, scale, text, sizeof text);
    EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
    return text;
}

TEST(FormatAmount, ScaleHundredGivesWholeNumbersEveryOtherScaleTwoDecimalsAndTheFullLengthIsReported) {
    EXPECT_EQ(Formatted(125, 1), "1.25");
    EXPECT_EQ(Formatted(1350, 1), "13.50");
    EXPECT_EQ(Formatted(-500, 1), "-5.00");
    EXPECT_EQ(Formatted(125, 10), "12.50");
    EXPECT_EQ(Formatted(1250, 100), "1250");
    EXPECT_EQ(Formatted(777, 0), "0.00");
    EXPECT_EQ(Formatted(-99999, 0), "-0.00");
    EXPECT_EQ(Formatted(-99999999, 100), "-99999999");
    EXPECT_EQ(Formatted(99999999, 1), "999999.99");
    EXPECT_EQ(Formatted(-9999999, 1), "-99999.99");
    EXPECT_EQ(Formatted(999999999, 100), "999999999");
    EXPECT_EQ(Formatted(1, 101), "1.01");

    char text[10];
    std::memset(text, 'z', sizeof text);
    EXPECT_EQ(FormatAmount(100000000, 1, text, sizeof text), 10);  // 1000000.00
    EXPECT_EQ(text[9], '\0');
    EXPECT_GT(FormatAmount(INT32_MIN, 65535, text, sizeof text), kMaxAmountChars);
}

std::string Field(const std::string& amount, int width) {
    std::vector<char> out(static_cast<std::size_t>(width) + 8, '#');
    FillAmountField(amount.c_str(), static_cast<int>(amount.size()), width, out.data());
    EXPECT_EQ(out[static_cast<std::size_t>(width)], '\0');
    for (std::size_t i = static_cast<std::size_t>(width) + 1; i < out.size(); ++i)
        EXPECT_EQ(out[i], '#') << "written past the field at " << i;
    return out.data();
}

TEST(FillAmountField, RightAlignsWhatFitsAndMarksWhatDoesNot) {
    EXPECT_EQ(Field("1.25", 11), "       1.25");
    EXPECT_EQ(Field("-5.00", 10), "     -5.00");
    EXPECT_EQ(Field("999999.99", 10), " 999999.99");
    EXPECT_EQ(Field("999999.99", 9), "999999.99");
    EXPECT_EQ(Field("1000000.00", 11), std::string(11, '*'));
    EXPECT_EQ(Field("-100000.00", 10), std::string(10, '*'));
    EXPECT_EQ(Field("12.50", 4), "****");
    EXPECT_EQ(Field("", 10), std::string(10, ' '));
    char failed[8];
    FillAmountField("", -1, 5, failed);
    EXPECT_STREQ(failed, "*****") << "a failed formatting";
}

std::string Record(std::uint16_t counter, std::int32_t tax, std::int32_t total) {
    return test::RecordByHand("LINE1", "LINE2", counter, 1, tax, total);
}

namespace fake = platform::fake;

// The display stays closed: the cycle's reading is under test, not the drawing.
class PollCycle : public ::testing::Test {
protected:
    PollCycle() {
        fake::Reset();
        file_.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll);
    }

    CycleOutcome Cycle(const std::string& bytes) {
        fake::File(kPoleRecordFileName) = bytes;
        fake::Platform().seeks = 0;
        return RunPollCycle(file_, state_, display_);
    }
    int Seeks() const { return fake::Platform().seeks; }

    platform::RecordFile file_;
    DisplayDriver display_;
    CycleState state_;
};

TEST_F(PollCycle, SeeksOnceWhenEmptyFourTimesWithTheSameCounterSixAfterAChangeAndStopsAtAFailedSeek) {
    EXPECT_EQ(Cycle(""), CycleOutcome::kEndedEarly);
    EXPECT_EQ(Seeks(), 1);
    EXPECT_EQ(Cycle(Record(0, 125, -500)), CycleOutcome::kCompleted);
    EXPECT_EQ(Seeks(), 4);

    EXPECT_EQ(Cycle(Record(9, 125, -500)), CycleOutcome::kCompleted);
    EXPECT_EQ(Seeks(), 6);
    EXPECT_EQ(state_.last_seen_counter, 9);
    EXPECT_STREQ(reinterpret_cast<const char*>(state_.line1), "LINE1");
    EXPECT_STREQ(reinterpret_cast<const char*>(state_.line2), "LINE2");

    fake::Platform().seeks_fail = true;
    EXPECT_EQ(Cycle(Record(3, 125, 250)), CycleOutcome::kSeekFailed);
    EXPECT_EQ(Seeks(), 1);
    EXPECT_EQ(state_.last_seen_counter, 9);
}

TEST_F(PollCycle, ACounterIsTakenAsSeenBeforeItsLinesAreRead) {
    // The writer cut the file between the reads of the counter and of line 1.
    fake::Platform().read_ends_at = record::kLine1Offset;
    EXPECT_EQ(Cycle(Record(5, 125, 250)), CycleOutcome::kEndedEarly);
    EXPECT_EQ(state_.last_seen_counter, 5);
    EXPECT_EQ(Seeks(), 2);

    // Whole again, same counter: the lines wait for the next change.
    fake::Platform().read_ends_at = -1;
    EXPECT_EQ(Cycle(Record(5, 125, 250)), CycleOutcome::kCompleted);
    EXPECT_EQ(Seeks(), 4);
    EXPECT_EQ(state_.line1[0], 0);
}

TEST_F(PollCycle, ShortOrFailedReadsKeepWhatTheBufferHeld) {
    ASSERT_EQ(Cycle(Record(0, 0x11223344, 0x55667788)), CycleOutcome::kCompleted);

    // The total cut after two bytes: its upper bytes stay from the last read.
    ASSERT_EQ(Cycle(Record(0, 4444, 0x0000FE0C).substr(0, 72)), CycleOutcome::kCompleted);
    EXPECT_EQ(DecodeLe32(state_.total), 0x5566FE0C);

    // A read error is no end: the cycle goes on and the buffer keeps its bytes.
    fake::Platform().read_fails_at = record::kTaxOffset;
    ASSERT_EQ(Cycle(Record(0, 777, 888)), CycleOutcome::kCompleted);
    EXPECT_EQ(DecodeLe32(state_.tax), 4444);
    EXPECT_EQ(DecodeLe32(state_.total), 888);
}
}  // namespace
}  // namespace korv
