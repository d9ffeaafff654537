// The code pages and what an HD44780 shows of them, checked as properties over every
// byte, against the C library's converter and spot values from the data sheet.
#include <gtest/gtest.h>

#include <iconv.h>

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "display/code_page_to_display.h"
#include "display/lcd_characters.h"

namespace korv::charset {
namespace {
using Kind = LcdCharacter::Kind;

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// Latin letters and the euro sign, told apart without the product's tables.
bool IsLatinLetterOrEuro(char32_t c) {
    return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || c == 0xAA || c == 0xBA || c == 0x207F || c == 0x20AC;
}

bool IsAsciiLetter(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

TEST(CodePages, EveryDefinedByteMapsToACodePointAndBackAndThroughUtf8) {
    for (const CodePage page : kCodePages) {
        int undefined = 0;
        for (int byte = 0; byte < 256; ++byte) {
            SCOPED_TRACE(std::string(CodePageName(page)) + " " + Hex(byte));
            const auto code_point = CodePointOf(page, static_cast<std::uint8_t>(byte));
            if (!code_point) {
                ++undefined;
                continue;
            }
            EXPECT_EQ(ByteOf(page, *code_point), byte);
            const std::string one(1, static_cast<char>(byte));
            if (byte >= 0x20 && byte != 0x7F) {
                EXPECT_EQ(FromUtf8(page, ToUtf8(page, one)).bytes, one);
            }
        }
        EXPECT_EQ(undefined, page == CodePage::kCp1252 ? 5 : page == CodePage::kUtf8 ? 128 : 0) << CodePageName(page);
    }
}

// Every byte against the C library's converter, a second reading of the published tables.
TEST(CodePages, AgreeWithThePublishedTablesAndNames) {
    for (const CodePage page : kCodePages) {
        std::string name = CodePageName(page);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const iconv_t converter = iconv_open("UTF-32LE", name.c_str());
        ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1)) << "no converter for " << name;
        for (int byte = 0x80; byte < 256; ++byte) {
            char in[1] = {static_cast<char>(byte)};
            unsigned char out[4] = {};
            char* in_at = in;
            char* out_at = reinterpret_cast<char*>(out);
            std::size_t in_left = 1, out_left = sizeof out;
            std::optional<char32_t> expected;
            if (iconv(converter, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1))
                expected = out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            EXPECT_EQ(CodePointOf(page, static_cast<std::uint8_t>(byte)), expected) << name << " " << Hex(byte);
        }
        iconv_close(converter);
    }
    EXPECT_FALSE(ByteOf(CodePage::kCp850, 0x20AC)) << "cp850 has no euro sign";
    EXPECT_FALSE(ByteOf(CodePage::kCp858, 0x0131)) << "the euro sign took the dotless i's place";

