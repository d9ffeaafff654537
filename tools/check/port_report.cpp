#include "tools/check/port_report.h"

#include <algorithm>
#include <set>

#include "platform/com_name.h"
#include "pole/korvpole_cfg.h"
#include "tools/check/check_words.h"

namespace korv::tools {

namespace {


std::string NumberColumn(const ListedPort& port) {
    return port.number > 0 ? platform::ComName(port.number) : "-";
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ') + "  ";
}

std::string Trimmed(std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

bool IsThere(const ListedPort& port) {
    return port.state == PortState::kPresent || port.state == PortState::kNoPermission;
}

// The word --list gives a state.
const char* StateWord(PortState state) {
    switch (state) {
        case PortState::kPresent: return "present";
        case PortState::kNoPermission: return "no permission";
        case PortState::kNotSerial: return "not a serial device";
        case PortState::kMissing: return "missing";
    }
    return "missing";
}

// One line per group this user lacks, for the ports it keeps closed.
std::vector<std::string> GroupAdvice(const std::vector<ListedPort>& ports) {
    std::set<std::string> groups;
    std::vector<std::string> advice;
    for (const ListedPort& port : ports) {
        if (port.state != PortState::kNoPermission || port.group.empty() || port.in_group ||
            !groups.insert(port.group).second)
            continue;
        advice.push_back("you are not in the group '" + port.group + "' that may open " +
                         port.device + ": " + JoinGroupAdvice(port.group));
    }
    return advice;
}

}  // namespace

bool PrintPortList(std::ostream& out, const std::vector<ListedPort>& ports, int configured,
                  const PortTakers& takers) {
    std::size_t number_width = 0;
    std::size_t device_width = 0;
    std::size_t state_width = 0;
    for (const ListedPort& port : ports) {
        number_width = std::max(number_width, NumberColumn(port).size());
        device_width = std::max(device_width, port.device.size());
        state_width = std::max(state_width, std::string(StateWord(port.state)).size());
    }
    bool configured_listed = false;
    bool unnumbered = false;
    for (const ListedPort& port : ports) {
        const bool marked = configured > 0 && port.number == configured;
        configured_listed = configured_listed || marked;
        unnumbered = unnumbered || (port.number == 0 && IsThere(port));
        std::string line = Padded(NumberColumn(port), number_width) +
                           Padded(port.device, device_width) +
                           Padded(StateWord(port.state), state_width) + port.description;
        if (marked) line += std::string(port.description.empty() ? "" : "  ") + "<- " + kConfigFileName;
        out << Trimmed(line) << "\n";
    }
    if (ports.empty()) out << "no serial port found\n";
    if (configured > 0 && !configured_listed)
        out << kConfigFileName << " names " << platform::ComName(configured) << ", which is not among them\n";
    if (unnumbered)
        out << "a port marked - has no COM number yet: link it in this folder, e.g. ln -s "
               "/dev/serial/by-id/NAME COM5\n";
    for (const std::string& line : GroupAdvice(ports)) out << "note: " << line << "\n";
    for (const std::string& line : TakerAdvice(ports, takers)) out << "note: " << line << "\n";
    return std::any_of(ports.begin(), ports.end(), IsThere);
}

}  // namespace korv::tools
