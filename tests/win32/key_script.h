#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace korv::test {

// One line of a key injector script (its format is in key_injector.cpp).
struct ScriptStep {
    enum class Kind { kNothing, kRecords, kWait, kControlEvent };
    Kind kind = Kind::kNothing;
    std::vector<INPUT_RECORD> records;
    DWORD wait_ms = 0;
    DWORD control_event = 0;
};

// False with `problem` said in words when the line is not understood.
bool ParseScriptLine(const std::string& line, ScriptStep& step, std::string& problem);

}  // namespace korv::test
