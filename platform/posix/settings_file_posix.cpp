#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/settings_file.h"
#include "platform/temporary_name.h"

namespace korv::platform {
namespace {
SaveFileFailure Failed(int error) {
    SaveFailure cause = SaveFailure::kNotWritten;
    if (OneOf(error, ENOSPC, EDQUOT, EFBIG)) cause = SaveFailure::kDiskFull;
    else if (error == EROFS) cause = SaveFailure::kReadOnly;
    else if (OneOf(error, EACCES, EPERM)) cause = SaveFailure::kFolderRefuses;
    return {cause, SystemError(error)};
}

// A read-only file keeps its contents, as it would if written in place; a missing one,
// or a link leading nowhere, is created.
SaveFileFailure MayReplace(const char* name) {
    struct stat info;
    if (lstat(name, &info) == 0 && S_ISDIR(info.st_mode))
        return {SaveFailure::kFolderByThatName, SystemError(EISDIR)};
    if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) == 0 || errno == ENOENT) return {};
    if (errno == EACCES || errno == EROFS) return {SaveFailure::kReadOnly, LastSystemError()};
    return Failed(errno);
}

// 0666 less the umask, as a file made by fopen would be.
int CreateTemporary(const std::string& name, std::string& temporary) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto seed = static_cast<std::uint32_t>(now.tv_nsec) ^ (static_cast<std::uint32_t>(getpid()) << 12);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = TemporaryNameFor(name, seed, attempt);
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The old file's owner and mode go to the new one. Only the superuser may give a file
// away; anyone else keeps it as made, with the old mode.
void KeepOwnerAndMode(int fd, const char* name) {
    struct stat old;
    if (stat(name, &old) != 0 || !S_ISREG(old.st_mode)) return;
    if (fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) return;
    fchmod(fd, old.st_mode & 0777);
}

// 0, or the first error.
int WriteAndClose(int fd, const void* bytes, std::size_t size) {
    const auto* from = static_cast<const char*>(bytes);
    int error = 0;
    for (std::size_t done = 0; done < size && error == 0;) {
        const ssize_t written = pwrite(fd, from + done, size - done, static_cast<off_t>(done));
        if (written > 0) done += static_cast<std::size_t>(written);
        else if (written == 0 || errno != EINTR) error = written < 0 ? errno : ENOSPC;
    }
    if (error == 0 && fsync(fd) != 0) error = errno;
    const int closed = close(fd) == 0 ? 0 : errno;
    return error != 0 ? error : closed;
}

// kFolderRefuses when the file may not be written in place.
SaveFileFailure WriteInPlace(const char* name, const void* bytes, std::size_t size) {
    const int fd = open(name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ELOOP)) return {SaveFailure::kFolderRefuses, LastSystemError()};
    if (fd < 0) return Failed(errno);
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 ||
        info.st_size < static_cast<off_t>(size)) {
        close(fd);
        return {SaveFailure::kFolderRefuses, {}};
    }
    const int error = WriteAndClose(fd, bytes, size);
    return error == 0 ? SaveFileFailure() : Failed(error);
}

// Makes the rename itself last through a power cut. The new file is in place by then
// either way, so a folder that cannot be flushed does not undo the save.
void FlushFolderOf(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
}  // namespace

SaveFileFailure SaveFileContents(const char* name, const void* bytes, std::size_t size) {
    if (const SaveFileFailure refused = MayReplace(name)) return refused;
    std::string temporary;
    const int fd = CreateTemporary(name, temporary);
    if (fd < 0) {
        const int error = errno;
        const SaveFileFailure in_place = WriteInPlace(name, bytes, size);
        return in_place.cause == SaveFailure::kFolderRefuses ? Failed(error) : in_place;
    }
    KeepOwnerAndMode(fd, name);
    int error = WriteAndClose(fd, bytes, size);
    if (error == 0 && rename(temporary.c_str(), name) != 0) error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return Failed(error);
    }
    FlushFolderOf(name);
    return {};
}

ReadFileFailure ReadSettingsFile(const char* name, std::size_t limit, std::string& bytes) {
    bytes.clear();
    struct stat info;
    if (stat(name, &info) != 0) {
        const std::error_code error = LastSystemError();
        if (error.value() != ENOENT) return {ReadFailure::kNotRead, error};
        return {lstat(name, &info) == 0 ? ReadFailure::kDanglingLink : ReadFailure::kMissing, error};
    }
    if (!S_ISREG(info.st_mode))
        return {ReadFailure::kNotOrdinary, SystemError(S_ISDIR(info.st_mode) ? EISDIR : EINVAL)};
    // Non-blocking, in case something else has taken the name since the look.
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {errno == ENOENT ? ReadFailure::kMissing : ReadFailure::kNotRead, LastSystemError()};
    ReadFileFailure failure;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        failure = {ReadFailure::kNotOrdinary, SystemError(EINVAL)};
    char buffer[4096];
    while (!failure && bytes.size() < limit) {
        const ssize_t count = read(fd, buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) failure = {ReadFailure::kNotRead, LastSystemError()};
        if (count <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    close(fd);
    return failure;
}
}  // namespace korv::platform
