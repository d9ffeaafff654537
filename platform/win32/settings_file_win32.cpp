#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/settings_file.h"

namespace korv::platform {

namespace {

constexpr int kNameAttempts = 100;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr DWORD kLargestWrite = 1u << 30;

// A fixed name would collide with a crashed earlier save or a second instance.
std::string TemporaryNameFor(const std::string& name, int attempt) {
    const auto mixed = static_cast<std::uint32_t>(GetTickCount()) ^
                       (static_cast<std::uint32_t>(GetCurrentProcessId()) << 12) ^
                       static_cast<std::uint32_t>(attempt * 0x9E3779B1u);
    std::string suffix(8, '0');
    for (int i = 0; i < 8; ++i) suffix[i] = kHexDigits[(mixed >> (28 - 4 * i)) & 0xF];
    return name + ".tmp-" + suffix;
}

// A read-only file keeps its contents, as it would if it were written in place, and a
// folder by that name is no file to replace; a missing file is simply created.
bool MayReplace(const char* name) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    return (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// Only a new file, and never by way of a reparse point.
HANDLE CreateTemporary(const std::string& name, std::string& temporary) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryNameFor(name, attempt);
        const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size < kLargestWrite ? static_cast<DWORD>(size) : kLargestWrite;
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteAndClose(HANDLE file, const void* bytes, std::size_t size) {
    const bool written = WriteAll(file, static_cast<const unsigned char*>(bytes), size) &&
                         FlushFileBuffers(file) != 0;
    const bool closed = CloseHandle(file) != 0;
    return written && closed;
}

}  // namespace

bool ReplaceFileContents(const char* name, const void* bytes, std::size_t size) {
    if (!MayReplace(name)) return false;
    std::string temporary;
    const HANDLE file = CreateTemporary(name, temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    if (!WriteAndClose(file, bytes, size) ||
        !MoveFileExA(temporary.c_str(), name,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace korv::platform
