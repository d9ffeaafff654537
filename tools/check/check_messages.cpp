#include "tools/check/check_messages.h"

namespace korv::tools {

namespace {

bool IsWindowsName(const std::string& device) { return device.rfind("\\\\.\\", 0) == 0; }

std::string Com(int port) { return "COM" + std::to_string(port); }

std::string NoDevice(int port, const platform::PortFacts& facts) {
    if (!facts.leads_to.empty())
        return Com(port) + " links to " + facts.leads_to +
               ", which does not exist: plug the display's adapter in, or point the link at "
               "its device (ls -l " + Com(port) + ")";
    const std::string where = IsWindowsName(facts.device)
                                  ? "Device Manager, under Ports (COM & LPT)"
                                  : "ls -l /dev/ttyS* /dev/ttyUSB* /dev/serial/by-id";
    return "there is no " + PortName(port, facts) +
           ": check the port number and that the display's adapter is plugged in (" + where + ")";
}

std::string Permission(int port, const platform::PortFacts& facts) {
    const std::string device = facts.leads_to.empty() ? facts.device : Com(port);
    if (facts.group.empty())
        return "access to " + PortName(port, facts) +
               " was refused: run the check as the user that runs korvpole, or ask the "
               "computer's administrator for access to the port";
    if (facts.member_of_group)
        return "you may not open " + PortName(port, facts) + " although you are in its group '" +
               facts.group + "': look at its permissions (ls -lL " + device + ")";
    return "you may not open " + PortName(port, facts) + ": only members of the group '" +
           facts.group + "' may. Join it with: sudo usermod -aG " + facts.group +
           " $USER, then log out and in again";
}

}  // namespace

std::string PortName(int port, const platform::PortFacts& facts) {
    if (!facts.leads_to.empty()) return Com(port) + " (link to " + facts.leads_to + ")";
    return Com(port) + " (" + facts.device + ")";
}

std::string OpenFailureAdvice(int port, platform::OpenFailure failure, int code,
                              const std::string& system_words, const platform::PortFacts& facts) {
    switch (failure) {
        case platform::OpenFailure::kNoPortNumber:
            return "no COM port is configured (port " + std::to_string(port) +
                   "): start korvpole here and press S to enter the display's port number, "
                   "or try one with --port N";
        case platform::OpenFailure::kNoDevice:
            return NoDevice(port, facts);
        case platform::OpenFailure::kBusy:
            return PortName(port, facts) +
                   " is held by another program, a running korvpole included: end it (X in "
                   "korvpole) and run the check again";
        case platform::OpenFailure::kPermission:
            return Permission(port, facts);
        case platform::OpenFailure::kNotSerial:
            return PortName(port, facts) +
                   " is not a serial device: point it at the port the display is plugged into";
        case platform::OpenFailure::kNone:
        case platform::OpenFailure::kOther:
            break;
    }
    return PortName(port, facts) + " cannot be opened: " + system_words + " (error " +
           std::to_string(code) + ")";
}

}  // namespace korv::tools
