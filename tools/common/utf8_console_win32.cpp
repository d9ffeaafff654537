#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "tools/common/utf8_console.h"

namespace korv::tools {
namespace {
// Larger than anything a tool prints between two flushes.
constexpr std::size_t kConsoleBuffer = 64 * 1024;

std::string Converted(UINT to, const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(to, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(to, 0, text, length, &converted[0], size, nullptr, nullptr);
    return converted;
}
}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments(argc > 1 ? argv + 1 : argv + argc, argv + argc);
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr && count == argc)
        for (int i = 1; i < count; ++i)
            arguments[i - 1] = Converted(CP_UTF8, wide[i], static_cast<int>(wcslen(wide[i])));
    LocalFree(wide);
    return arguments;
}

// The ANSI functions take paths in the ANSI code page, as the C runtime's arguments are.
std::string SystemPath(const std::string& utf8) {
    const int length = static_cast<int>(utf8.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (size <= 0) return utf8;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &wide[0], size);
    return Converted(CP_ACP, wide.data(), size);
}

bool TakesEscapes(std::FILE* stream) {
    const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return GetConsoleMode(console, &mode) && SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

// The C runtime writes text to a console a byte at a time, each through its own code
// page, which breaks a letter of several bytes; so the bytes go in whole buffers,
// untranslated, and the console reads them as UTF-8.
Utf8ConsoleScope::Utf8ConsoleScope() : saved_(GetConsoleOutputCP()) {
    if (saved_ == 0) return;  // no console: the bytes go to a file or pipe as they are
    SetConsoleOutputCP(CP_UTF8);
    for (std::FILE* stream : {stdout, stderr}) {
        DWORD mode = 0;
        if (!GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode)) continue;
        std::fflush(stream);
        _setmode(_fileno(stream), _O_BINARY);
        std::setvbuf(stream, nullptr, _IOFBF, kConsoleBuffer);
    }
}

Utf8ConsoleScope::~Utf8ConsoleScope() {
    if (saved_ == 0) return;
    std::fflush(stdout);
    std::fflush(stderr);
    SetConsoleOutputCP(saved_);
}
}  // namespace korv::tools
