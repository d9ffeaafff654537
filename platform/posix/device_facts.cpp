#include "platform/posix/device_facts.h"

#include <grp.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace korv::platform {
std::string GroupName(gid_t group) {
    std::vector<char> buffer(4096);
    struct group entry;
    struct group* found = nullptr;
    if (getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return std::to_string(group);
    return entry.gr_name;
}

bool HasGroup(gid_t group) {
    if (getegid() == group) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    groups.resize(static_cast<std::size_t>(std::max(getgroups(count, groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length < 0) return {};
    std::string leads_to(target, static_cast<std::size_t>(length));
    char resolved[PATH_MAX];
    if (realpath(link.c_str(), resolved) != nullptr && leads_to != resolved)
        leads_to += std::string(" -> ") + resolved;
    return leads_to;
}
}  // namespace korv::platform
