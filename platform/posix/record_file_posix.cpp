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

// What the failed open of `name` with `error` means; `creating` when the create failed.
RecordFailure CauseOf(int error, const char* name, bool creating) {
    struct stat info;
    // Links leading round in a circle (ELOOP) lead nowhere either.
    if (error == ELOOP || (error == ENOENT && lstat(name, &info) == 0 && S_ISLNK(info.st_mode)))
        return RecordFailure::kDanglingLink;
    if (error == ENOENT) return RecordFailure::kMissing;
    if (error == EISDIR) return RecordFailure::kFolder;
    if (OneOf(error, EACCES, EPERM, EROFS)) return creating ? RecordFailure::kCannotCreate : RecordFailure::kNoAccess;
    return RecordFailure::kOther;
}

// O_NOFOLLOW: a link that leads nowhere is never followed to create its target.
int OpenOrCreateUnderOwnName(const char* name, int flags, mode_t mode, bool& creating) {
    const int fd = open(name, flags);
    if (fd >= 0 || errno != ENOENT) return fd;
    creating = true;
    const int created = open(name, flags | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
    if (created >= 0 || errno != EEXIST) return created;
    // A link that leads nowhere, or another writer was quicker.
    return open(name, flags);
}

// `fd` made blocking, or closed and why: no folder, nor (to write) a device or a FIFO.
RecordOpenFailure Take(int fd, bool ordinary_only) {
    struct stat info;
    RecordOpenFailure refused;
    if (fstat(fd, &info) != 0) refused = {RecordFailure::kOther, {}};
    else if (S_ISDIR(info.st_mode)) refused = {RecordFailure::kFolder, SystemError(EISDIR)};
    else if (ordinary_only && !S_ISREG(info.st_mode)) refused = {RecordFailure::kNotOrdinary, {}};
    if (refused) close(fd);
    else fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return refused;
}
}  // namespace

RecordOpenFailure RecordFile::Open(const std::string& name, Mode mode) {
    Close();
    name_ = name;
    const char* path = name.c_str();
    const int flags = kOpenFlags | (mode == Mode::kWrite ? O_RDWR : O_RDONLY);
    bool creating = false;
    // kPoll's 0666 less the umask makes an ordinary file its writer can open too.
    const mode_t new_mode = mode == Mode::kPoll ? 0666 : 0644;
    const int fd =
        mode == Mode::kRead ? open(path, flags) : OpenOrCreateUnderOwnName(path, flags, new_mode, creating);
    if (fd < 0) return {CauseOf(errno, path, creating), LastSystemError()};
    const RecordOpenFailure refused = Take(fd, mode == Mode::kWrite);
    if (!refused) handle_ = fd;
    return refused;
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
    const int fd = static_cast<int>(handle_);
    ssize_t got;
    while ((got = read(fd, buffer, static_cast<size_t>(size))) < 0 && errno == EINTR) {
    }
    count = got < 0 ? 0 : static_cast<int>(got);
    return got < 0 ? LastSystemError() : std::error_code();
}

std::error_code RecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
    const auto* from = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
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
    const int old = static_cast<int>(handle_);
    if (fstat(old, &held) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) return false;
    // Opened without creating: the name already leads to an ordinary file.
    const int fd = open(name_.c_str(), kOpenFlags | O_RDONLY);
    if (fd < 0 || Take(fd, true)) return false;
    close(old);
    handle_ = fd;
    return true;
}
}  // namespace korv::platform
