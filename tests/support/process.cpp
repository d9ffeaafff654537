#include "tests/support/process.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef KORV_BUILD_DIR
#error "KORV_BUILD_DIR must name the folder of the built programs"
#endif

namespace korv::test {
namespace {
std::string g_windows_folder;
WinePrefix* g_wine = nullptr;
}  // namespace

Program Program::Korvpole(std::vector<std::string> args) { return Tool("korvpole", std::move(args)); }

Program Program::Tool(const std::string& name, std::vector<std::string> args) {
    if (g_windows_folder.empty()) return ThisBuild(name, std::move(args));
    return {g_windows_folder + "/" + name + ".exe", std::move(args), g_wine};
}

Program Program::ThisBuild(const std::string& name, std::vector<std::string> args) {
    return {std::string(KORV_BUILD_DIR) + "/" + name, std::move(args), nullptr};
}

bool Program::IsWindows() const { return path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0; }

void TestWindowsBuild(const std::string& folder, WinePrefix* wine) {
    g_windows_folder = folder;
    g_wine = wine;
}

std::string ExitResult::Describe() const {
    std::ostringstream text;
    if (timed_out) text << "timed out and killed; ";
    if (exited) text << "exited with status " << status;
    else text << "ended by signal " << signal;
    return text.str();
}

void ChildProcess::Start(const std::function<void()>& in_child) {
    if (Running()) throw std::runtime_error("a process runs already");
    reaped_ = false;
    result_ = ExitResult();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        in_child();
        _exit(126);
    }
}

bool ChildProcess::Running() {
    if (pid_ <= 0 || reaped_) return false;
    int wait_status = 0;
    if (waitpid(pid_, &wait_status, WNOHANG) != pid_) return true;
    Reap(wait_status);
    return false;
}

void ChildProcess::Reap(int wait_status) {
    reaped_ = true;
    if (WIFEXITED(wait_status)) {
        result_.exited = true;
        result_.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        result_.signal = WTERMSIG(wait_status);
    }
}

ExitResult ChildProcess::Wait(std::chrono::milliseconds limit, const std::function<void()>& meanwhile) {
    if (pid_ <= 0) throw std::runtime_error("the process was never started");
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Running()) {
        if (meanwhile) meanwhile();
        if (std::chrono::steady_clock::now() >= deadline) {
            Kill();
            result_.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return result_;
}

void ChildProcess::Kill() {
    if (!Running()) return;
    kill(pid_, SIGKILL);
    int wait_status = 0;
    while (waitpid(pid_, &wait_status, 0) < 0 && errno == EINTR) {
    }
    Reap(wait_status);
}

void Exec(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

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

void BecomeAnOrdinaryUser() {
    if (geteuid() != 0) return;
    const uid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 || setresuid(nobody, nobody, nobody) != 0)
        _exit(kCannotDropPrivileges);
}
}  // namespace korv::test
