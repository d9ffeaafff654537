#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "display/code_pages.h"
#include "display/display_geometry.h"

// The kinds of pole display korvpole speaks, one table each; the bytes themselves are
// in lcd_bytes.h, escpos_bytes.h and cd5220_bytes.h. Closing is the same on every
// kind: a clear, then the backlight off or the dimmest level.
namespace korv {

// A command's bytes as they go on the line.
struct ByteRun {
    const std::uint8_t* bytes = nullptr;
    int size = 0;
};

enum class CursorForm {
    kRowAddress,  // one byte: the row's display-data address plus column - 1 (HD44780)
    kColumnRow,   // two bytes: column, then row, both 1-based
};

// How text written in a code page (KORVPOLE.INI's text =) reaches the display.
enum class LetterForm {
    kCharacterRom,  // the ROM's own characters, user-defined ones for what it lacks
    kTable,         // the bytes of the display's table (table =), selected where the set can
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
    // The light in a technician's words: "backlight" "on"/"off", or "brightness"
    // "highest"/"lowest".
    const char* light_name;
    const char* light_on_word;
    const char* light_off_word;
    ByteRun cursor_lead;
    CursorForm cursor_form;
    // Text bytes the display would take as commands, below `first_text_byte` and
    // `command_byte`, travel as blanks.
    std::uint8_t first_text_byte;
    std::uint8_t command_byte;
    LetterForm letter_form;
    // `select_table` and a number of `code_tables` selects one; a set without the
    // command lists none.
    ByteRun select_table = {};
    const charset::CodeTable* code_tables = nullptr;
    int code_table_count = 0;
};

// DEL, which neither 2x20 command set shows as a character.
inline constexpr std::uint8_t kDelete = 0x7F;
// What a text byte the display would take as a command travels as.
inline constexpr std::uint8_t kTextStandIn = 0x20;

const DisplayProtocol& ProtocolOf(DisplayKind kind);
// The kind spelt `name`, in any case; null when there is none.
const DisplayProtocol* FindProtocol(std::string_view name);
// "lcd, escpos or cd5220".
const char* KindNames();

inline constexpr int kMaxCursorBytes = 4;
// The bytes that put the cursor at a 1-based column and row of a display `rows` by
// `columns`, into `out`; their count, 0 when that kind cannot name the place.
int CursorCommand(const DisplayProtocol& protocol, int column, int row, int rows, int columns,
                  std::uint8_t* out);

inline constexpr int kMaxCodeTableBytes = 3;
// The bytes that make the display show text in `page`, into `out`; their count, 0 for a
// kind without code tables or a page it does not number.
int CodeTableCommand(const DisplayProtocol& protocol, charset::CodePage page, std::uint8_t* out);
// The page table `number` selects; none for a number the kind does not list.
std::optional<charset::CodePage> CodeTablePage(const DisplayProtocol& protocol, std::uint8_t number);

// The byte the display gets for a text byte: one it would take as a command travels as
// a blank.
inline std::uint8_t ShownByte(std::uint8_t text_byte, const DisplayProtocol& protocol) {
    const bool command = text_byte < protocol.first_text_byte || text_byte == protocol.command_byte;
    return command ? kTextStandIn : text_byte;
}

}  // namespace korv
