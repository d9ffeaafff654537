#pragma once

#include <string>

#include "tests/support/runner.h"

// The main of program_test and tool_test: this build's programs, or with --windows
// FOLDER the .exe files there under Wine, leaving out the suites of the other build.
namespace korv::test {

// Under Wine, the key injector built beside korvpole.exe.
extern std::string g_key_injector;

}  // namespace korv::test
