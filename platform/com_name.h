#pragma once

#include <cstdlib>
#include <string>

namespace korv::platform {

// Port n is COM<n>, as the settings, the console's words and the port list name it.
inline std::string ComName(int port) { return "COM" + std::to_string(port); }

// "COM5" to 5; 0 for any other name, "COM0" and "COM05" included, which no port gives.
inline int ComNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 9 || name.compare(0, 3, "COM") != 0 || name[3] == '0' ||
        name.find_first_not_of("0123456789", 3) != std::string::npos)
        return 0;
    return std::atoi(name.c_str() + 3);
}

// The device port n opens: "\\.\COM5" on Windows; on POSIX the working folder's COM5
// when it has one (a link to an adapter or a pseudo-terminal), else the built-in
// /dev/ttyS4. Empty for port 0 and below, which name none.
std::string ComDevicePath(int port);

// The other way round: the port whose device `path` is ("COM5", or "/dev/ttyS4" while
// no COM5 in the folder takes its place, give 5); 0 when no port number leads there.
int ComNumberOfDevice(const std::string& path);

}  // namespace korv::platform
