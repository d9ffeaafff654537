#pragma once

#include <cstdint>
#include <string>

namespace korv::platform {

inline constexpr int kTemporaryNameAttempts = 100;

// A name beside `name` for a new file that is to take its place: `name`, ".tmp-" and
// eight hex digits mixed from `seed` (the caller's time and process) and `attempt`. A
// fixed name would collide with a crashed earlier save or a second instance.
std::string TemporaryNameFor(const std::string& name, std::uint32_t seed, int attempt);

}  // namespace korv::platform
