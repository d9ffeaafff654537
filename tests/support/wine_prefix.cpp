#include "tests/support/wine_prefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/personality.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tests/support/console_text.h"
#include "tests/support/runner.h"

namespace korv::test {
namespace {
constexpr std::chrono::seconds kBootLimit{180};
constexpr std::chrono::seconds kCmdStartLimit{60};

void StartLogged(ChildProcess& process, const std::vector<std::string>& argv, const std::string& log) {
    process.Start([&] {
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        if (in >= 0) dup2(in, STDIN_FILENO);
        Exec(argv);
    });
}

// Runs a command to its end, its output appended to `log`: true when it ended with 0.
bool RunLogged(const std::vector<std::string>& argv, const std::string& log, std::chrono::seconds limit) {
    ChildProcess process;
    StartLogged(process, argv, log);
    return process.Wait(limit).Succeeded();
}

// The kernel keeps the first 15 characters of a process's name, and Debian's server is
// "wineserver64".
bool IsNamed(const std::string& command, const std::string& name) {
    if (command.empty()) return false;
    return name.compare(0, command.size(), command) == 0 || command.compare(0, name.size(), name) == 0;
}
}  // namespace

WinePrefix::WinePrefix(std::string directory, std::string desktop_holder)
    : directory_(std::move(directory)), log_(directory_ + ".log"), desktop_holder_(std::move(desktop_holder)) {
    if (access(desktop_holder_.c_str(), R_OK) != 0) throw std::runtime_error("no desktop holder at " + desktop_holder_);
    if (mkdir(directory_.c_str(), 0755) != 0) throw std::runtime_error("cannot create the Wine prefix " + directory_);
    setenv("WINEPREFIX", directory_.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // No Mono or Gecko download prompts on a machine without them.
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    // Debian's Wine has no preloader to keep its Windows addresses free: its loader is
    // fixed at 0x7d000000, and the kernel places the C heap at random up to 1 GB above
    // it, now and then over 0x7ffe0000, where every Windows process needs its shared user
    // data ("failed to map the shared user data": cmd or the program never starts).
    // Everything started from here on is laid out without randomization.
    personality(personality(0xffffffff) | ADDR_NO_RANDOMIZE);
    StartServer(false);
}

// A persistent server, its output in the log: its background processes would otherwise
// hold the test's pipes open. A new prefix is booted before the desktop holder starts.
void WinePrefix::StartServer(bool booted) {
    if (!RunLogged({"wineserver", "-p"}, log_, std::chrono::seconds(30)))
        throw std::runtime_error("wineserver -p failed; see " + log_);
    running_ = true;
    if (!booted && !RunLogged({"wineboot", "-i"}, log_, kBootLimit)) {
        Stop();
        throw std::runtime_error("wineboot -i failed; see " + log_);
    }
    StartLogged(holder_, {"wine", desktop_holder_}, log_);
}

void WinePrefix::MapComPort(int n, const std::string& device) {
    const std::vector<std::string> add = {"wine", "reg", "add", "HKLM\\Software\\Wine\\Ports",
                                          "/v", "COM" + std::to_string(n), "/d", device, "/f"};
    if (!RunLogged(add, log_, std::chrono::seconds(60))) throw std::runtime_error("wine reg add failed; see " + log_);
    Stop();
    StartServer(true);
}

WinePrefix::~WinePrefix() { Stop(); }

void WinePrefix::Stop() {
    if (!running_) return;
    running_ = false;
    RunLogged({"wineserver", "-k"}, log_, std::chrono::seconds(30));
    RunLogged({"wineserver", "-w"}, log_, std::chrono::seconds(30));
    // The server took the holder with it; only its exit is left to collect.
    holder_.Kill();
}

bool WinePrefix::Runs(pid_t pid) const {
    std::ifstream environment("/proc/" + std::to_string(pid) + "/environ");
    const std::string mine = "WINEPREFIX=" + directory_;
    for (std::string entry; std::getline(environment, entry, '\0');)
        if (entry == mine) return true;
    return false;
}

pid_t WinePrefix::ProcessNamed(const std::string& name) const {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return -1;
    pid_t found = -1;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) continue;
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string command;
        std::getline(comm, command);
        if (IsNamed(command, name) && Runs(pid)) found = pid;
    }
    closedir(proc);
    return found;
}

