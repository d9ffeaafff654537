#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/com_name.h"
#include "platform/console_keys.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "platform/serial_device.h"
#include "platform/settings_file.h"
#include "platform/stop_request.h"

namespace korv::platform {
namespace fake {
namespace {
State g_state;

// The name's bytes, made empty when missing.
std::shared_ptr<std::string> Files(const std::string& name) {
    std::shared_ptr<std::string>& bytes = g_state.files[name];
    if (!bytes) bytes = std::make_shared<std::string>();
    return bytes;
}

// A RecordFile's handle is an index into the opened files; -1 is closed.
State::Opened* OpenedAt(std::intptr_t handle) {
    if (handle < 0 || static_cast<std::size_t>(handle) >= g_state.opened.size()) return nullptr;
    State::Opened& file = g_state.opened[static_cast<std::size_t>(handle)];
    return file.bytes ? &file : nullptr;
}
}  // namespace

State& Platform() { return g_state; }
void Reset() { g_state = State(); }
void At(std::int64_t ms, std::function<void()> action) { g_state.plan.emplace(ms, std::move(action)); }
Port& ComPort(int n) { return g_state.ports[n]; }
void Unplug(int n) { ComPort(n).plugged = false; }

void Replug(int n) {
    Port& port = ComPort(n);
    port.received.clear();
    port.plugged = true;
    port.held = false;
    ++port.plugged_times;
}

std::string& File(const std::string& name) { return *Files(name); }

void Replace(const std::string& name, const std::string& bytes) {
    g_state.files[name] = std::make_shared<std::string>(bytes);
}
}  // namespace fake

using fake::Platform;

void SleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    fake::State& state = Platform();
    state.clock_ms += milliseconds;
    // An action may plan more, or reset the platform.
    while (!state.plan.empty() && state.plan.begin()->first <= state.clock_ms) {
        const std::function<void()> action = state.plan.begin()->second;
        state.plan.erase(state.plan.begin());
        action();
    }
}

std::int64_t NowMilliseconds() { return Platform().clock_ms; }
FineTimerScope::FineTimerScope() = default;
FineTimerScope::~FineTimerScope() = default;

std::string ComDevicePath(int port) { return port < 1 ? std::string() : ComName(port); }

PortFacts DescribeDevice(const std::string& device) { return {device, "", "", false}; }

struct SerialDevice::Impl {
    int port = 0;  // 0: closed
    int plugged_times = 0;

    // The device that was opened, while it is still there.
    fake::Port* Present() const {
        const auto found = Platform().ports.find(port);
        if (port == 0 || found == Platform().ports.end()) return nullptr;
        fake::Port& device = found->second;
        return device.plugged && device.plugged_times == plugged_times ? &device : nullptr;
    }
};

SerialDevice::SerialDevice() : impl_(new Impl) {}
SerialDevice::~SerialDevice() { Close(); }

PortOpenFailure SerialDevice::Open(int port, int) {
    Close();
    if (port < 1) return {OpenFailure::kNoPortNumber, {}};
    const auto found = Platform().ports.find(port);
    if (found != Platform().ports.end()) ++found->second.opens;
    if (found == Platform().ports.end() || !found->second.plugged)
        return {OpenFailure::kNoDevice, std::make_error_code(std::errc::no_such_file_or_directory)};
    fake::Port& device = found->second;
    if (device.held) return {OpenFailure::kBusy, std::make_error_code(std::errc::device_or_resource_busy)};
    device.held = true;
    impl_->port = port;
    impl_->plugged_times = device.plugged_times;
    return {};
}

void SerialDevice::Close() {
    if (fake::Port* device = impl_->Present()) device->held = false;
    impl_->port = 0;
}

bool SerialDevice::IsOpen() const { return impl_->port != 0; }

ByteWrite SerialDevice::WriteByte(std::uint8_t value) {
    fake::Port* device = impl_->Present();
    if (device == nullptr) return ByteWrite::kDeviceGone;
    if (device->drops) return ByteWrite::kDropped;
    device->received.push_back(static_cast<char>(value));
    return ByteWrite::kWritten;
}

