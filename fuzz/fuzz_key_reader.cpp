// Any key codes: a command comes only from one of the six command codes taken alone,
// never from inside a two-code key or an escape sequence, and every code is taken.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "pole/key_reader.h"

namespace {

class ScriptedKeys final : public korv::KeySource {
public:
    ScriptedKeys(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool KeyWaiting(int) override { return next_ < size_; }
    int ReadKey() override { return next_ < size_ ? data_[next_++] : 0; }
    std::size_t Taken() const { return next_; }
    std::uint8_t Code(std::size_t index) const { return data_[index]; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

bool IsCommandCode(std::uint8_t code) { return code != 0 && std::strchr("SsBbXx", code) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScriptedKeys keys(data, size);
    korv::KeyReader reader(keys);
    std::vector<bool> key_starts(size, false);
    std::size_t calls = 0;
    while (keys.Taken() < size) {
        const std::size_t before = keys.Taken();
        const std::size_t first = reader.HasPendingCode() ? before - 1 : before;
        const korv::KeyCommand command = reader.Next();
        FUZZ_CHECK(++calls <= 2 * size + 1);
        if (keys.Taken() > first) key_starts[first] = true;
        if (command == korv::KeyCommand::kNone) continue;
        // A command's key is exactly one code, and it is a command letter...
        FUZZ_CHECK(first == before && keys.Taken() == before + 1);
        FUZZ_CHECK(IsCommandCode(keys.Code(before)));
        // ...never the second code of a two-code key or what follows an Escape.
        if (before > 0 && key_starts[before - 1]) {
            const std::uint8_t lead = keys.Code(before - 1);
            FUZZ_CHECK(lead != 0 && lead != 224 && lead != 27);
        }
    }
    return 0;
}
