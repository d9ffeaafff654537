#pragma once

#include <string>

#include "platform/com_name.h"

namespace korv::platform {
// For the words korvpole and the health check say when port n does not open.
struct PortFacts {
    std::string device;            // ComDevicePath(n)
    std::string leads_to;          // a COM<n> link's target, and where it finally leads
    std::string group;             // the device's owning group; empty where none applies
    bool member_of_group = false;  // this process has that group already
};

// `device` as ComDevicePath names it, or a device's own name ("/dev/ttyUSB0").
PortFacts DescribeDevice(const std::string& device);
inline PortFacts DescribePort(int port) { return DescribeDevice(ComDevicePath(port)); }
}  // namespace korv::platform
