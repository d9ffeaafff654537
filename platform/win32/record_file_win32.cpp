#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <sys/stat.h>

#include "platform/record_file.h"

namespace korv::platform {

RecordFile::~RecordFile() { Close(); }

// Deny-none, so that the point-of-sale application can keep rewriting the file while
// it is open here; created readable and writable so that it can.
bool RecordFile::Open(const char* name) {
    Close();
    int fd = -1;
    const errno_t failed = _sopen_s(&fd, name, _O_RDONLY | _O_BINARY | _O_CREAT, _SH_DENYNO,
                                    _S_IREAD | _S_IWRITE);
    if (failed != 0 || fd < 0) return false;
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
