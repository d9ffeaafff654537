#include <sys/stat.h>

#include "platform/com_name.h"

namespace korv::platform {
std::string ComDevicePath(int port) {
    if (port < 1) return {};
    const std::string link = ComName(port);
    struct stat info;
    return lstat(link.c_str(), &info) == 0 ? link : "/dev/ttyS" + std::to_string(port - 1);
}
}  // namespace korv::platform
