#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "display/code_pages.h"
#include "display/display_geometry.h"

// The kinds of pole display, one table each, their bytes in lcd_bytes.h, escpos_bytes.h
// and cd5220_bytes.h. Every kind closes alike: a clear, then its light off.
namespace korv {
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
    std::string_view bring_up;  // at every open, before the backlight and a clear
    std::string_view clear;
    std::string_view light_on;   // backlight on, or the brightest level
    std::string_view light_off;  // backlight off, or the dimmest level
    // In a technician's words: "backlight" "on"/"off", or "brightness" "highest"/"lowest".
    const char* light_name;
    const char* light_on_word;
    const char* light_off_word;
    std::string_view cursor_lead;
    CursorForm cursor_form;
    // Text bytes below `first_text_byte`, and `command_byte`, would be commands.
    std::uint8_t first_text_byte;
    std::uint8_t command_byte;
    LetterForm letter_form;
    // `select_table` and a number of `code_tables` selects one; none without the command.
    std::string_view select_table = {};
    const charset::CodeTable* code_tables = nullptr;
    int code_table_count = 0;
};

// DEL, which neither 2x20 command set shows as a character.
inline constexpr std::uint8_t kDelete = 0x7F;

const DisplayProtocol& ProtocolOf(DisplayKind kind);
// The kind spelt `name`, in any case; null when there is none.
const DisplayProtocol* FindProtocol(std::string_view name);
// "lcd, escpos or cd5220".
const char* KindNames();

// The bytes that put the cursor at a 1-based column and row of a display `rows` by
// `columns`; none when that kind cannot name the place.
std::string CursorCommand(const DisplayProtocol& protocol, int column, int row, int rows, int columns);
// The bytes that select `page` as the display's table; none where the kind cannot.
std::string CodeTableCommand(const DisplayProtocol& protocol, charset::CodePage page);
// The page table `number` selects; none for a number the kind does not list.
std::optional<charset::CodePage> CodeTablePage(const DisplayProtocol& protocol, std::uint8_t number);

// A text byte as sent: one the display would take as a command goes as a blank.
inline std::uint8_t ShownByte(std::uint8_t text_byte, const DisplayProtocol& protocol) {
    const bool command = text_byte < protocol.first_text_byte || text_byte == protocol.command_byte;
    return command ? ' ' : text_byte;
}
}  // namespace korv
