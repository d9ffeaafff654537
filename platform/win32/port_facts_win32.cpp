#include "platform/port_facts.h"
#include "platform/serial_device.h"

namespace korv::platform {

// Windows names its ports itself and grants them by user, not by group.
PortFacts DescribePort(int port) {
    PortFacts facts;
    facts.device = SerialDevice::DeviceName(port);
    return facts;
}

}  // namespace korv::platform
