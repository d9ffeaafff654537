// Test-only: starts a program on this console and types into that console the way a
// keyboard does, with console input records at scripted moments.
//
//   korv-key-injector [--status FILE] SCRIPT PROGRAM [ARGUMENT...]
//
// PROGRAM runs on the injector's console with the console's input as its standard
// input, whatever the injector's own standard input is, and with the injector's
// standard output and error. Without a console the injector makes one; under Wine that
// one takes no input records, so there run the injector on a terminal (a
// pseudo-terminal will do): Wine's console then draws on it and the records written
// here are what the program reads.
//
// SCRIPT is read line by line while PROGRAM runs. At its end the injector waits for
// more lines, so a test may append to the file as it goes. It stops when PROGRAM has
// ended, also in the middle of a wait; the rest of the script is skipped. A step that
// fails (e.g. ctrl-break under Wine 8, which cannot raise it) is reported on standard
// error and the script goes on.
//
// The injector exits with PROGRAM's exit status; 125 for bad arguments or a bad
// script line (PROGRAM is then ended with status 125); 126 when PROGRAM cannot be
// started. Wine hands Linux the status's low 8 bits: a program ended by Ctrl+C
// (0xC000013A) shows as 58. With --status, the whole status is also written to FILE,
// in decimal (-1073741510 for 0xC000013A): under Wine 8 a program ended in the middle
// of a console line read leaves the console without a working reader, so the command
// interpreter cannot be asked for it then.
//
// Script lines; numbers in decimal or 0x hex; # begins a comment:
//   down  VK SCAN CHAR [STATE [REPEAT]]  a key-down record
//   up    VK SCAN CHAR [STATE [REPEAT]]  a key-up record
//   press VK SCAN CHAR [STATE]           a key-down record, then its key-up
//     CHAR   the UTF-16 character: a number, or 'c' for a printable ASCII c
//     STATE  the control-key state: a number, or names joined by + from shift, lctrl,
//            rctrl, lalt, ralt, enhanced, numlock, capslock, scrolllock (0: none)
//     REPEAT the repeat count, 1 unless given
//   focus                                 a focus record
//   mouse                                 a mouse-move record
//   size                                  a buffer-size record
//   wait MS                               pause MS milliseconds
//   ctrl-c                                GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)
//   ctrl-break                            GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0)
// The two control events go to the processes of the injector's console and process
// group; the injector itself ignores them. So that they reach PROGRAM and not the
// command interpreter the injector was started from (Wine's cmd ends on Ctrl+C, also
// while it waits for a program), the injector starts itself again as the leader of a
// process group of its own, with Ctrl+C enabled, and that copy starts PROGRAM.
//
// Example: Delete, a lone Shift, then x:
//   press 0x2E 0x53 0 enhanced
//   down 0x10 0x2A 0 shift
//   up 0x10 0x2A 0
//   wait 100
//   press 0x58 0x2D 'x'
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/key_script.h"

namespace {

constexpr int kBadUsage = 125;
constexpr int kCannotStart = 126;
constexpr DWORD kScriptPollMs = 10;
// The first argument of the copy that leads the program's process group.
constexpr const char* kGroupLeader = "--group-leader";
constexpr const char* kStatusOption = "--status";

BOOL WINAPI IgnoreControlEvents(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

HANDLE Inheritable(HANDLE handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return handle;
}

HANDLE OpenConsoleInput() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, OPEN_EXISTING, 0, nullptr);
}

HANDLE ConsoleInput() {
    HANDLE input = OpenConsoleInput();
    if (input != INVALID_HANDLE_VALUE) return input;
    // Wine leaves a program started off a terminal half attached to no console, and
    // AllocConsole refuses until that is undone.
    FreeConsole();
    if (!AllocConsole()) return INVALID_HANDLE_VALUE;
    return OpenConsoleInput();
}

// The command-line quoting that CommandLineToArgvW and the C runtime undo.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string CommandLine(char** argv) {
    std::string command_line;
    for (char** argument = argv; *argument != nullptr; ++argument)
        command_line += (command_line.empty() ? "" : " ") + Quoted(*argument);
    return command_line;
}

bool StartProgram(char** argv, HANDLE console_input, PROCESS_INFORMATION& process) {
    std::string command_line = CommandLine(argv);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = console_input;
    startup.hStdOutput = Inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
    startup.hStdError = Inheritable(GetStdHandle(STD_ERROR_HANDLE));
    return CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process) != 0;
}

bool Ended(HANDLE process, DWORD wait_ms) { return WaitForSingleObject(process, wait_ms) == WAIT_OBJECT_0; }

// The next whole line of a script that may still grow; false once the program ended
// before one was complete.
bool NextLine(std::FILE* script, HANDLE process, std::string& line) {
    line.clear();
    while (true) {
        const int c = std::fgetc(script);
        if (c == '\n') return true;
        if (c != EOF) {
            if (c != '\r') line += static_cast<char>(c);
            continue;
        }
        // A seek where it stands: Wine's runtime reads nothing more from a file that
        // once hit its end until the file is sought.
        std::clearerr(script);
        std::fseek(script, 0, SEEK_CUR);
        if (Ended(process, kScriptPollMs)) return false;
    }
}

