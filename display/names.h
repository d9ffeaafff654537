#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

// Names as settings files and command lines spell them, and the lists messages give.
namespace korv {
// `given` spells `known`, a lower-case ASCII name, in any case. Only ASCII letters fold,
// so that no locale makes another name match.
inline bool SameName(std::string_view given, std::string_view known) {
    return std::equal(given.begin(), given.end(), known.begin(), known.end(),
                      [](char g, char k) { return (g >= 'A' && g <= 'Z' ? g - 'A' + 'a' : g) == k; });
}

// "a, b or c" (with `last` " and ": "a, b and c") from the texts `name` gives the items.
template <class Items, class Name>
std::string Listed(const Items& items, Name name, const char* last = " or ") {
    std::string text;
    std::size_t i = 0;
    for (const auto& item : items)
        text += std::string(i++ == 0 ? "" : i == std::size(items) ? last : ", ") + name(item);
    return text;
}
}  // namespace korv
