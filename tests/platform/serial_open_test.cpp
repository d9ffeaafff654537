#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/com_name.h"
#include "platform/serial_device.h"
#include "tests/support/program_test.h"

namespace korv {
namespace {

using platform::OpenFailure;
using platform::SerialDevice;

using test::kForeign;

// Why port n failed to open; none when it opened.
platform::PortOpenFailure OpenPort(SerialDevice& device, int port) {
    const platform::PortOpenFailure failure = device.Open(port, 9600);
    EXPECT_EQ(device.IsOpen(), !failure);
    EXPECT_TRUE(failure || !failure.error);
    device.Close();
    return failure;
}

class SerialOpenTest : public test::FolderTest {
protected:
    SerialDevice device_;
};

// A link to a file is the program cases'.
TEST_F(SerialOpenTest, WhatIsNoTerminalIsRefusedAndKeepsItsBytes) {
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

TEST_F(SerialOpenTest, NamesThatLeadToNoDeviceAndNumbersThatNameNone) {
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

TEST_F(SerialOpenTest, PortThisUserMayNotOpenIsAPermissionMatter) {
    const std::string slave = run_.Port(5).Port().SlavePath();
    ASSERT_EQ(chmod(slave.c_str(), 0), 0);
    ASSERT_EQ(chmod(dir_.Path().c_str(), 0755), 0);
    const int status = run_.RunFunction([] {
        test::BecomeAnOrdinaryUser();
        SerialDevice device;
        const platform::PortOpenFailure failure = device.Open(5, 9600);
        if (!failure) return 100;
        return failure.error.value() == EACCES ? static_cast<int>(failure.cause) : 101;
    }).status;
    if (status == test::kCannotDropPrivileges) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(status, static_cast<int>(OpenFailure::kPermission));
}

}  // namespace
}  // namespace korv
