#include "platform/win32/own_name_open.h"

namespace korv::platform {

namespace {

HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags,
                       nullptr);
}

}  // namespace

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

HANDLE OpenOrCreateUnderOwnName(const char* name, DWORD access, DWORD share) {
    HANDLE file = Open(name, access, share, OPEN_EXISTING, 0);
    if (file != INVALID_HANDLE_VALUE || !IsMissing(GetLastError())) return file;
    // Opening the reparse point itself makes CREATE_NEW fail on any link by that name,
    // a dangling one included, instead of creating its target.
    file = Open(name, access, share, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return file;
    // A link that leads nowhere, or another writer was quicker.
    file = Open(name, access, share, OPEN_EXISTING, 0);
    if (file == INVALID_HANDLE_VALUE && IsMissing(GetLastError())) SetLastError(ERROR_FILE_EXISTS);
    return file;
}

}  // namespace korv::platform
