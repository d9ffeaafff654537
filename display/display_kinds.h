#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "display/code_pages.h"

// The kinds of pole display korvpole speaks, one table each: what goes on the line to
// bring the display up, clear it, place the cursor and light or dim it. Closing is the
// same on every kind: a clear, then the backlight off or the dimmest level.
namespace korv {

enum class DisplayKind { kLcd, kEscpos, kCd5220 };

// A command's bytes as they go on the line.
struct ByteRun {
    const std::uint8_t* bytes = nullptr;
    int size = 0;
};

// How the bytes after a cursor command's lead name the place.
enum class CursorForm {
    kRowAddress,  // one byte: the row's display-data address plus column - 1 (HD44780)
    kColumnRow,   // two bytes: column, then row, both 1-based
};

// How text written in a code page (KORVPOLE.INI's text =) reaches the display.
enum class LetterForm {
    kCharacterRom,  // the ROM's own characters, user-defined ones for what it lacks
    kCodeTable,     // bytes unchanged, the display told the code page at bring-up
    kOwnTable,      // converted to the one table the display has, plain letters for the rest
};

// A code table a display shows text bytes in, and the number that selects it.
struct CodeTable {
    charset::CodePage page;
    std::uint8_t number;
};

struct DisplayProtocol {
    DisplayKind kind;
    const char* name;  // as KORVPOLE.INI and --kind spell it
    int rows;
    int columns;
    ByteRun bring_up;  // at every open, before the backlight and a clear
    ByteRun clear;
    ByteRun light_on;   // backlight on, or the brightest level
    ByteRun light_off;  // backlight off, or the dimmest level
    // The light in a technician's words: "backlight" "on" and "off", or "brightness"
    // "highest" and "lowest".
    const char* light_name;
    const char* light_on_word;
    const char* light_off_word;
    ByteRun cursor_lead;
    CursorForm cursor_form;
    // Text bytes the display would take as commands: those below `first_text_byte`,
    // and `command_byte`. Each travels as a blank.
    std::uint8_t first_text_byte;
    std::uint8_t command_byte;
    LetterForm letter_form;
    // The 2x20 kinds: the code table the display starts with, its only one for kOwnTable.
    // None for the LCD, whose characters are its ROM's.
    std::optional<charset::CodePage> start_table = std::nullopt;
    // kCodeTable: the command that selects one of the `code_table_count` tables at
    // `code_tables`, followed by the table's number.
    ByteRun select_table = {};
    const CodeTable* code_tables = nullptr;
    int code_table_count = 0;
};

// The ESC/POS customer-display commands korvpole sends.
namespace escpos {
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kUs = 0x1F;
inline constexpr std::uint8_t kClearScreen = 0x0C;       // CLR; the cursor goes home
inline constexpr std::uint8_t kInitialise[] = {kEsc, '@'};
inline constexpr std::uint8_t kOverwriteMode[] = {kUs, 0x01};
inline constexpr std::uint8_t kCursorOff[] = {kUs, 'C', 0x00};
inline constexpr std::uint8_t kCursorTo[] = {kUs, '$'};  // then column 1-20, row 1-2
inline constexpr std::uint8_t kBrightness[] = {kUs, 'X'};  // then a level
inline constexpr std::uint8_t kDimmest = 1;
inline constexpr std::uint8_t kBrightest = 4;
inline constexpr std::uint8_t kSelectCodeTable[] = {kEsc, 't'};  // then a table number
// The code tables a display of this set numbers so, and the one it starts with.
inline constexpr CodeTable kCodeTables[] = {
    {charset::CodePage::kCp437, 0},
    {charset::CodePage::kCp850, 2},
    {charset::CodePage::kCp1252, 16},
    {charset::CodePage::kCp858, 19},
};
inline constexpr charset::CodePage kPowerOnTable = charset::CodePage::kCp437;
}  // namespace escpos

// The CD5220 commands korvpole sends.
namespace cd5220 {
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kClearScreen = 0x0C;  // CLR
inline constexpr std::uint8_t kInitialise[] = {kEsc, '@'};
inline constexpr std::uint8_t kOverwriteMode[] = {kEsc, 0x11};  // ESC DC1
inline constexpr std::uint8_t kCursorOff[] = {kEsc, '_', 0x00};
inline constexpr std::uint8_t kCursorTo[] = {kEsc, 'l'};    // then column 1-20, row 1-2
inline constexpr std::uint8_t kBrightness[] = {kEsc, '*'};  // then a level
inline constexpr std::uint8_t kDimmest = 1;
inline constexpr std::uint8_t kBrightest = 4;
// Its lists offer no command for a code table: its characters are these.
inline constexpr charset::CodePage kOwnTable = charset::CodePage::kCp437;
}  // namespace cd5220

// DEL, which neither 2x20 command set shows as a character.
inline constexpr std::uint8_t kDelete = 0x7F;
// What a text byte the display would take as a command travels as.
inline constexpr std::uint8_t kTextStandIn = 0x20;

const DisplayProtocol& ProtocolOf(DisplayKind kind);
// The kind spelt `name`, in any case; null when there is none.
const DisplayProtocol* FindProtocol(std::string_view name);
// "lcd, escpos or cd5220", for messages and help.
const char* KindNames();

inline constexpr int kMaxCursorBytes = 4;
// The bytes that put the cursor at a 1-based column and row of a display opened as
// `rows` by `columns`, into `out`; their count. 0 when that kind cannot name the place.
int CursorCommand(const DisplayProtocol& protocol, int column, int row, int rows, int columns,
                  std::uint8_t* out);

inline constexpr int kMaxCodeTableBytes = 3;
// The bytes that make the display show text bytes in `page`, into `out`; their count. 0
// for a kind without code tables, or a page its display does not number.
int CodeTableCommand(const DisplayProtocol& protocol, charset::CodePage page, std::uint8_t* out);
// The page a display shows text bytes in after table `number` was selected; none for a
// number it does not list.
std::optional<charset::CodePage> CodeTablePage(const DisplayProtocol& protocol, std::uint8_t number);

// The byte the display gets for a text byte: one it would take as a command travels
// as a blank.
inline std::uint8_t ShownByte(std::uint8_t text_byte, const DisplayProtocol& protocol) {
    const bool command = text_byte < protocol.first_text_byte || text_byte == protocol.command_byte;
    return command ? kTextStandIn : text_byte;
}

}  // namespace korv
