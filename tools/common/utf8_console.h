#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A tool's text on its command line and its console in UTF-8, whatever code pages the
// system uses for them.
namespace korv::tools {
// The arguments after the program's name: on Windows from the command line as typed
// (the ANSI arguments lose what the ANSI code page lacks), elsewhere as given.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// A path from those arguments as the system's file functions take it.
std::string SystemPath(const std::string& utf8);

// `stream` is a terminal that takes ANSI cursor and colour codes: on Windows a console,
// once asked to.
bool TakesEscapes(std::FILE* stream);

// While it lives, the console shows what the program writes as UTF-8; its own setting
// comes back at the end.
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
