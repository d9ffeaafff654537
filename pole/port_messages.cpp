#include "pole/port_messages.h"

namespace korv {

namespace {

using platform::OpenFailure;
using platform::PortFacts;

bool IsWindowsName(const std::string& device) { return device.rfind("\\\\.\\", 0) == 0; }

std::string Com(int port) { return "COM" + std::to_string(port); }

struct Words {
    std::string cause;
    std::string remedy;     // for korvpole-check
    const char* joint = ": ";  // between the two
};

Words NoDevice(int port, const PortFacts& facts) {
    if (!facts.leads_to.empty())
        return {Com(port) + " links to " + facts.leads_to + ", which does not exist",
                "plug the display's adapter in, or point the link at its device (ls -l " +
                    Com(port) + ")"};
    const std::string where = IsWindowsName(facts.device)
                                  ? "Device Manager, under Ports (COM & LPT)"
                                  : "ls -l /dev/ttyS* /dev/ttyUSB* /dev/serial/by-id";
    return {"there is no " + PortName(port, facts),
            "check the port number and that the display's adapter is plugged in (" + where + ")"};
}

Words Permission(int port, const PortFacts& facts) {
    const std::string device = facts.leads_to.empty() ? facts.device : Com(port);
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
            "Join it with: sudo usermod -aG " + facts.group + " $USER, then log out and in again",
            ". "};
}

Words WordsFor(int port, OpenFailure failure, int code, const std::string& system_words,
               const PortFacts& facts) {
    switch (failure) {
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
    return {system_words + " (error " + std::to_string(code) + ")", "", ""};
}

}  // namespace

std::string PortName(int port, const PortFacts& facts) {
    if (!facts.leads_to.empty()) return Com(port) + " (link to " + facts.leads_to + ")";
    return Com(port) + " (" + facts.device + ")";
}

std::string OpenFailureAdvice(int port, OpenFailure failure, int code,
                              const std::string& system_words, const PortFacts& facts) {
    const Words words = WordsFor(port, failure, code, system_words, facts);
    if (words.remedy.empty()) return PortName(port, facts) + " cannot be opened: " + words.cause;
    return words.cause + words.joint + words.remedy;
}

std::string DarkDisplayLine(int port, OpenFailure failure, int code,
                            const std::string& system_words, const PortFacts& facts) {
    const std::string cause = WordsFor(port, failure, code, system_words, facts).cause;
    if (failure == OpenFailure::kNoPortNumber)
        return "The display stays dark: " + cause + "; press S to enter its port number.\n";
    return Com(port) + " cannot be opened: " + cause +
           ". The display stays dark; korvpole tries again every second.\n";
}

std::string DisplayReachedLine(int port) {
    return Com(port) + " is open: the display shows POLE.DAT again.\n";
}

}  // namespace korv
