#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

namespace korv::test {

// A fresh temporary directory made the working directory for the object's lifetime;
// the previous working directory is restored and the directory removed afterwards.
class ScratchWorkdir {
public:
    ScratchWorkdir();
    ~ScratchWorkdir();
    ScratchWorkdir(const ScratchWorkdir&) = delete;
    ScratchWorkdir& operator=(const ScratchWorkdir&) = delete;

    const std::string& Path() const { return path_; }

    // Files of the working directory, byte for byte.
    static void WriteFile(const std::string& name, const std::string& bytes);
    static bool ReadFile(const std::string& name, std::string& bytes);

private:
    std::string previous_;
    std::string path_;
};

// Runs `body` in a forked child whose standard input is a pipe the test types into
// and whose standard output the test reads, so that console code runs as it would
// in the program. The child inherits the working directory and open descriptors.
class ScriptedChild {
public:
    explicit ScriptedChild(const std::function<void()>& body);
    ~ScriptedChild();
    ScriptedChild(const ScriptedChild&) = delete;
    ScriptedChild& operator=(const ScriptedChild&) = delete;

    void Type(const std::string& text);
    // Standard input reaches its end.
    void EndInput();

    // Collects output until it holds `text` `times` times or `limit` passes.
    bool WaitForOutput(const std::string& text, int times = 1,
                       std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Collects output for `window`; true when the child is still running afterwards.
    bool StillRunningAfter(std::chrono::milliseconds window);
    // Waits for the child's end (killing it after `limit`); true when it ended by
    // itself with status 0.
    bool Finish(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // The child's exit status, or -1 when it did not exit normally.
    int ExitStatus() const { return exit_status_; }

    const std::string& Output() const { return output_; }

private:
    void Collect(std::chrono::milliseconds window);
    bool Reap(bool wait);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_fd_ = -1;
    bool ended_ = false;
    int exit_status_ = -1;
    std::string output_;
};

}  // namespace korv::test
