// Any key codes: the reader takes every code, one whole key per call (a lead 0 or 224
// with its second code, or one plain code), and a command comes only from a plain
// command letter, never from a two-code key.
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "pole/key_reader.h"

namespace {

class ScriptedKeys final : public korv::KeySource {
public:
    ScriptedKeys(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool KeyWaiting(int) override { return next_ < size_; }
    int ReadKey() override { return next_ < size_ ? data_[next_++] : 0; }
    std::size_t Taken() const { return next_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

bool IsLead(std::uint8_t code) { return code == 0 || code == 224; }
bool IsCommandCode(std::uint8_t code) { return code != 0 && std::strchr("SsBbXx", code) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScriptedKeys keys(data, size);
    korv::KeyReader reader(keys);
    while (keys.Taken() < size) {
        const std::size_t start = keys.Taken();
        const korv::KeyCommand command = reader.Next();
        const std::size_t taken = keys.Taken() - start;
        const bool two_code = IsLead(data[start]) && start + 1 < size;
        FUZZ_CHECK(taken == (two_code ? 2u : 1u));
        if (command != korv::KeyCommand::kNone) {
            FUZZ_CHECK(taken == 1 && IsCommandCode(data[start]));
        } else {
            FUZZ_CHECK(taken == 2 || !IsCommandCode(data[start]));
        }
    }
    return 0;
}
