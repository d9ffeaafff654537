#include "tests/support/wine_prefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tests/support/runner.h"
#include "tests/support/temp_dir.h"

namespace korv::test {

namespace {

constexpr std::chrono::seconds kBootLimit{180};

// Starts a command with its output appended to `log` and no input; its process id,
// or -1 when it cannot be started.
pid_t SpawnLogged(const std::vector<std::string>& argv, const std::string& log) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
    }
    if (in >= 0) dup2(in, STDIN_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Runs a command with its output appended to `log`; its exit status, or -1 when it
// ran past `limit` (it is killed then).
int RunLogged(const std::vector<std::string>& argv, const std::string& log,
              std::chrono::seconds limit) {
    const pid_t pid = SpawnLogged(argv, log);
    if (pid < 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (true) {
        const pid_t reaped = waitpid(pid, &status, WNOHANG);
        if (reaped == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (reaped < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The kernel keeps the first 15 characters of a process's name, and Debian's server is
// "wineserver64".
bool IsNamed(const std::string& command, const std::string& name) {
    if (command.empty()) return false;
    return name.compare(0, command.size(), command) == 0 ||
           command.compare(0, name.size(), name) == 0;
}

}  // namespace

WinePrefix::WinePrefix(std::string directory, std::string desktop_holder)
    : directory_(std::move(directory)) {
    if (mkdir(directory_.c_str(), 0755) != 0)
        throw std::runtime_error("cannot create the Wine prefix " + directory_);
    setenv("WINEPREFIX", directory_.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // No Mono or Gecko download prompts on a machine without them.
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");

    const std::string log = directory_ + ".log";
    // A persistent server started first, its output in the log: its background
    // processes would otherwise hold the test's pipes open.
    if (RunLogged({"wineserver", "-p"}, log, std::chrono::seconds(30)) != 0)
        throw std::runtime_error("wineserver -p failed; see " + log);
    running_ = true;
    if (RunLogged({"wineboot", "-i"}, log, kBootLimit) != 0) {
        Stop();
        throw std::runtime_error("wineboot -i failed; see " + log);
    }
    desktop_holder_ = desktop_holder;
    StartDesktopHolder(desktop_holder);
}

void WinePrefix::MapComPort(int n, const std::string& device) {
    const std::string log = directory_ + ".log";
    const std::string name = "COM" + std::to_string(n);
    const std::vector<std::string> add = {"wine", "reg", "add", "HKLM\\Software\\Wine\\Ports",
                                          "/v", name, "/d", device, "/f"};
    if (RunLogged(add, log, std::chrono::seconds(60)) != 0)
        throw std::runtime_error("wine reg add failed; see " + log);
    Stop();
    if (RunLogged({"wineserver", "-p"}, log, std::chrono::seconds(30)) != 0)
        throw std::runtime_error("wineserver -p failed; see " + log);
    running_ = true;
    StartDesktopHolder(desktop_holder_);
}

void WinePrefix::StartDesktopHolder(const std::string& holder) {
    if (access(holder.c_str(), R_OK) != 0) {
        Stop();
        throw std::runtime_error("no desktop holder at " + holder);
    }
    holder_ = SpawnLogged({"wine", holder}, directory_ + ".log");
    if (holder_ < 0) {
        Stop();
        throw std::runtime_error("cannot start the desktop holder");
    }
}

WinePrefix::~WinePrefix() { Stop(); }

void WinePrefix::Stop() {
    if (!running_) return;
    running_ = false;
    RunLogged({"wineserver", "-k"}, directory_ + ".log", std::chrono::seconds(30));
    RunLogged({"wineserver", "-w"}, directory_ + ".log", std::chrono::seconds(30));
    // The server took the holder with it; only its exit is left to collect.
    if (holder_ > 0) {
        kill(holder_, SIGKILL);
        while (waitpid(holder_, nullptr, 0) < 0 && errno == EINTR) {
        }
        holder_ = -1;
    }
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

std::string WinePrefix::DosDevice(const std::string& name) const {
    return directory_ + "/dosdevices/" + name;
}

std::string WinePrefix::WindowsPath(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

int RunAllTestsUnderWine(const std::vector<Program*>& programs, const std::string& desktop_holder) {
    TempDir root;
    std::unique_ptr<WinePrefix> wine;
    try {
        wine = std::make_unique<WinePrefix>(root / "prefix", desktop_holder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot set up Wine: %s\n", error.what());
        return 1;
    }
    for (Program* program : programs) program->wine = wine.get();
    const int result = RUN_ALL_TESTS();
    wine->Stop();
    return result;
}

}  // namespace korv::test
