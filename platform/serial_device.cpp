#include "platform/serial_device.h"

#include "platform/com_name.h"

// The opens every real platform shares; OpenDevice is its own.
namespace korv::platform {
PortOpenFailure SerialDevice::Open(int port, int baud) {
    Close();
    if (port < 1) return {OpenFailure::kNoPortNumber, {}};
    return OpenDevice(ComDevicePath(port), baud, false);
}

PortOpenFailure SerialDevice::OpenToRead(const std::string& device, int baud) {
    Close();
    return OpenDevice(device, baud, true);
}
}  // namespace korv::platform
