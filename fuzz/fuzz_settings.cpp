// Any configuration file: the port text stays within its field, and the settings mean
// exactly what the first five bytes say.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "pole/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (size == 0) file = std::fopen("/dev/null", "rb");
    if (file == nullptr) return 0;
    const korv::Settings settings = korv::ReadSettings(file);
    std::fclose(file);

    FUZZ_CHECK(settings.port_text[2] == '\0');
    char expected_port[3] = {};
    std::memcpy(expected_port, data, size < 2 ? size : 2);
    FUZZ_CHECK(std::strcmp(settings.port_text, expected_port) == 0);
    FUZZ_CHECK(settings.Port() == std::atoi(expected_port));
    const bool expected_backlight = size > 3 && data[3] == '1';
    FUZZ_CHECK(settings.BacklightOn() == expected_backlight);
    return 0;
}
