#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/check/port_list.h"

namespace korv::tools {
// korvpole-check --list: a line per port (its COM number, the device, the state and
// what the system says of it), the one KORVPOLE.CFG names (`configured`, 0 for none)
// marked, then what stands in the way. True when a port was found that is there
// (present or refused to this user).
bool PrintPortList(std::ostream& out, const std::vector<ListedPort>& ports, int configured,
                  const PortTakers& takers);
}  // namespace korv::tools
