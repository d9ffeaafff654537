#include "tools/simulator/simulator.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace korv::tools {
namespace {
std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }
}  // namespace

PtyLink::~PtyLink() {
    char target[PATH_MAX];
    const ssize_t length = linked_ ? readlink(name_.c_str(), target, sizeof target - 1) : -1;
    if (length >= 0 && slave_path_ == std::string(target, static_cast<std::size_t>(length))) unlink(name_.c_str());
    CloseTerminal();
}

bool PtyLink::Create(int port, std::string& error) {
    const auto fail = [&](const std::string& why) {
        error = why;
        CloseTerminal();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail(SystemError("posix_openpt"));
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    const char* slave = nullptr;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || (slave = ptsname(master_)) == nullptr)
        return fail(SystemError("pseudo-terminal set-up"));
    slave_path_ = slave;
    slave_ = open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail(SystemError(slave_path_));
    // Bytes pass unchanged both ways, as on a real serial line.
    termios line;
    if (tcgetattr(slave_, &line) == 0) {
        cfmakeraw(&line);
        tcsetattr(slave_, TCSANOW, &line);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    name_ = "COM" + std::to_string(port);
    // symlink() never replaces an existing entry, so the check and the link are one step.
    if (symlink(slave_path_.c_str(), name_.c_str()) != 0)
        return fail(errno == EEXIST ? name_ + " already exists here and is not this simulator's link;"
                                              " remove it or choose another --port"
                                    : SystemError("linking " + name_));
    linked_ = true;
    // A terminal or pipe that went away must not end the simulator before the link goes.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int PtyLink::Read(std::uint8_t* buffer, int size, int timeout_ms) {
    pollfd readable{master_, POLLIN, 0};
    if (poll(&readable, 1, timeout_ms) <= 0) return 0;
    const ssize_t count = read(master_, buffer, static_cast<std::size_t>(size));
    if (count >= 0 || errno == EAGAIN || errno == EINTR) return count > 0 ? static_cast<int>(count) : 0;
    return -1;
}

void PtyLink::CloseTerminal() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
}
}  // namespace korv::tools
