#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "pole/record_format.h"
#include "tests/support/process.h"
#include "tests/support/pty_port.h"
#include "tests/support/temp_dir.h"

namespace korv::test {
// A fresh temporary working folder as a counter has it, removed at the end with all it
// holds: KORVPOLE.CFG, POLE.DAT written in place as a till writes it, and COM ports
// that are pseudo-terminals whose bytes the display model decodes.
class WorkingFolder {
public:
    WorkingFolder();
    explicit WorkingFolder(std::shared_ptr<const TempDir> dir);  // shared, for programs side by side

    const TempDir& Dir() const { return *dir_; }
    std::shared_ptr<const TempDir> SharedDir() const { return dir_; }
    std::string PathOf(const std::string& name) const { return *dir_ / name; }
    void WriteConfig(int port, bool backlight_on) const;
    void WriteRecord(const PoleRecordFields& fields) const;
    void WriteRecordBytes(std::size_t offset, const std::string& bytes) const;
    void TruncateRecord(std::size_t length) const;

    // COM port n: a pseudo-terminal linked as COM<n> in the folder (under Wine as the
    // prefix's com<n>), made on first use with the display model of `kind` and `rom`.
    // Replug puts a new terminal behind a link that PtyPort::Unplug left dangling.
    DisplayTap& Port(int n, DisplayKind kind = DisplayKind::kLcd,
                     charset::CharacterRom rom = charset::CharacterRom::kA00);
    DisplayTap& Replug(int n);
    std::string PortLink(int n) const;                // before the port is made
    void UseWine(WinePrefix* wine) { wine_ = wine; }  // COM ports in its prefix

private:
    std::shared_ptr<const TempDir> dir_;
    WinePrefix* wine_ = nullptr;
    std::map<int, std::unique_ptr<DisplayTap>> ports_;
};

// KORVPOLE.CFG as the setup dialogue writes it: the port text, NULs, then '1' for the
// backlight on ('0' for off) and a NUL.
std::string ConfigBytes(int port, bool backlight_on);

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
    // Runs as an ordinary user, as BecomeAnOrdinaryUser makes it: what the superuser may
    // open regardless is then refused as at a shop's own login.
    bool ordinary_user = false;
    const char* input_file = "";  // with Input::kFile
};

// A tool in a script: its input ended, its output a pipe.
inline constexpr Console kScripted{Input::kNothing, false};

// Runs one program under test as a user would: in its working folder, with a
// pseudo-terminal of its own as its console; or a function in a forked child, for code
// tested in process. Whatever still runs at the end is killed.
class Runner : public WorkingFolder {
public:
    // Generous: a loaded two-core machine under Wine may be slow, but never this slow.
    static constexpr std::chrono::milliseconds kWait{30000};

    using WorkingFolder::WorkingFolder;
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // Once a program has ended, the next may start.
    void Start(const Program& program = Program::Korvpole(), const Console& console = {});
    // `body` in a forked child in the folder, on such a console; its result is the status.
    void StartFunction(const std::function<int()>& body, const Console& console = {Input::kPipe});
    ExitResult RunFunction(const std::function<int()>& body) {
        StartFunction(body, kScripted);
        return WaitExit();
    }
    ExitResult RunToEnd(const Program& program, const Console& console = kScripted) {
        Start(program, console);
        return WaitExit();
    }
    pid_t Pid() const { return child_.Pid(); }

    void Type(const std::string& keys);
    void CloseInput();
    void Pump();  // takes in what the program has written so far, without waiting
    // Standard output as read: "\r\n" as "\n", under Wine without control sequences.
    const std::string& Output();
    const std::string& Errors();  // under Wine, whose console takes both, all it printed
    // Waits for `text` after what the last successful wait found: repeated texts in turn.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit = kWait);
    termios TerminalSettings() const;
    const termios& InitialTerminalSettings() const { return initial_terminal_; }

    void Signal(int signal_number);  // under Wine to the Windows program's own process
    ExitResult WaitExit(std::chrono::milliseconds limit = kWait);
    bool Running() { return child_.Running(); }
    double CpuSeconds() const;  // user plus system time so far, in seconds
    // The share of one core the program used over `window` (0.0 to 1.0 and beyond).
    double CpuShareOver(std::chrono::milliseconds window);

private:
    struct ChildEnds {
        int input = -1, output = -1, errors = -1;
    };
    ChildEnds OpenConsole(const Console& console);
    void CloseConsole();
    void StartChild(const Console& console, const ChildEnds& ends, const std::function<void()>& then);
    // Under Wine (tests/support/wine_prefix.cpp): typed at `wine cmd`.
    void StartWindows(const Program& program, const Console& console);
    std::string StartAtCmd(const WinePrefix* wine, const Console& console, const std::string& line);
    ExitResult WaitWindowsExit(std::chrono::milliseconds limit);
    pid_t WindowsProgramPid() const;
    void KillAll();

    ChildProcess child_;
    bool windows_ = false;
    int master_ = -1;
    int slave_ = -1;      // the test's own hold on the console
    int input_ = -1;      // write end of the input pipe
    int output_fd_ = -1;  // read end of the standard output pipe, when not the terminal
    int errors_fd_ = -1;  // read end of the standard error pipe
    termios initial_terminal_{};
    struct {
        std::string raw;
        std::string shown;   // all the console shows, as text
        std::string output;  // the program's part of it
        std::string errors;
        std::size_t output_start = 0;  // under Wine: where the program's own output begins
        std::size_t matched_up_to = 0;
    } text_;
    std::string prompt_;            // cmd's prompt, under Wine
    std::string windows_program_;   // the program's file name, under Wine
    const WinePrefix* windows_prefix_ = nullptr;  // where it runs
};
}  // namespace korv::test
