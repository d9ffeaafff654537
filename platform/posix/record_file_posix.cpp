#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/record_file.h"

namespace korv::platform {

namespace {

// Non-blocking only for the open itself, so that a FIFO in its place cannot hang us.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsLink(const char* name) {
    struct stat info;
    return lstat(name, &info) == 0 && S_ISLNK(info.st_mode);
}

// What the failed open of `name` with `error` means; `creating` when the create failed.
RecordFailure CauseOf(int error, const char* name, bool creating) {
    switch (error) {
        case ENOENT:
            return IsLink(name) ? RecordFailure::kDanglingLink : RecordFailure::kMissing;
        case ELOOP:  // links leading round in a circle lead nowhere either
            return RecordFailure::kDanglingLink;
        case EISDIR:
            return RecordFailure::kFolder;
        case EACCES:
        case EPERM:
        case EROFS:
            return creating ? RecordFailure::kCannotCreate : RecordFailure::kNoAccess;
        default:
            return RecordFailure::kOther;
    }
}

// Through a link to an existing file too. A name that holds nothing is created as an
// ordinary file under that name only, `mode` less the umask: a link that leads nowhere
// is never followed to create its target.
int OpenOrCreateUnderOwnName(const char* name, int flags, mode_t mode, bool& creating) {
    creating = false;
    const int fd = open(name, flags);
    if (fd >= 0 || errno != ENOENT) return fd;
    creating = true;
    const int created = open(name, flags | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
    if (created >= 0 || errno != EEXIST) return created;
    // A link that leads nowhere, or another writer was quicker.
    return open(name, flags);
}

// `fd` blocking again when it is taken: never a folder, and when `ordinary_only` only an
// ordinary file (a device or a FIFO is no record to write). Otherwise closed, and why.
RecordFailure Take(int fd, bool ordinary_only) {
    struct stat info;
    RecordFailure refused = RecordFailure::kNone;
    if (fstat(fd, &info) != 0) refused = RecordFailure::kOther;
    else if (S_ISDIR(info.st_mode)) refused = RecordFailure::kFolder;
    else if (ordinary_only && !S_ISREG(info.st_mode)) refused = RecordFailure::kNotOrdinary;
    if (refused != RecordFailure::kNone) close(fd);
    else fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return refused;
}

}  // namespace

RecordFile::~RecordFile() { Close(); }

RecordOpenFailure RecordFile::Open(const std::string& name, Mode mode) {
    Close();
    name_ = name;
    const char* path = name.c_str();
    bool creating = false;
    int fd = -1;
    switch (mode) {
        case Mode::kPoll:
            // 0666 less the umask makes an ordinary file its writer can open too.
            fd = OpenOrCreateUnderOwnName(path, kOpenFlags | O_RDONLY, 0666, creating);
            break;
        case Mode::kRead:
            fd = open(path, kOpenFlags | O_RDONLY);
            break;
        case Mode::kWrite:
            fd = OpenOrCreateUnderOwnName(path, kOpenFlags | O_RDWR, 0644, creating);
            break;
    }
    if (fd < 0) return {CauseOf(errno, path, creating), LastSystemError()};
    const RecordFailure refused = Take(fd, mode == Mode::kWrite);
    if (refused == RecordFailure::kFolder) return {refused, SystemError(EISDIR)};
    if (refused != RecordFailure::kNone) return {refused, {}};
    handle_ = fd;
    return {};
}

std::error_code RecordFile::Close() {
    if (handle_ < 0) return {};
    const bool closed = close(static_cast<int>(handle_)) == 0;
    handle_ = -1;
    return closed ? std::error_code() : LastSystemError();
}

std::error_code RecordFile::Seek(std::int64_t offset) {
    if (lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0) return {};
    return LastSystemError();
}

std::error_code RecordFile::Read(void* buffer, int size, int& count) {
    ssize_t read_count;
    do {
        read_count = read(static_cast<int>(handle_), buffer, static_cast<size_t>(size));
    } while (read_count < 0 && errno == EINTR);
    count = read_count < 0 ? 0 : static_cast<int>(read_count);
    return read_count < 0 ? LastSystemError() : std::error_code();
}

std::error_code RecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
    const auto* from = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = pwrite(static_cast<int>(handle_), from + done, size - done,
                                     static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count == 0) return SystemError(EIO);
        if (count < 0) return LastSystemError();
        done += static_cast<std::size_t>(count);
    }
    return {};
}

std::error_code RecordFile::Size(std::int64_t& size) {
    struct stat info;
    if (fstat(static_cast<int>(handle_), &info) != 0) return LastSystemError();
    size = static_cast<std::int64_t>(info.st_size);
    return {};
}

bool RecordFile::FollowName() {
    struct stat named;
    struct stat held;
    if (handle_ < 0 || stat(name_.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return false;
    if (fstat(static_cast<int>(handle_), &held) == 0 && SameFile(named, held)) return false;
    // Opened without creating: the name already leads to an ordinary file.
    const int fd = open(name_.c_str(), kOpenFlags | O_RDONLY);
    if (fd < 0 || Take(fd, true) != RecordFailure::kNone) return false;
    close(static_cast<int>(handle_));
    handle_ = fd;
    return true;
}

}  // namespace korv::platform
