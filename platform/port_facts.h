#pragma once

#include <string>

namespace korv::platform {

// For the words korvpole and the health check say when port n does not open.
struct PortFacts {
    std::string device;            // ComDevicePath(n)
    std::string leads_to;          // a COM<n> link's target, and where it finally leads
    std::string group;             // the device's owning group; empty where none applies
    bool member_of_group = false;  // this process has that group already
};

PortFacts DescribePort(int port);

}  // namespace korv::platform
