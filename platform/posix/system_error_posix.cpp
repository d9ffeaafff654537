#include <cerrno>

#include "platform/system_error.h"

namespace korv::platform {
std::error_code SystemError(int code) { return {code, std::system_category()}; }
std::error_code LastSystemError() { return SystemError(errno); }
}  // namespace korv::platform
