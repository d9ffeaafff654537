// Test-only: starts PROGRAM on this console and writes console input records into it,
// as a keyboard does, whenever a test appends a line to SCRIPT.
//
//   korv-key-injector STATUS SCRIPT PROGRAM [ARGUMENT...]
//
// Under Wine run it on a terminal: a console Wine makes without one takes no input
// records. SCRIPT is read line by line until PROGRAM ends. Lines, numbers decimal or 0x:
//   down VK CHAR STATE   a key-down record (CHAR the UTF-16 character, 0 for none)
//   up VK CHAR STATE     a key-up record
//   focus                a focus record
//   ctrl-c               GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)
// A line not understood ends PROGRAM; a step that fails is said and the script goes on.
//
// The exit status is PROGRAM's, also written to STATUS (Ctrl+C's is -1073741510): under
// Wine 8 a program ended within a console line read leaves cmd unable to tell it.
// 125: a bad argument or script line; 126: PROGRAM cannot be started.
//
// Ctrl+C goes to the console's process group, and Wine's cmd ends on it, also while it
// waits for a program. So the injector starts itself again as the leader of a group of
// its own, with Ctrl+C enabled for PROGRAM to inherit; both copies ignore it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr int kBadUsage = 125;
constexpr int kCannotStart = 126;
constexpr DWORD kScriptPollMs = 10;
constexpr const char* kLeaderVariable = "KORV_KEY_INJECTOR_LEADER";

BOOL WINAPI IgnoreControlC(DWORD event) { return event == CTRL_C_EVENT; }

bool Ended(HANDLE process, DWORD wait_ms) { return WaitForSingleObject(process, wait_ms) == WAIT_OBJECT_0; }

// The process's handle, or nullptr.
HANDLE Start(std::string command_line, DWORD flags) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "korv-key-injector: cannot start %s, error %lu\n", command_line.c_str(), GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

int StatusOf(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    DWORD status = kCannotStart;
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    return static_cast<int>(status);
}

// The next whole line of a script that may still grow; false when the program ends first.
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

enum class Step { kDone, kFailed, kNotUnderstood };

Step Perform(const std::string& line, HANDLE console) {
    char verb[8] = "";
    int vk = 0, character = 0, state = 0;
    const int fields = std::sscanf(line.c_str(), "%7s %i %i %i", verb, &vk, &character, &state);
    const std::string name = verb;
    if (fields == 1 && name == "ctrl-c")
        return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? Step::kDone : Step::kFailed;
    INPUT_RECORD record{};
    if (fields == 1 && name == "focus") {
        record.EventType = FOCUS_EVENT;
        record.Event.FocusEvent.bSetFocus = TRUE;
    } else if (fields == 4 && (name == "down" || name == "up")) {
        record.EventType = KEY_EVENT;
        KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        key.bKeyDown = name == "down";
        key.wRepeatCount = 1;
        key.wVirtualKeyCode = static_cast<WORD>(vk);
        key.uChar.UnicodeChar = static_cast<WCHAR>(character);
        key.dwControlKeyState = static_cast<DWORD>(state);
    } else {
        return Step::kNotUnderstood;
    }
    DWORD written = 0;
    return WriteConsoleInputW(console, &record, 1, &written) && written == 1 ? Step::kDone : Step::kFailed;
}

// The group leader: starts PROGRAM and performs SCRIPT; PROGRAM's exit status.
int InjectKeys(char** argv) {
    // A new group starts with Ctrl+C ignored, and PROGRAM would inherit that.
    SetConsoleCtrlHandler(nullptr, FALSE);
    const HANDLE console = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    std::FILE* script = std::fopen(argv[2], "rb");
    if (console == INVALID_HANDLE_VALUE || script == nullptr) {
        std::fprintf(stderr, "korv-key-injector: no console, or cannot open %s\n", argv[2]);
        return kBadUsage;
    }
    std::string command_line;
    for (char** argument = argv + 3; *argument != nullptr; ++argument)
        command_line += std::string(command_line.empty() ? "" : " ") + "\"" + *argument + "\"";
    const HANDLE program = Start(command_line, 0);
    if (program == nullptr) return kCannotStart;
    std::string line;
    for (int number = 1; NextLine(script, program, line) && !Ended(program, 0); ++number) {
        const Step step = Perform(line, console);
        if (step == Step::kNotUnderstood) {
            std::fprintf(stderr, "korv-key-injector: line %d not understood: %s\n", number, line.c_str());
            TerminateProcess(program, kBadUsage);
            return kBadUsage;
        }
        if (step == Step::kFailed)
            std::fprintf(stderr, "korv-key-injector: line %d failed, error %lu\n", number, GetLastError());
    }
    return StatusOf(program);
}

// Whole or not at all: a test may read the file as soon as it is there.
void WriteStatus(const char* path, int status) {
    const std::string temporary = std::string(path) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    const bool written = file != nullptr && std::fprintf(file, "%d\n", status) > 0;
    const bool closed = file != nullptr && std::fclose(file) == 0;
    if (written && closed && MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING)) return;
    std::fprintf(stderr, "korv-key-injector: cannot write %s, error %lu\n", path, GetLastError());
}
}  // namespace

int main(int argc, char** argv) {
    SetConsoleCtrlHandler(IgnoreControlC, TRUE);
    if (argc < 4) {
        std::fprintf(stderr, "usage: korv-key-injector STATUS SCRIPT PROGRAM [ARGUMENT...]\n");
        return kBadUsage;
    }
    if (std::getenv(kLeaderVariable) != nullptr) return InjectKeys(argv);
    SetEnvironmentVariableA(kLeaderVariable, "1");
    const HANDLE leader = Start(GetCommandLineA(), CREATE_NEW_PROCESS_GROUP);
    const int status = leader == nullptr ? kCannotStart : StatusOf(leader);
    WriteStatus(argv[1], status);
    return status;
}
