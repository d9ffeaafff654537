#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/serial_device.h"

namespace korv::platform {
namespace {
constexpr DWORD kWriteWaitMs = 1000;
constexpr DWORD kQueueBytes = 10000;

// The port will never take a byte again (an unplugged adapter; ERROR_NOT_READY under
// Wine); other errors cost a byte.
bool IsDeviceGone(DWORD error) {
    return OneOf(error, ERROR_BAD_COMMAND, ERROR_DEVICE_NOT_CONNECTED, ERROR_ACCESS_DENIED, ERROR_OPERATION_ABORTED,
                 ERROR_GEN_FAILURE, ERROR_NOT_READY, ERROR_IO_DEVICE, ERROR_INVALID_HANDLE);
}

ByteWrite FailureOf(DWORD error) { return IsDeviceGone(error) ? ByteWrite::kDeviceGone : ByteWrite::kDropped; }

// ERROR_NOT_READY: a pulled adapter's port. A port another program holds answers "access denied".
PortOpenFailure Failed(DWORD error) {
    OpenFailure cause = OpenFailure::kOther;
    if (OneOf(error, ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_UNIT, ERROR_DEV_NOT_EXIST,
              ERROR_DEVICE_NOT_CONNECTED, ERROR_NOT_READY))
        cause = OpenFailure::kNoDevice;
    else if (OneOf(error, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_BUSY))
        cause = OpenFailure::kBusy;
    return {cause, SystemError(static_cast<int>(error))};
}

// Baud rate and 8N1 on top of what the port has; flow control and the rest stay, but
// for a reader, which must get every byte, a wrong speed's garbled ones included.
void ApplyLineSettings(HANDLE port, int baud, bool reading) {
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(port, &line)) return;  // a zeroed record would switch the line off
    line.BaudRate = static_cast<DWORD>(baud);
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    if (reading) line.fOutX = line.fInX = line.fNull = line.fAbortOnError = line.fDsrSensitivity = FALSE;
    SetCommState(port, &line);
}

void CloseIfSet(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}
}  // namespace

// The buffers and records belong to the device, not to a call, as the system may use
// them for as long as a write or a read is in flight; a read left waiting at a call's
// end is waited for by the next.
struct SerialDevice::Impl {
    HANDLE port = nullptr;
    OVERLAPPED read_record{};
    OVERLAPPED write_record{};
    HANDLE write_event = nullptr;  // the write record's, without the tag it carries there
    std::uint8_t byte_in_flight = 0;
    bool reading = false;  // a read is in flight
    std::uint8_t bytes_read[4096];
};

SerialDevice::SerialDevice() : impl_(new Impl) {}
SerialDevice::~SerialDevice() { Close(); }

PortOpenFailure SerialDevice::OpenDevice(const std::string& device, int baud, bool reading) {
    const HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Failed(GetLastError());
    // A COM name is a device on Windows; under Wine it may be mapped to a file or a FIFO.
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        CloseHandle(handle);
        return {OpenFailure::kNotSerial, SystemError(ERROR_BAD_DEVICE)};
    }
    impl_->port = handle;
    impl_->read_record = OVERLAPPED{};
    impl_->write_record = OVERLAPPED{};
    COMMTIMEOUTS timeouts{45, 0, 0, 0, 5000};  // reads end 45 ms after a byte; a write's limit is 5 s
    SetCommTimeouts(handle, &timeouts);
    impl_->read_record.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    impl_->write_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ApplyLineSettings(handle, baud, reading);
    if (SetupComm(handle, kQueueBytes, kQueueBytes) && impl_->read_record.hEvent && impl_->write_event) return {};
    const PortOpenFailure failure{OpenFailure::kOther, LastSystemError()};
    Close();
    return failure;
}

void SerialDevice::Close() {
    if (impl_->reading) {
        DWORD count = 0;
        CancelIoEx(impl_->port, &impl_->read_record);
        GetOverlappedResult(impl_->port, &impl_->read_record, &count, TRUE);
        impl_->reading = false;
    }
    CloseIfSet(impl_->read_record.hEvent);
    CloseIfSet(impl_->write_event);
    CloseIfSet(impl_->port);
}

bool SerialDevice::IsOpen() const { return impl_->port != nullptr; }

ByteWrite SerialDevice::WriteByte(std::uint8_t value) {
    if (impl_->port == nullptr) return ByteWrite::kDeviceGone;
    HANDLE port = impl_->port;
    OVERLAPPED& record = impl_->write_record;
    record.Offset = record.OffsetHigh = 0;
    // The event's low bit set keeps the write's end off a completion port. The port has
    // none, but Wine then spares one of the three server round trips a byte takes.
    record.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(impl_->write_event) | 1);
    impl_->byte_in_flight = value;
    DWORD written = 0;
    if (!WriteFile(port, &impl_->byte_in_flight, 1, &written, &record)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return FailureOf(error);
        if (WaitForSingleObject(impl_->write_event, kWriteWaitMs) != WAIT_OBJECT_0) {
            // Still pending: the next byte must not reuse the buffer or the record while the
            // driver may write from them, so the write is cancelled and its end waited for.
            // The aborted result is our own doing and says nothing about the device.
            CancelIoEx(port, &record);
            GetOverlappedResult(port, &record, &written, TRUE);
            return ByteWrite::kDropped;
        }
        if (!GetOverlappedResult(port, &record, &written, FALSE)) return FailureOf(GetLastError());
    }
    return written == 1 ? ByteWrite::kWritten : ByteWrite::kDropped;
}

// The bring-up's interval time-out ends a read once the bytes stop coming.
int SerialDevice::Read(std::uint8_t* buffer, int size, int timeout_ms) {
    if (impl_->port == nullptr) return -1;
    OVERLAPPED& record = impl_->read_record;
    DWORD count = 0;
    if (!impl_->reading) {
        const DWORD wanted = std::min<DWORD>(static_cast<DWORD>(size), sizeof impl_->bytes_read);
        record.Offset = record.OffsetHigh = 0;
        if (!ReadFile(impl_->port, impl_->bytes_read, wanted, &count, &record)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) return IsDeviceGone(error) ? -1 : 0;
            impl_->reading = true;
        }
    }
    if (impl_->reading) {
        if (WaitForSingleObject(record.hEvent, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) return 0;
        impl_->reading = false;
        if (!GetOverlappedResult(impl_->port, &record, &count, FALSE)) return IsDeviceGone(GetLastError()) ? -1 : 0;
    }
    count = std::min<DWORD>(count, static_cast<DWORD>(size));
    std::memcpy(buffer, impl_->bytes_read, count);
    return static_cast<int>(count);
}
}  // namespace korv::platform
