#pragma once

#include <memory>

namespace korv::platform {

// Single key presses from the console, without echo and without waiting for Enter.
// The console is in key mode only between BeginKeyMode and EndKeyMode; outside it,
// line input (the setup dialogue's answers) echoes and can be edited as usual.
// Whatever mode the console had before is restored on every way out of the program.
class ConsoleKeys {
public:
    ConsoleKeys();
    ~ConsoleKeys();
    ConsoleKeys(const ConsoleKeys&) = delete;
    ConsoleKeys& operator=(const ConsoleKeys&) = delete;

    void BeginKeyMode();
    void EndKeyMode();

    // Is a key code waiting to be read? Waits up to timeout_ms for one; never longer.
    bool KeyWaiting(int timeout_ms = 0);

    // The next key code (0 to 255). Blocks; call it after KeyWaiting said yes. Keys
    // come as a Windows console gives them (platform/console_key_codes.h), so a key
    // without a character is two codes, lead 0 or 224 and then its own; the second
    // code counts as waiting until it is read.
    int ReadKey();

    // True once the console's input has ended for good: no key will ever come.
    bool InputEnded() const;

private:
    struct Decoding;  // the platform's; keys read but not handed out yet
    std::unique_ptr<Decoding> decoding_;
    bool input_ended_ = false;
};

}  // namespace korv::platform
