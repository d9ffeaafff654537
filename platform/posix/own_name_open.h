#pragma once

#include <sys/types.h>

namespace korv::platform {

// Opens `name` with `flags`, through a link to an existing file too. A name that holds
// nothing is created as an ordinary file under that name only, `mode` less the umask: a
// link that leads nowhere is never followed to create its target. -1 with errno on
// failure; EEXIST for such a link.
int OpenOrCreateUnderOwnName(const char* name, int flags, mode_t mode);

}  // namespace korv::platform
