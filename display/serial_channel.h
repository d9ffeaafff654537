#pragma once

#include <cstdint>
#include <string>

#include "platform/serial_device.h"

namespace korv {
// The one connection to the display's COM port. Sends strictly one byte per write,
// each followed by a 1 ms pause; never reads.
class SerialChannel {
public:
    ~SerialChannel() { Close(); }

    // Why the port did not open; none when it is open afterwards. On an open channel
    // nothing changes.
    platform::PortOpenFailure Open(int port, int baud);
    // Until the next open or close, what is sent goes to `bytes` instead, for a preview.
    void RecordInto(std::string& bytes);
    // Both always say true: the display's contract gives them a result, not a failure.
    bool Close();
    bool WriteByte(std::uint8_t value);
    // The length when the bytes were handed over; 0 when refused (closed, length <= 0).
    int Send(const std::uint8_t* data, int length);

    bool IsOpen() const { return open_; }
    // The device disappeared while open; nothing is written to it any more.
    bool IsLost() const { return lost_; }
    // Bytes handed over since the last open that the device did not take: dropped
    // after the wait, or not written because the device had gone.
    std::uint64_t BytesNotTaken() const { return not_taken_; }

private:
    platform::SerialDevice device_;
    std::string* recording_ = nullptr;
    bool open_ = false;
    bool lost_ = false;
    std::uint64_t not_taken_ = 0;
};
}  // namespace korv
