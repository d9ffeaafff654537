#include "display/display_kinds.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>

#include "display/names.h"
#include "display/protocol.h"

namespace korv {

namespace {

template <std::size_t N>
constexpr ByteRun Run(const std::uint8_t (&bytes)[N]) {
    return {bytes, static_cast<int>(N)};
}
template <std::size_t N>
constexpr ByteRun Run(const std::array<std::uint8_t, N>& bytes) {
    return {bytes.data(), static_cast<int>(N)};
}

template <std::size_t Size, std::size_t N>
constexpr void Append(std::array<std::uint8_t, Size>& out, std::size_t& at, const std::uint8_t (&part)[N]) {
    for (std::uint8_t byte : part) out[at++] = byte;
}

// A ByteRun is one array, so a bring-up of several commands is joined into one.
template <std::size_t... N>
constexpr std::array<std::uint8_t, (N + ...)> Joined(const std::uint8_t (&... parts)[N]) {
    std::array<std::uint8_t, (N + ...)> out{};
    std::size_t at = 0;
    (Append(out, at, parts), ...);
    return out;
}

// Today's 4x20 LCD: every instruction behind the command prefix.
namespace lcd {
using namespace protocol;
constexpr std::array<std::uint8_t, 2 * std::size(kInitialisation)> Prefixed() {
    std::array<std::uint8_t, 2 * std::size(kInitialisation)> out{};
    std::size_t at = 0;
    for (std::uint8_t command : kInitialisation) {
        out[at++] = kCommandPrefix;
        out[at++] = command;
    }
    return out;
}
constexpr auto kBringUp = Prefixed();
constexpr std::uint8_t kClear[] = {kCommandPrefix, kClearDisplay};
constexpr std::uint8_t kLightOn[] = {kCommandPrefix, kBacklightOn};
constexpr std::uint8_t kLightOff[] = {kCommandPrefix, kBacklightOff};
constexpr std::uint8_t kCursorLead[] = {kCommandPrefix};
}  // namespace lcd

constexpr std::array<std::uint8_t, 3> Level(const std::uint8_t (&command)[2], std::uint8_t level) {
    return {command[0], command[1], level};
}

constexpr auto kEscposBringUp = Joined(escpos::kInitialise, escpos::kOverwriteMode, escpos::kCursorOff);
constexpr std::uint8_t kEscposClear[] = {escpos::kClearScreen};
constexpr auto kEscposBrightest = Level(escpos::kBrightness, escpos::kBrightest);
constexpr auto kEscposDimmest = Level(escpos::kBrightness, escpos::kDimmest);

constexpr auto kCd5220BringUp = Joined(cd5220::kInitialise, cd5220::kOverwriteMode, cd5220::kCursorOff);
constexpr std::uint8_t kCd5220Clear[] = {cd5220::kClearScreen};
constexpr auto kCd5220Brightest = Level(cd5220::kBrightness, cd5220::kBrightest);
constexpr auto kCd5220Dimmest = Level(cd5220::kBrightness, cd5220::kDimmest);

const DisplayProtocol kProtocols[] = {
    {DisplayKind::kLcd, "lcd", protocol::kRows, protocol::kColumns,
     Run(lcd::kBringUp), Run(lcd::kClear), Run(lcd::kLightOn), Run(lcd::kLightOff),
     "backlight", "on", "off",
     Run(lcd::kCursorLead), CursorForm::kRowAddress, 0x00, protocol::kCommandPrefix,
     LetterForm::kCharacterRom},
    {DisplayKind::kEscpos, "escpos", 2, 20,
     Run(kEscposBringUp), Run(kEscposClear), Run(kEscposBrightest), Run(kEscposDimmest),
     "brightness", "highest", "lowest",
     Run(escpos::kCursorTo), CursorForm::kColumnRow, 0x20, kDelete,
     LetterForm::kCodeTable, escpos::kPowerOnTable, Run(escpos::kSelectCodeTable), escpos::kCodeTables,
     static_cast<int>(std::size(escpos::kCodeTables))},
    {DisplayKind::kCd5220, "cd5220", 2, 20,
     Run(kCd5220BringUp), Run(kCd5220Clear), Run(kCd5220Brightest), Run(kCd5220Dimmest),
     "brightness", "highest", "lowest",
     Run(cd5220::kCursorTo), CursorForm::kColumnRow, 0x20, kDelete,
     LetterForm::kOwnTable, cd5220::kOwnTable},
};
static_assert(std::size(escpos::kSelectCodeTable) + 1 <= kMaxCodeTableBytes, "room for ESC t and its number");

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

int CodeTableCommand(const DisplayProtocol& protocol, charset::CodePage page, std::uint8_t* out) {
    for (int i = 0; i < protocol.code_table_count; ++i) {
        if (protocol.code_tables[i].page != page) continue;
        const int size = protocol.select_table.size;
        std::copy(protocol.select_table.bytes, protocol.select_table.bytes + size, out);
        out[size] = protocol.code_tables[i].number;
        return size + 1;
    }
    return 0;
}

std::optional<charset::CodePage> CodeTablePage(const DisplayProtocol& protocol, std::uint8_t number) {
    for (int i = 0; i < protocol.code_table_count; ++i)
        if (protocol.code_tables[i].number == number) return protocol.code_tables[i].page;
    return std::nullopt;
}

int CursorCommand(const DisplayProtocol& protocol, int column, int row, int rows, int columns,
                  std::uint8_t* out) {
    int size = 0;
    switch (protocol.cursor_form) {
        case CursorForm::kRowAddress: {
            // Rows outside 1 to 4 have no address of their own; the nearest row stands in.
            const bool wide_four_rows = columns > 16 && rows > 2;
            const std::uint8_t* bases =
                wide_four_rows ? protocol::kRowBase20x4 : protocol::kRowBase16x4;
            const int row_index = row < 1 ? 0 : (row > 4 ? 3 : row - 1);
            for (int i = 0; i < protocol.cursor_lead.size; ++i) out[size++] = protocol.cursor_lead.bytes[i];
            out[size++] = static_cast<std::uint8_t>(bases[row_index] + column - 1);
            return size;
        }
        case CursorForm::kColumnRow:
            // A place off the display is a command the display would refuse or misread.
            if (row < 1 || row > rows || column < 1 || column > columns) return 0;
            for (int i = 0; i < protocol.cursor_lead.size; ++i) out[size++] = protocol.cursor_lead.bytes[i];
            out[size++] = static_cast<std::uint8_t>(column);
            out[size++] = static_cast<std::uint8_t>(row);
            return size;
    }
    return 0;
}

}  // namespace korv
