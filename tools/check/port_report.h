#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/port_list.h"

namespace korv::tools {

// korvpole-check --list: a line per port (its COM number, the device, the state and
// what the system says of it), the one KORVPOLE.CFG names (`configured`, 0 for none)
// marked, then what stands in the way. The exit status: 0 when a port was found that
// is there (present or refused to this user), 1 when none.
int PrintPortList(std::ostream& out, const std::vector<platform::ListedPort>& ports, int configured,
                  const platform::PortTakers& takers);

// What takes USB serial adapters away before korvpole gets them, each with its fix.
std::vector<std::string> TakerAdvice(const std::vector<platform::ListedPort>& ports,
                                     const platform::PortTakers& takers);

}  // namespace korv::tools
