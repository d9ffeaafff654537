#include <windows.h>
#include <shellapi.h>

#include "platform/command_line.h"

namespace korv::platform {

namespace {

std::string Converted(UINT to, const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(to, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(to, 0, text, length, &converted[0], size, nullptr, nullptr);
    return converted;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) LocalFree(wide);
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Converted(CP_UTF8, wide[i], static_cast<int>(wcslen(wide[i]))));
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

Utf8ConsoleScope::Utf8ConsoleScope() : saved_(GetConsoleOutputCP()) {
    if (saved_ != 0) SetConsoleOutputCP(CP_UTF8);
}

Utf8ConsoleScope::~Utf8ConsoleScope() {
    if (saved_ != 0) SetConsoleOutputCP(saved_);
}

}  // namespace korv::platform
