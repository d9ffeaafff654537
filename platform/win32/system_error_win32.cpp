#include <windows.h>

#include <string>

#include "platform/system_error.h"

namespace korv::platform {
namespace {
// GetLastError() codes in the system's own words.
struct WindowsErrors final : std::error_category {
    const char* name() const noexcept override { return "windows"; }

    std::string message(int code) const override {
        char text[512];
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
        std::string words(text, length);
        words.erase(words.find_last_not_of("\r\n.") + 1);
        return words.empty() ? "Windows error " + std::to_string(code) : words;
    }
};
}  // namespace

std::error_code SystemError(int code) {
    static const WindowsErrors category;
    return {code, category};
}

std::error_code LastSystemError() { return SystemError(static_cast<int>(GetLastError())); }
}  // namespace korv::platform
