#include "platform/port_facts.h"

namespace korv::platform {
// Windows names its ports itself and grants them by user, not by group.
PortFacts DescribeDevice(const std::string& device) { return {device, "", "", false}; }
}  // namespace korv::platform
