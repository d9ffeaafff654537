#include "tools/record_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "pole/pole_record.h"

namespace korv::tools {

namespace {

void PutLe(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutLine(std::string& bytes, std::size_t offset, const std::string& text) {
    const std::size_t size = std::min<std::size_t>(text.size(), record::kLineSize);
    bytes.replace(offset, size, text, 0, size);
}

std::string Failure(const std::string& path) { return path + ": " + std::strerror(errno); }

// Non-blocking for the open only, so that a device or FIFO in the file's place cannot
// hang it before it is refused.
constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NONBLOCK;

// An existing file, or a link to one, is written in place. A missing one is created
// under its own name only, never through a link that leads nowhere; anything but an
// ordinary file (a device, a FIFO) is refused.
int OpenForWriting(const std::string& path, std::string& error) {
    int fd = open(path.c_str(), kOpenFlags);
    bool dangling = false;
    if (fd < 0 && errno == ENOENT) {
        fd = open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd < 0 && errno == EEXIST) {
            fd = open(path.c_str(), kOpenFlags);
            dangling = fd < 0 && errno == ENOENT;
        }
    }
    if (fd < 0) {
        error = path + ": " + (dangling ? "a link to a file that does not exist; not created through a link"
                                        : std::strerror(errno));
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + ": not an ordinary file";
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool WriteAt(int fd, const char* bytes, std::size_t size, std::size_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

std::string EncodeRecord(const PoleRecordFields& fields) {
    std::string bytes(record::kUsedSize, '\0');
    PutLine(bytes, record::kLine1Offset, fields.line1);
    PutLine(bytes, record::kLine2Offset, fields.line2);
    PutLe(bytes, record::kCounterOffset, fields.counter, 2);
    PutLe(bytes, record::kScaleOffset, fields.scale, 2);
    PutLe(bytes, record::kTaxOffset, static_cast<std::uint32_t>(fields.tax), 4);
    PutLe(bytes, record::kTotalOffset, static_cast<std::uint32_t>(fields.total), 4);
    return bytes;
}

bool ReadRecordBytes(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        error = Failure(path);
        return false;
    }
    char buffer[record::kUsedSize];
    while (bytes.size() < sizeof buffer) {
        const ssize_t count = pread(fd, buffer, sizeof buffer - bytes.size(),
                                    static_cast<off_t>(bytes.size()));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            error = Failure(path);
            close(fd);
            return false;
        }
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    close(fd);
    return true;
}

bool WriteRecordInPlace(const std::string& path, const std::string& record, std::string& error) {
    const std::size_t counter = record::kCounterOffset;
    const std::size_t after_counter = counter + 2;
    const int fd = OpenForWriting(path, error);
    if (fd < 0) return false;
    bool ok = record.size() >= after_counter && WriteAt(fd, record.data(), counter, 0) &&
              WriteAt(fd, record.data() + after_counter, record.size() - after_counter,
                      after_counter) &&
              WriteAt(fd, record.data() + counter, 2, counter);
    if (!ok) error = Failure(path);
    if (close(fd) != 0 && ok) {
        error = Failure(path);
        ok = false;
    }
    return ok;
}

bool WriteBytesAt(const std::string& path, std::size_t offset, const std::string& bytes,
                  std::string& error) {
    const int fd = OpenForWriting(path, error);
    if (fd < 0) return false;
    bool ok = WriteAt(fd, bytes.data(), bytes.size(), offset);
    if (!ok) error = Failure(path);
    if (close(fd) != 0 && ok) {
        error = Failure(path);
        ok = false;
    }
    return ok;
}

}  // namespace korv::tools
