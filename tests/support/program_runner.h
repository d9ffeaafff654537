#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace korv::test {

// How the program's standard input is connected. Its standard output is always the
// pseudo-terminal, its standard error always a pipe of its own.
enum class Input {
    kTerminal,  // the pseudo-terminal, as at a shop counter
    kPipe,      // a pipe the test writes keys into and may close
};

// How a run ended.
struct ExitResult {
    bool timed_out = false;  // still running at the deadline: killed
    bool exited = false;     // ended by exit; `status` holds its 8 bits
    int status = -1;
    int signal = 0;          // the signal that ended it, when not exited
    std::string Describe() const;
};

// Runs the built korvpole as a user would: in a fresh temporary working directory
// (removed afterwards) with a pseudo-terminal of its own as its console. The test
// keeps the terminal's slave side open too, so the program's terminal settings can
// be read at any moment, also after it has ended. A program still running when the
// runner goes away is killed, so a hung program fails its test instead of ctest.
class ProgramRunner {
public:
    static constexpr std::chrono::milliseconds kWait{10000};

    ProgramRunner();
    ~ProgramRunner();
    ProgramRunner(const ProgramRunner&) = delete;
    ProgramRunner& operator=(const ProgramRunner&) = delete;

    // The working directory, and a name in it.
    const std::string& Dir() const { return dir_; }
    std::string PathOf(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& bytes) const;

    // Starts the program; `umask` is the one it runs with.
    void Start(Input input = Input::kTerminal, mode_t umask = 022);
    pid_t Pid() const { return pid_; }

    // Keys for the program: onto the terminal, or into the pipe.
    void Type(const std::string& keys);
    // The pipe's end: the program sees its input end. Pipe input only.
    void CloseInput();

    // Takes in what the program has written so far, without waiting.
    void Pump();
    // Standard output as the program wrote it ("\r\n" of the terminal read as "\n").
    const std::string& Output();
    const std::string& Errors();
    // Waits until `text` appears after the end of the previous successful wait, so a
    // dialogue's repeated texts are matched in turn.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit = kWait);

    // The terminal's settings as the program sees them now, and as it got them.
    termios TerminalSettings() const;
    const termios& InitialTerminalSettings() const { return initial_terminal_; }

    void Signal(int signal_number);
    // Waits for the end, draining output meanwhile; kills the program at the deadline.
    ExitResult WaitExit(std::chrono::milliseconds limit = kWait);
    bool Running();

    // User plus system time the running program has used, in seconds.
    double CpuSeconds() const;
    // The share of one core the program used over `window` (0.0 to 1.0 and beyond).
    double CpuShareOver(std::chrono::milliseconds window);

private:
    void Reap(int wait_status);
    void KillAndReap();
    static void DrainInto(int fd, std::string& text);

    std::string dir_;
    pid_t pid_ = -1;
    bool reaped_ = false;
    ExitResult result_;
    int master_ = -1;
    int slave_ = -1;       // the test's own hold on the console
    int input_ = -1;       // write end of the input pipe
    int errors_fd_ = -1;   // read end of the standard error pipe
    termios initial_terminal_{};
    std::string raw_output_;
    std::string output_;
    std::string errors_;
    std::size_t matched_up_to_ = 0;
};

// KORVPOLE.CFG as the setup dialogue writes it: the port text, NULs, then '1' for
// the backlight on ('0' for off) and a NUL.
std::string ConfigBytes(int port, bool backlight_on);

}  // namespace korv::test
