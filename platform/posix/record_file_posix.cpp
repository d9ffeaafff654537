#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/own_name_open.h"
#include "platform/record_file.h"

namespace korv::platform {

namespace {

// Non-blocking only for the open itself, so that a FIFO in its place cannot hang us.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

}  // namespace

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Open(const char* name) {
    Close();
    // A link to an existing file is read like the file; a missing one is created empty.
    // 0666 less the umask makes an ordinary file its writer can open too.
    const int fd = OpenOrCreateUnderOwnName(name, kReadFlags, 0666);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    descriptor_ = fd;
    return true;
}

void RecordFile::Close() {
    if (descriptor_ < 0) return;
    close(descriptor_);
    descriptor_ = -1;
}

std::int64_t RecordFile::Seek(std::int64_t offset) {
    const off_t position = lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

int RecordFile::Read(void* buffer, int size) {
    ssize_t count;
    do {
        count = read(descriptor_, buffer, static_cast<size_t>(size));
    } while (count < 0 && errno == EINTR);
    return count < 0 ? -1 : static_cast<int>(count);
}

}  // namespace korv::platform