bool Perform(const korv::test::ScriptStep& step, HANDLE console_input, HANDLE process) {
    using Kind = korv::test::ScriptStep::Kind;
    switch (step.kind) {
        case Kind::kNothing:
            return true;
        case Kind::kRecords: {
            DWORD written = 0;
            const DWORD count = static_cast<DWORD>(step.records.size());
            return WriteConsoleInputW(console_input, step.records.data(), count, &written) &&
                   written == count;
        }
        case Kind::kWait:
            Ended(process, step.wait_ms);  // a program that ends cuts the wait short
            return true;
        case Kind::kControlEvent:
            return GenerateConsoleCtrlEvent(step.control_event, 0) != 0;
    }
    return false;
}

int RunScript(const char* script_path, HANDLE console_input, HANDLE process) {
    std::FILE* script = std::fopen(script_path, "rb");
    if (script == nullptr) {
        std::fprintf(stderr, "korv-key-injector: cannot open %s\n", script_path);
        return kBadUsage;
    }
    std::string line;
    for (int number = 1; NextLine(script, process, line); ++number) {
        korv::test::ScriptStep step;
        std::string problem;
        if (!korv::test::ParseScriptLine(line, step, problem)) {
            std::fprintf(stderr, "korv-key-injector: %s line %d: %s\n", script_path, number,
                         problem.c_str());
            std::fclose(script);
            return kBadUsage;
        }
        if (Ended(process, 0)) break;
        if (!Perform(step, console_input, process))
            std::fprintf(stderr, "korv-key-injector: %s line %d failed, error %lu\n", script_path,
                         number, GetLastError());
    }
    std::fclose(script);
    return 0;
}

DWORD StatusOf(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process, &status);
    return status;
}

// This program again, with kGroupLeader before SCRIPT PROGRAM [ARGUMENT...], in a new
// process group; its exit status.
int RunAsGroupLeader(char** script_and_program) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return kCannotStart;
    std::string command_line =
        Quoted(self) + " " + kGroupLeader + " " + CommandLine(script_and_program);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION leader{};
    if (!CreateProcessA(self, &command_line[0], nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                        nullptr, nullptr, &startup, &leader)) {
        std::fprintf(stderr, "korv-key-injector: cannot start a process group, error %lu\n",
                     GetLastError());
        return kCannotStart;
    }
    CloseHandle(leader.hThread);
    const DWORD status = StatusOf(leader.hProcess);
    CloseHandle(leader.hProcess);
    return static_cast<int>(status);
}

// Starts PROGRAM and performs the script; PROGRAM's exit status.
int InjectKeys(char** argv) {
    // A new group starts with Ctrl+C ignored, and PROGRAM would inherit that.
    SetConsoleCtrlHandler(nullptr, FALSE);
    const HANDLE console_input = ConsoleInput();
    if (console_input == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "korv-key-injector: no console, error %lu\n", GetLastError());
        return kCannotStart;
    }
    PROCESS_INFORMATION process{};
    if (!StartProgram(argv + 2, console_input, process)) {
        std::fprintf(stderr, "korv-key-injector: cannot start %s, error %lu\n", argv[2],
                     GetLastError());
        return kCannotStart;
    }
    CloseHandle(process.hThread);
    if (RunScript(argv[1], console_input, process.hProcess) != 0) {
        TerminateProcess(process.hProcess, kBadUsage);
        return kBadUsage;
    }
    return static_cast<int>(StatusOf(process.hProcess));
}

// Whole or not at all: a test may read the file as soon as it is there.
void WriteStatus(const char* path, int status) {
    const std::string temporary = std::string(path) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    const bool written = file != nullptr && std::fprintf(file, "%d\n", status) > 0;
    const bool closed = file != nullptr && std::fclose(file) == 0;
    if (written && closed && MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING))
        return;
    std::fprintf(stderr, "korv-key-injector: cannot write %s, error %lu\n", path, GetLastError());
}

}  // namespace

int main(int argc, char** argv) {
    SetConsoleCtrlHandler(IgnoreControlEvents, TRUE);
    const bool leader = argc > 1 && std::strcmp(argv[1], kGroupLeader) == 0;
    if (leader) {
        if (argc < 4) return kBadUsage;
        return InjectKeys(argv + 1);
    }
    const bool has_status = argc > 2 && std::strcmp(argv[1], kStatusOption) == 0;
    char** script_and_program = argv + (has_status ? 3 : 1);
    if (argc - (has_status ? 3 : 1) < 2) {
        std::fprintf(stderr,
                     "usage: korv-key-injector [--status FILE] SCRIPT PROGRAM [ARGUMENT...]\n");
        return kBadUsage;
    }
    const int status = RunAsGroupLeader(script_and_program);
    if (has_status) WriteStatus(argv[2], status);
    return status;
}
