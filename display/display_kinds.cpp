#include "display/display_kinds.h"

#include <algorithm>
#include <iterator>

#include "display/cd5220_bytes.h"
#include "display/escpos_bytes.h"
#include "display/lcd_bytes.h"
#include "display/names.h"

namespace korv {
namespace {
template <std::size_t N>
std::string_view Run(const std::uint8_t (&bytes)[N]) {
    return {reinterpret_cast<const char*>(bytes), N};
}

constexpr std::uint8_t kLcdCursorLead[] = {lcd::kCommandPrefix};

const DisplayProtocol kProtocols[] = {
    {DisplayKind::kLcd, "lcd", lcd::kRows, lcd::kColumns,
     Run(lcd::kBringUp), Run(lcd::kClear), Run(lcd::kLightOn), Run(lcd::kLightOff),
     "backlight", "on", "off",
     Run(kLcdCursorLead), CursorForm::kRowAddress, 0x00, lcd::kCommandPrefix,
     LetterForm::kCharacterRom},
    {DisplayKind::kEscpos, "escpos", 2, 20,
     Run(escpos::kBringUp), Run(escpos::kClear), Run(escpos::kBrightest), Run(escpos::kDimmest),
     "brightness", "highest", "lowest",
     Run(escpos::kCursorTo), CursorForm::kColumnRow, 0x20, kDelete,
     LetterForm::kTable, Run(escpos::kSelectCodeTable), escpos::kCodeTables,
     static_cast<int>(std::size(escpos::kCodeTables))},
    {DisplayKind::kCd5220, "cd5220", 2, 20,
     Run(cd5220::kBringUp), Run(cd5220::kClear), Run(cd5220::kBrightest), Run(cd5220::kDimmest),
     "brightness", "highest", "lowest",
     Run(cd5220::kCursorTo), CursorForm::kColumnRow, 0x20, kDelete,
     LetterForm::kTable},
};
}  // namespace

const DisplayProtocol& ProtocolOf(DisplayKind kind) {
    for (const DisplayProtocol& protocol : kProtocols)
        if (protocol.kind == kind) return protocol;
    return kProtocols[0];
}

const DisplayProtocol* FindProtocol(std::string_view name) {
    for (const DisplayProtocol& protocol : kProtocols)
        if (SameName(name, protocol.name)) return &protocol;
    return nullptr;
}

const char* KindNames() {
    static const std::string names =
        Listed(kProtocols, [](const DisplayProtocol& protocol) { return protocol.name; });
    return names.c_str();
}

std::string CodeTableCommand(const DisplayProtocol& protocol, charset::CodePage page) {
    for (int i = 0; i < protocol.code_table_count; ++i)
        if (protocol.code_tables[i].page == page)
            return std::string(protocol.select_table) + static_cast<char>(protocol.code_tables[i].number);
    return "";
}

std::optional<charset::CodePage> CodeTablePage(const DisplayProtocol& protocol, std::uint8_t number) {
    for (int i = 0; i < protocol.code_table_count; ++i)
        if (protocol.code_tables[i].number == number) return protocol.code_tables[i].page;
    return std::nullopt;
}

std::string CursorCommand(const DisplayProtocol& protocol, int column, int row, int rows, int columns) {
    const std::string lead(protocol.cursor_lead);
    if (protocol.cursor_form == CursorForm::kRowAddress) {
        // Rows outside 1 to 4 have no address of their own; the nearest row stands in.
        const std::uint8_t* bases = columns > 16 && rows > 2 ? lcd::kRowBase20x4 : lcd::kRowBase16x4;
        return lead + static_cast<char>(bases[std::clamp(row, 1, 4) - 1] + column - 1);
    }
    // A place off the display is a command the display would refuse or misread.
    if (row < 1 || row > rows || column < 1 || column > columns) return "";
    return lead + static_cast<char>(column) + static_cast<char>(row);
}
}  // namespace korv
