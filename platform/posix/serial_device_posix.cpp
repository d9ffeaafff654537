#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/serial_device.h"

namespace korv::platform {
namespace {
constexpr int kWriteWaitMs = 1000;

speed_t SpeedOf(int baud) {
    static constexpr std::pair<int, speed_t> kSpeeds[] = {{1200, B1200}, {2400, B2400}, {4800, B4800},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const auto& [rate, speed] : kSpeeds)
        if (rate == baud) return speed;
    return B9600;
}

// 8N1 and raw bytes both ways; flow control stays as the port had it, but for a reader.
// A line setting that fails goes unnoticed.
void ConfigureLine(int fd, int baud, bool reading) {
    termios line;
    if (tcgetattr(fd, &line) != 0) return;
    line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | INPCK);
    if (reading) line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    line.c_cflag |= CS8 | CREAD | CLOCAL;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    cfsetispeed(&line, SpeedOf(baud));
    cfsetospeed(&line, SpeedOf(baud));
    tcsetattr(fd, TCSANOW, &line);
}

PortOpenFailure Failed(OpenFailure cause, int error) { return {cause, SystemError(error)}; }

// A failed look at the port's name or its open. ENOENT is also a link whose adapter is
// unplugged, ELOOP links in a circle, EIO a built-in port name with no port behind it,
// EBUSY a terminal another opener made exclusive.
PortOpenFailure FailedWithErrno() {
    const int error = errno;
    if (OneOf(error, ENOENT, ENOTDIR, ELOOP, ENXIO, ENODEV, EIO)) return Failed(OpenFailure::kNoDevice, error);
    if (OneOf(error, EACCES, EPERM, EROFS)) return Failed(OpenFailure::kPermission, error);
    return Failed(error == EBUSY ? OpenFailure::kBusy : OpenFailure::kOther, error);
}

bool IsDeviceGone(int error) { return OneOf(error, EIO, ENXIO, ENODEV, EPIPE, EBADF, ENOTCONN); }
}  // namespace

struct SerialDevice::Impl {
    int fd = -1;
};

SerialDevice::SerialDevice() : impl_(new Impl) {}
SerialDevice::~SerialDevice() { Close(); }

PortOpenFailure SerialDevice::OpenDevice(const std::string& path, int baud, bool reading) {
    // Only a character device can be a terminal: a file, a FIFO or a folder in the
    // port's place is refused without being opened, let alone written.
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return FailedWithErrno();
    if (!S_ISCHR(info.st_mode)) return Failed(OpenFailure::kNotSerial, ENOTTY);

    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return FailedWithErrno();
    PortOpenFailure failure;
    // The descriptor is what gets written, and the name may have been swapped since the look.
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || isatty(fd) != 1)
        failure = Failed(OpenFailure::kNotSerial, ENOTTY);
    // Exclusive, as on the counter's own platform: a port another program holds fails.
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        failure = Failed(errno == EWOULDBLOCK ? OpenFailure::kBusy : OpenFailure::kOther, errno);
    else if (ioctl(fd, TIOCEXCL) != 0) failure = Failed(OpenFailure::kOther, errno);
    if (failure) {
        close(fd);
        return failure;
    }
    ConfigureLine(fd, baud, reading);
    impl_->fd = fd;
    return {};
}

void SerialDevice::Close() {
    if (impl_->fd < 0) return;
    ioctl(impl_->fd, TIOCNXCL);
    close(impl_->fd);
    impl_->fd = -1;
}

bool SerialDevice::IsOpen() const { return impl_->fd >= 0; }

ByteWrite SerialDevice::WriteByte(std::uint8_t value) {
    if (impl_->fd < 0) return ByteWrite::kDeviceGone;
    bool waited = false;
    while (true) {
        const ssize_t written = write(impl_->fd, &value, 1);
        if (written == 1) return ByteWrite::kWritten;
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && IsDeviceGone(errno)) return ByteWrite::kDeviceGone;
        if (waited || (written < 0 && errno != EAGAIN)) return ByteWrite::kDropped;

        pollfd writable{impl_->fd, POLLOUT, 0};
        int ready;
        while ((ready = poll(&writable, 1, kWriteWaitMs)) < 0 && errno == EINTR) {
        }
        if (ready <= 0) return ByteWrite::kDropped;
        waited = true;
    }
}

int SerialDevice::Read(std::uint8_t* buffer, int size, int timeout_ms) {
    if (impl_->fd < 0) return -1;
    pollfd readable{impl_->fd, POLLIN, 0};
    if (poll(&readable, 1, timeout_ms) <= 0) return 0;  // none came, or a signal did
    const ssize_t count = read(impl_->fd, buffer, static_cast<std::size_t>(size));
    if (count > 0) return static_cast<int>(count);
    // Readable, yet nothing or an error: the line hung up or the device went.
    return count < 0 && (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}
}  // namespace korv::platform
