#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Text in UTF-8 on the command line and console, whatever the system's code pages.
namespace korv::tools {
// The arguments after the program's name: on Windows from the command line as typed
// (the ANSI arguments lose what the ANSI code page lacks), elsewhere as given.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// A path from them as the system's file functions take it.
std::string SystemPath(const std::string& utf8);

// A terminal taking ANSI cursor and colour codes (on Windows a console, once asked to).
bool TakesEscapes(std::FILE* stream);

// While it lives, the console reads what is written as UTF-8; its setting comes back after.
class Utf8ConsoleScope {
public:
    Utf8ConsoleScope();
    ~Utf8ConsoleScope();
    Utf8ConsoleScope(const Utf8ConsoleScope&) = delete;
    Utf8ConsoleScope& operator=(const Utf8ConsoleScope&) = delete;

private:
    unsigned saved_ = 0;
};
}  // namespace korv::tools
