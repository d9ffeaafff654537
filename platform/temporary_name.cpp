#include "platform/temporary_name.h"

namespace korv::platform {
std::string TemporaryNameFor(const std::string& name, std::uint32_t seed, int attempt) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    const std::uint32_t mixed = seed ^ static_cast<std::uint32_t>(attempt) * 0x9E3779B1u;
    std::string suffix(8, '0');
    for (int i = 0; i < 8; ++i) suffix[i] = kHexDigits[(mixed >> (28 - 4 * i)) & 0xF];
    return name + ".tmp-" + suffix;
}
}  // namespace korv::platform
