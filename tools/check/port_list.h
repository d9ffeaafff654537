#pragma once

#include <string>
#include <vector>

namespace korv::tools {
// What a port's name leads to, as far as the system tells without opening it.
enum class PortState {
    kPresent,       // a serial device this user may open
    kNoPermission,  // a serial device this user may not open
    kNotSerial,     // something else in the port's place: a file, a FIFO, another device
    kMissing,       // a name that leads nowhere, e.g. a COM<n> link to an unplugged adapter
};

struct ListedPort {
    int number = 0;           // COM<n> as korvpole numbers it; 0 when no number reaches it
    std::string device;       // "COM5 -> /dev/ttyUSB0", "/dev/ttyS0", "\\.\COM5"
    std::string description;  // what the system says of the device; may be empty
    PortState state = PortState::kPresent;
    bool usb_adapter = false;
    std::string group;      // the group that may open it, where one applies
    bool in_group = false;  // this process has that group
};

// Every serial port, on POSIX the folder's COM<n> entries first. None is opened, as an
// open raises the control lines of a till's receipt printer, scale or card terminal.
std::vector<ListedPort> ListPorts();

// What is known to take USB serial adapters before any program gets them.
struct PortTakers {
    bool braille_daemon = false;  // installed: claims adapters with common chips
    bool modem_manager = false;   // running: probes every new serial port
    bool usb_adapter = false;     // a USB serial adapter is plugged in, taken or not
};
PortTakers FindPortTakers();
}  // namespace korv::tools
