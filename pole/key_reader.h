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

// Takes one whole key per call: a plain code, a two-code key (lead 0 or 224 and its
// second code) or a terminal escape sequence. Only a plain code can be a command, so
// a cursor or function key never acts as S, B or X.
class KeyReader {
public:
    explicit KeyReader(KeySource& source) : source_(source) {}

    // kNone when no key waits or the key is no command.
    KeyCommand Next();

    // A code read from the source that the next call takes first.
    bool HasPendingCode() const { return pushed_back_ >= 0; }

private:
    bool Waiting(int timeout_ms);
    int Take();
    void SkipEscapeSequence();
    void SkipControlSequence();

    KeySource& source_;
    int pushed_back_ = -1;  // a code that ended a sequence without belonging to it
};

}  // namespace korv
