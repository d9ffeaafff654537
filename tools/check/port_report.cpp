#include "tools/check/port_report.h"

#include <algorithm>
#include <set>

#include "platform/com_name.h"
#include "pole/korvpole_cfg.h"
#include "tools/check/check_words.h"

namespace korv::tools {
namespace {
std::string NumberColumn(const ListedPort& port) { return port.number > 0 ? platform::ComName(port.number) : "-"; }

bool IsThere(const ListedPort& port) {
    return port.state == PortState::kPresent || port.state == PortState::kNoPermission;
}

std::string StateWord(PortState state) {
    switch (state) {
        case PortState::kPresent: return "present";
        case PortState::kNoPermission: return "no permission";
        case PortState::kNotSerial: return "not a serial device";
        case PortState::kMissing: return "missing";
    }
    return "missing";
}
}  // namespace

bool PrintPortList(std::ostream& out, const std::vector<ListedPort>& ports, int configured, const PortTakers& takers) {
    std::size_t widths[3] = {};
    for (const ListedPort& port : ports) {
        widths[0] = std::max(widths[0], NumberColumn(port).size());
        widths[1] = std::max(widths[1], port.device.size());
        widths[2] = std::max(widths[2], StateWord(port.state).size());
    }
    bool configured_listed = false;
    bool unnumbered = false;
    for (const ListedPort& port : ports) {
        const bool marked = configured > 0 && port.number == configured;
        configured_listed = configured_listed || marked;
        unnumbered = unnumbered || (port.number == 0 && IsThere(port));
        std::string line;
        const std::string columns[3] = {NumberColumn(port), port.device, StateWord(port.state)};
        for (int i = 0; i < 3; ++i) line += columns[i] + std::string(widths[i] - columns[i].size() + 2, ' ');
        line += port.description;
        if (marked) line += std::string(port.description.empty() ? "" : "  ") + "<- " + kConfigFileName;
        out << line.erase(line.find_last_not_of(' ') + 1) << "\n";
    }
    if (ports.empty()) out << "no serial port found\n";
    if (configured > 0 && !configured_listed)
        out << kConfigFileName << " names " << platform::ComName(configured) << ", which is not among them\n";
    if (unnumbered)
        out << "a port marked - has no COM number yet: link it in this folder, e.g. ln -s "
               "/dev/serial/by-id/NAME COM5\n";
    // One line per group this user lacks, for the ports it keeps closed.
    std::set<std::string> groups;
    for (const ListedPort& port : ports)
        if (port.state == PortState::kNoPermission && !port.group.empty() && !port.in_group &&
            groups.insert(port.group).second)
            out << "note: you are not in the group '" << port.group << "' that may open " << port.device << ": "
                << JoinGroupAdvice(port.group) << "\n";
    for (const std::string& line : TakerAdvice(ports, takers)) out << "note: " << line << "\n";
    return std::any_of(ports.begin(), ports.end(), IsThere);
}
}  // namespace korv::tools
