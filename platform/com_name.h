#pragma once

#include <cstdlib>
#include <string>

namespace korv::platform {
// Port n is COM<n> in the settings, the console's words and the port list.
inline std::string ComName(int port) { return "COM" + std::to_string(port); }

// "COM5" to 5; 0 for any other name, "COM0" and "COM05" included, which no port gives.
inline int ComNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 9 || name.compare(0, 3, "COM") != 0 || name[3] == '0' ||
        name.find_first_not_of("0123456789", 3) != std::string::npos)
        return 0;
    return std::atoi(name.c_str() + 3);
}

// What port n opens: "\\.\COM5" on Windows; on POSIX the working folder's COM5 when it
// has one (a link to an adapter or a pseudo-terminal), else /dev/ttyS4. Empty below 1.
std::string ComDevicePath(int port);

// The port whose device `path` is, 0 for none: the number it ends in ("COM5",
// "\\.\COM5"), or one more ("/dev/ttyS4" while no COM5 in the folder stands in for it).
inline int ComNumberOfDevice(const std::string& path) {
    const std::size_t digits = path.find_last_not_of("0123456789") + 1;
    if (digits == path.size() || path.size() - digits > 6) return 0;
    const int number = std::atoi(path.c_str() + digits);
    for (int port : {number, number + 1})
        if (port > 0 && ComDevicePath(port) == path) return port;
    return 0;
}
}  // namespace korv::platform
