#include <windows.h>

#include "platform/record_file.h"

namespace korv::platform {
namespace {
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The point-of-sale application keeps rewriting the file while korvpole reads it, but
// may not delete or rename it meanwhile.
constexpr DWORD kShareWithWriter = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

HANDLE OpenHandle(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// What the failed open of `name` with `error` means; `creating` when the create failed.
RecordOpenFailure Failed(DWORD error, const char* name, bool creating) {
    const DWORD attributes = GetFileAttributesA(name);  // of a link itself, not its target
    RecordFailure cause = RecordFailure::kOther;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        cause = RecordFailure::kFolder;
    else if (IsMissing(error))
        cause = attributes != INVALID_FILE_ATTRIBUTES ? RecordFailure::kDanglingLink : RecordFailure::kMissing;
    else if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
        cause = creating ? RecordFailure::kCannotCreate : RecordFailure::kNoAccess;
    return {cause, SystemError(static_cast<int>(error))};
}

// Creates the file, when `create`, only where nothing has the name.
RecordOpenFailure OpenUnderOwnName(const char* name, DWORD access, DWORD share, bool create, HANDLE& file) {
    file = OpenHandle(name, access, share, OPEN_EXISTING, 0);
    if (file != INVALID_HANDLE_VALUE) return {};
    DWORD error = GetLastError();
    if (!create || !IsMissing(error)) return Failed(error, name, false);
    // Opening the reparse point itself makes CREATE_NEW fail on any link by that name,
    // a dangling one included, instead of creating its target.
    file = OpenHandle(name, access, share, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT);
    if (file != INVALID_HANDLE_VALUE) return {};
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Failed(error, name, true);
    // A link that leads nowhere, or another writer was quicker.
    file = OpenHandle(name, access, share, OPEN_EXISTING, 0);
    if (file != INVALID_HANDLE_VALUE) return {};
    error = GetLastError();
    if (IsMissing(error)) return {RecordFailure::kDanglingLink, SystemError(static_cast<int>(error))};
    return Failed(error, name, false);
}
}  // namespace

RecordOpenFailure RecordFile::Open(const std::string& name, Mode mode) {
    Close();
    name_ = name;
    HANDLE file = INVALID_HANDLE_VALUE;
    // A new file, kPoll's too, is readable and writable, so that the writer can fill it.
    const RecordOpenFailure failure =
        OpenUnderOwnName(name.c_str(), mode == Mode::kWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                         mode == Mode::kPoll ? kShareWithWriter : kShareAll, mode != Mode::kRead, file);
    if (!failure) handle_ = reinterpret_cast<std::intptr_t>(file);
    return failure;
}

std::error_code RecordFile::Close() {
    if (handle_ == -1) return {};
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = -1;
    return closed ? std::error_code() : LastSystemError();
}

// With a fixed, non-negative offset only an unusable handle fails.
std::error_code RecordFile::Seek(std::int64_t offset) {
    if (handle_ == -1) return SystemError(ERROR_INVALID_HANDLE);
    LARGE_INTEGER wanted;
    wanted.QuadPart = offset;
    if (SetFilePointerEx(AsHandle(handle_), wanted, nullptr, FILE_BEGIN)) return {};
    return LastSystemError();
}

std::error_code RecordFile::Read(void* buffer, int size, int& count) {
    count = 0;
    if (handle_ == -1) return SystemError(ERROR_INVALID_HANDLE);
    if (size < 0) return SystemError(ERROR_INVALID_PARAMETER);
    DWORD delivered = 0;
    if (ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(size), &delivered, nullptr)) {
        count = static_cast<int>(delivered);
        return {};
    }
    return GetLastError() == ERROR_HANDLE_EOF ? std::error_code() : LastSystemError();
}

std::error_code RecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
    const auto* from = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        const auto at = static_cast<unsigned long long>(offset + done);
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD count = 0;
        if (!WriteFile(AsHandle(handle_), from + done, static_cast<DWORD>(size - done), &count, &position))
            return LastSystemError();
        if (count == 0) return SystemError(ERROR_WRITE_FAULT);
        done += count;
    }
    return {};
}

std::error_code RecordFile::Size(std::int64_t& size) {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(AsHandle(handle_), &length)) return LastSystemError();
    size = length.QuadPart;
    return {};
}

// Held without delete sharing, the file keeps its name while korvpole runs: a save by
// rename or delete fails in the writer instead.
bool RecordFile::FollowName() { return false; }
}  // namespace korv::platform
