#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/settings_file.h"

namespace korv::platform {

namespace {

constexpr int kNameAttempts = 100;
constexpr char kHexDigits[] = "0123456789abcdef";

// A fixed name would collide with a crashed earlier save or a second instance.
std::string TemporaryNameFor(const std::string& name, int attempt) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto mixed = static_cast<std::uint32_t>(now.tv_nsec) ^
                       (static_cast<std::uint32_t>(getpid()) << 12) ^
                       static_cast<std::uint32_t>(attempt * 0x9E3779B1u);
    std::string suffix(8, '0');
    for (int i = 0; i < 8; ++i) suffix[i] = kHexDigits[(mixed >> (28 - 4 * i)) & 0xF];
    return name + ".tmp-" + suffix;
}

std::string FolderOf(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

// A read-only file keeps its contents, as it would if it were written in place; a
// missing one, or a link leading nowhere, is simply created.
bool MayReplace(const char* name) {
    if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) == 0) return true;
    return errno == ENOENT;
}

// Never through a link, never over anything already there; 0666 less the umask, as a
// file made by fopen would be.
int CreateTemporary(const std::string& name, std::string& temporary) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryNameFor(name, attempt);
        const int fd = open(temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool WriteAndClose(int fd, const void* bytes, std::size_t size) {
    const bool written = WriteAll(fd, static_cast<const unsigned char*>(bytes), size) &&
                         fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    return written && closed;
}

// Makes the rename itself last through a power cut. The new file is in place by then
// either way, so a folder that cannot be flushed does not undo the save.
void FlushFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

bool ReplaceFileContents(const char* name, const void* bytes, std::size_t size) {
    if (!MayReplace(name)) return false;
    std::string temporary;
    const int fd = CreateTemporary(name, temporary);
    if (fd < 0) return false;
    if (!WriteAndClose(fd, bytes, size) || rename(temporary.c_str(), name) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    FlushFolder(FolderOf(name));
    return true;
}

}  // namespace korv::platform
