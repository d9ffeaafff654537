#pragma once

namespace korv {

// Where key codes come from: the console, or a script in tests.
class KeySource {
public:
    virtual ~KeySource() = default;
    virtual bool KeyWaiting(int timeout_ms) = 0;
    virtual int ReadKey() = 0;
};

enum class KeyCommand { kNone, kSetup, kBacklight, kExit };

// Takes one whole key per call: a plain code, or a two-code key (lead 0 or 224 and
// its second code). Only a plain code can be a command, so a cursor or function key
// never acts as S, B or X. Escape (27) is a plain code like any other.
class KeyReader {
public:
    explicit KeyReader(KeySource& source) : source_(source) {}

    // kNone when no key waits or the key is no command.
    KeyCommand Next();

private:
    KeySource& source_;
};

}  // namespace korv
