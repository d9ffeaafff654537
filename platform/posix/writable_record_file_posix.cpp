#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/own_name_open.h"
#include "platform/system_error.h"
#include "platform/writable_record_file.h"

namespace korv::platform {

namespace {

// Non-blocking only for the open itself, so that a FIFO in its place cannot hang us.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK;

int Blocking(int fd) {
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

WritableRecordFile::~WritableRecordFile() { Close(); }

bool WritableRecordFile::Fail() {
    error_ = errno;
    return false;
}

bool WritableRecordFile::OpenForReading(const std::string& path) {
    Close();
    handle_ = Blocking(open(path.c_str(), kOpenFlags | O_RDONLY));
    return handle_ >= 0 || Fail();
}

bool WritableRecordFile::OpenForWriting(const std::string& path) {
    Close();
    handle_ = Blocking(OpenOrCreateUnderOwnName(path.c_str(), kOpenFlags | O_RDWR, 0644));
    if (handle_ < 0) return Fail();
    // Only an ordinary file is a record: a device or a FIFO in its place is refused.
    struct stat info;
    if (fstat(static_cast<int>(handle_), &info) == 0 && S_ISREG(info.st_mode)) return true;
    Close();
    error_ = kNotOrdinaryFile;
    return false;
}

long WritableRecordFile::ReadAt(void* buffer, std::size_t size, std::size_t offset) {
    ssize_t count;
    do {
        count = pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(offset));
    } while (count < 0 && errno == EINTR);
    if (count < 0) Fail();
    return static_cast<long>(count);
}

bool WritableRecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
    const auto* from = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = pwrite(static_cast<int>(handle_), from + done, size - done,
                                     static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count == 0) errno = EIO;
        if (count <= 0) return Fail();
        done += static_cast<std::size_t>(count);
    }
    return true;
}

bool WritableRecordFile::Close() {
    if (handle_ < 0) return true;
    const bool closed = close(static_cast<int>(handle_)) == 0;
    handle_ = -1;
    return closed || Fail();
}

bool WritableRecordFile::Missing() const { return error_ == ENOENT; }

bool WritableRecordFile::NameTaken() const { return error_ == EEXIST || error_ == ELOOP; }

std::string WritableRecordFile::LastError() const {
    if (error_ == kNotOrdinaryFile) return "not an ordinary file (a device or a FIFO has the name)";
    return error_ == 0 ? std::string() : SystemErrorText(error_);
}

}  // namespace korv::platform
