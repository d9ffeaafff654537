#pragma once

#include <string>

#include "tests/support/runner.h"

namespace korv::test {

// What the program cases run, set once by main from the command line: the Linux
// korvpole, or korvpole.exe with the Wine prefix it runs in.
extern Program g_program;
// Under Wine: the key injector (tests/win32/key_injector.cpp) the Windows console cases
// start korvpole.exe with.
extern std::string g_key_injector;

}  // namespace korv::test
