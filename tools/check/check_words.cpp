#include "tools/check/check_words.h"

#include <algorithm>

#include "display/display_driver.h"
#include "platform/com_name.h"
#include "pole/failure_words.h"

namespace korv::tools {
namespace {
using platform::OpenFailure;

std::string Remedy(int port, const platform::PortOpenFailure& failure, const platform::PortFacts& facts) {
    switch (failure.cause) {
        case OpenFailure::kNoPortNumber:
            return "start korvpole here and press S to enter the display's port number, or try one with --port N";
        case OpenFailure::kNoDevice:
            if (!facts.leads_to.empty())
                return "plug the display's adapter in, or point the link at its device (ls -l " +
                       platform::ComName(port) + ")";
            return std::string("check the port number and that the display's adapter is plugged in (") +
                   (facts.device.rfind("\\\\.\\", 0) == 0 ? "Device Manager, under Ports (COM & LPT)"
                                                         : "ls -l /dev/ttyS* /dev/ttyUSB* /dev/serial/by-id") +
                   ")";
        case OpenFailure::kBusy:
            return "end it (X in korvpole) and run the check again";
        case OpenFailure::kPermission:
            if (facts.group.empty())
                return "run the check as the user that runs korvpole, or ask the computer's administrator for "
                       "access to the port";
            if (facts.member_of_group)
                return "look at its permissions (ls -lL " +
                       (facts.leads_to.empty() ? facts.device : platform::ComName(port)) + ")";
            return "Join it with: " + JoinGroupAdvice(facts.group);
        case OpenFailure::kNotSerial:
            return "point it at the port the display is plugged into";
        case OpenFailure::kNone:
        case OpenFailure::kOther:
            break;
    }
    return "";
}
}  // namespace

void Fail(std::ostream& err, const std::string& why) { err << "korvpole-check: FAIL: " << why << "\n"; }

std::string OpenFailureAdvice(int port, const platform::PortOpenFailure& failure, const platform::PortFacts& facts) {
    const std::string cause = PortCause(port, failure, facts);
    const std::string remedy = Remedy(port, failure, facts);
    if (remedy.empty()) return PortName(port, facts) + " cannot be opened: " + cause;
    // The group's advice is a sentence of its own after the cause's colon.
    const bool own_sentence =
        failure.cause == OpenFailure::kPermission && !facts.group.empty() && !facts.member_of_group;
    return cause + (own_sentence ? ". " : ": ") + remedy;
}

std::string JoinGroupAdvice(const std::string& group) {
    return "sudo usermod -aG " + group + " $USER, then log out and in again";
}

std::vector<std::string> TakerAdvice(const std::vector<ListedPort>& ports, const PortTakers& takers) {
    std::vector<std::string> advice;
    const bool usb_adapter = takers.usb_adapter || std::any_of(ports.begin(), ports.end(),
                                                               [](const ListedPort& port) { return port.usb_adapter; });
    if (takers.braille_daemon && usb_adapter)
        advice.push_back(
            "brltty is installed and takes USB serial adapters with common chips (CH340, "
            "CP210x) for braille displays, so their port vanishes: sudo apt-get remove brltty "
            "(unless a braille display is used here)");
    if (takers.modem_manager)
        advice.push_back(
            "ModemManager is running and probes every new serial port, holding the display's "
            "adapter for a while after it is plugged in: give the adapter "
            "ENV{ID_MM_DEVICE_IGNORE}=\"1\" in a udev rule (see README), or: sudo systemctl "
            "disable --now ModemManager");
    return advice;
}

bool Verdict(const DisplayDriver& display, const std::string& port_name, const std::string& shown, bool kept,
             bool backlight_on, const std::string& rows, std::ostream& out, std::ostream& err) {
    if (display.Unreachable()) {
        Fail(err, port_name + " went away while the pattern was sent: check that the display's adapter and cable "
                              "are plugged in, then run the check again");
        return false;
    }
    if (const std::uint64_t not_taken = display.BytesNotTaken()) {
        Fail(err, port_name + " opened, but did not take " + std::to_string(not_taken) +
                      " bytes of the pattern: the display is not reading them (cable, power, or flow control "
                      "holding the line)");
        return false;
    }
    const DisplayProtocol& protocol = display.Protocol();
    out << "korvpole-check: OK: the test pattern went out on " << port_name
        << " and every byte was taken. Look at the display: " << shown << "; now "
        << (kept ? "the pattern stays up" : "it is cleared") << ", " << protocol.light_name << " "
        << (backlight_on ? protocol.light_on_word : protocol.light_off_word) << ". " << rows << "\n";
    return true;
}
}  // namespace korv::tools
