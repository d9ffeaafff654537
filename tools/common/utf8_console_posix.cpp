#include "tools/common/utf8_console.h"

#include <unistd.h>

namespace korv::tools {
// A terminal here speaks UTF-8, and paths are bytes.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

std::string SystemPath(const std::string& utf8) { return utf8; }

bool TakesEscapes(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

Utf8ConsoleScope::Utf8ConsoleScope() = default;
Utf8ConsoleScope::~Utf8ConsoleScope() = default;
}  // namespace korv::tools
