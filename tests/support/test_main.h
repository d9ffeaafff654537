#pragma once

#include <string>

#include "tests/support/runner.h"

// The main of the test programs that run the built programs (tests/program and
// tests/tool, linked with test_main.cpp):
//   program_test                    this build's korvpole and tools
//   program_test --windows FOLDER   the .exe files in FOLDER under Wine, in one fresh
//                                   prefix whose desktop korv-desktop-holder.exe keeps
// The suites that only one build can run say so by name: "Linux..." suites run on this
// build only, "Windows..." suites on the .exe files only.
namespace korv::test {

// Under Wine, the key injector built beside korvpole.exe.
extern std::string g_key_injector;

}  // namespace korv::test
