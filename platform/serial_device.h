#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace korv::platform {

enum class ByteWrite {
    kWritten,     // the device took the byte
    kDropped,     // not taken within the wait; the byte is lost, the device is fine
    kDeviceGone,  // the device has disappeared (unplugged adapter); nothing more will arrive
};

// Why the last open failed, in terms a technician can act on (pole/port_messages.h
// words them).
enum class OpenFailure {
    kNone,          // the last open succeeded, or none was tried
    kNoPortNumber,  // port 0 or below names no COM port
    kNoDevice,      // nothing by that name: a wrong number, or an adapter not plugged in
    kBusy,          // another program holds the port (a lock, or exclusive use)
    kPermission,    // this user may not open the device
    kNotSerial,     // the name leads to something that is no terminal (a file, a FIFO,
                    // a folder, another kind of device); nothing is written to it
    kOther,         // anything else; LastOpenError() has the system's code
};

// One COM port, opened for exclusive use and written one byte at a time.
// Port n is COM<n>; how that names a device is the platform's business.
class SerialDevice {
public:
    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // 8 data bits, no parity, 1 stop bit, raw bytes, flow control as the port had it.
    // A failed open leaves nothing open.
    bool Open(int port, int baud);
    void Close();
    bool IsOpen() const;

    OpenFailure LastOpenFailure() const;
    // errno, or GetLastError() on Windows, of the step that failed; 0 when none did or
    // for port 0 and below. A name refused as no terminal gives ENOTTY on POSIX and
    // ERROR_BAD_DEVICE on Windows.
    int LastOpenError() const;

    // The device that port n names on this platform, e.g. "\\.\COM5" or "COM5";
    // empty for port 0 and below, which name none.
    static std::string DeviceName(int port);

    // Waits at most 1000 ms for the device to take the byte.
    ByteWrite WriteByte(std::uint8_t value);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korv::platform
