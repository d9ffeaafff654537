#pragma once

#include <memory>

namespace korv::platform {
inline constexpr int kNoKey = -1;

// Key presses as characters, without echo or Enter, only in key mode (setup answers echo
// and can be edited); keys without a character, Alt with a key, releases and other events
// are dropped. The console's earlier mode comes back on every way out of the program.
class ConsoleKeys {
public:
    ConsoleKeys();
    ~ConsoleKeys();
    ConsoleKeys(const ConsoleKeys&) = delete;
    ConsoleKeys& operator=(const ConsoleKeys&) = delete;

    void BeginKeyMode();
    void EndKeyMode();
    // Waits up to timeout_ms, never longer, for a key; does not take it.
    bool KeyWaiting(int timeout_ms = 0);
    // The key KeyWaiting found, taken; kNoKey when it found none.
    int ReadKey();
    // The console's input has ended for good.
    bool InputEnded() const { return input_ended_; }
    // Drops the rest of standard input's line after a setup answer, its end included, so it
    // answers nothing later and is no key; on POSIX only what has come, so a later key counts.
    static void DropRestOfLine();

private:
    struct Input;  // the platform's
    std::unique_ptr<Input> input_;
    bool input_ended_ = false;
};
}  // namespace korv::platform
