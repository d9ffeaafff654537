#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/settings_file.h"
#include "platform/temporary_name.h"

namespace korv::platform {
namespace {
constexpr DWORD kLargestWrite = 1u << 30;
// What a new file takes over from the old one.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

SaveFileFailure Failed(DWORD error) {
    SaveFailure cause = SaveFailure::kNotWritten;
    if (OneOf(error, ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL)) cause = SaveFailure::kDiskFull;
    else if (error == ERROR_WRITE_PROTECT) cause = SaveFailure::kReadOnly;
    else if (OneOf(error, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION)) cause = SaveFailure::kHeldByAnotherProgram;
    else if (error == ERROR_ACCESS_DENIED) cause = SaveFailure::kFolderRefuses;
    return {cause, SystemError(static_cast<int>(error))};
}

// A read-only file keeps its contents, as it would if written in place.
SaveFileFailure MayReplace(DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? SaveFileFailure() : Failed(error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {SaveFailure::kFolderByThatName, {}};
    if (attributes & FILE_ATTRIBUTE_READONLY) return {SaveFailure::kReadOnly, {}};
    return {};
}

// Only a new file, and never by way of a reparse point.
HANDLE CreateTemporary(const std::string& name, DWORD attributes, std::string& temporary) {
    const auto seed = static_cast<std::uint32_t>(GetTickCount()) ^
                      (static_cast<std::uint32_t>(GetCurrentProcessId()) << 12);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = TemporaryNameFor(name, seed, attempt);
        const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// 0, or the first error.
DWORD WriteAndClose(HANDLE file, const void* bytes, std::size_t size) {
    auto* next = static_cast<const unsigned char*>(bytes);
    DWORD error = 0;
    while (size > 0 && error == 0) {
        const DWORD chunk = size < kLargestWrite ? static_cast<DWORD>(size) : kLargestWrite;
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr)) error = GetLastError();
        else if (written == 0) error = ERROR_DISK_FULL;
        next += written;
        size -= written;
    }
    if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    return error;
}

// Shared, as others may hold the file open; kFolderRefuses where it may not go in place.
SaveFileFailure WriteInPlace(const char* name, const void* bytes, std::size_t size) {
    const HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? SaveFileFailure{SaveFailure::kFolderRefuses, {}} : Failed(error);
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks != 1 ||
        (info.nFileSizeHigh == 0 && info.nFileSizeLow < size)) {
        CloseHandle(file);
        return {SaveFailure::kFolderRefuses, {}};
    }
    const DWORD error = WriteAndClose(file, bytes, size);
    return error == 0 ? SaveFileFailure() : Failed(error);
}

// After the replace failed with `error`, which is the failure unless the file itself
// refuses a write in place.
SaveFileFailure InPlaceAfter(DWORD error, const char* name, const void* bytes, std::size_t size) {
    const SaveFileFailure in_place = WriteInPlace(name, bytes, size);
    return in_place.cause == SaveFailure::kFolderRefuses ? Failed(error) : in_place;
}
}  // namespace

SaveFileFailure SaveFileContents(const char* name, const void* bytes, std::size_t size) {
    const DWORD old_attributes = GetFileAttributesA(name);
    if (const SaveFileFailure refused = MayReplace(old_attributes)) return refused;
    const DWORD kept = old_attributes == INVALID_FILE_ATTRIBUTES ? 0 : old_attributes & kKeptAttributes;
    std::string temporary;
    const HANDLE file = CreateTemporary(name, kept ? kept : FILE_ATTRIBUTE_NORMAL, temporary);
    if (file == INVALID_HANDLE_VALUE) return InPlaceAfter(GetLastError(), name, bytes, size);
    DWORD error = WriteAndClose(file, bytes, size);
    if (error == 0 && !MoveFileExA(temporary.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0) DeleteFileA(temporary.c_str());
    // Another program that has the file open keeps it from being replaced, not written.
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
        return InPlaceAfter(error, name, bytes, size);
    return error == 0 ? SaveFileFailure() : Failed(error);
}

ReadFileFailure ReadSettingsFile(const char* name, std::size_t limit, std::string& bytes) {
    bytes.clear();
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {ReadFailure::kNotOrdinary, SystemError(ERROR_DIRECTORY)};
    const HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        // A link that leads nowhere still has attributes of its own.
        const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return {!missing ? ReadFailure::kNotRead : link ? ReadFailure::kDanglingLink : ReadFailure::kMissing,
                SystemError(static_cast<int>(error))};
    }
    ReadFileFailure failure;
    if (GetFileType(file) != FILE_TYPE_DISK)
        failure = {ReadFailure::kNotOrdinary, SystemError(ERROR_BAD_DEVICE)};
    char buffer[4096];
    for (DWORD count = 1; !failure && count > 0 && bytes.size() < limit;) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, limit - bytes.size()));
        if (ReadFile(file, buffer, wanted, &count, nullptr)) bytes.append(buffer, count);
        else failure = {ReadFailure::kNotRead, LastSystemError()};
    }
    CloseHandle(file);
    return failure;
}
}  // namespace korv::platform
