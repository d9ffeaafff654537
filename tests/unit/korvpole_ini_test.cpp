// KORVPOLE.INI's reading: lines and what they give, or the one line that says why not.
#include "pole/korvpole_ini.h"

#include <gtest/gtest.h>

#include <string>

namespace korv {
namespace {
TEST(KorvpoleIni, LinesGiveSettingsOrTheLineAndWhatIsWrong) {
    const struct {
        std::string text;
        std::string said;  // the settings line korvpole says, after "KORVPOLE.INI: "
        DisplayKind kind;
        std::array<int, 2> rows;
        int baud;
    } usable[] = {
        {"", "", DisplayKind::kLcd, {1, 4}, 9600},
        {"\xEF\xBB\xBF; the pole display\r\n# bought 2026\r\n\r\n  Display = ESCPOS \r\nrows=2, 3\r\nBAUD = 19200",
         "escpos display, 2x20, rows 2 and 3, 19200 baud", DisplayKind::kEscpos, {2, 3}, 19200},
        {"display=cd5220\n", "cd5220 display, 2x20, rows 1 and 4", DisplayKind::kCd5220, {1, 4}, 9600},
        {"display = lcd\nrows = 4,1\n", "lcd display, 4x20", DisplayKind::kLcd, {4, 1}, 9600},
        {"rows = 3,4", "", DisplayKind::kLcd, {3, 4}, 9600},  // rows alone say nothing
        {"table = cp850", "lcd display, 4x20", DisplayKind::kLcd, {1, 4}, 9600},  // a table the LCD has none of
        {"baud = 1200", "lcd display, 4x20, 1200 baud", DisplayKind::kLcd, {1, 4}, 1200},
        {"baud = 115200", "lcd display, 4x20, 115200 baud", DisplayKind::kLcd, {1, 4}, 115200},
        {"text = CP850\nrom = A02", "lcd display, 4x20, text cp850, ROM a02", DisplayKind::kLcd, {1, 4}, 9600},
        {"rom = a00\ndisplay = escpos\ntext = cp858", "escpos display, 2x20, rows 1 and 4, text cp858, table cp437",
         DisplayKind::kEscpos, {1, 4}, 9600},  // no ROM on a 2x20 display
        {"display = cd5220\ntable = CP1252\ntext = utf-8",
         "cd5220 display, 2x20, rows 1 and 4, text utf-8, table cp1252", DisplayKind::kCd5220, {1, 4}, 9600},
    };
    for (const auto& c : usable) {
        SCOPED_TRACE(c.text);
        KorvpoleIni ini;
        EXPECT_EQ(ParseKorvpoleIni(c.text, ini), "");
        EXPECT_EQ(IniLine(ini), c.said.empty() ? "" : "KORVPOLE.INI: " + c.said);
        EXPECT_EQ(ini.display.kind, c.kind);
        EXPECT_EQ(ini.display.rows, c.kind == DisplayKind::kLcd ? 4 : 2);
        EXPECT_EQ(ini.display.shown_rows, c.rows);
        EXPECT_EQ(ini.display.baud, c.baud);
    }

    const std::pair<std::string, std::string> unusable[] = {  // the text, then what follows "KORVPOLE.INI line "
        {"\n\ndisplay = vfd", "3: display must be lcd, escpos or cd5220, not 'vfd'"},
        {"display = lcd\ncolour = red",
         "2: unknown setting 'colour' (display, rows, baud, text, rom, table, tax, total or decimal)"},
        {"text = utf-16", "1: text must be cp1252, cp850, cp437, cp858 or utf-8, not 'utf-16'"},
        {"table = utf-8", "1: table must be cp437, cp850, cp858 or cp1252, not 'utf-8'"},
        {"rom = a01", "1: rom must be a00 or a02, not 'a01'"},
        {"display escpos", "1: 'display escpos' is not a setting: name = value"},
        {"display = escpos ; VFD", "1: display must be lcd, escpos or cd5220, not 'escpos ; VFD'"},
        {"rows = 1,5", "1: rows: there is no row 5, only rows 1 to 4"},
        {"rows = 0,4", "1: rows: there is no row 0, only rows 1 to 4"},
        {"rows = 4,4", "1: rows: row 4 is given twice"},
        {"rows = 1", "1: rows must be two row numbers, top first, as in rows = 1,4; not '1'"},
        {"rows = 1,2,3", "1: rows must be two row numbers, top first, as in rows = 1,4; not '1,2,3'"},
        {"baud = 14400", "1: baud must be 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200, not '14400'"},
        {"display = lcd\r\nDISPLAY = escpos", "2: display is set twice, first on line 1"},
        {std::string("\xFF\xFE" "d\0i\0", 6), "1: the file is saved as Unicode (UTF-16): save it as ANSI or UTF-8"},
        {"display = \x01", "1: display must be lcd, escpos or cd5220, not '?'"},
    };
    for (const auto& [text, problem] : unusable) {
        KorvpoleIni ini;
        EXPECT_EQ(ParseKorvpoleIni(text, ini), "KORVPOLE.INI line " + problem) << text;
    }
}

// Captions in the text lines' code page, counted in letters; what cannot be shown is said.
TEST(KorvpoleIni, CaptionsAndTheDecimalSign) {
    const struct {
        std::string text;
        std::string tax, total;  // as they go to the display
        int tax_width, total_width;
        char decimal;
    } usable[] = {
        {"tax = MOMS\ntotal = ATT BETALA\ndecimal = ,", "MOMS", "ATT BETALA", 4, 10, ','},
        {"total = \xC3\x80 PAYER\ntext = cp1252", "TOTAL TAX", "\xC0 PAYER", 9, 7, '.'},
        {"text = utf-8\ntax = MwSt\ntotal = \xC3\x80 PAYER", "MwSt", "\xC3\x80 PAYER", 4, 7, '.'},
        {"tax = 12345678901", "12345678901", "    TOTAL ", 11, 10, '.'},
    };
    for (const auto& c : usable) {
        SCOPED_TRACE(c.text);
        KorvpoleIni ini;
        ASSERT_EQ(ParseKorvpoleIni(c.text, ini), "");
        EXPECT_EQ(ini.words.tax, c.tax);
        EXPECT_EQ(ini.words.total, c.total);
        EXPECT_EQ(ini.words.tax_width, c.tax_width);
        EXPECT_EQ(ini.words.total_width, c.total_width);
        EXPECT_EQ(ini.words.decimal, c.decimal);
    }
    const std::pair<std::string, std::string> unusable[] = {
        {"tax = 123456789012", "line 1: tax '123456789012' must be 1 to 11 characters"},
        {"\ntotal =", "line 2: total '' must be 1 to 11 characters"},
        {"total = \xC3\x80 PAYER", "line 1: total '\xC3\x80 PAYER' has letters beyond ASCII: set text ="},
        {"text = cp437\ntotal = 5 \xE2\x82\xAC", "line 2: total '5 \xE2\x82\xAC' holds € (U+20AC), which cp437"},
        {"text = cp1252\ntotal = \xC0 PAYER", "line 2: total '\xC0 PAYER' is no UTF-8 text: save KORVPOLE.INI as UTF-8"},
        {"decimal = ;", "line 1: decimal must be , or ., not ';'"},
    };
    for (const auto& [text, problem] : unusable) {
        KorvpoleIni ini;
        EXPECT_EQ(ParseKorvpoleIni(text, ini).rfind("KORVPOLE.INI " + problem, 0), 0u) << ParseKorvpoleIni(text, ini);
    }
}
}  // namespace
}  // namespace korv
