#pragma once

#include <memory>

namespace korv::platform {

inline constexpr int kNoKey = -1;

// Single key presses from the console as plain characters, without echo and without
// waiting for Enter. Keys without a character (cursor, function, Insert, Delete, Home,
// End, Page keys), Alt with a key, releases, modifiers alone and other console events
// are dropped here. The console is in key mode only between BeginKeyMode and
// EndKeyMode; outside it, the setup dialogue's answers echo and can be edited. Whatever
// mode the console had before is restored on every way out of the program.
class ConsoleKeys {
public:
    ConsoleKeys();
    ~ConsoleKeys();
    ConsoleKeys(const ConsoleKeys&) = delete;
    ConsoleKeys& operator=(const ConsoleKeys&) = delete;

    void BeginKeyMode();
    void EndKeyMode();
    // Is a key waiting? Waits up to timeout_ms for one, never longer; does not take it.
    bool KeyWaiting(int timeout_ms = 0);
    // The character of the key KeyWaiting found, taken; kNoKey when it found none.
    int ReadKey();
    // True once the console's input has ended for good: no key will ever come.
    bool InputEnded() const;
    // Drops what is left on standard input's line after a setup answer, its line end
    // included, so that it answers no later question and acts as no key. Lines after it
    // stay. A console's line is there whole once its answer is read; on POSIX only what
    // has come is taken, so a key typed later still counts.
    static void DropRestOfLine();

private:
    struct Input;  // the platform's
    std::unique_ptr<Input> input_;
    bool input_ended_ = false;
};

}  // namespace korv::platform
