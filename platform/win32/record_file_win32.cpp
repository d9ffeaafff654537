#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdint.h>
#include <stdio.h>

#include "platform/record_file.h"

namespace korv::platform {

namespace {

// Deny-none, so that the point-of-sale application can keep rewriting the file while
// it is open here. Returns the runtime's error number, 0 on success.
errno_t OpenExisting(const char* name, int& fd) {
    return _sopen_s(&fd, name, _O_RDONLY | _O_BINARY, _SH_DENYNO, 0);
}

// A new, ordinary file under the name itself, never by way of a reparse point, shared
// as above and readable and writable, so that the writer can fill it.
int CreateNew(const char* name, bool& name_taken) {
    const HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        name_taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) CloseHandle(file);
    return fd;
}

}  // namespace

RecordFile::~RecordFile() { Close(); }

// A link to an existing file is read like the file; only a name that holds nothing is
// created. A dangling link, or a writer that was quicker, gets one more plain open.
bool RecordFile::Open(const char* name) {
    Close();
    int fd = -1;
    const errno_t failed = OpenExisting(name, fd);
    if (failed == ENOENT) {
        bool name_taken = false;
        fd = CreateNew(name, name_taken);
        if (fd < 0 && name_taken && OpenExisting(name, fd) != 0) fd = -1;
    } else if (failed != 0) {
        fd = -1;
    }
    if (fd < 0) return false;
    descriptor_ = fd;
    return true;
}

void RecordFile::Close() {
    if (descriptor_ < 0) return;
    _close(descriptor_);
    descriptor_ = -1;
}

// The runtime treats a bad descriptor as a programming error and may end the
// process, so a closed file is answered here.
std::int64_t RecordFile::Seek(std::int64_t offset) {
    if (descriptor_ < 0) return -1;
    const __int64 position = _lseeki64(descriptor_, offset, SEEK_SET);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

int RecordFile::Read(void* buffer, int size) {
    if (descriptor_ < 0 || size < 0) return -1;
    return _read(descriptor_, buffer, static_cast<unsigned int>(size));
}

}  // namespace korv::platform
