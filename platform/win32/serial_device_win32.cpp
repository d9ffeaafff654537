#include <windows.h>

#include <string>

#include "platform/com_name.h"
#include "platform/serial_device.h"

namespace korv::platform {

namespace {

constexpr DWORD kWriteWaitMs = 1000;
constexpr DWORD kQueueBytes = 10000;

// The port will never take a byte again (an unplugged adapter); other errors cost a byte.
bool IsDeviceGone(DWORD error) {
    switch (error) {
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_ACCESS_DENIED:
        case ERROR_OPERATION_ABORTED:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:  // what a pulled adapter's port reports under Wine
        case ERROR_IO_DEVICE:
        case ERROR_INVALID_HANDLE:
            return true;
        default:
            return false;
    }
}

ByteWrite FailureOf(DWORD error) {
    return IsDeviceGone(error) ? ByteWrite::kDeviceGone : ByteWrite::kDropped;
}

OpenFailure CauseOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_UNIT:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_NOT_READY:  // an adapter's port whose adapter was pulled
            return OpenFailure::kNoDevice;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            // A COM port that another program holds answers "access denied".
            return OpenFailure::kBusy;
        default:
            return OpenFailure::kOther;
    }
}

HANDLE OpenComDevice(int port) {
    return CreateFileA(ComDevicePath(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
}

void ApplyTimeouts(HANDLE port) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 45;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 5000;
    SetCommTimeouts(port, &timeouts);
}

// Baud rate and 8N1 on top of what the port has; flow control and the rest stay.
void ApplyLineSettings(HANDLE port, int baud) {
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(port, &line)) return;  // a zeroed record would switch the line off
    line.BaudRate = static_cast<DWORD>(baud);
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    SetCommState(port, &line);
}

HANDLE NewManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

// An OVERLAPPED's event with its low bit set keeps the I/O's end off a completion port.
// The port has none, but Wine then spares one of the three server round trips a byte takes.
HANDLE WithoutCompletionPort(HANDLE event) {
    return reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(event) | 1);
}

void CloseIfSet(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}

}  // namespace

// The byte and the write record belong to the device, not to a call, as the system
// may use both for as long as a write is in flight. Nothing reads the port; the read
// record and its event are kept because the port's contract has the open make them,
// and an open that cannot make them fails.
struct SerialDevice::Impl {
    HANDLE port = nullptr;
    OVERLAPPED read_record{};
    OVERLAPPED write_record{};
    HANDLE write_event = nullptr;  // the write record's, without the tag it carries there
    std::uint8_t byte_in_flight = 0;
};

SerialDevice::SerialDevice() : impl_(new Impl) {}

SerialDevice::~SerialDevice() { Close(); }

PortOpenFailure SerialDevice::Open(int port, int baud) {
    Close();
    if (port < 1) return {OpenFailure::kNoPortNumber, {}};
    const HANDLE handle = OpenComDevice(port);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return {CauseOf(error), SystemError(static_cast<int>(error))};
    }
    // A COM name is a device on Windows; under Wine it may be mapped to a file or a FIFO.
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        CloseHandle(handle);
        return {OpenFailure::kNotSerial, SystemError(ERROR_BAD_DEVICE)};
    }
    impl_->port = handle;
    impl_->read_record = OVERLAPPED{};
    impl_->write_record = OVERLAPPED{};

    ApplyTimeouts(handle);
    impl_->read_record.hEvent = NewManualResetEvent();
    impl_->write_event = NewManualResetEvent();
    ApplyLineSettings(handle, baud);
    const bool queues_set = SetupComm(handle, kQueueBytes, kQueueBytes) != 0;

    if (queues_set && impl_->read_record.hEvent != nullptr &&
        impl_->write_event != nullptr) {
        return {};
    }
    const PortOpenFailure failure{OpenFailure::kOther, LastSystemError()};
    Close();
    return failure;
}

void SerialDevice::Close() {
    CloseIfSet(impl_->read_record.hEvent);
    CloseIfSet(impl_->write_event);
    CloseIfSet(impl_->port);
}

bool SerialDevice::IsOpen() const { return impl_->port != nullptr; }

ByteWrite SerialDevice::WriteByte(std::uint8_t value) {
    if (impl_->port == nullptr) return ByteWrite::kDeviceGone;
    HANDLE port = impl_->port;
    OVERLAPPED& record = impl_->write_record;
    record.Offset = 0;
    record.OffsetHigh = 0;
    record.hEvent = WithoutCompletionPort(impl_->write_event);
    impl_->byte_in_flight = value;

    DWORD written = 0;
    if (WriteFile(port, &impl_->byte_in_flight, 1, &written, &record)) {
        return written == 1 ? ByteWrite::kWritten : ByteWrite::kDropped;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return FailureOf(error);

    if (WaitForSingleObject(impl_->write_event, kWriteWaitMs) == WAIT_OBJECT_0) {
        if (!GetOverlappedResult(port, &record, &written, FALSE)) {
            return FailureOf(GetLastError());
        }
        return written == 1 ? ByteWrite::kWritten : ByteWrite::kDropped;
    }
    // Still pending: the next byte must not reuse the buffer or the record while the
    // driver may write from them, so the write is cancelled and its end waited for.
    // The aborted result is our own doing and says nothing about the device.
    CancelIoEx(port, &record);
    GetOverlappedResult(port, &record, &written, TRUE);
    return ByteWrite::kDropped;
}

}  // namespace korv::platform
