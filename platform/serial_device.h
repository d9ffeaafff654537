#pragma once

#include <cstdint>
#include <memory>

namespace korv::platform {

enum class ByteWrite {
    kWritten,     // the device took the byte
    kDropped,     // not taken within the wait; the byte is lost, the device is fine
    kDeviceGone,  // the device has disappeared (unplugged adapter); nothing more will arrive
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

    // Waits at most 1000 ms for the device to take the byte.
    ByteWrite WriteByte(std::uint8_t value);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korv::platform
