#include <windows.h>

#include <cerrno>

#include "platform/record_file.h"
#include "platform/system_error.h"
#include "platform/win32/own_name_open.h"

namespace korv::platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The point-of-sale application keeps rewriting the file while korvpole reads it, but
// may not delete or rename it meanwhile.
constexpr DWORD kShareWithWriter = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

std::intptr_t AsValue(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

OVERLAPPED At(std::size_t offset) {
    OVERLAPPED position{};
    const auto wide = static_cast<unsigned long long>(offset);
    position.Offset = static_cast<DWORD>(wide & 0xFFFFFFFFull);
    position.OffsetHigh = static_cast<DWORD>(wide >> 32);
    return position;
}

}  // namespace

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Fail() {
    error_ = static_cast<int>(GetLastError());
    return false;
}

bool RecordFile::Open(const std::string& name, Mode mode) {
    Close();
    name_ = name;
    const char* path = name.c_str();
    HANDLE file = INVALID_HANDLE_VALUE;
    switch (mode) {
        case Mode::kPoll:
            // A new file is readable and writable, so that the writer can fill it.
            file = OpenOrCreateUnderOwnName(path, GENERIC_READ, kShareWithWriter);
            break;
        case Mode::kRead:
            file = CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            break;
        case Mode::kWrite:
            file = OpenOrCreateUnderOwnName(path, GENERIC_READ | GENERIC_WRITE, kShareAll);
            break;
    }
    handle_ = AsValue(file);
    return handle_ != -1 || Fail();
}

bool RecordFile::Close() {
    if (handle_ == -1) return true;
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = -1;
    return closed || Fail();
}

// With a fixed, non-negative offset only an unusable handle fails; errno says so for
// the seek failure message.
std::int64_t RecordFile::Seek(std::int64_t offset) {
    LARGE_INTEGER wanted;
    LARGE_INTEGER reached;
    wanted.QuadPart = offset;
    if (handle_ != -1 && SetFilePointerEx(AsHandle(handle_), wanted, &reached, FILE_BEGIN))
        return reached.QuadPart;
    Fail();
    errno = EBADF;
    return -1;
}

int RecordFile::Read(void* buffer, int size) {
    DWORD count = 0;
    if (handle_ == -1 || size < 0) return -1;
    if (ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(size), &count, nullptr))
        return static_cast<int>(count);
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    Fail();
    return -1;
}

bool RecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
    const auto* from = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = At(offset + done);
        DWORD count = 0;
        if (!WriteFile(AsHandle(handle_), from + done, static_cast<DWORD>(size - done), &count,
                       &position))
            return Fail();
        if (count == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return Fail();
        }
        done += count;
    }
    return true;
}

std::int64_t RecordFile::Size() {
    LARGE_INTEGER size;
    if (GetFileSizeEx(AsHandle(handle_), &size)) return size.QuadPart;
    Fail();
    return -1;
}

// Held without delete sharing, the file keeps its name while korvpole runs: a save by
// rename or delete fails in the writer instead.
bool RecordFile::FollowName() { return false; }

bool RecordFile::Missing() const { return IsMissing(static_cast<DWORD>(error_)); }

bool RecordFile::NameTaken() const {
    return error_ == ERROR_FILE_EXISTS || error_ == ERROR_ALREADY_EXISTS;
}

std::string RecordFile::LastError() const {
    return error_ == 0 ? std::string() : SystemErrorText(error_);
}

}  // namespace korv::platform
