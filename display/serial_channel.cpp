#include "display/serial_channel.h"

#include "platform/clock.h"

namespace korv {
constexpr int kPauseAfterByteMs = 1;

platform::PortOpenFailure SerialChannel::Open(int port, int baud) {
    if (open_) return {};
    if (const platform::PortOpenFailure failure = device_.Open(port, baud)) return failure;
    open_ = true;
    not_taken_ = 0;
    return {};
}

void SerialChannel::RecordInto(std::string& bytes) {
    Close();
    recording_ = &bytes;
    open_ = true;
}

bool SerialChannel::Close() {
    recording_ = nullptr;
    if (open_) device_.Close();
    open_ = false;
    lost_ = false;
    return true;
}

bool SerialChannel::WriteByte(std::uint8_t value) {
    // Nothing reaches a closed channel; a device that is gone costs no more waiting.
    if (!open_) return true;
    const platform::ByteWrite result = lost_ ? platform::ByteWrite::kDeviceGone : device_.WriteByte(value);
    if (result != platform::ByteWrite::kWritten) ++not_taken_;
    if (result == platform::ByteWrite::kDeviceGone) lost_ = true;
    return true;
}

int SerialChannel::Send(const std::uint8_t* data, int length) {
    if (length <= 0) return 0;
    if (recording_ != nullptr) {
        recording_->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        return length;
    }
    if (!open_ || !device_.IsOpen()) return 0;
    for (int i = 0; i < length; ++i) {
        WriteByte(data[i]);
        if (!lost_) platform::SleepMilliseconds(kPauseAfterByteMs);
    }
    return length;
}
}  // namespace korv
