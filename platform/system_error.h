#pragma once

#include <system_error>

namespace korv::platform {

// How every call of the platform that can fail says so: it returns its failure, empty
// (false) when it did not fail. A std::error_code carries the system's error (errno,
// or GetLastError() on Windows), its message() the system's own words. Where a
// technician is told why, the failure also has a cause they can act on, classified
// where the call failed, since the same system error means different things at
// different steps. Above the platform a failure whose words are made where it happens
// carries them as its `Error`.
template <typename Cause, typename Error = std::error_code>
struct Failure {
    Cause cause{};  // the cause's first value: no failure
    Error error;

    explicit operator bool() const { return cause != Cause{}; }
};

// The system's error `code` as a std::error_code.
std::error_code SystemError(int code);
// The error of the system call that has just failed.
std::error_code LastSystemError();

}  // namespace korv::platform
