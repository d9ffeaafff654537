#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/system_error.h"

namespace korv::platform {
enum class ByteWrite {
    kWritten,     // the device took the byte
    kDropped,     // not taken within the wait; the byte is lost, the device is fine
    kDeviceGone,  // the device is gone (an unplugged adapter); nothing more arrives
};

// Why an open failed (pole/failure_words.h words it).
enum class OpenFailure {
    kNone,
    kNoPortNumber,  // port 0 or below names no COM port
    kNoDevice,      // nothing by that name: a wrong number, or an adapter not plugged in
    kBusy,          // another program holds the port (a lock, or exclusive use)
    kPermission,    // this user may not open the device
    kNotSerial,     // no terminal (a file, a FIFO, a folder, another device); left unwritten
    kOther,         // anything else: the system's error says what
};
// The failed step's error; kNotSerial's is ENOTTY (Windows: ERROR_BAD_DEVICE), kNoPortNumber's none.
using PortOpenFailure = Failure<OpenFailure>;

// One COM port, opened for exclusive use and written one byte at a time, or read.
// Port n is COM<n>; platform/com_name.h says which device that is.
class SerialDevice {
public:
    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // 8N1, raw bytes, flow control as the port had it; a failed open leaves nothing open.
    PortOpenFailure Open(int port, int baud);
    // The same open of a device by its name, for reading what another program sends:
    // software flow control off, so that XON and XOFF arrive as bytes and none is sent.
    PortOpenFailure OpenToRead(const std::string& device, int baud);
    void Close();
    bool IsOpen() const;

    // Waits at most 1000 ms for the device to take the byte.
    ByteWrite WriteByte(std::uint8_t value);
    // How many bytes (up to `size`) came within `timeout_ms`; negative when the device is gone.
    int Read(std::uint8_t* buffer, int size, int timeout_ms);

private:
    PortOpenFailure OpenDevice(const std::string& device, int baud, bool reading);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
}  // namespace korv::platform
