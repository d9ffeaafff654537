#include "platform/com_name.h"

namespace korv::platform {

namespace {
const std::string kDeviceSpace = "\\\\.\\";
}

std::string ComDevicePath(int port) { return port < 1 ? std::string() : kDeviceSpace + ComName(port); }

int ComNumberOfDevice(const std::string& path) {
    return path.rfind(kDeviceSpace, 0) == 0 ? ComNumber(path.substr(kDeviceSpace.size())) : 0;
}

}  // namespace korv::platform
