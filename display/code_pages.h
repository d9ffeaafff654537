#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The code pages a till writes text in (UTF-8 too) and a 2x20 display shows it in, and
// the conversions. A new one is an enumerator, a name and a table row in code_pages.cpp.
namespace korv::charset {
enum class CodePage { kCp1252, kCp850, kCp437, kCp858, kUtf8 };

// What text = may name, and the tables a 2x20 display may hold (table =).
inline constexpr CodePage kCodePages[] = {CodePage::kCp1252, CodePage::kCp850, CodePage::kCp437,
                                          CodePage::kCp858, CodePage::kUtf8};
inline constexpr CodePage kDisplayTables[] = {CodePage::kCp437, CodePage::kCp850, CodePage::kCp858,
                                              CodePage::kCp1252};

// A code table a display shows text bytes in, and the number that selects it.
struct CodeTable {
    CodePage page;
    std::uint8_t number;
};

// "cp1252", "cp850", "cp437", "cp858" or "utf-8": the name a settings file gives.
const char* CodePageName(CodePage page);
// The code page of that name, in any case; none for any other text.
std::optional<CodePage> CodePageNamed(std::string_view name);

// The character `byte` stands for in `page`; none for a byte the page leaves undefined.
// 0x00 to 0x7F are ASCII in every page; UTF-8 has no other byte that stands alone.
std::optional<char32_t> CodePointOf(CodePage page, std::uint8_t byte);
// The byte that stands for `code_point` in `page`; none when the code page lacks it.
std::optional<std::uint8_t> ByteOf(CodePage page, char32_t code_point);

// `code_point` written in UTF-8; a code point beyond Unicode or a surrogate as U+FFFD.
std::string Utf8Of(char32_t code_point);
// The character as a technician reads it in a message: the character itself and its
// code, "\xE2\x82\xAC (U+20AC)" for the euro sign; a control character by its code only.
std::string CharacterLabel(char32_t code_point);

// UTF-8 text converted to a code page.
struct CodePageText {
    enum class Status {
        kConverted,    // `bytes` holds the text in the code page
        kMissing,      // `missing` is the first character the code page lacks
        kInvalidUtf8,  // the text is not UTF-8; `invalid_at` is the byte offset where it stops
    };
    Status status = Status::kConverted;
    std::string bytes;
    char32_t missing = 0;
    std::size_t invalid_at = 0;
};
// Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
CodePageText FromUtf8(CodePage page, std::string_view utf8);

// The letters of `bytes` in `page`: an undefined byte or broken UTF-8 is U+FFFD; a letter
// cut off at the end (a field full to its last byte) is left out.
std::u32string LettersOf(CodePage page, std::string_view bytes);

// Code page bytes as UTF-8 for a terminal; below 0x20, 0x7F and undefined ones as '?'.
std::string ToUtf8(CodePage page, std::string_view bytes);
}  // namespace korv::charset
