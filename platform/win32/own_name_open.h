#pragma once

#include <windows.h>

namespace korv::platform {

// Opens `name` for `access`, shared as `share`, through a link to an existing file too.
// A name that holds nothing is created as a new, ordinary file under that name only,
// never by way of a reparse point. INVALID_HANDLE_VALUE and GetLastError() on failure;
// ERROR_FILE_EXISTS for a link that leads nowhere.
HANDLE OpenOrCreateUnderOwnName(const char* name, DWORD access, DWORD share);

// The error says that nothing has the name.
bool IsMissing(DWORD error);

}  // namespace korv::platform
