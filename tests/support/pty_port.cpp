#include "tests/support/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace korv::test {
using Clock = std::chrono::steady_clock;

PtyPort::PtyPort(std::string link) : link_(std::move(link)) {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    slave_path_ = name;
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(slave_, F_SETFL, fcntl(slave_, F_GETFL) | O_NONBLOCK);  // a stopped line blocks no mark
    termios raw{};
    if (tcgetattr(slave_, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
    }
    unlink(link_.c_str());
    if (symlink(slave_path_.c_str(), link_.c_str()) != 0) throw std::runtime_error("symlink " + link_ + " failed");
}

PtyPort::~PtyPort() {
    unlink(link_.c_str());
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
}

std::string PtyPort::ReadFor(std::chrono::milliseconds window) {
    std::string bytes;
    const auto deadline = Clock::now() + window;
    while (master_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd readable{master_, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count > 0) bytes.append(buffer, static_cast<std::size_t>(count));
        else if (count < 0 && errno != EAGAIN && errno != EINTR) usleep(1000);
    }
    return bytes;
}

std::string PtyPort::CatchUp() {
    static const std::string kMark("\0korv-mark\0", 11);  // never among a display's bytes
    if (master_ < 0) return "";
    if (write(slave_, kMark.data(), kMark.size()) != static_cast<ssize_t>(kMark.size()))
        throw std::runtime_error("no mark could be written to " + link_ + ": the line is stopped");
    std::string bytes;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    std::size_t at = std::string::npos;
    while ((at = bytes.find(kMark)) == std::string::npos) {
        if (Clock::now() >= deadline) throw std::runtime_error("the mark never came back on " + link_);
        bytes += ReadFor(std::chrono::milliseconds(20));
    }
    return bytes.erase(at, kMark.size());
}

void PtyPort::Unplug() {
    // The link stays, dangling, as a by-id link does when its adapter is pulled. It is
    // repointed before the terminal goes, since the next pseudo-terminal may reuse its name.
    unlink(link_.c_str());
    if (symlink((link_ + ".unplugged").c_str(), link_.c_str()) != 0) unlink(link_.c_str());
    if (master_ >= 0) close(master_);
    master_ = -1;
    if (slave_ >= 0) close(slave_);
    slave_ = -1;
}

void CarryAcross(PtyPort& from, PtyPort& to) {
    char bytes[4096];
    const ssize_t got = read(from.MasterFd(), bytes, sizeof bytes);
    // A terminal takes far more than this in, unless its reader stopped long ago.
    if (got > 0 && write(to.MasterFd(), bytes, static_cast<std::size_t>(got)) != got)
        throw std::runtime_error("the reading port takes no more bytes");
}

bool DisplayTap::PumpUntil(const std::function<bool(const sim::DisplayModel&)>& done, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done(*model_)) {
        if (Clock::now() >= deadline) return false;
        Pump(std::chrono::milliseconds(20));
    }
    return true;
}
}  // namespace korv::test
