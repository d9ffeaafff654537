#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "tests/wine/terminal_session.h"

namespace korv::test {

// The program under test: the Linux korvpole, or korvpole.exe run by Wine (told apart
// by the ".exe").
struct Target {
    std::string program;
    bool IsWindows() const;
};

// One run of the program in `directory`, on a terminal as at the counter. Under Wine
// it is typed at the prompt of `wine cmd` on a raw terminal, the one way its console
// gets single keys there; cmd then reports its exit status.
class ProgramRun {
public:
    static constexpr std::chrono::seconds kWait{30};

    ProgramRun(const Target& target, const std::string& directory);

    // The program's console text so far, as PlainText.
    std::string Output();
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit = kWait);
    void Type(const std::string& keys);
    // The exit status once the program has ended within `limit`.
    std::optional<int> WaitForEnd(std::chrono::milliseconds limit = kWait);

private:
    std::optional<int> StatusFromCmd(std::chrono::milliseconds limit);

    bool windows_;
    std::unique_ptr<TerminalSession> session_;
    std::string prompt_;         // cmd's prompt, under Wine
    std::size_t output_start_ = 0;
};

}  // namespace korv::test
