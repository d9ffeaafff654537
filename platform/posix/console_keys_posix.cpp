#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/posix/escape_skipper.h"

namespace korv::platform {
namespace {
// The terminal's settings before key mode, for the signal handlers too: Ctrl+\ and
// Ctrl+Z restore them and then let the signal end or stop the process.
termios g_saved_terminal;
termios g_key_terminal;
volatile std::sig_atomic_t g_terminal_saved = 0;
// The terminal itself: a stop swaps standard input for one at its end.
int g_terminal = -1;
volatile std::sig_atomic_t g_terminal_changed = 0;

void RestoreTerminal() {
    if (g_terminal_changed) tcsetattr(g_terminal, TCSANOW, &g_saved_terminal);
    g_terminal_changed = 0;
}

extern "C" void RestoreTerminalAndDie(int signal_number) {
    RestoreTerminal();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void ApplyKeyMode() {
    g_terminal_changed = 1;
    tcsetattr(g_terminal, TCSANOW, &g_key_terminal);
}

void Handle(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(signal_number, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) return;  // e.g. under nohup
    sigaction(signal_number, &action, nullptr);
}

// Ctrl+Z: the shell gets its terminal back as it was, and key mode returns with fg.
extern "C" void RestoreTerminalAndStop(int signal_number) {
    const int saved_errno = errno;
    const bool in_key_mode = g_terminal_changed != 0;
    RestoreTerminal();
    std::signal(signal_number, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal_number);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    std::raise(signal_number);
    // Continued.
    Handle(signal_number, RestoreTerminalAndStop);
    if (in_key_mode) ApplyKeyMode();
    errno = saved_errno;
}

// The next byte of input within timeout_ms, or kNoKey; sets `ended` once input ended.
int NextInputByte(int timeout_ms, bool& ended) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready = 0;
    while (!ended && (ready = poll(&input, 1, timeout_ms)) < 0 && errno == EINTR) {
    }
    if (ready <= 0) return kNoKey;
    unsigned char byte = 0;
    ssize_t count;
    while ((count = read(STDIN_FILENO, &byte, 1)) < 0 && errno == EINTR) {
    }
    ended = count != 1;  // at its end, hung up or closed
    return ended ? kNoKey : byte;
}
}  // namespace

struct ConsoleKeys::Input {
    EscapeSkipper skipper;
    int key = kNoKey;  // found by KeyWaiting, not taken yet
};

// The setup dialogue's scanf shares standard input; unbuffered, it leaves what it does
// not take in the input itself, where the next key is read.
ConsoleKeys::ConsoleKeys() : input_(std::make_unique<Input>()) {
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    g_terminal_saved = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &g_saved_terminal) == 0;
    if (!g_terminal_saved) return;
    if (g_terminal < 0) g_terminal = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    Handle(SIGQUIT, RestoreTerminalAndDie);
    Handle(SIGTSTP, RestoreTerminalAndStop);
}

ConsoleKeys::~ConsoleKeys() { EndKeyMode(); }

void ConsoleKeys::BeginKeyMode() {
    if (!g_terminal_saved) return;
    g_key_terminal = g_saved_terminal;
    g_key_terminal.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    g_key_terminal.c_cc[VMIN] = 1;
    g_key_terminal.c_cc[VTIME] = 0;
    ApplyKeyMode();
}

void ConsoleKeys::EndKeyMode() { RestoreTerminal(); }

// Reads only as far as the next key, so that bytes after it stay in the input for the
// next turn or for the setup dialogue. A sequence cut off between two calls goes on in
// the next; only right after ESC does the time between bytes count.
bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    Input& input = *input_;
    const std::int64_t deadline = NowMilliseconds() + timeout_ms;
    while (input.key == kNoKey) {
        const bool after_escape = input.skipper.AfterEscape();
        const std::int64_t left = deadline - NowMilliseconds();
        const int wait = after_escape ? EscapeSkipper::kEscapeGapMs : static_cast<int>(left > 0 ? left : 0);
        const int byte = NextInputByte(wait, input_ended_);
        if (byte != kNoKey) input.key = input.skipper.Feed(static_cast<std::uint8_t>(byte));
        else if (after_escape) input.key = input.skipper.GapPassed();
        else return false;
    }
    return true;
}

int ConsoleKeys::ReadKey() { return std::exchange(input_->key, kNoKey); }

void ConsoleKeys::DropRestOfLine() {
    bool ended = false;
    for (int byte = 0; byte != kNoKey && byte != '\n' && byte != '\r';) byte = NextInputByte(0, ended);
}
}  // namespace korv::platform
