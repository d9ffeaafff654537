#include <windows.h>

#include "platform/system_error.h"

namespace korv::platform {

std::string SystemErrorText(int code) {
    char text[512];
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
        words.pop_back();
    if (words.empty()) words = "Windows error " + std::to_string(code);
    return words;
}

}  // namespace korv::platform
