#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "sim/customer_display_model.h"

// Any byte stream into a 2x20 customer display's model: it stays within its memory,
// accounts for every byte, keeps its cursor and brightness in range, and a character
// lands where the model says it does.
template <class Model>
int CheckCustomerDisplayModel(const std::uint8_t* data, std::size_t size) {
    using korv::sim::CustomerDisplayModel;
    Model model;
    for (std::size_t i = 0; i < size; ++i) {
        const korv::sim::DecodedByte decoded = model.Feed(data[i]);
        FUZZ_CHECK(decoded.byte == data[i]);
        FUZZ_CHECK(model.CursorRow() >= 1 && model.CursorRow() <= CustomerDisplayModel::kRows);
        FUZZ_CHECK(model.CursorColumn() >= 1 && model.CursorColumn() <= CustomerDisplayModel::kColumns);
        FUZZ_CHECK(model.Brightness() >= 1 && model.Brightness() <= CustomerDisplayModel::kBrightest);
        if (decoded.kind == korv::sim::DecodedByte::Kind::kCharacter)
            FUZZ_CHECK(model.Row(decoded.row)[static_cast<std::size_t>(decoded.column - 1)] ==
                       static_cast<char>(data[i]));
    }
    FUZZ_CHECK(model.BytesReceived() == size);
    FUZZ_CHECK(model.UnknownCommands() <= model.CommandsSeen());
    for (int row = 1; row <= CustomerDisplayModel::kRows; ++row)
        FUZZ_CHECK(model.Row(row).size() == static_cast<std::size_t>(CustomerDisplayModel::kColumns));
    FUZZ_CHECK(model.Row(0).empty() && model.Row(CustomerDisplayModel::kRows + 1).empty());
    return 0;
}
