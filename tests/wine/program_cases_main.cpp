// program_cases_test KORVPOLE
// program_cases_test KORVPOLE.EXE --desktop-holder EXE --key-injector EXE
//
// The program cases on the Linux build, or on korvpole.exe in a fresh Wine prefix
// whose desktop the holder keeps open; the cases of the Windows console only there.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/wine_prefix.h"
#include "tests/wine/program_under_test.h"

namespace korv::test {

Program g_program;
std::string g_key_injector;

namespace {

namespace fs = std::filesystem;

struct Arguments {
    std::string program;
    std::string desktop_holder;
    std::string key_injector;
};

bool Parse(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool has_value = i + 1 < argc;
        if (argument == "--desktop-holder" && has_value) {
            arguments.desktop_holder = fs::absolute(argv[++i]).string();
        } else if (argument == "--key-injector" && has_value) {
            arguments.key_injector = fs::absolute(argv[++i]).string();
        } else if (arguments.program.empty() && argument.rfind("--", 0) != 0) {
            arguments.program = fs::absolute(argument).string();
        } else {
            return false;
        }
    }
    if (arguments.program.empty()) {
        const char* from_environment = std::getenv("KORV_TARGET_PROGRAM");
        if (from_environment != nullptr)
            arguments.program = fs::absolute(from_environment).string();
    }
    return !arguments.program.empty();
}

bool Exists(const std::string& what, const std::string& path) {
    if (!path.empty() && fs::exists(path)) return true;
    std::fprintf(stderr, "no %s at \"%s\"\n", what.c_str(), path.c_str());
    return false;
}

// The Windows console cases need korvpole.exe; on the Linux build they are not run.
void LeaveOutWindowsConsoleCases() {
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    GTEST_FLAG_SET(filter, filter + "WindowsConsole*.*");
}

int RunUnderWine(const Arguments& arguments) {
    if (!Exists("desktop holder", arguments.desktop_holder) ||
        !Exists("key injector", arguments.key_injector))
        return 2;
    g_key_injector = arguments.key_injector;
    return RunAllTestsUnderWine({&g_program}, arguments.desktop_holder);
}

}  // namespace
}  // namespace korv::test

int main(int argc, char** argv) {
    using namespace korv::test;
    ::testing::InitGoogleTest(&argc, argv);
    Arguments arguments;
    if (!Parse(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: %s KORVPOLE (or KORV_TARGET_PROGRAM)\n"
                     "       %s KORVPOLE.EXE --desktop-holder EXE --key-injector EXE\n",
                     argv[0], argv[0]);
        return 2;
    }
    if (!Exists("program", arguments.program)) return 2;
    g_program.path = arguments.program;
    if (g_program.IsWindows()) return RunUnderWine(arguments);
    LeaveOutWindowsConsoleCases();
    return RUN_ALL_TESTS();
}
