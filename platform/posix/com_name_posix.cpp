#include <sys/stat.h>

#include "platform/com_name.h"

namespace korv::platform {

namespace {
const std::string kBuiltInPorts = "/dev/ttyS";
}

std::string ComDevicePath(int port) {
    if (port < 1) return {};
    const std::string link = ComName(port);
    struct stat info;
    if (lstat(link.c_str(), &info) == 0) return link;
    return kBuiltInPorts + std::to_string(port - 1);
}

int ComNumberOfDevice(const std::string& path) {
    int port = ComNumber(path);
    const std::string digits = path.rfind(kBuiltInPorts, 0) == 0 ? path.substr(kBuiltInPorts.size()) : "";
    if (port == 0 && !digits.empty() && digits.size() < 6 &&
        digits.find_first_not_of("0123456789") == std::string::npos)
        port = std::atoi(digits.c_str()) + 1;
    return port > 0 && ComDevicePath(port) == path ? port : 0;
}

}  // namespace korv::platform
