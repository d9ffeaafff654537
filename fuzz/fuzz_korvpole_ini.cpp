// Any KORVPOLE.INI: settings within their ranges, or one line that names the file and
// the line; never a crash.
#include <algorithm>
#include <cstdint>
#include <string>

#include "display/display_kinds.h"
#include "fuzz/fuzz_check.h"
#include "pole/korvpole_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korv::KorvpoleIni ini;
    const std::string problem = korv::ParseKorvpoleIni(std::string(reinterpret_cast<const char*>(data), size), ini);
    if (!problem.empty()) {
        FUZZ_CHECK(problem.rfind("KORVPOLE.INI line ", 0) == 0);
        FUZZ_CHECK(problem.find('\n') == std::string::npos);
        return 0;
    }
    const korv::DisplayGeometry& display = ini.display;
    const korv::DisplayProtocol& kind = korv::ProtocolOf(display.kind);
    FUZZ_CHECK(display.rows == kind.rows && display.columns == kind.columns);
    FUZZ_CHECK(std::count(std::begin(korv::kLineSpeeds), std::end(korv::kLineSpeeds), display.baud) == 1);
    for (const int row : display.shown_rows) FUZZ_CHECK(row >= 1 && row <= korv::kDrawnRows);
    FUZZ_CHECK(display.shown_rows[0] != display.shown_rows[1]);
    FUZZ_CHECK(std::count(std::begin(korv::charset::kDisplayTables), std::end(korv::charset::kDisplayTables),
                          display.table) == 1);
    const korv::AmountWords& words = ini.words;
    for (const auto& [caption, width] : {std::pair(&words.tax, words.tax_width), std::pair(&words.total, words.total_width)}) {
        FUZZ_CHECK(width >= 1 && width <= korv::kMaxCaptionChars);
        FUZZ_CHECK(!caption->empty());
        // Without a code page a caption is plain ASCII, a byte a character.
        if (!display.text) FUZZ_CHECK(caption->size() == static_cast<std::size_t>(width));
    }
    FUZZ_CHECK(words.decimal == '.' || words.decimal == ',');
    return 0;
}
