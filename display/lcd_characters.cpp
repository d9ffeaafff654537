#include "display/lcd_characters.h"

#include "display/lcd_bytes.h"
#include "display/names.h"

namespace korv::charset {
namespace {
// Code to code point; 0 where a customer reads no character. From the tables of
// character codes and patterns in the HD44780U data sheet (see docs/charsets.md).
using RomTable = std::array<char32_t, 256>;

constexpr RomTable MakeA00() {
    RomTable table{};
    for (int code = 0x20; code < 0x7F; ++code) table[code] = static_cast<char32_t>(code);
    table[0x5C] = 0x00A5;  // yen sign, not the backslash
    table[0x7E] = 0x2192;  // right arrow, not the tilde
    table[0x7F] = 0x2190;  // left arrow
    table[0xA0] = 0x0020;  // 0x80 to 0x9F have no patterns
    // Katakana and their punctuation where JIS X 0201 places them.
    for (int code = 0xA1; code <= 0xDF; ++code)
        table[code] = static_cast<char32_t>(0xFF61 + code - 0xA1);
    table[0xA5] = 0x00B7;  // the katakana middle dot reads as a middle dot
    table[0xDF] = 0x00B0;  // the semi-voiced mark reads as a degree sign
    // 0xE7, 0xEA, 0xF0, 0xF1 and 0xF9 are g, j, p, q and y with descenders; 0xE9, 0xEB
    // and 0xF8 (superscript -1, superscript x, x bar) and 0xED (an L with a double bar,
    // too unlike the pound sign) read as no character; 0xFE is blank.
    constexpr char32_t kE0[32] = {
        0x03B1, 0x00E4, 0x00DF, 0x03B5, 0x00B5, 0x03C3, 0x03C1, 0x0067,  // 0xE0
        0x221A, 0x0000, 0x006A, 0x0000, 0x00A2, 0x0000, 0x00F1, 0x00F6,  // 0xE8
        0x0070, 0x0071, 0x03B8, 0x221E, 0x03A9, 0x00FC, 0x03A3, 0x03C0,  // 0xF0
        0x0000, 0x0079, 0x5343, 0x4E07, 0x5186, 0x00F7, 0x0000, 0x2588,  // 0xF8
    };
    for (int i = 0; i < 32; ++i) table[0xE0 + i] = kE0[i];
    return table;
}

constexpr RomTable MakeA02() {
    RomTable table{};
    constexpr char32_t k10[16] = {
        0x25B6, 0x25C0, 0x201C, 0x201D, 0x23EB, 0x23EC, 0x25CF, 0x21B2,  // 0x10
        0x2191, 0x2193, 0x2192, 0x2190, 0x2264, 0x2265, 0x25B2, 0x25BC,  // 0x18
    };
    for (int i = 0; i < 16; ++i) table[0x10 + i] = k10[i];
    for (int code = 0x20; code < 0x7F; ++code) table[code] = static_cast<char32_t>(code);
    table[0x7F] = 0x2302;  // house
    // Cyrillic capitals unlike Latin ones, Greek letters and signs; 0x98 is a bell,
    // 0xA0 a double bar, 0xAF an accent and 0xB4 a currency sign, none of them read
    // as a character here.
    constexpr char32_t k80[64] = {
        0x0411, 0x0414, 0x0416, 0x0417, 0x0418, 0x0419, 0x041B, 0x041F,  // 0x80
        0x0423, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042D,  // 0x88
        0x03B1, 0x266A, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x266C, 0x03C4,  // 0x90
        0x0000, 0x03B8, 0x03A9, 0x03B4, 0x221E, 0x2665, 0x03B5, 0x2229,  // 0x98
        0x0000, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // 0xA0
        0x0192, 0x00A9, 0x00AA, 0x00AB, 0x042E, 0x042F, 0x00AE, 0x0000,  // 0xA8
        0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0000, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
        0x03C9, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // 0xB8
    };
    for (int i = 0; i < 64; ++i) table[0x80 + i] = k80[i];
    // Latin-1 letters from 0xC0 on, with a capital phi in place of O stroke.
    for (int code = 0xC0; code <= 0xFF; ++code) table[code] = static_cast<char32_t>(code);
    table[0xD8] = 0x03A6;
    return table;
}

constexpr RomTable kA00 = MakeA00();
constexpr RomTable kA02 = MakeA02();

const RomTable& Table(CharacterRom rom) { return rom == CharacterRom::kA02 ? kA02 : kA00; }

// Seven rows of five dots, '#' lit; the plain stand-in beside each.
struct PatternSource {
    char32_t letter;
    char plain;
    const char* rows[7];
};

// Accents take the two top rows over a capital five rows high, or over a small letter
// as high as the ROM's; capital O with a mark is six rows high so that it differs from
// the small o.
constexpr PatternSource kPatterns[] = {
    {0x00C0, 'A', {".#...", "..#..", ".###.", "#...#", "#####", "#...#", "#...#"}},  // A grave
    {0x00C1, 'A', {"...#.", "..#..", ".###.", "#...#", "#####", "#...#", "#...#"}},  // A acute
    {0x00C2, 'A', {"..#..", ".#.#.", ".###.", "#...#", "#####", "#...#", "#...#"}},  // A circumflex
    {0x00C3, 'A', {".##.#", "#..#.", ".###.", "#...#", "#####", "#...#", "#...#"}},  // A tilde
    {0x00C4, 'A', {".#.#.", ".....", ".###.", "#...#", "#####", "#...#", "#...#"}},  // A diaeresis
    {0x00C5, 'A', {"..#..", ".#.#.", "..#..", ".#.#.", "#...#", "#####", "#...#"}},  // A ring above
    {0x00C6, 'A', {".####", "#.#..", "#.#..", "#####", "#.#..", "#.#..", "#.###"}},  // AE
    {0x00C7, 'C', {".###.", "#...#", "#....", "#....", "#...#", ".###.", "..#.."}},  // C cedilla
    {0x00C8, 'E', {".#...", "..#..", "#####", "#....", "####.", "#....", "#####"}},  // E grave
    {0x00C9, 'E', {"...#.", "..#..", "#####", "#....", "####.", "#....", "#####"}},  // E acute
    {0x00CA, 'E', {"..#..", ".#.#.", "#####", "#....", "####.", "#....", "#####"}},  // E circumflex
    {0x00CB, 'E', {".#.#.", ".....", "#####", "#....", "####.", "#....", "#####"}},  // E diaeresis
    {0x00CC, 'I', {".#...", "..#..", ".###.", "..#..", "..#..", "..#..", ".###."}},  // I grave
    {0x00CD, 'I', {"...#.", "..#..", ".###.", "..#..", "..#..", "..#..", ".###."}},  // I acute
    {0x00CE, 'I', {"..#..", ".#.#.", ".###.", "..#..", "..#..", "..#..", ".###."}},  // I circumflex
    {0x00CF, 'I', {".#.#.", ".....", ".###.", "..#..", "..#..", "..#..", ".###."}},  // I diaeresis
    {0x00D0, 'D', {"####.", ".#..#", ".#..#", "###.#", ".#..#", ".#..#", "####."}},  // ETH
    {0x00D1, 'N', {".##.#", "#..#.", "#...#", "##..#", "#.#.#", "#..##", "#...#"}},  // N tilde
    {0x00D2, 'O', {"#....", ".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},  // O grave
    {0x00D3, 'O', {"....#", ".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},  // O acute
    {0x00D4, 'O', {"..#..", ".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},  // O circumflex
    {0x00D5, 'O', {".##.#", ".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},  // O tilde
    {0x00D6, 'O', {"#...#", ".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},  // O diaeresis
    {0x00D8, 'O', {".###.", "#..##", "#.#.#", "#.#.#", "#.#.#", "##..#", ".###."}},  // O stroke
    {0x00D9, 'U', {".#...", "..#..", "#...#", "#...#", "#...#", "#...#", ".###."}},  // U grave
    {0x00DA, 'U', {"...#.", "..#..", "#...#", "#...#", "#...#", "#...#", ".###."}},  // U acute
    {0x00DB, 'U', {"..#..", ".#.#.", "#...#", "#...#", "#...#", "#...#", ".###."}},  // U circumflex
    {0x00DC, 'U', {".#.#.", ".....", "#...#", "#...#", "#...#", "#...#", ".###."}},  // U diaeresis
    {0x00DD, 'Y', {"...#.", "..#..", "#...#", ".#.#.", "..#..", "..#..", "..#.."}},  // Y acute
    {0x00DE, 'T', {"#....", "####.", "#...#", "#...#", "####.", "#....", "#...."}},  // THORN
    {0x00DF, 's', {".###.", "#...#", "#..#.", "#.#..", "#..#.", "#...#", "#.##."}},  // sharp s
    {0x00E0, 'a', {".#...", "..#..", ".###.", "....#", ".####", "#...#", ".####"}},  // a grave
    {0x00E1, 'a', {"...#.", "..#..", ".###.", "....#", ".####", "#...#", ".####"}},  // a acute
    {0x00E2, 'a', {"..#..", ".#.#.", ".###.", "....#", ".####", "#...#", ".####"}},  // a circumflex
    {0x00E3, 'a', {".##.#", "#..#.", ".###.", "....#", ".####", "#...#", ".####"}},  // a tilde
    {0x00E4, 'a', {".#.#.", ".....", ".###.", "....#", ".####", "#...#", ".####"}},  // a diaeresis
    {0x00E5, 'a', {"..#..", ".#.#.", "..#..", ".####", "#...#", "#..##", ".##.#"}},  // a ring above
    {0x00E6, 'a', {".....", ".....", "##.#.", "..#.#", ".####", "#.#..", ".#.##"}},  // ae
    {0x00E7, 'c', {".....", ".###.", "#....", "#....", "#...#", ".###.", "..#.."}},  // c cedilla
    {0x00E8, 'e', {".#...", "..#..", ".###.", "#...#", "#####", "#....", ".###."}},  // e grave
    {0x00E9, 'e', {"...#.", "..#..", ".###.", "#...#", "#####", "#....", ".###."}},  // e acute
    {0x00EA, 'e', {"..#..", ".#.#.", ".###.", "#...#", "#####", "#....", ".###."}},  // e circumflex
    {0x00EB, 'e', {".#.#.", ".....", ".###.", "#...#", "#####", "#....", ".###."}},  // e diaeresis
    {0x00EC, 'i', {".#...", "..#..", ".##..", "..#..", "..#..", "..#..", ".###."}},  // i grave
    {0x00ED, 'i', {"...#.", "..#..", ".##..", "..#..", "..#..", "..#..", ".###."}},  // i acute
    {0x00EE, 'i', {"..#..", ".#.#.", ".##..", "..#..", "..#..", "..#..", ".###."}},  // i circumflex
    {0x00EF, 'i', {".#.#.", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},  // i diaeresis
    {0x00F0, 'd', {"..#.#", "...#.", "..#.#", ".####", "#...#", "#...#", ".###."}},  // eth
    {0x00F1, 'n', {".##.#", "#..#.", "#.##.", "##..#", "#...#", "#...#", "#...#"}},  // n tilde
    {0x00F2, 'o', {".#...", "..#..", ".###.", "#...#", "#...#", "#...#", ".###."}},  // o grave
    {0x00F3, 'o', {"...#.", "..#..", ".###.", "#...#", "#...#", "#...#", ".###."}},  // o acute
    {0x00F4, 'o', {"..#..", ".#.#.", ".###.", "#...#", "#...#", "#...#", ".###."}},  // o circumflex
    {0x00F5, 'o', {".##.#", "#..#.", ".###.", "#...#", "#...#", "#...#", ".###."}},  // o tilde
    {0x00F6, 'o', {".#.#.", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},  // o diaeresis
    {0x00F8, 'o', {".....", ".....", ".###.", "#..##", "#.#.#", "##..#", ".###."}},  // o stroke
    {0x00F9, 'u', {".#...", "..#..", "#...#", "#...#", "#...#", "#..##", ".##.#"}},  // u grave
    {0x00FA, 'u', {"...#.", "..#..", "#...#", "#...#", "#...#", "#..##", ".##.#"}},  // u acute
    {0x00FB, 'u', {"..#..", ".#.#.", "#...#", "#...#", "#...#", "#..##", ".##.#"}},  // u circumflex
    {0x00FC, 'u', {".#.#.", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},  // u diaeresis
    {0x00FD, 'y', {"...#.", "..#..", "#...#", "#...#", ".####", "....#", ".###."}},  // y acute
    {0x00FE, 't', {"#....", "#....", "####.", "#...#", "####.", "#....", "#...."}},  // thorn
    {0x00FF, 'y', {".#.#.", ".....", "#...#", "#...#", ".####", "....#", ".###."}},  // y diaeresis
    {0x00AA, 'a', {".###.", "....#", ".####", "#...#", ".####", ".....", "#####"}},  // ordinal a
    {0x00BA, 'o', {".###.", "#...#", "#...#", "#...#", ".###.", ".....", "#####"}},  // ordinal o
    {0x00B5, 'u', {".....", ".....", "#...#", "#...#", "#..##", "###.#", "#...."}},  // micro sign
    {0x0131, 'i', {".....", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},  // dotless i
    {0x0152, 'O', {".####", "#.#..", "#.#..", "#.###", "#.#..", "#.#..", ".####"}},  // OE
    {0x0153, 'o', {".....", ".....", ".#.#.", "#.#.#", "#.###", "#.#..", ".#.##"}},  // oe
    {0x0160, 'S', {".#.#.", "..#..", ".####", "#....", ".###.", "....#", "####."}},  // S caron
    {0x0161, 's', {".#.#.", "..#..", ".###.", "#....", ".###.", "....#", "####."}},  // s caron
    {0x0178, 'Y', {".#.#.", ".....", "#...#", ".#.#.", "..#..", "..#..", "..#.."}},  // Y diaeresis
    {0x017D, 'Z', {".#.#.", "..#..", "#####", "...#.", "..#..", ".#...", "#####"}},  // Z caron
    {0x017E, 'z', {".#.#.", "..#..", ".....", "#####", "...#.", ".#...", "#####"}},  // z caron
    {0x0192, 'f', {"...##", "..#..", ".###.", "..#..", "..#..", "..#..", "##..."}},  // f hook
    {0x207F, 'n', {"#.##.", "##..#", "#...#", "#...#", ".....", ".....", "....."}},  // superscript n
    {0x20AC, 'E', {"..###", ".#...", "####.", ".#...", "####.", ".#...", "..###"}},  // euro sign
    {0x0393, ' ', {"#####", "#....", "#....", "#....", "#....", "#....", "#...."}},  // Greek Gamma
    {0x0398, ' ', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", ".###."}},  // Greek Theta
    {0x03A6, ' ', {"..#..", ".###.", "#.#.#", "#.#.#", "#.#.#", ".###.", "..#.."}},  // Greek Phi
    {0x03B4, 'd', {".##..", "#....", ".#...", ".###.", "#...#", "#...#", ".###."}},  // Greek delta
    {0x03C4, 't', {".....", ".....", "#####", "..#..", "..#..", "..#.#", "...#."}},  // Greek tau
    {0x03C6, ' ', {".....", "..#..", ".###.", "#.#.#", "#.#.#", ".###.", "..#.."}},  // Greek phi
    {0x005C, ' ', {".....", "#....", ".#...", "..#..", "...#.", "....#", "....."}},  // reverse solidus
    {0x007E, ' ', {".....", ".....", ".....", ".##.#", "#..#.", ".....", "....."}},  // tilde
    {0x00A3, ' ', {"..##.", ".#..#", ".#...", "####.", ".#...", ".#...", "#####"}},  // pound sign
    {0x00A1, '!', {"..#..", ".....", "..#..", "..#..", "..#..", "..#..", "..#.."}},  // inverted !
    {0x00BF, '?', {"..#..", ".....", "..#..", ".#...", "#....", "#...#", ".###."}},  // inverted ?
    {0x00AB, '<', {".....", ".....", ".#..#", "#..#.", ".#..#", ".....", "....."}},  // left guillemet
    {0x00BB, '>', {".....", ".....", "#..#.", ".#..#", "#..#.", ".....", "....."}},  // right guillemet
    {0x00B1, ' ', {"..#..", "..#..", "#####", "..#..", "..#..", ".....", "#####"}},  // plus-minus sign
    {0x00D7, 'x', {".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "....."}},  // multiplication sign
    {0x00B2, '2', {".##..", "...#.", "..#..", ".###.", ".....", ".....", "....."}},  // superscript two
    {0x00B3, '3', {".###.", "..#..", "...#.", ".##..", ".....", ".....", "....."}},  // superscript three
};

constexpr bool WellDrawn(const PatternSource& pattern) {
    for (const std::string_view row : pattern.rows)
        if (row.size() != 5 || row.find_first_not_of(".#") != std::string_view::npos) return false;
    return true;
}

constexpr bool Plain(char c) { return c >= 0x20 && c < 0x7F && c != '\\' && c != '~'; }

constexpr bool PatternsSound() {
    const std::size_t count = std::size(kPatterns);
    for (std::size_t i = 0; i < count; ++i) {
        if (!WellDrawn(kPatterns[i]) || !Plain(kPatterns[i].plain)) return false;
        for (std::size_t j = i + 1; j < count; ++j) {
            if (kPatterns[i].letter == kPatterns[j].letter) return false;
            int row = 0;
            while (row < 7 && std::string_view(kPatterns[i].rows[row]) == kPatterns[j].rows[row]) ++row;
            if (row == 7) return false;  // the simulator could not tell the two apart
        }
    }
    return true;
}
static_assert(PatternsSound(), "every pattern 5x7 dots, of one letter, unlike every other, with a plain stand-in");

// Stand-ins for characters korvpole draws no pattern for; a range stands for every
// code point in it. Anything not here is a blank.
struct StandIn {
    char32_t first;
    char32_t last;
    char plain;
};

constexpr StandIn kStandIns[] = {
    {0x00A2, 0x00A2, 'c'},   // cent sign
    {0x00A5, 0x00A5, 'Y'},   // yen sign
    {0x00A6, 0x00A6, '|'},   // broken bar
    {0x00AD, 0x00AD, '-'},   // soft hyphen
    {0x00B4, 0x00B4, '\''},  // acute accent
    {0x00B7, 0x00B7, '.'},   // middle dot
    {0x00B8, 0x00B8, ','},   // cedilla
    {0x00B9, 0x00B9, '1'},   // superscript one
    {0x00F7, 0x00F7, '/'},   // division sign
    {0x02C6, 0x02C6, '^'},   // modifier circumflex
    {0x03B1, 0x03B1, 'a'},   // Greek alpha
    {0x03B5, 0x03B5, 'e'},   // Greek epsilon
    {0x2013, 0x2014, '-'},   // en and em dash
    {0x2017, 0x2017, '_'},   // double low line
    {0x2018, 0x2019, '\''},  // single quotation marks
    {0x201A, 0x201A, ','},   // low single quotation mark
    {0x201C, 0x201E, '"'},   // double quotation marks
    {0x2022, 0x2022, '*'},   // bullet
    {0x2026, 0x2026, '.'},   // ellipsis
    {0x2039, 0x2039, '<'},   // single guillemets
    {0x203A, 0x203A, '>'},
    {0x2219, 0x2219, '.'},   // bullet operator
    {0x2248, 0x2248, '='},   // almost equal
    {0x2261, 0x2261, '='},   // identical to
    {0x2264, 0x2264, '<'},   // less or equal
    {0x2265, 0x2265, '>'},   // greater or equal
    {0x2500, 0x2501, '-'},   // box drawing: lines, corners and crossings
    {0x2502, 0x2503, '|'},
    {0x250C, 0x254B, '+'},
    {0x2550, 0x2550, '='},
    {0x2551, 0x2551, '|'},
    {0x2552, 0x256C, '+'},
};

constexpr bool StandInsSound() {
    for (const StandIn& stand_in : kStandIns) {
        if (stand_in.first > stand_in.last || !Plain(stand_in.plain)) return false;
        for (const PatternSource& pattern : kPatterns)
            if (pattern.letter >= stand_in.first && pattern.letter <= stand_in.last) return false;
    }
    return true;
}
static_assert(StandInsSound(), "one stand-in for each character, plain and shown by every ROM");

GlyphPattern ToPattern(const PatternSource& source) {
    GlyphPattern pattern{};
    for (int row = 0; row < 7; ++row)
        for (int dot = 0; dot < 5; ++dot)
            if (source.rows[row][dot] == '#') pattern[row] |= static_cast<std::uint8_t>(0x10 >> dot);
    return pattern;
}

const PatternSource* SourceOf(char32_t code_point) {
    for (const PatternSource& source : kPatterns)
        if (source.letter == code_point) return &source;
    return nullptr;
}
}  // namespace

const char* CharacterRomName(CharacterRom rom) { return rom == CharacterRom::kA02 ? "a02" : "a00"; }

std::optional<CharacterRom> CharacterRomNamed(std::string_view name) {
    for (const CharacterRom rom : kCharacterRoms)
        if (SameName(name, CharacterRomName(rom))) return rom;
    return std::nullopt;
}

std::optional<char32_t> RomCharacter(CharacterRom rom, std::uint8_t code) {
    if (const char32_t code_point = Table(rom)[code]) return code_point;
    return std::nullopt;
}

std::optional<std::uint8_t> RomCodeOf(CharacterRom rom, char32_t code_point) {
    if (code_point == 0) return std::nullopt;
    const RomTable& table = Table(rom);
    for (int code = 0x20; code <= 0xFF; ++code)
        if (code != lcd::kCommandPrefix && table[code] == code_point)
            return static_cast<std::uint8_t>(code);
    return std::nullopt;
}

std::optional<GlyphPattern> PatternOf(char32_t code_point) {
    if (const PatternSource* source = SourceOf(code_point)) return ToPattern(*source);
    return std::nullopt;
}

std::optional<char32_t> LetterOfPattern(const GlyphPattern& pattern) {
    for (const PatternSource& source : kPatterns)
        if (ToPattern(source) == pattern) return source.letter;
    return std::nullopt;
}

char PlainStandIn(char32_t code_point) {
    if (const PatternSource* source = SourceOf(code_point)) return source->plain;
    for (const StandIn& stand_in : kStandIns)
        if (code_point >= stand_in.first && code_point <= stand_in.last) return stand_in.plain;
    return ' ';
}
}  // namespace korv::charset
