#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// The programs under test, and the one way the tests start a process: a fork whose
// child runs a function that execs or ends with _exit.
namespace korv::test {
class WinePrefix;

// A built program and its arguments; a path ending in ".exe" runs under Wine, in `wine`.
struct Program {
    std::string path;
    std::vector<std::string> args;
    WinePrefix* wine = nullptr;

    // As under test: this build's, or the .exe files of a Windows build (TestWindowsBuild).
    static Program Korvpole(std::vector<std::string> args = {});
    static Program Tool(const std::string& name, std::vector<std::string> args = {});
    static Program ThisBuild(const std::string& name, std::vector<std::string> args = {});  // whatever is tested
    bool IsWindows() const;
};

// From now on Program::Korvpole and Program::Tool are the .exe files in `folder`, in `wine`.
void TestWindowsBuild(const std::string& folder, WinePrefix* wine);

struct ExitResult {
    bool timed_out = false;  // still running at the deadline: killed
    bool exited = false;     // ended by exit; `status` holds its 8 bits
    int status = -1;
    int signal = 0;          // the signal that ended it, when not exited
    bool Succeeded() const { return exited && status == 0; }
    std::string Describe() const;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The child runs `in_child`, which must not return.
    void Start(const std::function<void()>& in_child);
    bool Running();
    // Up to `limit`, calling `meanwhile` between looks; killed at the deadline.
    ExitResult Wait(std::chrono::milliseconds limit, const std::function<void()>& meanwhile = {});
    void Kill();
    pid_t Pid() const { return pid_; }

private:
    void Reap(int wait_status);

    pid_t pid_ = -1;
    bool reaped_ = false;
    ExitResult result_;
};

// In a child: replaces it with `argv`, found on PATH; 127 when that fails.
[[noreturn]] void Exec(const std::vector<std::string>& argv);

// User plus system time of a Linux process so far, in seconds; negative when it is gone.
double ProcessCpuSeconds(pid_t pid);

// What a child ends with when BecomeAnOrdinaryUser could not give up root.
inline constexpr int kCannotDropPrivileges = 77;

// In a child only: the superuser writes read-only files all the same, so it becomes
// uid and gid 65534, or ends with kCannotDropPrivileges. Others stay as they are.
void BecomeAnOrdinaryUser();
}  // namespace korv::test
