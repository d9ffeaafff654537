#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/record_file.h"
#include "platform/serial_device.h"
#include "platform/settings_file.h"

namespace korv::platform {

namespace fake {

namespace {
State g_state;
}

State& Platform() { return g_state; }
void Reset() { g_state = State(); }

}  // namespace fake

using fake::Platform;

struct SerialDevice::Impl {
    bool open = false;
};

SerialDevice::SerialDevice() : impl_(new Impl) {}
SerialDevice::~SerialDevice() { Close(); }

PortOpenFailure SerialDevice::Open(int port, int) {
    Close();
    if (port < 1) return {OpenFailure::kNoPortNumber, {}};
    impl_->open = true;
    return {};
}

void SerialDevice::Close() {
    impl_->open = false;
}

bool SerialDevice::IsOpen() const { return impl_->open; }

ByteWrite SerialDevice::WriteByte(std::uint8_t value) {
    if (!impl_->open) return ByteWrite::kDeviceGone;
    Platform().serial_output.push_back(static_cast<char>(value));
    return ByteWrite::kWritten;
}

void SleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    Platform().clock_ms += milliseconds;
}

std::int64_t NowMilliseconds() { return Platform().clock_ms; }

FineTimerScope::FineTimerScope() = default;
FineTimerScope::~FineTimerScope() = default;

struct ConsoleKeys::Input {};

ConsoleKeys::ConsoleKeys() = default;
ConsoleKeys::~ConsoleKeys() = default;
void ConsoleKeys::BeginKeyMode() {}
void ConsoleKeys::EndKeyMode() {}

bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    input_ended_ = true;
    SleepMilliseconds(timeout_ms);
    return false;
}

int ConsoleKeys::ReadKey() { return kNoKey; }

bool ConsoleKeys::InputEnded() const { return input_ended_; }
bool ConsoleKeys::StopRequested() { return false; }
void ConsoleKeys::DropRestOfLine() {}

// The handle doubles as the read position; -1 is closed.
RecordFile::~RecordFile() { Close(); }

RecordOpenFailure RecordFile::Open(const std::string&, Mode) {
    handle_ = 0;
    return {};
}

std::error_code RecordFile::Close() {
    handle_ = -1;
    return {};
}

std::error_code RecordFile::Seek(std::int64_t offset) {
    ++Platform().seeks;
    if (handle_ < 0 || Platform().seeks_fail || offset < 0 || offset > 0x7FFFFFFF)
        return std::make_error_code(std::errc::invalid_seek);
    handle_ = static_cast<std::intptr_t>(offset);
    return {};
}

std::error_code RecordFile::Read(void* buffer, int size, int& count) {
    count = 0;
    if (handle_ < 0 || handle_ == Platform().read_fails_at) return std::make_error_code(std::errc::io_error);
    const std::int64_t length = static_cast<std::int64_t>(Platform().record.size());
    if (handle_ >= length || handle_ == Platform().read_ends_at || size <= 0) return {};
    count = static_cast<int>(std::min<std::int64_t>(size, length - handle_));
    std::memcpy(buffer, Platform().record.data() + handle_, static_cast<std::size_t>(count));
    handle_ += count;
    return {};
}

// Nothing on this platform reads settings back.
SaveFileFailure SaveFileContents(const char*, const void*, std::size_t) { return {}; }

}  // namespace korv::platform
