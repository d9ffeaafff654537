#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace korv::test {

// Console output as a reader sees it: carriage returns and terminal control
// sequences dropped, a cursor step to the right read as that many blanks (how a
// console on a terminal draws blanks).
std::string PlainText(const std::string& raw);

// A program on a pseudo-terminal of its own, as its controlling terminal and its
// standard input, output and error. A program still running at the end is killed.
class TerminalSession {
public:
    // `raw`: the terminal starts raw (no echo, no line editing, no output translation).
    TerminalSession(const std::vector<std::string>& argv, const std::string& directory, bool raw);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    void Type(const std::string& keys);
    // Takes in what has arrived, waiting up to `window` for the first of it.
    void Pump(std::chrono::milliseconds window = std::chrono::milliseconds(0));
    // Everything written so far, as PlainText.
    std::string Text();
    // Waits until `text` appears in Text() at or after `from`; its position, or npos.
    std::size_t WaitForText(const std::string& text, std::size_t from,
                            std::chrono::milliseconds limit);

    // The exit status once the program has ended (128 + n after signal n).
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);

private:
    bool Reap(bool block);

    pid_t pid_ = -1;
    int master_ = -1;
    std::string raw_output_;
    std::optional<int> status_;
};

}  // namespace korv::test
