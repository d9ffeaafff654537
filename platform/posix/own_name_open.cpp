#include "platform/posix/own_name_open.h"

#include <fcntl.h>

#include <cerrno>

namespace korv::platform {

int OpenOrCreateUnderOwnName(const char* name, int flags, mode_t mode) {
    const int fd = open(name, flags);
    if (fd >= 0 || errno != ENOENT) return fd;
    const int created = open(name, flags | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
    if (created >= 0 || errno != EEXIST) return created;
    // A link that leads nowhere, or another writer was quicker.
    const int existing = open(name, flags);
    if (existing < 0 && errno == ENOENT) errno = EEXIST;
    return existing;
}

}  // namespace korv::platform
