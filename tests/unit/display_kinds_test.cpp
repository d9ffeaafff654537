// Each kind's bytes as the driver sends them, against the command references written
// out by hand, and a code page's letters as each kind's model reads them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "platform/record_file.h"
#include "pole/poll_cycle.h"
#include "pole/korvpole_ini.h"
#include "sim/display_model.h"
#include "tests/support/record_bytes.h"
#include "tests/support/wire_bytes.h"

namespace korv {
namespace {
namespace fake = platform::fake;
using test::Hex;

// "Smörgås 5 €" as a till writing cp1252 stores it.
const char* const kSmorgas = "Sm\xF6rg\xE5s 5 \x80";

// The in-memory platform afresh with COM1, and the display KORVPOLE.INI's `text` describes there.
DisplayGeometry FromIni(const std::string& text, bool lit = false) {
    fake::Reset();
    fake::ComPort(1);
    KorvpoleIni ini;
    EXPECT_EQ(ParseKorvpoleIni(text, ini), "");
    ini.display.port = 1;
    ini.display.backlight_on = lit;
    return ini.display;
}

std::string Taken() { return std::exchange(fake::ComPort(1).received, std::string()); }

int Loads(const std::string& bytes) {
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(DisplayKind::kLcd);
    int loads = 0;
    for (const char byte : bytes) loads += model->Feed(static_cast<std::uint8_t>(byte)).kind ==
                                           sim::DecodedByte::Kind::kSetCgramAddress;
    return loads;
}

struct KindBytes {
    DisplayKind kind;
    std::string open, open_lit, top_left, end_of_row_2, row_3, text, light_on, light_off, close;
};

KindBytes CustomerBytes(const test::wire::CustomerWire& wire) {
    using test::wire::kClr;
    return {wire.kind, Hex(wire.bring_up + kClr), Hex(wire.bring_up + wire.brightest + kClr),
            Hex(wire.cursor_lead + "\x01\x01"), Hex(wire.cursor_lead + "\x14\x02"), "", "41 20 20 20 7E FE",
            Hex(wire.brightest), Hex(wire.dimmest), Hex(kClr + wire.dimmest)};
}

TEST(DisplayKindBytes, BringUpCursorTextAndLightAsTheCommandReferencesHaveThem) {
    const KindBytes kinds[] = {
        {DisplayKind::kLcd, Hex(test::wire::kOpen), Hex(test::wire::kOpenLit), "FE 80", "FE D3",
         "FE 94", "41 1B 7F 0C 7E 20", "FE 03", "FE 02", "FE 01 FE 02"},
        CustomerBytes(test::wire::kEscpos),
        CustomerBytes(test::wire::kCd5220),
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(ProtocolOf(k.kind).name);
        DisplayDriver display;
        const std::string ini = std::string("display = ") + ProtocolOf(k.kind).name;
        const DisplayGeometry lit = FromIni(ini, true);
        ASSERT_FALSE(display.Open(FromIni(ini)));
        EXPECT_EQ(Hex(Taken()), k.open);
        ASSERT_FALSE(display.Open(lit));
        EXPECT_EQ(Hex(Taken()), k.open_lit);

        display.WriteText("", 1, 1);
        EXPECT_EQ(Hex(Taken()), k.top_left);
        display.WriteText(nullptr, 20, 2);
        EXPECT_EQ(Hex(Taken()), k.end_of_row_2);
        display.WriteText("X", 1, 3);
        EXPECT_EQ(Hex(Taken()), k.row_3 + (k.row_3.empty() ? "" : " 58")) << "a row it has no room for";
        display.WriteText("A\x1B\x7F\x0C~\xFE", 1, 1);
        EXPECT_EQ(Hex(Taken()), k.top_left + " " + k.text);

        display.ToggleBacklight();
        EXPECT_EQ(Hex(Taken()), k.light_off);
        display.SetBacklight(true);
        EXPECT_EQ(Hex(Taken()), k.light_on);
        display.Close();
        EXPECT_EQ(Hex(Taken()), k.close);
    }
}

// With text =, ESC t n after the bring-up and at each clear, n as the ESC/POS lists number
// the table = named; the letters go out as that table's bytes.
TEST(DisplayKindBytes, TheTableGoesToAnEscposDisplayAsItsNumber) {
    const std::pair<charset::CodePage, std::string> tables[] = {
        {charset::CodePage::kCp437, "1B 74 00"},
        {charset::CodePage::kCp850, "1B 74 02"},
        {charset::CodePage::kCp1252, "1B 74 10"},
        {charset::CodePage::kCp858, "1B 74 13"},
    };
    for (const auto& [page, select] : tables) {
        SCOPED_TRACE(charset::CodePageName(page));
        DisplayDriver display;
        ASSERT_FALSE(display.Open(FromIni(std::string("display = escpos\ntext = cp1252\ntable = ") +
                                          charset::CodePageName(page))));
        EXPECT_EQ(Hex(Taken()), Hex(test::wire::kEscpos.bring_up) + " " + select + " 0C");
        display.Clear();
        EXPECT_EQ(Hex(Taken()), select + " 0C");
        display.WriteText("\xE4\x80", 1, 1);  // ä and € in cp1252
        const std::string euro = page == charset::CodePage::kCp1252 ? "80" : page == charset::CodePage::kCp858 ? "D5" : "45";
        EXPECT_EQ(Hex(Taken()), "1F 24 01 01 " + Hex(std::string(1, static_cast<char>(*charset::ByteOf(page, 0xE4)))) + " " + euro);
    }
}

TEST(DisplayLetters, EachKindShowsTheTillsLettersAsItsOwn) {
    const struct {
        DisplayKind kind;
        std::string opened;    // the bring-up and the clear
        int loads;             // user-defined characters loaded, ten bytes each
        std::string text;      // the line's bytes on the wire after them
        std::string reads;
    } kinds[] = {
        // å and € into user-defined characters 0 and 1, ö the ROM's 0xEF.
        {DisplayKind::kLcd, test::wire::kOpen, 2, "\xFE\x80Sm\xEFrg\x08s 5 \x09", "Smörgås 5 €         "},
        // Both 2x20 kinds hold cp437 unless table = says otherwise: its ö and å, no euro sign.
        {DisplayKind::kEscpos, test::wire::kEscpos.bring_up + std::string("\x1B\x74\x00", 3) + test::wire::kClr, 0,
         "\x1F\x24\x01\x01Sm\x94rg\x86s 5 E", "Smörgås 5 E         "},
        {DisplayKind::kCd5220, test::wire::kCd5220.bring_up + test::wire::kClr, 0, "\x1B\x6C\x01\x01Sm\x94rg\x86s 5 E",
         "Smörgås 5 E         "},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(ProtocolOf(k.kind).name);
        DisplayDriver display;
        ASSERT_FALSE(display.Open(FromIni(std::string("text = cp1252\ndisplay = ") + ProtocolOf(k.kind).name)));
        const std::string opened = Taken();
        EXPECT_EQ(Hex(opened), Hex(k.opened));
        display.WriteText(kSmorgas, 1, 1);
        const std::string written = Taken();
        EXPECT_EQ(Loads(written), k.loads);
        EXPECT_EQ(Hex(written.substr(10 * static_cast<std::size_t>(k.loads))), Hex(k.text));
        const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(k.kind);
        model->Feed(opened + written);
        EXPECT_EQ(model->Reading(1), k.reads);
        EXPECT_EQ(model->UnknownCommands(), 0u);

        // The display's supply cycled behind a plugged adapter: the next clear heals it.
        const std::unique_ptr<sim::DisplayModel> after_cut = sim::MakeDisplayModel(k.kind);
        display.Clear();
        display.WriteText(kSmorgas, 1, 1);
        after_cut->Feed(Taken());
        EXPECT_EQ(after_cut->Reading(1), k.reads) << "after a power cut";
    }
}

// UTF-8: the ROM's ö; a letter the field's 20 bytes cut off is left out, a broken one blank.
TEST(DisplayLetters, Utf8LettersAreWholeOrLeftOut) {
    DisplayDriver display;
    ASSERT_FALSE(display.Open(FromIni("text = utf-8")));
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(DisplayKind::kLcd);
    display.WriteText("Sm\xC3\xB6rg\xC3\xA5s", 1, 1);
    display.WriteText("1234567890123456789\xC3", 1, 2);  // ö's second byte is past the field
    display.WriteText("a\xC3z", 1, 3);
    model->Feed(Taken());
    EXPECT_EQ(model->Reading(1), "Smörgås             ");
    EXPECT_EQ(model->Reading(2), "1234567890123456789 ");
    EXPECT_EQ(model->Reading(3), "a z                 ");
}

// Nine capitals A00 lacks: the ninth plain until a character is free; the same text
// again costs no load; a reconnect, after which the display may have lost them, loads them.
TEST(DisplayLetters, EightDrawnAtOnceTheNinthPlainUntilACharacterIsFree) {
    DisplayDriver display;
    ASSERT_FALSE(display.Open(FromIni("text = cp1252")));
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(DisplayKind::kLcd);
    const auto sent = [&] {
        const std::string bytes = Taken();
        model->Feed(bytes);
        return bytes;
    };
    sent();
    display.WriteText("\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7", 1, 1);  // ÀÁÂÃÄÅÆÇ
    EXPECT_EQ(Loads(sent()), 8);
    display.WriteText("\xC9", 1, 2);  // É
    EXPECT_EQ(Loads(sent()), 0);
    EXPECT_EQ(model->Reading(1), "ÀÁÂÃÄÅÆÇ            ");
    EXPECT_EQ(model->Reading(2), "E                   ");

    display.WriteText("\xC0\xC1\xC2\xC3\xC4\xC5\xC6 ", 1, 1);  // Ç leaves: É takes its character
    EXPECT_EQ(Loads(sent()), 1);
    EXPECT_EQ(model->Reading(1), "ÀÁÂÃÄÅÆ             ");
    EXPECT_EQ(model->Reading(2), "É                   ");

    display.WriteText("\xC0\xC1", 1, 1);
    EXPECT_EQ(Hex(sent()), "FE 80 08 09") << "what stands already costs what plain text does";

    ASSERT_FALSE(display.Reconnect());
    sent();
    display.WriteText("\xC0\xC1", 1, 1);
    EXPECT_EQ(Loads(sent()), 2);
    EXPECT_EQ(model->Reading(1), "ÀÁ                  ");
}

// Two cycles: the same bytes without KORVPOLE.INI, with display = lcd, with a code page.
TEST(DisplayLetters, PlainTextGoesOutAsEverWithOrWithoutTextSet) {
    std::string sales[3];
    const char* side_files[] = {"", "display = lcd\n", "display = lcd\ntext = cp1252\n"};
    for (int i = 0; i < 3; ++i) {
        DisplayDriver display;
        ASSERT_FALSE(display.Open(FromIni(side_files[i])));
        platform::RecordFile file;
        ASSERT_FALSE(file.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll));
        CycleState state;
        for (std::uint16_t counter : {1, 2}) {
            fake::File(kPoleRecordFileName) = test::RecordByHand("COFFEE 2 x 3.20", "OAT MILK {1L} [#4]", counter, 1, 52, 640);
            ASSERT_EQ(RunPollCycle(file, state, display), CycleOutcome::kCompleted);
        }
        display.Close();
        sales[i] = fake::ComPort(1).received;
    }
    EXPECT_EQ(Hex(sales[1]), Hex(sales[0]));
    EXPECT_EQ(Hex(sales[2]), Hex(sales[0]));
}

// The ESC/POS model reads through its table: power-on, 16, one it has not, after ESC @.
TEST(DisplayLetters, TheEscposModelReadsThroughTheCodeTableChosen) {
    const auto escpos = sim::MakeDisplayModel(DisplayKind::kEscpos);
    for (const auto& [bytes, reads] : {std::pair("\x80", "Ç"), std::pair("\x1B\x74\x10", "€"),
                                       std::pair("\x1B\x74\x63", "?"), std::pair("\x1B\x40\x80", "Ç")}) {
        escpos->Feed(std::string(bytes));
        EXPECT_EQ(escpos->Reading(1).substr(0, std::string(reads).size()), reads) << Hex(bytes);
    }
}
}  // namespace
}  // namespace korv
