// Any configuration file: the port text stays within its field, and the settings mean
// exactly what the first five bytes say.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "pole/korvpole_cfg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const korv::KorvpoleCfg settings =
        korv::ParseKorvpoleCfg(std::string(reinterpret_cast<const char*>(data), size));

    FUZZ_CHECK(settings.port_text[2] == '\0');
    char expected_port[3] = {};
    std::memcpy(expected_port, data, size < 2 ? size : 2);
    FUZZ_CHECK(std::strcmp(settings.port_text, expected_port) == 0);
    FUZZ_CHECK(settings.Port() == std::atoi(expected_port));
    const bool expected_backlight = size > 3 && data[3] == '1';
    FUZZ_CHECK(settings.BacklightOn() == expected_backlight);
    return 0;
}
