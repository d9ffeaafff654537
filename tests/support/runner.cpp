#include "tests/support/runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "tests/support/console_text.h"
#include "tests/support/wine_prefix.h"
#include "tools/post/record_writer.h"

namespace korv::test {
namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(10);

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

std::string WithoutCarriageReturns(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text.compare(i, 2, "\r\n") != 0) plain += text[i];
    return plain;
}

void DrainInto(int fd, std::string& text) {
    char buffer[4096];
    ssize_t count = 0;
    while (fd >= 0 && ((count = read(fd, buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR)))
        if (count > 0) text.append(buffer, static_cast<std::size_t>(count));
}

void OpenPipe(int& read_end, int& write_end) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    read_end = ends[0];
    write_end = ends[1];
}
}  // namespace

WorkingFolder::WorkingFolder() : dir_(std::make_shared<TempDir>()) {}

WorkingFolder::WorkingFolder(std::shared_ptr<const TempDir> dir) : dir_(std::move(dir)) {}

void WorkingFolder::WriteConfig(int port, bool backlight_on) const {
    dir_->Write("KORVPOLE.CFG", ConfigBytes(port, backlight_on));
}

void WorkingFolder::WriteRecord(const PoleRecordFields& fields) const {
    if (const auto failure = tools::WriteRecordInPlace(PathOf("POLE.DAT"), EncodeRecord(fields)))
        throw std::runtime_error("POLE.DAT: " + failure.error.message());
}

void WorkingFolder::WriteRecordBytes(std::size_t offset, const std::string& bytes) const {
    platform::RecordFile file;
    if (file.Open(PathOf("POLE.DAT"), platform::RecordFile::Mode::kWrite) ||
        file.WriteAt(bytes.data(), bytes.size(), offset) || file.Close())
        throw std::runtime_error("POLE.DAT cannot be written");
}

void WorkingFolder::TruncateRecord(std::size_t length) const {
    WriteRecordBytes(0, "");
    if (truncate(PathOf("POLE.DAT").c_str(), static_cast<off_t>(length)) != 0)
        throw std::runtime_error("cannot cut POLE.DAT");
}

std::string WorkingFolder::PortLink(int n) const {
    if (wine_ != nullptr) return wine_->DosDevice("com" + std::to_string(n));
    return PathOf("COM" + std::to_string(n));
}

DisplayTap& WorkingFolder::Port(int n, DisplayKind kind, charset::CharacterRom rom) {
    std::unique_ptr<DisplayTap>& tap = ports_[n];
    if (!tap) tap = std::make_unique<DisplayTap>(PortLink(n), kind, rom);
    return *tap;
}

DisplayTap& WorkingFolder::Replug(int n) {
    // The old terminal's link goes with it, so the new one must come after.
    ports_[n].reset();
    return Port(n);
}

std::string ConfigBytes(int port, bool backlight_on) {
    std::string bytes = std::to_string(port);
    bytes.resize(3, '\0');
    bytes += backlight_on ? '1' : '0';
    bytes += '\0';
    return bytes;
}

Runner::~Runner() {
    KillAll();
    CloseConsole();
}

