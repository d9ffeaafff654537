#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

// Names as settings files and command lines spell them, and the lists messages give.
namespace korv {

// `given` spells `known`, a lower-case ASCII name, in any case. Only ASCII letters fold,
// so that no locale makes another name match.
inline bool SameName(std::string_view given, std::string_view known) {
    if (given.size() != known.size()) return false;
    for (std::size_t i = 0; i < known.size(); ++i) {
        const char c = given[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != known[i]) return false;
    }
    return true;
}

// "a, b or c" (with `last` " and ": "a, b and c") from the texts `name` gives the items.
template <class Items, class Name>
std::string Listed(const Items& items, Name name, const char* last = " or ") {
    const std::size_t count = std::size(items);
    std::string text;
    std::size_t i = 0;
    for (const auto& item : items) {
        text += std::string(i == 0 ? "" : i + 1 == count ? last : ", ") + name(item);
        ++i;
    }
    return text;
}

}  // namespace korv
