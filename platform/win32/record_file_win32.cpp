#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#include <stdio.h>

#include "platform/record_file.h"
#include "platform/win32/own_name_open.h"

namespace korv::platform {

RecordFile::~RecordFile() { Close(); }

// Deny-none, so that the point-of-sale application can keep rewriting the file while
// it is open here; a new file is readable and writable, so that it can fill it.
bool RecordFile::Open(const char* name) {
    Close();
    const HANDLE file =
        OpenOrCreateUnderOwnName(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file == INVALID_HANDLE_VALUE) return false;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return false;
    }
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
