#pragma once

#include <system_error>

namespace korv::platform {
// A platform call that can fail returns its failure, false when there was none: the
// system's error (errno, or GetLastError() on Windows), and where a technician is told
// why, a cause classified where the call failed, since one system error means different
// things at different steps. Above the platform, `Error` may carry words instead.
template <typename Cause, typename Error = std::error_code>
struct Failure {
    Cause cause{};  // the first value: no failure
    Error error;

    explicit operator bool() const { return cause != Cause{}; }
};

std::error_code SystemError(int code);
// The error of the system call that has just failed.
std::error_code LastSystemError();
}  // namespace korv::platform
