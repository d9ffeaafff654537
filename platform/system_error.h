#pragma once

#include <string>

namespace korv::platform {

// The system's own words for an error code: errno, or GetLastError() on Windows.
std::string SystemErrorText(int code);

}  // namespace korv::platform
