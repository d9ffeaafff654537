#include "display/code_pages.h"

#include <array>
#include <cstdio>

#include "display/names.h"

namespace korv::charset {
namespace {
// Bytes 0x80 to 0xFF; 0 marks a byte the code page leaves undefined. From the Unicode
// consortium's mapping tables of the code pages (see docs/charsets.md).
using HighHalf = std::array<char16_t, 128>;

constexpr HighHalf kCp1252 = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0000, 0x017D, 0x0000,  // 0x88
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,  // 0x98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // 0xA8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // 0xB8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // 0xC0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // 0xC8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // 0xD0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // 0xD8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // 0xE0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // 0xE8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // 0xF0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // 0xF8
};

constexpr HighHalf kCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 0x88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  // 0x98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // 0xB0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // 0xC8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // 0xD0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  // 0xD8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // 0xE0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  // 0xE8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // 0xF0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
};

constexpr HighHalf kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 0x88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 0x98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // 0xE8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
};

// Code page 850 with the euro sign in place of the dotless i.
constexpr HighHalf WithEuroAtD5(HighHalf table) {
    table[0xD5 - 0x80] = 0x20AC;
    return table;
}
constexpr HighHalf kCp858 = WithEuroAtD5(kCp850);

struct PageEntry {
    CodePage page;
    const char* name;
    const HighHalf* high;
};

// In the order of kCodePages. UTF-8 has no byte of its own from 0x80 on.
constexpr PageEntry kPages[] = {
    {CodePage::kCp1252, "cp1252", &kCp1252},
    {CodePage::kCp850, "cp850", &kCp850},
    {CodePage::kCp437, "cp437", &kCp437},
    {CodePage::kCp858, "cp858", &kCp858},
    {CodePage::kUtf8, "utf-8", nullptr},
};

constexpr bool InKnownOrder() {
    for (std::size_t i = 0; i < std::size(kPages); ++i)
        if (kPages[i].page != kCodePages[i] || kPages[i].page != static_cast<CodePage>(i)) return false;
    return std::size(kPages) == std::size(kCodePages);
}
static_assert(InKnownOrder(), "one table row per code page, in the order of kCodePages");

const PageEntry& Entry(CodePage page) { return kPages[static_cast<std::size_t>(page)]; }

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t code_point) { return code_point >= 0xD800 && code_point <= 0xDFFF; }

// The bytes of a UTF-8 sequence that starts with `lead`; 0 for a byte none starts with.
std::size_t SequenceLength(unsigned char lead) {
    return lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
}

// The code point at `at` and the bytes it takes; a length of 0 where they are no UTF-8.
struct Decoded {
    char32_t code_point;
    std::size_t length;
};

Decoded DecodeUtf8At(std::string_view text, std::size_t at) {
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // the smallest code point of each length
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || text.size() - at < length) return {0, 0};
    char32_t code_point = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        code_point = (code_point << 6) | (next & 0x3F);
    }
    if (code_point < kLeast[length] || code_point > 0x10FFFF || IsSurrogate(code_point)) return {0, 0};
    return {code_point, length};
}

// A lead byte at `at` whose letter the end of `text` cuts off.
bool CutOff(std::string_view text, std::size_t at) {
    const std::size_t length = SequenceLength(static_cast<unsigned char>(text[at]));
    if (length < 2 || text.size() - at >= length) return false;
    for (std::size_t i = at + 1; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
    return true;
}
}  // namespace

const char* CodePageName(CodePage page) { return Entry(page).name; }

std::optional<CodePage> CodePageNamed(std::string_view name) {
    for (const PageEntry& entry : kPages)
        if (SameName(name, entry.name)) return entry.page;
    return std::nullopt;
}

std::optional<char32_t> CodePointOf(CodePage page, std::uint8_t byte) {
    if (byte < 0x80) return byte;
    if (page == CodePage::kUtf8) return std::nullopt;
    if (const char16_t code_point = (*Entry(page).high)[byte - 0x80u]) return code_point;
    return std::nullopt;
}

std::optional<std::uint8_t> ByteOf(CodePage page, char32_t code_point) {
    if (code_point < 0x80) return static_cast<std::uint8_t>(code_point);
    if (page == CodePage::kUtf8) return std::nullopt;
    const HighHalf& high = *Entry(page).high;
    for (std::size_t i = 0; i < high.size(); ++i)
        if (high[i] != 0 && high[i] == code_point) return static_cast<std::uint8_t>(0x80 + i);
    return std::nullopt;
}

std::string Utf8Of(char32_t code_point) {
    if (code_point > 0x10FFFF || IsSurrogate(code_point)) code_point = kReplacement;
    if (code_point < 0x80) return std::string(1, static_cast<char>(code_point));
    constexpr char32_t kLead[] = {0, 0xC0, 0xE0, 0xF0};
    const int tail = code_point < 0x800 ? 1 : code_point < 0x10000 ? 2 : 3;  // bytes after the lead
    std::string text(1, static_cast<char>(kLead[tail] | (code_point >> (6 * tail))));
    for (int i = tail - 1; i >= 0; --i) text += static_cast<char>(0x80 | ((code_point >> (6 * i)) & 0x3F));
    return text;
}

std::string CharacterLabel(char32_t code_point) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04lX", static_cast<unsigned long>(code_point));
    if (code_point < 0x20 || (code_point >= 0x7F && code_point < 0xA0)) return code;  // a control character
    return Utf8Of(code_point) + " (" + code + ")";
}

CodePageText FromUtf8(CodePage page, std::string_view utf8) {
    CodePageText result;
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded decoded = DecodeUtf8At(utf8, at);
        if (decoded.length == 0) return {CodePageText::Status::kInvalidUtf8, "", 0, at};
        if (page == CodePage::kUtf8)
            result.bytes.append(utf8.substr(at, decoded.length));
        else if (const std::optional<std::uint8_t> byte = ByteOf(page, decoded.code_point))
            result.bytes += static_cast<char>(*byte);
        else
            return {CodePageText::Status::kMissing, "", decoded.code_point, 0};
        at += decoded.length;
    }
    return result;
}

std::u32string LettersOf(CodePage page, std::string_view bytes) {
    std::u32string letters;
    for (std::size_t at = 0; at < bytes.size();) {
        if (page != CodePage::kUtf8) {
            letters += CodePointOf(page, static_cast<std::uint8_t>(bytes[at++])).value_or(kReplacement);
            continue;
        }
        const Decoded decoded = DecodeUtf8At(bytes, at);
        if (decoded.length == 0 && CutOff(bytes, at)) break;
        letters += decoded.length == 0 ? kReplacement : decoded.code_point;
        at += decoded.length == 0 ? 1 : decoded.length;
    }
    return letters;
}

std::string ToUtf8(CodePage page, std::string_view bytes) {
    std::string text;
    for (const char32_t letter : LettersOf(page, bytes))
        text += letter < 0x20 || letter == 0x7F || letter == kReplacement ? "?" : Utf8Of(letter);
    return text;
}
}  // namespace korv::charset
