// Any byte stream: the model stays within its memory and accounts for every byte.
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "sim/hd44780_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korv::sim::Hd44780Model model;
    for (std::size_t i = 0; i < size; ++i) {
        const korv::sim::DecodedByte decoded = model.Feed(data[i]);
        FUZZ_CHECK(decoded.byte == data[i]);
        FUZZ_CHECK(model.Address() < 0x80);
    }
    FUZZ_CHECK(model.BytesReceived() == size);
    FUZZ_CHECK(model.UnknownCommands() <= model.CommandsSeen());
    for (int row = 1; row <= korv::sim::Hd44780Model::kRows; ++row)
        FUZZ_CHECK(model.Row(row).size() == static_cast<std::size_t>(korv::sim::Hd44780Model::kColumns));
    return 0;
}