struct ConsoleKeys::Input {};
ConsoleKeys::ConsoleKeys() = default;
ConsoleKeys::~ConsoleKeys() = default;
void ConsoleKeys::BeginKeyMode() {}
void ConsoleKeys::EndKeyMode() {}

// No key comes but those typed already: input has ended whenever none is waiting.
bool ConsoleKeys::KeyWaiting(int timeout_ms) {
    if (Platform().keys.empty()) SleepMilliseconds(timeout_ms);
    input_ended_ = Platform().keys.empty();
    return !input_ended_;
}

int ConsoleKeys::ReadKey() {
    if (Platform().keys.empty()) return kNoKey;
    const int key = Platform().keys.front();
    Platform().keys.pop_front();
    return key;
}

void ConsoleKeys::DropRestOfLine() {}

// No stop ever comes.
void CatchStopRequests() {}
bool StopRequested() { return false; }

RecordOpenFailure RecordFile::Open(const std::string& name, Mode mode) {
    Close();
    if (mode == Mode::kRead && Platform().files.count(name) == 0)
        return {RecordFailure::kMissing, std::make_error_code(std::errc::no_such_file_or_directory)};
    name_ = name;
    handle_ = static_cast<std::intptr_t>(Platform().opened.size());
    Platform().opened.push_back({fake::Files(name), 0});
    return {};
}

std::error_code RecordFile::Close() {
    if (fake::State::Opened* file = fake::OpenedAt(handle_)) file->bytes.reset();
    handle_ = -1;
    return {};
}

std::error_code RecordFile::Seek(std::int64_t offset) {
    ++Platform().seeks;
    fake::State::Opened* file = fake::OpenedAt(handle_);
    if (file == nullptr || offset < 0) return std::make_error_code(std::errc::invalid_seek);
    if (Platform().seeks_fail) return Platform().step_error;
    file->position = offset;
    return {};
}

std::error_code RecordFile::Read(void* buffer, int size, int& count) {
    count = 0;
    fake::State::Opened* file = fake::OpenedAt(handle_);
    if (file == nullptr) return std::make_error_code(std::errc::bad_file_descriptor);
    if (file->position == Platform().read_fails_at) return Platform().step_error;
    const std::int64_t length = static_cast<std::int64_t>(file->bytes->size());
    if (file->position >= length || file->position == Platform().read_ends_at || size <= 0) return {};
    count = static_cast<int>(std::min<std::int64_t>(size, length - file->position));
    std::memcpy(buffer, file->bytes->data() + file->position, static_cast<std::size_t>(count));
    file->position += count;
    return {};
}

std::error_code RecordFile::WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
    fake::State::Opened* file = fake::OpenedAt(handle_);
    if (file == nullptr) return std::make_error_code(std::errc::bad_file_descriptor);
    if (static_cast<std::int64_t>(offset) == Platform().write_fails_at) return Platform().step_error;
    if (file->bytes->size() < offset + size) file->bytes->resize(offset + size, '\0');
    std::memcpy(&(*file->bytes)[offset], bytes, size);
    return {};
}

std::error_code RecordFile::Size(std::int64_t& size) {
    const fake::State::Opened* file = fake::OpenedAt(handle_);
    if (file == nullptr) return std::make_error_code(std::errc::bad_file_descriptor);
    size = static_cast<std::int64_t>(file->bytes->size());
    return {};
}

bool RecordFile::FollowName() {
    fake::State::Opened* file = fake::OpenedAt(handle_);
    const auto found = Platform().files.find(name_);
    if (file == nullptr || found == Platform().files.end() || found->second == file->bytes) return false;
    file->bytes = found->second;
    return true;
}

// Nothing on this platform reads saved settings back.
SaveFileFailure SaveFileContents(const char*, const void*, std::size_t) { return {}; }

// Settings files are files by name, as record files are.
ReadFileFailure ReadSettingsFile(const char* name, std::size_t limit, std::string& bytes) {
    const auto found = Platform().files.find(name);
    if (found == Platform().files.end()) {
        bytes.clear();
        return {ReadFailure::kMissing, std::make_error_code(std::errc::no_such_file_or_directory)};
    }
    bytes = found->second->substr(0, limit);
    return {};
}
}  // namespace korv::platform
