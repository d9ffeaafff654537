#pragma once

#include <sys/types.h>

#include <string>

namespace korv::platform {
// The group's name, or its number when it has none.
std::string GroupName(gid_t group);
// This process has the group, as its own or a supplementary one.
bool HasGroup(gid_t group);

// A link's own target, then the path it comes to after every link on the way, e.g. a
// by-id name and the ttyUSB device behind it; empty when `link` is no link.
std::string LinkTarget(const std::string& link);
}  // namespace korv::platform
