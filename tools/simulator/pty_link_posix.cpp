#include "tools/simulator/pty_link.h"

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

bool OpenMaster(int& master, std::string& slave_path, std::string& error) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = SystemError("posix_openpt");
        return false;
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    const char* name = nullptr;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || (name = ptsname(master)) == nullptr) {
        error = SystemError("pseudo-terminal set-up");
        return false;
    }
    slave_path = name;
    return true;
}

// Bytes pass unchanged both ways, as on a real serial line.
void MakeRaw(int fd) {
    termios line;
    if (tcgetattr(fd, &line) != 0) return;
    cfmakeraw(&line);
    tcsetattr(fd, TCSANOW, &line);
}

}  // namespace

PtyLink::~PtyLink() {
    Remove();
    CloseTerminal();
}

bool PtyLink::Create(int port, std::string& error) {
    if (!OpenMaster(master_, slave_path_, error)) {
        CloseTerminal();
        return false;
    }
    slave_ = open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = SystemError(slave_path_);
        CloseTerminal();
        return false;
    }
    MakeRaw(slave_);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    name_ = "COM" + std::to_string(port);
    // symlink() never replaces an existing entry, so the check and the link are one step.
    if (symlink(slave_path_.c_str(), name_.c_str()) != 0) {
        error = errno == EEXIST ? name_ + " already exists here and is not this simulator's link;"
                                  " remove it or choose another --port"
                                : SystemError("linking " + name_);
        CloseTerminal();
        return false;
    }
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

void PtyLink::Remove() {
    if (!linked_) return;
    linked_ = false;
    char target[PATH_MAX];
    const ssize_t length = readlink(name_.c_str(), target, sizeof target - 1);
    if (length < 0) return;
    if (slave_path_ == std::string(target, static_cast<std::size_t>(length))) unlink(name_.c_str());
}

void PtyLink::CloseTerminal() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
}

}  // namespace korv::tools
