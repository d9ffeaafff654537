#include "tests/wine/program_run.h"

#include <cstdlib>

#include "tests/wine/wine_prefix.h"

namespace korv::test {

namespace {

constexpr std::chrono::seconds kCmdStartLimit{60};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool Target::IsWindows() const { return EndsWith(program, ".exe"); }

ProgramRun::ProgramRun(const Target& target, const std::string& directory)
    : windows_(target.IsWindows()) {
    if (!windows_) {
        session_ = std::make_unique<TerminalSession>(std::vector<std::string>{target.program},
                                                     directory, false);
        return;
    }
    session_ = std::make_unique<TerminalSession>(std::vector<std::string>{"wine", "cmd"},
                                                 directory, true);
    prompt_ = WinePrefix::WindowsPath(directory) + ">";
    const std::size_t prompt_at = session_->WaitForText(prompt_, 0, kCmdStartLimit);
    if (prompt_at == std::string::npos) return;  // every wait of the case then fails
    output_start_ = prompt_at + prompt_.size();
    session_->Type("\"" + WinePrefix::WindowsPath(target.program) + "\"\r");
}

std::string ProgramRun::Output() {
    const std::string all = session_->Text();
    return output_start_ <= all.size() ? all.substr(output_start_) : std::string();
}

bool ProgramRun::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    return session_->WaitForText(text, output_start_, limit) != std::string::npos;
}

void ProgramRun::Type(const std::string& keys) { session_->Type(keys); }

std::optional<int> ProgramRun::WaitForEnd(std::chrono::milliseconds limit) {
    if (!windows_) return session_->WaitForExit(limit);
    // The program has ended when cmd shows its prompt again.
    const std::size_t prompt_at = session_->WaitForText("\n" + prompt_, output_start_, limit);
    if (prompt_at == std::string::npos) return std::nullopt;
    return StatusFromCmd(limit);
}

std::optional<int> ProgramRun::StatusFromCmd(std::chrono::milliseconds limit) {
    const std::string mark = "\nKORVSTATUS=";
    const std::size_t typed_at = session_->Text().size();
    session_->Type("echo KORVSTATUS=%ERRORLEVEL%\r");
    const std::size_t found = session_->WaitForText(mark, typed_at, limit);
    if (found == std::string::npos) return std::nullopt;
    const std::size_t line_end = session_->WaitForText("\n", found + mark.size(), limit);
    if (line_end == std::string::npos) return std::nullopt;
    const int status = std::atoi(session_->Text().c_str() + found + mark.size());
    session_->Type("exit\r");
    session_->WaitForExit(limit);
    return status;
}

}  // namespace korv::test
