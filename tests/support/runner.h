#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/pty_port.h"
#include "tests/support/temp_dir.h"
#include "pole/record_format.h"
#include "tools/record_writer.h"

namespace korv::test {

class WinePrefix;

// A built program and its arguments. A path ending in ".exe" runs under Wine, which
// needs the prefix to run it in.
struct Program {
    std::string path;
    std::vector<std::string> args;
    WinePrefix* wine = nullptr;

    // The korvpole of this build; its tools next to it.
    static Program Korvpole();
    static Program Tool(const std::string& name, std::vector<std::string> args = {});
    bool IsWindows() const;
};

// How the program's console is connected. It always has a pseudo-terminal of its own as
// its controlling terminal; standard input and output are that terminal unless told
// otherwise, standard error is a pipe of its own (under Wine the console takes all).
enum class Input {
    kTerminal,  // the console, as at a shop counter
    kPipe,      // a pipe the test types into and may close (not under Wine)
    kNothing,   // /dev/null (under Wine NUL): input that has ended before the start
    kFile,      // Console::input_file in the working folder
};

struct Console {
    Input input = Input::kTerminal;
    bool output_to_terminal = true;  // false: standard output is a pipe, as in a script
                                     // (under Wine the console takes all output)
    mode_t umask = 022;
    // Bytes a file may grow to, as on a full disk; a write past it fails instead of
    // ending the program. Negative: no limit.
    long file_size_limit = -1;
    // Runs as an ordinary user, as BecomeAnOrdinaryUser makes it: what the superuser may
    // open regardless is then refused as at a shop's own login.
    bool ordinary_user = false;
    const char* input_file = "";  // with Input::kFile
};

// A tool in a script: its input ended, its output a pipe.
inline constexpr Console kScripted{Input::kNothing, false};

struct ExitResult {
    bool timed_out = false;  // still running at the deadline: killed
    bool exited = false;     // ended by exit; `status` holds its 8 bits
    int status = -1;
    int signal = 0;          // the signal that ended it, when not exited
    // Under Wine: the whole exit code cmd reports (-1073741510 for 0xC000013A), whose
    // low 8 bits `status` holds.
    long long windows_status = 0;
    bool Succeeded() const { return exited && status == 0; }
    std::string Describe() const;
};

// Runs one program under test as a user would: in a fresh temporary working folder
// with a pseudo-terminal of its own as its console, its COM ports pseudo-terminals whose
// bytes the display model decodes, and POLE.DAT written in place as a till writes it.
// The program may also be a function run in a forked child, for code tested in
// process. Whatever still runs at the end is killed, and the folder removed.
class Runner {
public:
    static constexpr std::chrono::milliseconds kWait{10000};

    Runner();
    // A second runner in the same folder, for programs that run side by side.
    explicit Runner(std::shared_ptr<const TempDir> dir);
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // --- The working folder and what lies in it
    const TempDir& Dir() const { return *dir_; }
    std::shared_ptr<const TempDir> SharedDir() const { return dir_; }
    std::string PathOf(const std::string& name) const { return *dir_ / name; }
    void WriteConfig(int port, bool backlight_on) const;
    void WriteRecord(const PoleRecordFields& fields) const;
    void WriteRecordBytes(std::size_t offset, const std::string& bytes) const;
    void TruncateRecord(std::size_t length) const;

    // COM port n: a pseudo-terminal linked as COM<n> in the folder (under Wine as the
    // prefix's com<n>), made on first use. Unplug leaves the link dangling, as a pulled
    // adapter does; Replug puts a new terminal behind the name.
    DisplayTap& Port(int n);
    void Unplug(int n);
    DisplayTap& Replug(int n);
    // The link a port gets, before it is made.
    std::string PortLink(int n) const;
    // Runs under Wine: COM ports are made in this prefix.
    void UseWine(WinePrefix* wine) { wine_ = wine; }

