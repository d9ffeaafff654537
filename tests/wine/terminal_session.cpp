#include "tests/wine/terminal_session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace korv::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kEscape = '\x1b';
constexpr char kBell = '\x07';

// Skips an operating-system command (ESC ] ... BEL or ESC \) starting at `i`.
std::size_t SkipOsCommand(const std::string& raw, std::size_t i) {
    while (i < raw.size()) {
        if (raw[i] == kBell) return i + 1;
        if (raw[i] == kEscape && i + 1 < raw.size() && raw[i + 1] == '\\') return i + 2;
        ++i;
    }
    return i;
}

// Reads a control sequence (ESC [ parameters final) starting after the '['; appends
// the blanks a cursor-forward step stands for.
std::size_t ReadControlSequence(const std::string& raw, std::size_t i, std::string& text) {
    const std::size_t start = i;
    while (i < raw.size() && (raw[i] < 0x40 || raw[i] > 0x7e)) ++i;
    if (i >= raw.size()) return i;
    if (raw[i] == 'C') {
        const std::string parameter = raw.substr(start, i - start);
        const int steps = parameter.empty() ? 1 : std::atoi(parameter.c_str());
        text.append(static_cast<std::size_t>(steps > 0 ? steps : 1), ' ');
    }
    return i + 1;
}

[[noreturn]] void RunChild(const std::vector<std::string>& argv, const std::string& directory,
                           int slave) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    dup2(slave, STDERR_FILENO);
    if (slave > STDERR_FILENO) close(slave);
    if (chdir(directory.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

}  // namespace

std::string PlainText(const std::string& raw) {
    std::string text;
    std::size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\r') {
            ++i;
        } else if (c != kEscape) {
            text += c;
            ++i;
        } else if (i + 1 >= raw.size()) {
            ++i;
        } else if (raw[i + 1] == '[') {
            i = ReadControlSequence(raw, i + 2, text);
        } else if (raw[i + 1] == ']') {
            i = SkipOsCommand(raw, i + 2);
        } else {
            i += 2;
        }
    }
    return text;
}

TerminalSession::TerminalSession(const std::vector<std::string>& argv,
                                 const std::string& directory, bool raw) {
    int slave = -1;
    if (openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    if (raw) {
        termios settings;
        tcgetattr(slave, &settings);
        cfmakeraw(&settings);
        tcsetattr(slave, TCSANOW, &settings);
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        close(master_);
        RunChild(argv, directory, slave);
    }
    close(slave);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

TerminalSession::~TerminalSession() {
    if (!status_) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        Reap(true);
    }
    close(master_);
}

void TerminalSession::Type(const std::string& keys) {
    std::size_t done = 0;
    while (done < keys.size()) {
        const ssize_t count = write(master_, keys.data() + done, keys.size() - done);
        if (count > 0) {
            done += static_cast<std::size_t>(count);
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd writable{master_, POLLOUT, 0};
            poll(&writable, 1, 100);
        }
    }
}

void TerminalSession::Pump(std::chrono::milliseconds window) {
    pollfd readable{master_, POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(window.count())) <= 0) return;
    char buffer[4096];
    ssize_t count;
    while ((count = read(master_, buffer, sizeof buffer)) > 0)
        raw_output_.append(buffer, static_cast<std::size_t>(count));
}

std::string TerminalSession::Text() {
    Pump();
    return PlainText(raw_output_);
}

std::size_t TerminalSession::WaitForText(const std::string& text, std::size_t from,
                                         std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        const std::string all = Text();
        const std::size_t found = from <= all.size() ? all.find(text, from) : std::string::npos;
        if (found != std::string::npos || Clock::now() >= deadline) return found;
        Pump(std::chrono::milliseconds(50));
    }
}

std::optional<int> TerminalSession::WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!Reap(false) && Clock::now() < deadline) Pump(std::chrono::milliseconds(20));
    Pump();
    return status_;
}

bool TerminalSession::Reap(bool block) {
    if (status_) return true;
    int wait_status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(pid_, &wait_status, block ? 0 : WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped != pid_) return false;
    status_ = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    return true;
}

}  // namespace korv::test
