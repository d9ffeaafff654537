#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "display/serial_channel.h"
#include "tests/support/program_test.h"

// Every write() of this program passes through here, so the test can see how the
// channel hands bytes to the device: one call per byte, and when.
namespace {

struct WriteRecord {
    std::int64_t at_ns;
    std::size_t size;
    std::uint8_t first_byte;
};

constexpr int kMaxRecords = 4096;

struct WriteLog {
    std::atomic<bool> on{false};
    dev_t device = 0;
    std::atomic<int> count{0};
    WriteRecord records[kMaxRecords];
};

WriteLog g_writes;

std::int64_t NowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void Record(int fd, const void* data, std::size_t size) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || info.st_rdev != g_writes.device) return;
    const int slot = g_writes.count.fetch_add(1);
    if (slot >= kMaxRecords) return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    g_writes.records[slot] = {NowNs(), size, size > 0 ? bytes[0] : std::uint8_t{0}};
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (g_writes.on.load()) Record(fd, data, size);
    return syscall(SYS_write, fd, data, size);
}

namespace korv {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Writes to the device behind `path` are logged while this lives.
class WriteWatch {
public:
    explicit WriteWatch(const std::string& path) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0) g_writes.device = info.st_rdev;
        g_writes.count = 0;
        g_writes.on = true;
    }
    ~WriteWatch() { g_writes.on = false; }
    std::vector<WriteRecord> Records() const {
        const int count = std::min(g_writes.count.load(), kMaxRecords);
        return std::vector<WriteRecord>(g_writes.records, g_writes.records + count);
    }
};

const std::uint8_t kFive[] = {'H', 'E', 'L', 'L', 'O'};

class SerialChannelTest : public test::FolderTest {
protected:
    test::PtyPort& com5_ = run_.Port(5).Port();
    SerialChannel channel_;
};

TEST_F(SerialChannelTest, ClosedChannelOrAnEmptyOrNegativeLengthIsRefusedAndWritesNothing) {
    for (bool opened_before : {false, true}) {
        SCOPED_TRACE(opened_before ? "closed after an open" : "never opened");
        if (opened_before) {
            ASSERT_TRUE(channel_.Open(5, 9600));
        }
        EXPECT_TRUE(channel_.Close());
        EXPECT_TRUE(channel_.Close());
        EXPECT_EQ(channel_.Send(kFive, 5), 0);
        // A single byte is no way around the refusal, and changes no state.
        EXPECT_TRUE(channel_.WriteByte('A'));
        EXPECT_FALSE(channel_.IsOpen());
        EXPECT_FALSE(channel_.IsLost());
        EXPECT_EQ(com5_.CatchUp(), "");
    }
    // Open, it refuses empty and negative lengths.
    ASSERT_TRUE(channel_.Open(5, 9600));
    EXPECT_EQ(channel_.Send(kFive, 0), 0);
    EXPECT_EQ(channel_.Send(kFive, -1), 0);
    EXPECT_EQ(channel_.Send(kFive, -1000), 0);
    EXPECT_EQ(com5_.CatchUp(), "");
    EXPECT_EQ(channel_.Send(kFive, 2), 2);  // the line itself works
    EXPECT_EQ(com5_.CatchUp(), "HE");
}

TEST_F(SerialChannelTest, OpenKeepsTheFirstPortAndAPortHeldByAnotherChannelFailsUntilReleased) {
    {
        SerialChannel first;
        ASSERT_TRUE(first.Open(5, 9600));
        EXPECT_FALSE(channel_.Open(5, 9600));
        EXPECT_EQ(channel_.LastOpenFailure().cause, platform::OpenFailure::kBusy);
        EXPECT_EQ(channel_.LastOpenFailure().error.value(), EWOULDBLOCK);
        EXPECT_FALSE(channel_.IsOpen());
        EXPECT_EQ(channel_.Send(kFive, 5), 0);
    }
    EXPECT_TRUE(channel_.Open(5, 9600)) << "released as its holder went";
    EXPECT_FALSE(channel_.LastOpenFailure());
    SerialChannel second;
    EXPECT_FALSE(second.Open(5, 9600));
    EXPECT_TRUE(channel_.Close());
    EXPECT_TRUE(second.Open(5, 9600)) << "released by a close";
    second.Close();

    test::PtyPort& com6 = run_.Port(6).Port();
    ASSERT_TRUE(channel_.Open(5, 9600));
    EXPECT_TRUE(channel_.Open(6, 9600));
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    EXPECT_EQ(com5_.CatchUp(), "HELLO");
    EXPECT_EQ(com6.CatchUp(), "");
}

