#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/posix/terminal_key_decoder.h"

namespace korv::platform {

namespace {

// The terminal's settings before key mode, for the signal handlers too: they restore
// them and then let the signal end or stop the process as it would have.
termios g_saved_terminal;
termios g_key_terminal;
volatile std::sig_atomic_t g_terminal_saved = 0;
volatile std::sig_atomic_t g_terminal_changed = 0;

constexpr int kRestoredSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A terminal sends a key's whole sequence at once; this also covers a slow link.
constexpr int kSequenceGapMs = 30;

void RestoreTerminal() {
    if (g_terminal_changed) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_terminal);
        g_terminal_changed = 0;
    }
}

extern "C" void RestoreTerminalAndDie(int signal_number) {
    RestoreTerminal();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void ApplyKeyMode() {
    g_terminal_changed = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &g_key_terminal);
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

void InstallSignalHandlers() {
    for (int signal_number : kRestoredSignals) Handle(signal_number, RestoreTerminalAndDie);
    Handle(SIGTSTP, RestoreTerminalAndStop);
}

bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool WaitReadable(int timeout_ms) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready;
    do {
        ready = poll(&input, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Input that is no terminal is shared with the setup dialogue's answers, so keys are
// taken through the same stdio buffer: a peek that must not block.
enum class Peek { kKey, kNothing, kEnded };

Peek PeekBufferedInput() {
    const int flags = fcntl(STDIN_FILENO, F_GETFL);
    if (flags < 0) return Peek::kEnded;
    fcntl(STDIN_FILENO, F_SETFL, flags | O_NONBLOCK);
    const int code = std::getc(stdin);
    const bool would_block = code == EOF && std::ferror(stdin) && errno == EAGAIN;
    fcntl(STDIN_FILENO, F_SETFL, flags);
    if (code != EOF) {
        std::ungetc(code, stdin);
        return Peek::kKey;
    }
    if (would_block) {
        std::clearerr(stdin);
        return Peek::kNothing;
    }
    return Peek::kEnded;
}

// Is a byte of input waiting? Waits up to timeout_ms; sets `ended` once input ended.
bool InputByteWaiting(int timeout_ms, bool& ended) {
    if (ended) return false;
    if (g_terminal_saved) {
        if (!WaitReadable(timeout_ms)) return false;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        poll(&input, 1, 0);
        if ((input.revents & POLLIN) == 0) {
            ended = true;  // hung up
            return false;
        }
        return true;
    }
    Peek peek = PeekBufferedInput();
    if (peek == Peek::kNothing && timeout_ms > 0 && WaitReadable(timeout_ms)) {
        peek = PeekBufferedInput();
    }
    if (peek == Peek::kEnded) ended = true;
    return peek == Peek::kKey;
}

// The next byte of input, blocking; -1 once input has ended.
int ReadInputByte(bool& ended) {
    if (g_terminal_saved) {
        unsigned char byte = 0;
        ssize_t count;
        do {
            count = read(STDIN_FILENO, &byte, 1);
        } while (count < 0 && errno == EINTR);
        if (count == 1) return byte;
    } else {
        const int byte = std::getc(stdin);
        if (byte != EOF) return byte;
    }
    ended = true;
    return -1;
}

}  // namespace

struct ConsoleKeys::Decoding {
    TerminalKeyDecoder decoder;
};

ConsoleKeys::ConsoleKeys() : decoding_(std::make_unique<Decoding>()) {
    if (StdinIsTerminal() && tcgetattr(STDIN_FILENO, &g_saved_terminal) == 0) {
        g_terminal_saved = 1;
        InstallSignalHandlers();
    }
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

void ConsoleKeys::EndKeyMode() {
    RestoreTerminal();
}

// A key begun but unfinished is waiting too: the gap, at most, completes it.
bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    const TerminalKeyDecoder& decoder = decoding_->decoder;
    if (decoder.HasCode() || decoder.Unfinished()) return true;
    if (input_ended_) {
        SleepMilliseconds(timeout_ms);
        return false;
    }
    return InputByteWaiting(timeout_ms, input_ended_);
}

// Reads on only while a key is unfinished, so bytes after it stay in the input for
// the next turn or for the setup dialogue.
int ConsoleKeys::ReadKey() {
    TerminalKeyDecoder& decoder = decoding_->decoder;
    while (!decoder.HasCode()) {
        if (decoder.Unfinished() && !InputByteWaiting(kSequenceGapMs, input_ended_)) {
            decoder.GapPassed();
            continue;
        }
        const int byte = ReadInputByte(input_ended_);
        if (byte >= 0) {
            decoder.Feed(static_cast<std::uint8_t>(byte));
        } else if (decoder.Unfinished()) {
            decoder.GapPassed();
        } else {
            return 0;
        }
    }
    return decoder.TakeCode();
}

bool ConsoleKeys::InputEnded() const { return input_ended_; }

}  // namespace korv::platform
