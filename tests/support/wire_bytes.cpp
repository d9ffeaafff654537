#include "tests/support/wire_bytes.h"

#include <cstdio>

namespace korv::test {

std::string Hex(const std::string& bytes) {
    std::string text;
    char pair[4];
    for (unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", byte);
        text += pair;
    }
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace korv::test
