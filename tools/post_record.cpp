#include "tools/post_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "pole/pole_record.h"

namespace korv::tools {

namespace {

using Record = std::array<std::uint8_t, record::kUsedSize>;

void PutLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void PutLine(std::uint8_t* at, const std::string& text) {
    std::memset(at, 0, record::kLineSize);
    std::memcpy(at, text.data(), std::min<std::size_t>(text.size(), record::kLineSize));
}

// Reads what the file holds of the record; bytes past its end read as zero.
bool ReadCurrent(int fd, Record& current, std::size_t& held) {
    current.fill(0);
    held = 0;
    while (held < current.size()) {
        const ssize_t count = pread(fd, current.data() + held, current.size() - held,
                                    static_cast<off_t>(held));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) break;
        held += static_cast<std::size_t>(count);
    }
    return true;
}

bool WriteAt(int fd, const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void Apply(const RecordUpdate& update, std::size_t held, Record& record) {
    if (update.line1) PutLine(record.data() + record::kLine1Offset, *update.line1);
    if (update.line2) PutLine(record.data() + record::kLine2Offset, *update.line2);
    if (update.scale) {
        PutLe16(record.data() + record::kScaleOffset, *update.scale);
    } else if (held < record::kScaleOffset + 2u) {
        PutLe16(record.data() + record::kScaleOffset, kDefaultScale);
    }
    if (update.tax) PutLe32(record.data() + record::kTaxOffset, *update.tax);
    if (update.total) PutLe32(record.data() + record::kTotalOffset, *update.total);
}

// Non-blocking for the open only, so that a device or FIFO in the file's place cannot
// hang it before it is refused.
constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NONBLOCK;

// A link to an existing file is written like the file. A missing file is created under
// its own name only, never through a link that leads nowhere; anything but an ordinary
// file (a device, a FIFO) is refused.
int OpenRecordFile(const std::string& path, std::string& error) {
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

}  // namespace

std::uint16_t NextCounter(std::uint16_t found) {
    return found == 0xFFFF ? 1 : static_cast<std::uint16_t>(found + 1);
}

std::optional<std::uint16_t> WriteRecord(const std::string& path, const RecordUpdate& update,
                                         std::string& error) {
    const int fd = OpenRecordFile(path, error);
    if (fd < 0) return std::nullopt;
    Record record;
    std::size_t held = 0;
    bool ok = ReadCurrent(fd, record, held);
    const std::uint16_t counter = NextCounter(DecodeLe16(record.data() + record::kCounterOffset));
    Apply(update, held, record);

    const std::size_t after_counter = record::kCounterOffset + 2;
    ok = ok && WriteAt(fd, record.data(), record::kCounterOffset, 0) &&
         WriteAt(fd, record.data() + after_counter, record.size() - after_counter, after_counter);
    std::uint8_t counter_bytes[2];
    PutLe16(counter_bytes, counter);
    ok = ok && WriteAt(fd, counter_bytes, sizeof counter_bytes, record::kCounterOffset);
    if (!ok) error = path + ": " + std::strerror(errno);
    close(fd);
    if (!ok) return std::nullopt;
    return counter;
}

}  // namespace korv::tools
