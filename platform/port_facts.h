#pragma once

#include <string>

#include "platform/com_name.h"

namespace korv::platform {

// What a technician needs to know about the device that port n names, for the words
// korvpole and the health check say when it does not open.
struct PortFacts {
    std::string device;       // ComDevicePath: "\\.\COM5", "COM5", "/dev/ttyS4"
    std::string leads_to;     // a COM<n> link's target (and where it finally leads); empty when no link
    std::string group;        // the group that owns the device; empty where none applies
    bool member_of_group = false;  // this process already has that group
};

// `device` as ComDevicePath names it, or a device's own name ("/dev/ttyUSB0").
PortFacts DescribeDevice(const std::string& device);
inline PortFacts DescribePort(int port) { return DescribeDevice(ComDevicePath(port)); }

}  // namespace korv::platform
