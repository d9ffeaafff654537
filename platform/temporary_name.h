#pragma once

#include <cstdint>
#include <string>

namespace korv::platform {
inline constexpr int kTemporaryNameAttempts = 100;

// `name`, ".tmp-" and eight hex digits mixed from `seed` (time and process) and
// `attempt`: a fixed name would collide with a crashed save or a second instance.
std::string TemporaryNameFor(const std::string& name, std::uint32_t seed, int attempt);
}  // namespace korv::platform
