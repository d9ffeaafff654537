#pragma once

#include <system_error>

namespace korv::platform {
// A platform call's failure, false when there was none: the system's error (errno;
// Windows: GetLastError()) and a cause classified where the call failed, as one error
// means different things at different steps. Above the platform, `Error` may be words.
template <typename Cause, typename Error = std::error_code>
struct Failure {
    Cause cause{};  // the first value: no failure
    Error error;

    explicit operator bool() const { return cause != Cause{}; }
};

// `value` is one of `set`: several system errors that mean one cause, say.
template <typename Value, typename... Set>
constexpr bool OneOf(Value value, Set... set) { return ((value == static_cast<Value>(set)) || ...); }

std::error_code SystemError(int code);
// The error of the system call that has just failed.
std::error_code LastSystemError();
}  // namespace korv::platform
