// The main of program_test and tool_test: this build's programs, or with --windows
// FOLDER the .exe files there under Wine, leaving out the suites of the other build.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wine_prefix.h"

namespace korv::test {
namespace {
// Leaves out the suites whose names begin with `prefix`.
void LeaveOut(const std::string& prefix) {
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    GTEST_FLAG_SET(filter, filter + prefix + "*.*");
}

int RunUnderWine(const std::string& folder) {
    TempDir root;
    std::unique_ptr<WinePrefix> wine;
    try {
        wine = std::make_unique<WinePrefix>(root / "prefix", folder + "/korv-desktop-holder.exe");
    } catch (const std::exception& error) {
        // The log goes with the folder: show it first.
        std::fprintf(stderr, "cannot set up Wine: %s\n", error.what());
        std::ifstream log(root / "prefix.log");
        for (std::string line; std::getline(log, line);) std::fprintf(stderr, "  %s\n", line.c_str());
        return 1;
    }
    TestWindowsBuild(folder, wine.get());
    LeaveOut("Linux");
    const int result = RUN_ALL_TESTS();
    wine->Stop();
    return result;
}
}  // namespace
}  // namespace korv::test

int main(int argc, char** argv) {
    using namespace korv::test;
    ::testing::InitGoogleTest(&argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--windows")
        return RunUnderWine(std::filesystem::absolute(argv[2]).string());
    if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--windows FOLDER] [gtest options]\n", argv[0]);
        return 2;
    }
    LeaveOut("Windows");
    return RUN_ALL_TESTS();
}
