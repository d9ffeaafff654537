#include "platform/com_name.h"
#include "platform/port_facts.h"

namespace korv::platform {

// Windows names its ports itself and grants them by user, not by group.
PortFacts DescribePort(int port) {
    PortFacts facts;
    facts.device = ComDevicePath(port);
    return facts;
}

}  // namespace korv::platform
