// The POSIX serial device on pseudo-terminals and what else COM<n> may lead to.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "display/serial_channel.h"
#include "platform/com_name.h"
#include "platform/serial_device.h"
#include "tests/support/program_test.h"

namespace korv::test {
namespace {
using platform::ByteWrite;
using platform::OpenFailure;
using platform::SerialDevice;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

platform::PortOpenFailure OpenPort(SerialDevice& device, int port) {
    const platform::PortOpenFailure failure = device.Open(port, 9600);
    EXPECT_EQ(device.IsOpen(), !failure);
    EXPECT_TRUE(failure || !failure.error);
    device.Close();
    return failure;
}

class SerialDeviceTest : public FolderTest {
protected:
    SerialDevice device_;
};

TEST_F(SerialDeviceTest, WhatIsNoTerminalIsRefusedAndKeepsItsBytes) {
    dir_.Write("COM6", kForeign);
    ASSERT_EQ(mkfifo("COM7", 0666), 0);
    ASSERT_EQ(mkdir("COM8", 0755), 0);
    ASSERT_EQ(symlink("/dev/null", "COM9"), 0);  // a device, but no terminal

    for (int port : {6, 7, 8, 9}) {
        const platform::PortOpenFailure failure = OpenPort(device_, port);
        EXPECT_EQ(failure.cause, OpenFailure::kNotSerial) << "COM" << port;
        EXPECT_EQ(failure.error.value(), ENOTTY) << "COM" << port;
    }
    EXPECT_EQ(dir_.Read("COM6"), kForeign);
    const int reader = open("COM7", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    char byte;
    EXPECT_EQ(read(reader, &byte, 1), 0) << "nothing was written into the FIFO";
    close(reader);
}

TEST_F(SerialDeviceTest, NamesThatLeadToNoDeviceAndNumbersThatNameNone) {
    ASSERT_EQ(symlink("/nonexistent/korv-port", "COM5"), 0);  // an adapter pulled out
    ASSERT_EQ(symlink("COM6", "COM6"), 0);
    for (int port : {5, 6}) EXPECT_EQ(OpenPort(device_, port).cause, OpenFailure::kNoDevice) << port;
    EXPECT_EQ(platform::ComDevicePath(5), "COM5");

    run_.Port(0);  // even where such names lead to a terminal
    run_.Port(-1);
    for (int port : {0, -1}) {
        EXPECT_EQ(OpenPort(device_, port).cause, OpenFailure::kNoPortNumber) << port;
        EXPECT_EQ(platform::ComDevicePath(port), "") << port;
    }
}

TEST_F(SerialDeviceTest, PortThisUserMayNotOpenIsAPermissionMatter) {
    const std::string slave = run_.Port(5).Port().SlavePath();
    ASSERT_EQ(chmod(slave.c_str(), 0), 0);
    ASSERT_EQ(chmod(dir_.Path().c_str(), 0755), 0);
    const int status = run_.RunFunction([] {
        BecomeAnOrdinaryUser();
        SerialDevice device;
        const platform::PortOpenFailure failure = device.Open(5, 9600);
        if (!failure) return 100;
        return failure.error.value() == EACCES ? static_cast<int>(failure.cause) : 101;
    }).status;
    if (status == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(status, static_cast<int>(OpenFailure::kPermission));
}

TEST_F(SerialDeviceTest, APortHeldByAnotherOpenerIsBusyUntilItIsClosedOrGoes) {
    run_.Port(5);
    {
        SerialDevice first;
        ASSERT_FALSE(first.Open(5, 9600));
        const platform::PortOpenFailure busy = device_.Open(5, 9600);
        EXPECT_EQ(busy.cause, OpenFailure::kBusy);
        EXPECT_EQ(busy.error.value(), EWOULDBLOCK);
        EXPECT_FALSE(device_.IsOpen());
    }
    EXPECT_FALSE(device_.Open(5, 9600)) << "not released as its holder went";
    SerialDevice second;
    EXPECT_EQ(second.Open(5, 9600).cause, OpenFailure::kBusy);
    device_.Close();
    EXPECT_FALSE(second.Open(5, 9600)) << "not released by a close";
}

// Through the channel, as korvpole sends: the bytes as they are, each after a real pause.
TEST_F(SerialDeviceTest, LineBecomes9600RawEightNoneOneWithFlowControlKept) {
    PtyPort& com5 = run_.Port(5).Port();
    termios before;
    ASSERT_EQ(tcgetattr(com5.MasterFd(), &before), 0);
    before.c_oflag |= OPOST | ONLCR;
    before.c_cflag = (before.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    before.c_iflag |= IXON;
    cfsetospeed(&before, B1200);
    cfsetispeed(&before, B1200);
    ASSERT_EQ(tcsetattr(com5.MasterFd(), TCSANOW, &before), 0);

    SerialChannel channel;
    ASSERT_FALSE(channel.Open(5, 9600));
    termios after;
    ASSERT_EQ(tcgetattr(com5.MasterFd(), &after), 0);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600));
    EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(after.c_cflag & PARENB, 0u);
    EXPECT_EQ(after.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_NE(after.c_cflag & CRTSCTS, 0u) << "flow control stays as the port had it";
    EXPECT_NE(after.c_iflag & IXON, 0u) << "flow control stays as the port had it";

    const std::uint8_t awkward[] = {'\n', '\r', 0x00, 0x11, 0x13, 0x7F, 0x80, 0xFF, 0x04};
    const auto start = Clock::now();
    ASSERT_EQ(channel.Send(awkward, sizeof awkward), static_cast<int>(sizeof awkward));
    EXPECT_GE(Clock::now() - start, milliseconds(sizeof awkward));
    EXPECT_EQ(Hex(com5.CatchUp()), "0A 0D 00 11 13 7F 80 FF 04");
}

// The line stopped, as after the display's XOFF: the port takes nothing.
TEST_F(SerialDeviceTest, AByteTheLineDoesNotTakeIsDroppedAfterAboutASecond) {
    PtyPort& com5 = run_.Port(5).Port();
    ASSERT_FALSE(device_.Open(5, 9600));
    ASSERT_EQ(tcflow(com5.SlaveFd(), TCOOFF), 0);
    const auto start = Clock::now();
    EXPECT_EQ(device_.WriteByte('H'), ByteWrite::kDropped);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, milliseconds(1000)) << "a port that takes nothing is waited for";
    EXPECT_LT(took, milliseconds(10000)) << "and given up, not waited for without end";
    ASSERT_EQ(tcflow(com5.SlaveFd(), TCOON), 0);
    EXPECT_EQ(com5.CatchUp(), "") << "a byte given up was sent later";
}

TEST_F(SerialDeviceTest, AFarSideThatVanishedIsADeviceGone) {
    PtyPort& com5 = run_.Port(5).Port();
    ASSERT_FALSE(device_.Open(5, 9600));
    com5.Unplug();
    ByteWrite result = ByteWrite::kWritten;
    for (int i = 0; i < 5 && result == ByteWrite::kWritten; ++i) result = device_.WriteByte('x');
    EXPECT_EQ(result, ByteWrite::kDeviceGone);
}
}  // namespace
}  // namespace korv::test
