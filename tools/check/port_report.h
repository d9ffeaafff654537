#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/check/port_list.h"

namespace korv::tools {
// --list: a line per port, the one KORVPOLE.CFG names (`configured`, 0 for none) marked,
// then what stands in the way. True when a port is there (present or refused).
bool PrintPortList(std::ostream& out, const std::vector<ListedPort>& ports, int configured, const PortTakers& takers);
}  // namespace korv::tools
