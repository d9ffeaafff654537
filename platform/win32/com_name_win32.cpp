#include "platform/com_name.h"

namespace korv::platform {
std::string ComDevicePath(int port) { return port < 1 ? std::string() : "\\\\.\\" + ComName(port); }
}  // namespace korv::platform
