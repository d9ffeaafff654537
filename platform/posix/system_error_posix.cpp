#include <cstring>

#include "platform/system_error.h"

namespace korv::platform {

std::string SystemErrorText(int code) { return std::strerror(code); }

}  // namespace korv::platform
