// The serial channel on the in-memory platform; the device below it is platform_test's.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/serial_channel.h"
#include "platform/clock.h"
#include "platform/fake/fake_platform.h"

namespace korv {
namespace {
namespace fake = platform::fake;
using platform::NowMilliseconds;

const std::uint8_t kFive[] = {'H', 'E', 'L', 'L', 'O'};

class SerialChannelTest : public ::testing::Test {
protected:
    SerialChannelTest() {
        fake::Reset();
        fake::ComPort(5);
    }
    static const std::string& Com5() { return fake::ComPort(5).received; }

    SerialChannel channel_;
};

TEST_F(SerialChannelTest, ClosedChannelOrAnEmptyOrNegativeLengthIsRefusedAndWritesNothing) {
    for (bool opened_before : {false, true}) {
        SCOPED_TRACE(opened_before ? "closed after an open" : "never opened");
        if (opened_before) {
            ASSERT_FALSE(channel_.Open(5, 9600));
        }
        EXPECT_TRUE(channel_.Close());
        EXPECT_TRUE(channel_.Close());
        EXPECT_EQ(channel_.Send(kFive, 5), 0);
        // A single byte is no way around the refusal, and changes no state.
        EXPECT_TRUE(channel_.WriteByte('A'));
        EXPECT_FALSE(channel_.IsOpen());
        EXPECT_FALSE(channel_.IsLost());
        EXPECT_EQ(Com5(), "");
    }
    // Open, it refuses empty and negative lengths, and pauses for none of them.
    ASSERT_FALSE(channel_.Open(5, 9600));
    for (int length : {0, -1, -1000}) EXPECT_EQ(channel_.Send(kFive, length), 0) << length;
    EXPECT_EQ(Com5(), "");
    EXPECT_EQ(NowMilliseconds(), 0);
    EXPECT_EQ(channel_.Send(kFive, 2), 2);  // the line itself works
    EXPECT_EQ(Com5(), "HE");
}

TEST_F(SerialChannelTest, OpenKeepsTheFirstPort) {
    ASSERT_FALSE(channel_.Open(5, 9600));
    EXPECT_FALSE(channel_.Open(6, 9600));
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    EXPECT_EQ(Com5(), "HELLO");
    EXPECT_EQ(fake::ComPort(6).opens, 0);
}

TEST_F(SerialChannelTest, EachByteGoesOutAloneFollowedByAOneMillisecondPause) {
    ASSERT_FALSE(channel_.Open(5, 9600));
    std::string after_two_ms;
    fake::At(2, [&] { after_two_ms = Com5(); });
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    EXPECT_EQ(after_two_ms, "HE");
    EXPECT_EQ(NowMilliseconds(), 5) << "the last byte is followed by its pause too";
    EXPECT_EQ(Com5(), "HELLO");
}

// For korvpole-check: bytes a line dropped, and bytes never written to a device gone.
TEST_F(SerialChannelTest, BytesNotTakenAreCountedAndAVanishedDeviceIsLost) {
    ASSERT_FALSE(channel_.Open(5, 9600));
    fake::ComPort(5).drops = true;
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    EXPECT_EQ(channel_.BytesNotTaken(), 5u);
    EXPECT_FALSE(channel_.IsLost()) << "a line that takes nothing is still there";

    fake::ComPort(5).drops = false;
    fake::At(7, [] { fake::Unplug(5); });  // after two more bytes
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    EXPECT_TRUE(channel_.IsLost());
    EXPECT_EQ(Com5(), "HE");
    EXPECT_EQ(channel_.BytesNotTaken(), 8u);
    const std::vector<std::uint8_t> many(1000, 'x');
    EXPECT_EQ(channel_.Send(many.data(), 1000), 1000);
    EXPECT_EQ(NowMilliseconds(), 7) << "a device that is gone is not paused for";
    EXPECT_EQ(channel_.BytesNotTaken(), 1008u);

    EXPECT_TRUE(channel_.Close());
    EXPECT_FALSE(channel_.IsLost());
    fake::Replug(5);
    ASSERT_FALSE(channel_.Open(5, 9600));
    EXPECT_EQ(channel_.BytesNotTaken(), 0u) << "counted from the last open";
}
}  // namespace
}  // namespace korv
