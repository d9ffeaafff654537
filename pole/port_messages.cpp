#include "pole/port_messages.h"

#include "platform/com_name.h"
#include "pole/record_format.h"

namespace korv {

namespace {

using platform::ComName;
using platform::OpenFailure;
using platform::PortFacts;
using platform::PortOpenFailure;

bool IsWindowsName(const std::string& device) { return device.rfind("\\\\.\\", 0) == 0; }

struct Words {
    std::string cause;
    std::string remedy;     // for korvpole-check
    const char* joint = ": ";  // between the two
};

Words NoDevice(int port, const PortFacts& facts) {
    if (!facts.leads_to.empty())
        return {ComName(port) + " links to " + facts.leads_to + ", which does not exist",
                "plug the display's adapter in, or point the link at its device (ls -l " +
                    ComName(port) + ")"};
    const std::string where = IsWindowsName(facts.device)
                                  ? "Device Manager, under Ports (COM & LPT)"
                                  : "ls -l /dev/ttyS* /dev/ttyUSB* /dev/serial/by-id";
    return {"there is no " + PortName(port, facts),
            "check the port number and that the display's adapter is plugged in (" + where + ")"};
}

Words Permission(int port, const PortFacts& facts) {
    const std::string device = facts.leads_to.empty() ? facts.device : ComName(port);
    if (facts.group.empty())
        return {"access to " + PortName(port, facts) + " was refused",
                "run the check as the user that runs korvpole, or ask the computer's "
                "administrator for access to the port"};
    if (facts.member_of_group)
        return {"you may not open " + PortName(port, facts) + " although you are in its group '" +
                    facts.group + "'",
                "look at its permissions (ls -lL " + device + ")"};
    return {"you may not open " + PortName(port, facts) + ": only members of the group '" +
                facts.group + "' may",
            "Join it with: " + JoinGroupAdvice(facts.group),
            ". "};
}

Words WordsFor(int port, const PortOpenFailure& failure, const PortFacts& facts) {
    switch (failure.cause) {
        case OpenFailure::kNoPortNumber:
            return {"no COM port is configured (port " + std::to_string(port) + ")",
                    "start korvpole here and press S to enter the display's port number, or try "
                    "one with --port N"};
        case OpenFailure::kNoDevice:
            return NoDevice(port, facts);
        case OpenFailure::kBusy:
            return {PortName(port, facts) +
                        " is held by another program, a running korvpole included",
                    "end it (X in korvpole) and run the check again"};
        case OpenFailure::kPermission:
            return Permission(port, facts);
        case OpenFailure::kNotSerial:
            return {PortName(port, facts) + " is not a serial device",
                    "point it at the port the display is plugged into"};
        case OpenFailure::kNone:
        case OpenFailure::kOther:
            break;
    }
    return {failure.error.message() + " (error " + std::to_string(failure.error.value()) + ")", "", ""};
}

}  // namespace

std::string PortName(int port, const PortFacts& facts) {
    if (!facts.leads_to.empty()) return ComName(port) + " (link to " + facts.leads_to + ")";
    return ComName(port) + " (" + facts.device + ")";
}

std::string OpenFailureAdvice(int port, const PortOpenFailure& failure, const PortFacts& facts) {
    const Words words = WordsFor(port, failure, facts);
    if (words.remedy.empty()) return PortName(port, facts) + " cannot be opened: " + words.cause;
    return words.cause + words.joint + words.remedy;
}

std::string DarkDisplayLine(int port, const PortOpenFailure& failure, const PortFacts& facts) {
    const std::string cause = WordsFor(port, failure, facts).cause;
    if (failure.cause == OpenFailure::kNoPortNumber)
        return "The display stays dark: " + cause + "; press S to enter its port number.\n";
    return ComName(port) + " cannot be opened: " + cause +
           ". The display stays dark; korvpole tries again every second.\n";
}

std::string DisplayReachedLine(int port) {
    return ComName(port) + " is open: the display shows " + kPoleRecordFileName + " again.\n";
}

std::string JoinGroupAdvice(const std::string& group) {
    return "sudo usermod -aG " + group + " $USER, then log out and in again";
}

}  // namespace korv