void Runner::CloseConsole() {
    for (int* fd : {&master_, &slave_, &input_, &output_fd_, &errors_fd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

// A fresh console for the next program; what the last one left is gone.
Runner::ChildEnds Runner::OpenConsole(const Console& console) {
    if (Running()) throw std::runtime_error("a program runs already");
    CloseConsole();
    windows_ = false;
    text_ = {};

    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    tcgetattr(slave_, &initial_terminal_);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    SetNonBlocking(master_);

    ChildEnds ends;
    OpenPipe(errors_fd_, ends.errors);
    SetNonBlocking(errors_fd_);
    if (!console.output_to_terminal) {
        OpenPipe(output_fd_, ends.output);
        SetNonBlocking(output_fd_);
    }
    if (console.input == Input::kPipe) {
        OpenPipe(ends.input, input_);
    } else if (console.input == Input::kNothing) {
        ends.input = open("/dev/null", O_RDONLY | O_CLOEXEC);
    } else if (console.input == Input::kFile) {
        ends.input = open(PathOf(console.input_file).c_str(), O_RDONLY | O_CLOEXEC);
    }
    return ends;
}

// The child becomes a program at a fresh console (only calls that are safe between
// fork and exec), then goes on with `then`. Whatever the test runner ignores or blocks
// is not handed down.
void Runner::StartChild(const Console& console, const ChildEnds& ends, const std::function<void()>& then) {
    const std::string dir = Dir().Path();
    child_.Start([&] {
        // login_tty closes the slave it was given; the parent keeps its own.
        if (login_tty(dup(slave_)) != 0) _exit(126);
        if (ends.input >= 0) dup2(ends.input, STDIN_FILENO);
        if (ends.output >= 0) dup2(ends.output, STDOUT_FILENO);
        if (ends.errors >= 0) dup2(ends.errors, STDERR_FILENO);
        for (int signal_number : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
            signal(signal_number, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (chdir(dir.c_str()) != 0) _exit(126);
        umask(console.umask);
        if (console.ordinary_user) BecomeAnOrdinaryUser();
        then();
    });
    for (int fd : {ends.input, ends.output, ends.errors})
        if (fd >= 0) close(fd);
}

void Runner::Start(const Program& program, const Console& console) {
    if (program.IsWindows()) return StartWindows(program, console);
    std::vector<std::string> argv{program.path};
    argv.insert(argv.end(), program.args.begin(), program.args.end());
    StartChild(console, OpenConsole(console), [&] { Exec(argv); });
}

void Runner::StartFunction(const std::function<int()>& body, const Console& console) {
    const ChildEnds ends = OpenConsole(console);
    // Whatever the test's own streams hold must not be written twice.
    std::fflush(nullptr);
    std::cout.flush();
    StartChild(console, ends, [&] {
        // No exec closes the test's own ends here: the input pipe must end when the
        // test closes it.
        for (int fd : {input_, master_, slave_, output_fd_, errors_fd_})
            if (fd >= 0) close(fd);
        const int status = body();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(status);
    });
}

void Runner::Type(const std::string& keys) {
    const int fd = input_ >= 0 ? input_ : master_;
    for (std::size_t done = 0; done < keys.size();) {
        const ssize_t count = write(fd, keys.data() + done, keys.size() - done);
        if (count > 0) done += static_cast<std::size_t>(count);
        else if (count < 0 && errno == EAGAIN) std::this_thread::sleep_for(kPollStep);
        else if (!(count < 0 && errno == EINTR)) throw std::runtime_error("cannot type keys");
    }
}

void Runner::CloseInput() {
    if (input_ < 0) throw std::runtime_error("CloseInput needs pipe input");
    close(input_);
    input_ = -1;
}

void Runner::Pump() {
    const std::size_t before = text_.raw.size();
    DrainInto(master_, text_.raw);
    DrainInto(output_fd_, text_.raw);
    DrainInto(errors_fd_, text_.errors);
    if (text_.raw.size() == before) return;
    text_.shown = windows_ ? PlainText(text_.raw) : WithoutCarriageReturns(text_.raw);
    text_.output = text_.shown.substr(std::min(text_.output_start, text_.shown.size()));
}

const std::string& Runner::Output() {
    Pump();
    return text_.output;
}

const std::string& Runner::Errors() {
    Pump();
    return windows_ ? text_.output : text_.errors;
}

bool Runner::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        Pump();
        const std::size_t at = text_.shown.find(text, std::max(text_.matched_up_to, text_.output_start));
        if (at != std::string::npos) {
            text_.matched_up_to = at + text.size();
            return true;
        }
        if (Clock::now() >= deadline) return false;
        pollfd readable[2] = {{master_, POLLIN, 0}, {output_fd_, POLLIN, 0}};
        poll(readable, 2, static_cast<int>(kPollStep.count()));
    }
}

termios Runner::TerminalSettings() const {
    termios settings{};
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0)
        throw std::runtime_error("cannot read the terminal's settings");
    return settings;
}

void Runner::Signal(int signal_number) {
    if (!child_.Running()) return;
    const pid_t target = windows_ ? WindowsProgramPid() : child_.Pid();
    if (target > 0) kill(target, signal_number);
}

ExitResult Runner::WaitExit(std::chrono::milliseconds limit) {
    if (windows_) return WaitWindowsExit(limit);
    ExitResult result = child_.Wait(limit, [this] { Pump(); });
    Pump();
    return result;
}

// Under Wine the program outlives the cmd it was typed at, so it goes first.
void Runner::KillAll() {
    if (windows_ && child_.Running()) Signal(SIGKILL);
    child_.Kill();
}

double Runner::CpuSeconds() const {
    const double seconds = ProcessCpuSeconds(windows_ ? WindowsProgramPid() : child_.Pid());
    if (seconds < 0) throw std::runtime_error("no /proc stat for the program");
    return seconds;
}

double Runner::CpuShareOver(std::chrono::milliseconds window) {
    const double cpu_before = CpuSeconds();
    const auto start = Clock::now();
    while (Clock::now() - start < window) {
        Pump();
        std::this_thread::sleep_for(kPollStep);
    }
    const std::chrono::duration<double> wall = Clock::now() - start;
    return (CpuSeconds() - cpu_before) / wall.count();
}
}  // namespace korv::test