    EXPECT_EQ(CodePageNamed("CP858"), CodePage::kCp858);
    EXPECT_EQ(CodePageNamed("cp1252"), CodePage::kCp1252);
    EXPECT_EQ(CodePageNamed("UTF-8"), CodePage::kUtf8);
    for (const char* name : {"", "cp125", "cp12522", "1252", "utf8"}) EXPECT_FALSE(CodePageNamed(name)) << name;
    EXPECT_EQ(CharacterRomNamed("A02"), CharacterRom::kA02);
    EXPECT_FALSE(CharacterRomNamed("a01"));
}

TEST(CodePages, Utf8TextIsConvertedOrRefusedAtItsFirstMissingOrBrokenCharacter) {
    const CodePageText sm = FromUtf8(CodePage::kCp1252, u8"Sm\u00F6rg\u00E5s 5 \u20AC");
    EXPECT_EQ(sm.status, CodePageText::Status::kConverted);
    EXPECT_EQ(sm.bytes, "Sm\xF6rg\xE5s 5 \x80");
    EXPECT_EQ(FromUtf8(CodePage::kCp850, u8"\u00E9\u00E5").bytes, "\x82\x86");

    const CodePageText euro = FromUtf8(CodePage::kCp437, u8"5 \u20AC \u00E9 \u0153");
    EXPECT_EQ(euro.status, CodePageText::Status::kMissing);
    EXPECT_EQ(euro.missing, 0x20AC);
    EXPECT_EQ(euro.bytes, "");
    EXPECT_EQ(CharacterLabel(euro.missing), u8"\u20AC (U+20AC)");
    EXPECT_EQ(CharacterLabel(0x1F600), u8"\U0001F600 (U+1F600)");
    EXPECT_EQ(CharacterLabel(0x1B), "U+001B");
    EXPECT_EQ(FromUtf8(CodePage::kCp1252, u8"a\U0001F600").missing, 0x1F600);

    const std::pair<const char*, std::size_t> broken[] = {  // the text, where it breaks
        {"ab\xC3", 2},              // cut short
        {"a\x80", 1},               // a continuation byte first
        {"\xC0\xAF", 0},            // overlong
        {"x\xED\xA0\x80", 1},       // a surrogate
        {"\xF4\x90\x80\x80", 0},    // beyond U+10FFFF
        {"\xC3\x28", 0},            // a lead byte without its continuation
    };
    for (const auto& [bytes, at] : broken) {
        const CodePageText text = FromUtf8(CodePage::kCp1252, bytes);
        EXPECT_EQ(text.status, CodePageText::Status::kInvalidUtf8) << bytes;
        EXPECT_EQ(text.invalid_at, at) << bytes;
    }
    EXPECT_EQ(ToUtf8(CodePage::kCp850, "\x82\x01\x7F" "A"), u8"\u00E9??A");
    EXPECT_EQ(ToUtf8(CodePage::kCp1252, "\x81"), "?");
}

TEST(LcdRoms, AgreeWithTheDataSheetAndNeverOfferACodeThatIsNotText) {
    const struct {
        CharacterRom rom;
        char32_t code_point;
        int code;  // -1: the ROM has no code korvpole may send for it
    } cases[] = {
        {CharacterRom::kA00, 0xE4, 0xE1}, {CharacterRom::kA00, 0xF6, 0xEF},
        {CharacterRom::kA00, 0xFC, 0xF5}, {CharacterRom::kA00, 0xDF, 0xE2},
        {CharacterRom::kA00, 0xF1, 0xEE}, {CharacterRom::kA00, 0xB0, 0xDF},
        {CharacterRom::kA00, 0xA5, 0x5C}, {CharacterRom::kA00, '\\', -1},
        {CharacterRom::kA00, '~', -1},    {CharacterRom::kA00, 0xC4, -1},
        {CharacterRom::kA00, 'g', 'g'},   {CharacterRom::kA02, 0xC4, 0xC4},
        {CharacterRom::kA02, 0xF6, 0xF6}, {CharacterRom::kA02, 0xDF, 0xDF},
        {CharacterRom::kA02, '\\', 0x5C}, {CharacterRom::kA02, '~', 0x7E},
        {CharacterRom::kA02, 0xFE, -1},   // thorn sits on the command prefix
        {CharacterRom::kA02, 0x2264, -1}, // less or equal sits among the control codes
        {CharacterRom::kA02, 0xD8, -1},   // its 0xD8 is a capital phi
    };
    for (const auto& c : cases) {
        const auto code = RomCodeOf(c.rom, c.code_point);
        EXPECT_EQ(code ? *code : -1, c.code) << CharacterRomName(c.rom) << " " << Hex(c.code_point);
    }
    EXPECT_EQ(RomCharacter(CharacterRom::kA00, 0x7E), 0x2192);
    EXPECT_EQ(RomCharacter(CharacterRom::kA02, 0x7F), 0x2302);
    for (const CharacterRom rom : kCharacterRoms)
        for (int code = 0; code < 0x10; ++code)
            EXPECT_FALSE(RomCharacter(rom, static_cast<std::uint8_t>(code))) << "user-defined " << code;
}

// Shown by the ROM as the same character, by a pattern that reads back as its letter, or
// by a plain character; never a control byte or the command prefix.
TEST(LcdCharset, EveryByteOfEveryCodePageShowsAsItselfOrAPlainCharacter) {
    int letters = 0;
    for (const CodePage page : kDisplayTables) {
        for (const CharacterRom rom : kCharacterRoms) {
            for (int byte = 0; byte < 256; ++byte) {
                SCOPED_TRACE(std::string(CodePageName(page)) + " " + CharacterRomName(rom) + " " + Hex(byte));
                const auto code_point = CodePointOf(page, static_cast<std::uint8_t>(byte));
                const LcdCharacter shown = PlanCharacter(rom, code_point.value_or(0xFFFD));
                const bool latin = code_point && IsLatinLetterOrEuro(*code_point);
                letters += latin;
                switch (shown.kind) {
                    case Kind::kRom:
                        EXPECT_GE(shown.code, 0x20);
                        EXPECT_NE(shown.code, 0xFE);
                        EXPECT_EQ(RomCharacter(rom, shown.code), code_point);
                        break;
                    case Kind::kUserDefined: {
                        const auto pattern = PatternOf(shown.letter);
                        ASSERT_TRUE(pattern);
                        EXPECT_EQ(LetterOfPattern(*pattern), shown.letter);
                        EXPECT_EQ((*pattern)[7], 0) << "the cursor line";
                        for (const std::uint8_t row : *pattern) EXPECT_LT(row, 0x20);
                        break;
                    }
                    case Kind::kStandIn:
                        EXPECT_FALSE(latin) << "a Latin letter with neither ROM code nor pattern";
                        EXPECT_TRUE(shown.code >= 0x20 && shown.code < 0x7F && shown.code != '\\' &&
                                    shown.code != '~')
                            << Hex(shown.code);
                        break;
                }
                if (latin) {
                    EXPECT_TRUE(IsAsciiLetter(static_cast<unsigned char>(PlainStandIn(*code_point))));
                }
            }
        }
    }
    EXPECT_GT(letters, 400);
    EXPECT_EQ(PlainStandIn(0x20AC), 'E');
    EXPECT_EQ(PlainStandIn(0xC5), 'A');
    EXPECT_EQ(PlainStandIn(0xE9), 'e');
}

UserCharacters Holding(std::u32string letters) {
    UserCharacters characters{};
    for (std::size_t i = 0; i < letters.size(); ++i) characters[i] = letters[i];
    return characters;
}

TEST(LcdCharset, ScreenPlansGiveEachMissingLetterOneCharacterAndKeepThoseOnShow) {
    using Rows = std::vector<std::string>;
    const struct {
        const char* name;
        CharacterRom rom;
        Rows rows;  // cp1252
        UserCharacters loaded;
        Rows sent;
        UserCharacters after;
        std::string loads;  // one digit for each character loaded
    } cases[] = {
        {"A00 after a bring-up", CharacterRom::kA00, {"Sm\xF6rg\xE5s", "Caf\xE9 5 \x80\xE5"}, {},
         {"Sm\xEFrg\x08s", "Caf\x09 5 \x0A\x08"}, Holding(U"\u00E5\u00E9\u20AC"), "012"},
        {"A02 has all but the euro sign", CharacterRom::kA02, {"Sm\xF6rg\xE5s", "Caf\xE9 5 \x80"}, {},
         {"Sm\xF6rg\xE5s", "Caf\xE9 5 \x08"}, Holding(U"\u20AC"), "0"},
        {"nine letters: the ninth plain", CharacterRom::kA00, {"\xC5\xC4\xD6\xC9\xC8\xCA\xCB\xC7\xD1\xC5"}, {},
         {"\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F" "N\x08"}, Holding(U"\u00C5\u00C4\u00D6\u00C9\u00C8\u00CA\u00CB\u00C7"),
         "01234567"},
        {"a letter kept, a new one in an empty character before a stale one", CharacterRom::kA00,
         {"\xE9\xD6"}, Holding(U"\u00C5\u00E9"), {"\x09\x0A"}, Holding(U"\u00C5\u00E9\u00D6"), "2"},
        {"a stale character reused when none is empty", CharacterRom::kA00, {"\xD6"},
         Holding(U"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7"), {"\x08"},
         Holding(U"\u00D6\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7"), "0"},
        {"letters on show keep theirs; the new ninth is plain", CharacterRom::kA00,
         {"\xD6\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7"}, Holding(U"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7"),
         {"O\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F"}, Holding(U"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::u32string> rows;
        for (const std::string& row : c.rows) rows.push_back(LettersOf(CodePage::kCp1252, row));
        const ScreenPlan plan = PlanScreen(c.rom, rows, c.loaded);
        EXPECT_EQ(plan.rows, c.sent);
        EXPECT_EQ(plan.characters, c.after);
        std::string loads;
        for (int slot = 0; slot < lcd::kUserCharacters; ++slot)
            if (plan.load[static_cast<std::size_t>(slot)]) loads += static_cast<char>('0' + slot);
        EXPECT_EQ(loads, c.loads);
    }
}
}  // namespace
}  // namespace korv::charset