    // --- Starting; once a program has ended, the next may start.
    void Start(const Program& program = Program::Korvpole(), const Console& console = {});
    // `body` in a forked child working in the folder, with the same console; its result
    // is the exit status. RunFunction also waits for the end.
    void StartFunction(const std::function<int()>& body, const Console& console = {Input::kPipe});
    ExitResult RunFunction(const std::function<int()>& body);
    // Start, then WaitExit.
    ExitResult RunToEnd(const Program& program, const Console& console = kScripted);
    pid_t Pid() const { return pid_; }

    // --- The console
    void Type(const std::string& keys);
    void CloseInput();
    // Takes in what the program has written so far, without waiting.
    void Pump();
    // Standard output as a reader sees it ("\r\n" read as "\n"; under Wine also without
    // the console's control sequences).
    const std::string& Output();
    const std::string& Errors();
    // Waits until `text` appears after the end of the previous successful wait, so that
    // repeated texts are matched in turn.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit = kWait);
    // The same for standard error (under Wine the console, as WaitForOutput).
    bool WaitForErrors(const std::string& text, std::chrono::milliseconds limit = kWait);
    termios TerminalSettings() const;
    const termios& InitialTerminalSettings() const { return initial_terminal_; }

    // --- The end
    // Under Wine the signal goes to the Windows program's own process.
    void Signal(int signal_number);
    ExitResult WaitExit(std::chrono::milliseconds limit = kWait);
    bool Running();

    // User plus system time the program has used so far, in seconds.
    double CpuSeconds() const;
    // The share of one core the program used over `window` (0.0 to 1.0 and beyond).
    double CpuShareOver(std::chrono::milliseconds window);

private:
    struct ChildEnds {
        int input = -1;
        int output = -1;
        int errors = -1;
    };
    ChildEnds OpenConsole(const Console& console);
    void CloseConsole();
    void StartWindows(const Program& program, const Console& console);
    ExitResult WaitWindowsExit(std::chrono::milliseconds limit);
    pid_t WindowsProgramPid() const;
    bool WaitFor(const std::string& text, std::chrono::milliseconds limit, bool in_errors);
    void Reap(int wait_status);
    void KillAndReap();

    std::shared_ptr<const TempDir> dir_;
    WinePrefix* wine_ = nullptr;
    std::map<int, std::unique_ptr<DisplayTap>> ports_;
    pid_t pid_ = -1;
    bool windows_ = false;
    bool reaped_ = false;
    ExitResult result_;
    int master_ = -1;
    int slave_ = -1;      // the test's own hold on the console
    int input_ = -1;      // write end of the input pipe
    int output_fd_ = -1;  // read end of the standard output pipe, when not the terminal
    int errors_fd_ = -1;  // read end of the standard error pipe
    termios initial_terminal_{};
    std::string raw_output_;
    std::string console_;  // all the console shows, as text
    std::string output_;   // the program's part of it
    std::string errors_;
    std::size_t output_start_ = 0;  // under Wine: where the program's own output begins
    std::size_t matched_up_to_ = 0;
    std::size_t errors_matched_up_to_ = 0;
    std::string prompt_;            // cmd's prompt, under Wine
    std::string windows_program_;   // the program's file name, under Wine
    const WinePrefix* windows_prefix_ = nullptr;  // where it runs
};

// User plus system time of a Linux process so far, in seconds; negative when it is gone.
double ProcessCpuSeconds(pid_t pid);

// What a forked function, or a program started as an ordinary user, ends with when
// BecomeAnOrdinaryUser could not give up root.
inline constexpr int kCannotDropPrivileges = 77;

// In a forked child only: the superuser writes read-only files all the same, so it
// becomes uid and gid 65534, or ends with kCannotDropPrivileges. Others stay as they are.
void BecomeAnOrdinaryUser();

// KORVPOLE.CFG as the setup dialogue writes it: the port text, NULs, then '1' for the
// backlight on ('0' for off) and a NUL.
std::string ConfigBytes(int port, bool backlight_on);

}  // namespace korv::test
