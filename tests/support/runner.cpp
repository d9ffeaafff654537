#include "tests/support/runner.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/console_text.h"
#include "tests/support/wine_prefix.h"

#ifndef KORV_BUILD_DIR
#error "KORV_BUILD_DIR must name the folder of the built programs"
#endif

namespace korv::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(10);
constexpr std::chrono::seconds kCmdStartLimit{60};

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string WithoutCarriageReturns(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain += text[i];
    }
    return plain;
}

void DrainInto(int fd, std::string& text) {
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

// The child's side between fork and exec (or the function): only calls that are safe
// there. As at a fresh console, whatever the test runner ignores or blocks is not
// handed down.
void BecomeConsoleProgram(const std::string& dir, int slave, int input, int output, int errors,
                          const Console& console) {
    if (login_tty(slave) != 0) _exit(126);
    if (input >= 0) dup2(input, STDIN_FILENO);
    if (output >= 0) dup2(output, STDOUT_FILENO);
    if (errors >= 0) dup2(errors, STDERR_FILENO);
    for (int signal_number : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
        signal(signal_number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (chdir(dir.c_str()) != 0) _exit(126);
    umask(console.umask);
    if (console.file_size_limit >= 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = static_cast<rlim_t>(console.file_size_limit);
        const rlimit file_size{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &file_size) != 0) _exit(126);
    }
    if (console.ordinary_user) BecomeAnOrdinaryUser();
}

// A pipe whose test end is non-blocking; both ends close on exec.
void OpenPipe(int& read_end, int& write_end) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    read_end = ends[0];
    write_end = ends[1];
}

[[noreturn]] void Exec(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

double ProcessCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The name in parentheses may hold blanks; the fields after it are plain.
    const std::size_t after_name = line.rfind(')');
    if (after_name == std::string::npos) return -1;
    std::istringstream fields(line.substr(after_name + 2));
    std::string field;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int number = 3; number < 14; ++number) fields >> field;
    long long user_ticks = 0;
    long long system_ticks = 0;
    fields >> user_ticks >> system_ticks;
    return static_cast<double>(user_ticks + system_ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

Program Program::Korvpole() { return {std::string(KORV_BUILD_DIR) + "/korvpole", {}, nullptr}; }

Program Program::Tool(const std::string& name, std::vector<std::string> args) {
    return {std::string(KORV_BUILD_DIR) + "/" + name, std::move(args), nullptr};
}

bool Program::IsWindows() const { return EndsWith(path, ".exe"); }

std::string ExitResult::Describe() const {
    std::ostringstream text;
    if (timed_out) text << "timed out and killed; ";
    if (exited) text << "exited with status " << status;
    else text << "ended by signal " << signal;
    if (windows_status != 0) text << " (Windows exit code " << windows_status << ")";
    return text.str();
}

Runner::Runner() : dir_(std::make_shared<TempDir>()) {}

Runner::Runner(std::shared_ptr<const TempDir> dir) : dir_(std::move(dir)) {}

Runner::~Runner() {
    KillAndReap();
    CloseConsole();
}

void Runner::CloseConsole() {
    for (int* fd : {&master_, &slave_, &input_, &output_fd_, &errors_fd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

void Runner::WriteConfig(int port, bool backlight_on) const {
    dir_->Write("KORVPOLE.CFG", ConfigBytes(port, backlight_on));
}

void Runner::WriteRecord(const PoleRecordFields& fields) const {
    std::string error;
    if (!tools::WriteRecordInPlace(PathOf("POLE.DAT"), EncodeRecord(fields), error))
        throw std::runtime_error(error);
}

void Runner::WriteRecordBytes(std::size_t offset, const std::string& bytes) const {
    std::string error;
    if (!tools::WriteBytesAt(PathOf("POLE.DAT"), offset, bytes, error))
        throw std::runtime_error(error);
}

void Runner::TruncateRecord(std::size_t length) const {
    WriteRecordBytes(0, "");
    if (truncate(PathOf("POLE.DAT").c_str(), static_cast<off_t>(length)) != 0)
        throw std::runtime_error("cannot cut POLE.DAT");
}

std::string Runner::PortLink(int n) const {
    if (wine_ != nullptr) return wine_->DosDevice("com" + std::to_string(n));
    return PathOf("COM" + std::to_string(n));
}

DisplayTap& Runner::Port(int n) {
    std::unique_ptr<DisplayTap>& tap = ports_[n];
    if (!tap) tap = std::make_unique<DisplayTap>(PortLink(n));
    return *tap;
}

void Runner::Unplug(int n) { Port(n).Port().Unplug(); }

DisplayTap& Runner::Replug(int n) {
    // The old terminal's link goes with it, so the new one must come after.
    ports_[n].reset();
    return Port(n);
}

// A fresh console for the next program; what the last one left is gone.
Runner::ChildEnds Runner::OpenConsole(const Console& console) {
    if (Running()) throw std::runtime_error("a program runs already");
    CloseConsole();
    pid_ = -1;
    reaped_ = false;
    windows_ = false;
    result_ = ExitResult();
    raw_output_.clear();
    console_.clear();
    output_.clear();
    errors_.clear();
    output_start_ = 0;
    matched_up_to_ = 0;
    errors_matched_up_to_ = 0;

    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
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

void Runner::Start(const Program& program, const Console& console) {
    if (program.IsWindows()) return StartWindows(program, console);
    const ChildEnds ends = OpenConsole(console);
    std::vector<std::string> argv{program.path};
    argv.insert(argv.end(), program.args.begin(), program.args.end());

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // login_tty closes the slave it was given; the parent keeps its own.
        BecomeConsoleProgram(dir_->Path(), dup(slave_), ends.input, ends.output, ends.errors,
                             console);
        Exec(argv);
    }
    for (int fd : {ends.input, ends.output, ends.errors})
        if (fd >= 0) close(fd);
}

void Runner::StartFunction(const std::function<int()>& body, const Console& console) {
    const ChildEnds ends = OpenConsole(console);
    // Whatever the test's own streams hold must not be written twice.
    std::fflush(nullptr);
    std::cout.flush();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        BecomeConsoleProgram(dir_->Path(), dup(slave_), ends.input, ends.output, ends.errors,
                             console);
        // No exec closes the test's own ends here: the input pipe must end when the
        // test closes it.
        for (int fd : {input_, master_, slave_, output_fd_, errors_fd_})
            if (fd >= 0) close(fd);
        const int status = body();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(status);
    }
    for (int fd : {ends.input, ends.output, ends.errors})
        if (fd >= 0) close(fd);
}

ExitResult Runner::RunToEnd(const Program& program, const Console& console) {
    Start(program, console);
    return WaitExit();
}

ExitResult Runner::RunFunction(const std::function<int()>& body) {
    StartFunction(body, {Input::kNothing, false});
    return WaitExit();
}

// Typed at the prompt of `wine cmd` on a raw terminal: the one way its console gets
// single keys there. cmd then tells the exit status.
void Runner::StartWindows(const Program& program, const Console& console) {
    if (program.wine == nullptr) throw std::runtime_error("a Windows program needs a Wine prefix");
    // Wine's console takes all output; input is the console, or NUL.
    if (console.input == Input::kPipe)
        throw std::runtime_error("under Wine the input is the console, NUL or a file");
    OpenConsole(Console{Input::kTerminal, true, 022});
    windows_ = true;
    windows_prefix_ = program.wine;
    termios raw = initial_terminal_;
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    initial_terminal_ = raw;

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        BecomeConsoleProgram(dir_->Path(), dup(slave_), -1, -1, -1, console);
        Exec({"wine", "cmd"});
    }
    prompt_ = WinePrefix::WindowsPath(dir_->Path()) + ">";
    if (!WaitForOutput(prompt_, kCmdStartLimit)) return;  // every wait of the case then fails
    output_start_ = matched_up_to_;
    windows_program_ = BaseName(program.path);
    std::string line = "\"" + WinePrefix::WindowsPath(program.path) + "\"";
    for (const std::string& arg : program.args) line += " \"" + arg + "\"";
    if (console.input == Input::kNothing) line += " < NUL";
    if (console.input == Input::kFile) line += std::string(" < ") + console.input_file;
    Type(line + "\r");
}

void Runner::Type(const std::string& keys) {
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

void Runner::CloseInput() {
    if (input_ < 0) throw std::runtime_error("CloseInput needs pipe input");
    close(input_);
    input_ = -1;
}

void Runner::Pump() {
    const std::size_t before = raw_output_.size();
    DrainInto(master_, raw_output_);
    DrainInto(output_fd_, raw_output_);
    DrainInto(errors_fd_, errors_);
    if (raw_output_.size() == before) return;
    console_ = windows_ ? PlainText(raw_output_) : WithoutCarriageReturns(raw_output_);
    output_ = console_.substr(std::min(output_start_, console_.size()));
}

const std::string& Runner::Output() {
    Pump();
    return output_;
}

const std::string& Runner::Errors() {
    Pump();
    return errors_;
}

bool Runner::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    return WaitFor(text, limit, false);
}

bool Runner::WaitForErrors(const std::string& text, std::chrono::milliseconds limit) {
    return WaitFor(text, limit, !windows_);
}

bool Runner::WaitFor(const std::string& text, std::chrono::milliseconds limit, bool in_errors) {
    const auto deadline = Clock::now() + limit;
    std::size_t& matched = in_errors ? errors_matched_up_to_ : matched_up_to_;
    while (true) {
        Pump();
        const std::string& where = in_errors ? errors_ : console_;
        const std::size_t at = where.find(text, in_errors ? matched : std::max(matched, output_start_));
        if (at != std::string::npos) {
            matched = at + text.size();
            return true;
        }
        if (Clock::now() >= deadline) return false;
        pollfd readable[3] = {{master_, POLLIN, 0}, {output_fd_, POLLIN, 0}, {errors_fd_, POLLIN, 0}};
        poll(readable, 3, static_cast<int>(kPollStep.count()));
    }
}

termios Runner::TerminalSettings() const {
    termios settings{};
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0)
        throw std::runtime_error("cannot read the terminal's settings");
    return settings;
}

void Runner::Signal(int signal_number) {
    if (pid_ <= 0 || reaped_) return;
    const pid_t target = windows_ ? WindowsProgramPid() : pid_;
    if (target > 0) kill(target, signal_number);
}

pid_t Runner::WindowsProgramPid() const {
    return windows_prefix_ == nullptr ? -1 : windows_prefix_->ProcessNamed(windows_program_);
}

void Runner::Reap(int wait_status) {
    reaped_ = true;
    if (WIFEXITED(wait_status)) {
        result_.exited = true;
        result_.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        result_.signal = WTERMSIG(wait_status);
    }
}

bool Runner::Running() {
    if (pid_ <= 0 || reaped_) return false;
    int wait_status = 0;
    if (waitpid(pid_, &wait_status, WNOHANG) == pid_) Reap(wait_status);
    return !reaped_;
}

ExitResult Runner::WaitExit(std::chrono::milliseconds limit) {
    if (pid_ <= 0) throw std::runtime_error("the program was never started");
    if (windows_) return WaitWindowsExit(limit);
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

// The program has ended when cmd shows its prompt again; cmd is asked for the status.
ExitResult Runner::WaitWindowsExit(std::chrono::milliseconds limit) {
    ExitResult result;
    if (!WaitForOutput("\n" + prompt_, limit)) {
        result.timed_out = true;
        KillAndReap();
        return result;
    }
    const std::string mark = "KORVSTATUS=";
    Type("echo " + mark + "%ERRORLEVEL%\r");
    // The command line itself may wrap right before the mark; only the answer has a
    // number after it.
    std::size_t number_at = std::string::npos;
    while (number_at == std::string::npos) {
        if (!WaitForOutput("\n" + mark, limit) || !WaitForOutput("\n", limit)) {
            result.timed_out = true;
            KillAndReap();
            return result;
        }
        const std::size_t after_mark = console_.rfind("\n" + mark) + 1 + mark.size();
        if (std::string("-0123456789").find(console_[after_mark]) != std::string::npos)
            number_at = after_mark;
    }
    const long long code = std::atoll(console_.c_str() + number_at);
    result.exited = true;
    result.status = static_cast<int>(code & 0xFF);
    result.windows_status = code;
    Type("exit\r");
    const auto deadline = Clock::now() + limit;
    while (Running() && Clock::now() < deadline) std::this_thread::sleep_for(kPollStep);
    KillAndReap();
    return result;
}

// Under Wine the program outlives the cmd it was typed at, so it goes first.
void Runner::KillAndReap() {
    if (pid_ <= 0 || reaped_) return;
    if (windows_) Signal(SIGKILL);
    kill(pid_, SIGKILL);
    int wait_status = 0;
    while (waitpid(pid_, &wait_status, 0) < 0 && errno == EINTR) {
    }
    Reap(wait_status);
}

double Runner::CpuSeconds() const {
    const pid_t pid = windows_ ? WindowsProgramPid() : pid_;
    const double seconds = ProcessCpuSeconds(pid);
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
    const double cpu_after = CpuSeconds();
    const std::chrono::duration<double> wall = Clock::now() - start;
    return (cpu_after - cpu_before) / wall.count();
}

void BecomeAnOrdinaryUser() {
    if (geteuid() != 0) return;
    const uid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
        setresuid(nobody, nobody, nobody) != 0)
        _exit(kCannotDropPrivileges);
}

std::string ConfigBytes(int port, bool backlight_on) {
    std::string bytes = std::to_string(port);
    bytes.resize(3, '\0');
    bytes += backlight_on ? '1' : '0';
    bytes += '\0';
    return bytes;
}

}  // namespace korv::test
