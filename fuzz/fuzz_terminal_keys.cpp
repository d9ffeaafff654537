// Any typing at a terminal: keys with a character, Esc alone, and what a terminal sends
// for keys without one and for Alt with a key, in any order, with pauses after any key.
// Exactly the keys typed with a character come out, and Esc alone, so no command ever
// comes out of a sequence. The bytes go in one at a time, so where the reads that
// bring them end makes no difference.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/posix/escape_skipper.h"

namespace {
using korv::platform::EscapeSkipper;

// The fuzzer's bytes, one at a time; 0 once they are used up.
class Choices {
public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Left() const { return next_ < size_; }
    std::uint8_t Next() { return next_ < size_ ? data_[next_++] : 0; }
    // A byte from first to last.
    char In(int first, int last) { return static_cast<char>(first + Next() % (last - first + 1)); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

// One key as typed: its bytes, the keys it must give, and whether the typist paused
// after it (after Esc alone always: that is what makes it alone).
struct Typed {
    std::string bytes;
    std::string keys;
    bool pause = false;
};

Typed TypeOne(Choices& choose) {
    const std::string escape(1, EscapeSkipper::kEscape);
    const std::uint8_t kind = choose.Next();
    Typed typed;
    typed.pause = (kind & 0x80) != 0;
    switch (kind % 6) {
        case 0: {  // ESC [, parameters and intermediates, a final byte ([ only after one)
            typed.bytes = escape + "[";
            const int count = choose.Next() % 8;
            for (int i = 0; i < count; ++i) typed.bytes += choose.In(0x20, 0x3F);
            char final_byte = choose.In(0x40, 0x7E);
            if (count == 0 && final_byte == '[') final_byte = 'A';
            typed.bytes += final_byte;
            break;
        }
        case 1:  // ESC O and one byte, the Linux console's ESC [ [ and one byte
        case 2:
            typed.bytes = escape + (kind % 6 == 1 ? "O" : "[[") + choose.In(0x20, 0x7E);
            break;
        case 3: {  // Alt with a key
            char key = static_cast<char>(choose.Next());
            if (key == '[' || key == 'O' || key == EscapeSkipper::kEscape) key = 'x';
            typed.bytes = escape + key;
            break;
        }
        case 4:  // Esc alone
            typed.bytes = typed.keys = escape;
            typed.pause = true;
            break;
        default: {  // a key with a character
            char key = static_cast<char>(choose.Next());
            if (key == EscapeSkipper::kEscape) key = 'X';
            typed.bytes = typed.keys = std::string(1, key);
            break;
        }
    }
    return typed;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices choose(data, size);
    EscapeSkipper skipper;
    std::string expected;
    std::string keys;
    while (choose.Left()) {
        const Typed typed = TypeOne(choose);
        expected += typed.keys;
        for (char byte : typed.bytes) {
            const int key = skipper.Feed(static_cast<std::uint8_t>(byte));
            if (key != korv::platform::kNoKey) keys += static_cast<char>(key);
        }
        if (typed.pause && skipper.AfterEscape()) keys += static_cast<char>(skipper.GapPassed());
        FUZZ_CHECK(keys == expected);
    }
    return 0;
}
