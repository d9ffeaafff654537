#include <sys/stat.h>

#include "platform/port_facts.h"
#include "platform/posix/device_facts.h"

namespace korv::platform {
PortFacts DescribeDevice(const std::string& device) {
    PortFacts facts;
    facts.device = device;
    struct stat info;
    if (lstat(facts.device.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        facts.leads_to = LinkTarget(facts.device);
    if (stat(facts.device.c_str(), &info) == 0 && info.st_gid != 0) {
        facts.group = GroupName(info.st_gid);
        facts.member_of_group = HasGroup(info.st_gid);
    }
    return facts;
}
}  // namespace korv::platform
