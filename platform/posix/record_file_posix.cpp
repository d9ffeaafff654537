#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/own_name_open.h"
#include "platform/record_file.h"
#include "platform/system_error.h"

namespace korv::platform {

namespace {

// Non-blocking only for the open itself, so that a FIFO in its place cannot hang us.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK;
constexpr int kNotOrdinaryFile = -1;  // no system error says so

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The descriptor blocking again, if it names what `wanted` accepts; else closed, -1.
int Accepted(int fd, bool (*wanted)(mode_t), int refusal) {
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !wanted(info.st_mode)) {
        close(fd);
        errno = refusal;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool NoFolder(mode_t mode) { return !S_ISDIR(mode); }
bool Ordinary(mode_t mode) { return S_ISREG(mode); }

}  // namespace

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Fail() {
    error_ = errno;
    return false;
}

bool RecordFile::Open(const std::string& name, Mode mode) {
    Close();
    name_ = name;
    const char* path = name.c_str();
    switch (mode) {
        case Mode::kPoll:
            // 0666 less the umask makes an ordinary file its writer can open too.
            handle_ = Accepted(OpenOrCreateUnderOwnName(path, kOpenFlags | O_RDONLY, 0666),
                               NoFolder, EISDIR);
            break;
        case Mode::kRead:
            handle_ = Accepted(open(path, kOpenFlags | O_RDONLY), NoFolder, EISDIR);
            break;
        case Mode::kWrite:
            // A device or a FIFO in its place is no record.
            handle_ = Accepted(OpenOrCreateUnderOwnName(path, kOpenFlags | O_RDWR, 0644),
                               Ordinary, kNotOrdinaryFile);
            break;
    }
    return handle_ >= 0 || Fail();
}

bool RecordFile::Close() {
    if (handle_ < 0) return true;
    const bool closed = close(static_cast<int>(handle_)) == 0;
    handle_ = -1;
    return closed || Fail();
}

std::int64_t RecordFile::Seek(std::int64_t offset) {
    const off_t position = lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET);
    if (position >= 0) return static_cast<std::int64_t>(position);
    Fail();
    return -1;
}

int RecordFile::Read(void* buffer, int size) {
    ssize_t count;
    do {
        count = read(static_cast<int>(handle_), buffer, static_cast<size_t>(size));
    } while (count < 0 && errno == EINTR);
    if (count < 0) Fail();
    return count < 0 ? -1 : static_cast<int>(count);
}

bool RecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
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

std::int64_t RecordFile::Size() {
    struct stat info;
    if (fstat(static_cast<int>(handle_), &info) == 0) return static_cast<std::int64_t>(info.st_size);
    Fail();
    return -1;
}

bool RecordFile::FollowName() {
    struct stat named;
    struct stat held;
    if (handle_ < 0 || stat(name_.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return false;
    if (fstat(static_cast<int>(handle_), &held) == 0 && SameFile(named, held)) return false;
    // Opened without creating: the name already leads to an ordinary file.
    const int fd = Accepted(open(name_.c_str(), kOpenFlags | O_RDONLY), Ordinary, kNotOrdinaryFile);
    if (fd < 0) return false;
    close(static_cast<int>(handle_));
    handle_ = fd;
    return true;
}

bool RecordFile::Missing() const { return error_ == ENOENT; }

bool RecordFile::NameTaken() const { return error_ == EEXIST || error_ == ELOOP; }

std::string RecordFile::LastError() const {
    if (error_ == kNotOrdinaryFile) return "not an ordinary file (a device or a FIFO has the name)";
    return error_ == 0 ? std::string() : SystemErrorText(error_);
}

}  // namespace korv::platform
