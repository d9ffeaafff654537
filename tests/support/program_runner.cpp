#include "tests/support/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef KORVPOLE_BINARY
#error "KORVPOLE_BINARY must name the built program"
#endif

namespace korv::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(10);

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

std::string WithoutCarriageReturns(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain += text[i];
    }
    return plain;
}

// The child's side between fork and exec: only calls that are safe there.
[[noreturn]] void BecomeProgram(const std::string& dir, int slave, int input_read,
                                int errors_write, mode_t mask) {
    if (login_tty(slave) != 0) _exit(126);
    if (input_read >= 0) dup2(input_read, STDIN_FILENO);
    dup2(errors_write, STDERR_FILENO);
    // As at a fresh console: whatever the test runner ignores or blocks is not
    // handed down.
    for (int signal_number : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE})
        signal(signal_number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (chdir(dir.c_str()) != 0) _exit(126);
    umask(mask);
    execl(KORVPOLE_BINARY, KORVPOLE_BINARY, static_cast<char*>(nullptr));
    _exit(127);
}

}  // namespace

std::string ExitResult::Describe() const {
    std::ostringstream text;
    if (timed_out) text << "timed out and killed; ";
    if (exited) text << "exited with status " << status;
    else text << "ended by signal " << signal;
    return text.str();
}

ProgramRunner::ProgramRunner() {
    char name[] = "/tmp/korvpole-run-XXXXXX";
    if (mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = name;
}

ProgramRunner::~ProgramRunner() {
    KillAndReap();
    for (int fd : {master_, slave_, input_, errors_fd_})
        if (fd >= 0) close(fd);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string ProgramRunner::PathOf(const std::string& name) const { return dir_ + "/" + name; }

void ProgramRunner::WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream file(PathOf(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + name);
}

void ProgramRunner::Start(Input input, mode_t umask) {
    if (pid_ > 0) throw std::runtime_error("the program runs already");
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    tcgetattr(slave_, &initial_terminal_);
    int input_pipe[2] = {-1, -1};
    int errors_pipe[2] = {-1, -1};
    if (pipe2(errors_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (input == Input::kPipe && pipe2(input_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // login_tty closes the slave it was given; the parent keeps its own.
        BecomeProgram(dir_, dup(slave_), input_pipe[0], errors_pipe[1], umask);
    }
    close(errors_pipe[1]);
    errors_fd_ = errors_pipe[0];
    SetNonBlocking(errors_fd_);
    SetNonBlocking(master_);
    if (input == Input::kPipe) {
        close(input_pipe[0]);
        input_ = input_pipe[1];
    }
}

void ProgramRunner::Type(const std::string& keys) {
    const int fd = input_ >= 0 ? input_ : master_;
    std::size_t done = 0;
    while (done < keys.size()) {
        const ssize_t count = write(fd, keys.data() + done, keys.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && errno == EAGAIN) {
            std::this_thread::sleep_for(kPollStep);
            continue;
        }
        if (count <= 0) throw std::runtime_error("cannot type keys");
        done += static_cast<std::size_t>(count);
    }
}

void ProgramRunner::CloseInput() {
    if (input_ < 0) throw std::runtime_error("CloseInput needs pipe input");
    close(input_);
    input_ = -1;
}

void ProgramRunner::DrainInto(int fd, std::string& text) {
    if (fd < 0) return;
    char buffer[4096];
    while (true) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) continue;
        return;
    }
}

void ProgramRunner::Pump() {
    const std::size_t before = raw_output_.size();
    DrainInto(master_, raw_output_);
    if (raw_output_.size() != before) output_ = WithoutCarriageReturns(raw_output_);
    DrainInto(errors_fd_, errors_);
}

const std::string& ProgramRunner::Output() {
    Pump();
    return output_;
}

const std::string& ProgramRunner::Errors() {
    Pump();
    return errors_;
}

bool ProgramRunner::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        Pump();
        const std::size_t at = output_.find(text, matched_up_to_);
        if (at != std::string::npos) {
            matched_up_to_ = at + text.size();
            return true;
        }
        if (Clock::now() >= deadline) return false;
        pollfd readable[2] = {{master_, POLLIN, 0}, {errors_fd_, POLLIN, 0}};
        poll(readable, 2, static_cast<int>(kPollStep.count()));
    }
}

termios ProgramRunner::TerminalSettings() const {
    termios settings{};
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0)
        throw std::runtime_error("cannot read the terminal's settings");
    return settings;
}

void ProgramRunner::Signal(int signal_number) {
    if (pid_ > 0 && !reaped_) kill(pid_, signal_number);
}

void ProgramRunner::Reap(int wait_status) {
    reaped_ = true;
    if (WIFEXITED(wait_status)) {
        result_.exited = true;
        result_.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        result_.signal = WTERMSIG(wait_status);
    }
}

bool ProgramRunner::Running() {
    if (pid_ <= 0 || reaped_) return false;
    int wait_status = 0;
    if (waitpid(pid_, &wait_status, WNOHANG) == pid_) Reap(wait_status);
    return !reaped_;
}

ExitResult ProgramRunner::WaitExit(std::chrono::milliseconds limit) {
    if (pid_ <= 0) throw std::runtime_error("the program was never started");
    const auto deadline = Clock::now() + limit;
    while (Running()) {
        Pump();
        if (Clock::now() >= deadline) {
            KillAndReap();
            result_.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    Pump();
    return result_;
}

void ProgramRunner::KillAndReap() {
    if (pid_ <= 0 || reaped_) return;
    kill(pid_, SIGKILL);
    int wait_status = 0;
    while (waitpid(pid_, &wait_status, 0) < 0 && errno == EINTR) {
    }
    Reap(wait_status);
}

double ProgramRunner::CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The name in parentheses may hold blanks; the fields after it are plain.
    const std::size_t after_name = line.rfind(')');
    if (after_name == std::string::npos) throw std::runtime_error("no /proc stat for the program");
    std::istringstream fields(line.substr(after_name + 2));
    std::string field;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int number = 3; number < 14; ++number) fields >> field;
    long long user_ticks = 0;
    long long system_ticks = 0;
    fields >> user_ticks >> system_ticks;
    return static_cast<double>(user_ticks + system_ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ProgramRunner::CpuShareOver(std::chrono::milliseconds window) {
    const double cpu_before = CpuSeconds();
    const auto start = Clock::now();
    while (Clock::now() - start < window) {
        Pump();
        std::this_thread::sleep_for(kPollStep);
    }
    const double cpu_after = CpuSeconds();
    const std::chrono::duration<double> wall = Clock::now() - start;
    return (cpu_after - cpu_before) / wall.count();
}

std::string ConfigBytes(int port, bool backlight_on) {
    std::string bytes = std::to_string(port);
    bytes.resize(3, '\0');
    bytes += backlight_on ? '1' : '0';
    bytes += '\0';
    return bytes;
}

}  // namespace korv::test