std::string WinePrefix::DosDevice(const std::string& name) const { return directory_ + "/dosdevices/" + name; }

std::string WinePrefix::WindowsPath(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

// Typed at the prompt of `wine cmd` on a raw terminal: the one way its console gets
// single keys there. cmd then tells the exit status. Wine itself now and then fails to
// start cmd or the program; such a start is told in the test's output and made once more.
void Runner::StartWindows(const Program& program, const Console& console) {
    if (program.wine == nullptr) throw std::runtime_error("a Windows program needs a Wine prefix");
    if (console.input == Input::kPipe)
        throw std::runtime_error("under Wine the input is the console, NUL or a file");
    windows_program_ = std::filesystem::path(program.path).filename().string();
    std::string line = "\"" + WinePrefix::WindowsPath(program.path) + "\"";
    for (const std::string& arg : program.args) line += " \"" + arg + "\"";
    if (console.input == Input::kNothing) line += " < NUL";
    if (console.input == Input::kFile) line += std::string(" < ") + console.input_file;
    for (int attempt = 1;; ++attempt) {
        const std::string failure = StartAtCmd(program.wine, console, line);
        if (failure.empty()) return;
        if (attempt == 2) {
            ADD_FAILURE() << "Wine failed again to start " << windows_program_ << ": " << failure;
            return;  // every wait of the case then fails
        }
        std::printf("[ WINE     ] Wine failed to start %s: %s\n[ WINE     ] starting it again\n",
                    windows_program_.c_str(), failure.c_str());
        std::fflush(stdout);
        KillAll();
    }
}

// Empty once the program runs or has run; otherwise what shows that Wine did not start it.
std::string Runner::StartAtCmd(const WinePrefix* wine, const Console& console, const std::string& line) {
    // Wine's own console takes the standard streams: the error pipe goes unused.
    close(OpenConsole(Console{}).errors);
    windows_ = true;
    windows_prefix_ = wine;
    termios raw = initial_terminal_;
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    initial_terminal_ = raw;
    StartChild(console, ChildEnds{}, [] { Exec({"wine", "cmd"}); });

    prompt_ = WinePrefix::WindowsPath(Dir().Path()) + ">";
    if (!WaitForOutput(prompt_, kCmdStartLimit)) return "cmd never showed its prompt; console:\n" + text_.shown;
    text_.output_start = text_.matched_up_to;
    Type(line + "\r");
    // Its process in the prefix shows that it started. cmd's prompt back first: it has
    // ended already, or cmd could not start it, which cmd says.
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (WindowsProgramPid() <= 0) {
        Pump();
        if (text_.shown.find("\n" + prompt_, text_.output_start) != std::string::npos) {
            if (Unwrapped(text_.output).find("as an internal or external command") == std::string::npos) return "";
            return "cmd could not start it; console:\n" + text_.output;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return "its process never appeared; console:\n" + text_.output;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

pid_t Runner::WindowsProgramPid() const {
    return windows_prefix_ == nullptr ? -1 : windows_prefix_->ProcessNamed(windows_program_);
}

// The program has ended when cmd shows its prompt again; cmd is asked for the status.
ExitResult Runner::WaitWindowsExit(std::chrono::milliseconds limit) {
    ExitResult result;
    result.timed_out = true;
    if (!WaitForOutput("\n" + prompt_, limit)) {
        KillAll();
        return result;
    }
    const std::string mark = "KORVSTATUS=";
    Type("echo " + mark + "%ERRORLEVEL%\r");
    // The command line itself may wrap right before the mark; only the answer has a
    // number after it.
    std::size_t number_at = std::string::npos;
    while (number_at == std::string::npos) {
        if (!WaitForOutput("\n" + mark, limit) || !WaitForOutput("\n", limit)) {
            KillAll();
            return result;
        }
        const std::size_t after_mark = text_.shown.rfind("\n" + mark) + 1 + mark.size();
        if (std::string("-0123456789").find(text_.shown[after_mark]) != std::string::npos)
            number_at = after_mark;
    }
    const long long code = std::atoll(text_.shown.c_str() + number_at);
    result.timed_out = false;
    result.exited = true;
    result.status = static_cast<int>(code & 0xFF);
    Type("exit\r");
    child_.Wait(limit);
    KillAll();
    return result;
}
}  // namespace korv::test
