#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/record_file.h"

namespace korv::platform {

namespace {

// Non-blocking only for the open itself, so that a FIFO in its place cannot hang us.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

// A link to an existing file is read like the file. A missing file is created under
// its own name only: a link leading nowhere is never followed to create its target.
// 0666 less the umask makes an ordinary file its writer can open too.
int OpenOrCreate(const char* name) {
    const int fd = open(name, kReadFlags);
    if (fd >= 0 || errno != ENOENT) return fd;
    const int created = open(name, kReadFlags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (created >= 0 || errno != EEXIST) return created;
    // A dangling link, or the writer was quicker.
    return open(name, kReadFlags);
}

}  // namespace

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Open(const char* name) {
    Close();
    const int fd = OpenOrCreate(name);
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