TEST_F(SerialChannelTest, LineBecomes9600RawEightNoneOneWithFlowControlKept) {
    termios before;
    ASSERT_EQ(tcgetattr(com5_.MasterFd(), &before), 0);
    before.c_oflag |= OPOST | ONLCR;
    before.c_cflag = (before.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    before.c_iflag |= IXON;
    cfsetospeed(&before, B1200);
    cfsetispeed(&before, B1200);
    ASSERT_EQ(tcsetattr(com5_.MasterFd(), TCSANOW, &before), 0);

    ASSERT_TRUE(channel_.Open(5, 9600));
    termios after;
    ASSERT_EQ(tcgetattr(com5_.MasterFd(), &after), 0);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600));
    EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(after.c_cflag & PARENB, 0u);
    EXPECT_EQ(after.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_NE(after.c_cflag & CRTSCTS, 0u) << "flow control stays as the port had it";
    EXPECT_NE(after.c_iflag & IXON, 0u) << "flow control stays as the port had it";

    const std::uint8_t awkward[] = {'\n', '\r', 0x00, 0x11, 0x13, 0x7F, 0x80, 0xFF, 0x04};
    ASSERT_EQ(channel_.Send(awkward, sizeof awkward), static_cast<int>(sizeof awkward));
    EXPECT_EQ(test::Hex(com5_.CatchUp()), "0A 0D 00 11 13 7F 80 FF 04");
}

TEST_F(SerialChannelTest, EachByteIsItsOwnWriteFollowedByAtLeastOneMillisecond) {
    ASSERT_TRUE(channel_.Open(5, 9600));
    std::vector<WriteRecord> writes;
    std::int64_t returned_ns = 0;
    std::int64_t started_ns = 0;
    {
        WriteWatch watch(com5_.SlavePath());
        started_ns = NowNs();
        EXPECT_EQ(channel_.Send(kFive, 5), 5);
        returned_ns = NowNs();
        writes = watch.Records();
    }
    ASSERT_EQ(writes.size(), 5u);
    const std::int64_t one_ms = 1000000;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].size, 1u) << "write " << i;
        EXPECT_EQ(writes[i].first_byte, kFive[i]) << "write " << i;
        if (i > 0) {
            EXPECT_GE(writes[i].at_ns - writes[i - 1].at_ns, one_ms) << "pause before " << i;
        }
    }
    EXPECT_GE(returned_ns - writes.back().at_ns, one_ms) << "the last byte is followed by a pause too";
    EXPECT_GE(returned_ns - started_ns, 5 * one_ms);
    EXPECT_EQ(com5_.CatchUp(), "HELLO");
}

// The line stopped, as after the display's XOFF: the port takes nothing.
TEST_F(SerialChannelTest, FarSideThatTakesNothingCostsAtMostAboutASecondPerByte) {
    ASSERT_TRUE(channel_.Open(5, 9600));
    ASSERT_EQ(tcflow(com5_.SlaveFd(), TCOOFF), 0);
    const auto start = Clock::now();
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, milliseconds(1000)) << "a port that takes nothing is waited for";
    EXPECT_LT(took, milliseconds(8000)) << "each byte is given up after about a second";
    EXPECT_FALSE(channel_.IsLost());
    ASSERT_EQ(tcflow(com5_.SlaveFd(), TCOON), 0);
    EXPECT_EQ(com5_.CatchUp(), "") << "bytes given up were sent later";
}

TEST_F(SerialChannelTest, VanishedFarSideIsLostAndCostsNoMoreTime) {
    ASSERT_TRUE(channel_.Open(5, 9600));
    const std::string slave = com5_.SlavePath();
    WriteWatch watch(slave);
    com5_.Unplug();
    EXPECT_EQ(channel_.Send(kFive, 5), 5);
    EXPECT_TRUE(channel_.IsLost());
    const int writes_until_lost = static_cast<int>(watch.Records().size());
    EXPECT_GE(writes_until_lost, 1);

    std::vector<std::uint8_t> bytes(1000, 'x');
    const auto start = Clock::now();
    EXPECT_EQ(channel_.Send(bytes.data(), 1000), 1000);
    // With its pauses, 1000 bytes would take a second at least.
    EXPECT_LT(Clock::now() - start, milliseconds(500));
    EXPECT_EQ(static_cast<int>(watch.Records().size()), writes_until_lost)
        << "nothing more is written to a device that is gone";
    EXPECT_TRUE(channel_.Close());
    EXPECT_FALSE(channel_.IsLost());
}

}  // namespace
}  // namespace korv
