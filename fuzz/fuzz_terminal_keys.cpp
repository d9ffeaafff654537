// Any bytes from a terminal, with the gap passing anywhere: every byte is taken, the
// codes come as whole keys (a lead 0 or 224 always with its second code, except a lead
// byte that the gap cut off), and a command letter comes out as a plain key only when
// it was typed as one, never out of an escape sequence.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/posix/terminal_key_decoder.h"

namespace {

using korv::platform::TerminalKeyDecoder;

bool IsLead(int code) { return code == 0 || code == 224; }
bool IsCommandCode(int code) { return code != 0 && std::strchr("SsBbXx", code) != nullptr; }

std::string Drain(TerminalKeyDecoder& decoder) {
    std::string codes;
    while (decoder.HasCode()) codes += static_cast<char>(decoder.TakeCode());
    return codes;
}

// The plain codes among whole keys; false when a lead lacks its second code.
bool PlainCodes(const std::string& codes, std::string& plain) {
    for (std::size_t at = 0; at < codes.size(); ++at) {
        const int code = static_cast<unsigned char>(codes[at]);
        if (!IsLead(code)) {
            plain += static_cast<char>(code);
        } else if (++at == codes.size()) {
            return false;
        }
    }
    return true;
}

void CheckFeed(TerminalKeyDecoder& decoder, std::uint8_t byte) {
    const bool typed_alone = !decoder.Unfinished();
    decoder.Feed(byte);
    const std::string codes = Drain(decoder);
    FUZZ_CHECK(codes.size() <= 3);
    std::string plain;
    FUZZ_CHECK(PlainCodes(codes, plain));
    for (char code : plain) {
        if (!IsCommandCode(static_cast<unsigned char>(code))) continue;
        FUZZ_CHECK(typed_alone && codes.size() == 1 && static_cast<std::uint8_t>(code) == byte);
    }
}

void CheckGap(TerminalKeyDecoder& decoder) {
    decoder.GapPassed();
    FUZZ_CHECK(!decoder.Unfinished());
    const std::string codes = Drain(decoder);
    FUZZ_CHECK(codes.size() <= 2);
    if (codes.size() == 1 && IsLead(static_cast<unsigned char>(codes[0]))) return;  // cut off
    std::string plain;
    FUZZ_CHECK(PlainCodes(codes, plain));
    for (char code : plain) FUZZ_CHECK(!IsCommandCode(static_cast<unsigned char>(code)));
}

}  // namespace

// Pairs of bytes: the byte the terminal sends, then whether the gap passes after it
// (lowest bit).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TerminalKeyDecoder decoder;
    for (std::size_t at = 0; at + 1 < size; at += 2) {
        CheckFeed(decoder, data[at]);
        if (data[at + 1] & 1) CheckGap(decoder);
    }
    CheckGap(decoder);
    return 0;
}
