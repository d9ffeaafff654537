#include <windows.h>

#include "platform/system_error.h"
#include "platform/win32/own_name_open.h"
#include "platform/writable_record_file.h"

namespace korv::platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

std::intptr_t AsValue(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

// Shared both ways, so that the reader keeps polling while the record is rewritten.
HANDLE OpenExisting(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

OVERLAPPED At(std::size_t offset) {
    OVERLAPPED position{};
    const auto wide = static_cast<unsigned long long>(offset);
    position.Offset = static_cast<DWORD>(wide & 0xFFFFFFFFull);
    position.OffsetHigh = static_cast<DWORD>(wide >> 32);
    return position;
}

}  // namespace

WritableRecordFile::~WritableRecordFile() { Close(); }

bool WritableRecordFile::Fail() {
    error_ = static_cast<int>(GetLastError());
    return false;
}

bool WritableRecordFile::OpenForReading(const std::string& path) {
    Close();
    handle_ = AsValue(OpenExisting(path));
    return handle_ != -1 || Fail();
}

bool WritableRecordFile::OpenForWriting(const std::string& path) {
    Close();
    handle_ = AsValue(OpenOrCreateUnderOwnName(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll));
    return handle_ != -1 || Fail();
}

long WritableRecordFile::ReadAt(void* buffer, std::size_t size, std::size_t offset) {
    OVERLAPPED position = At(offset);
    DWORD count = 0;
    if (ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(size), &count, &position))
        return static_cast<long>(count);
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    Fail();
    return -1;
}

bool WritableRecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
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

bool WritableRecordFile::Close() {
    if (handle_ == -1) return true;
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = -1;
    return closed || Fail();
}

bool WritableRecordFile::Missing() const { return IsMissing(static_cast<DWORD>(error_)); }

bool WritableRecordFile::NameTaken() const {
    return error_ == ERROR_FILE_EXISTS || error_ == ERROR_ALREADY_EXISTS;
}

std::string WritableRecordFile::LastError() const {
    return error_ == 0 ? std::string() : SystemErrorText(error_);
}

}  // namespace korv::platform
