// The 2x20 customer displays' models, each fed its own command set: both must decode
// what their references say, parameters included, and ignore a place off the display.
#include "sim/customer_display_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/screen.h"
#include "tests/support/wire_bytes.h"

namespace korv::sim {
namespace {
using Kind = DecodedByte::Kind;
using test::TextRow;

std::string Byte(int value) { return std::string(1, static_cast<char>(value)); }

struct Set {
    const test::wire::CustomerWire& wire;
    std::string brightness_lead;
    std::string vertical_scroll;
};

const Set kSets[] = {
    {test::wire::kEscpos, "\x1F\x58", std::string("\x1F\x02", 2)},
    {test::wire::kCd5220, "\x1B\x2A", std::string("\x1B\x12", 2)},
};

std::unique_ptr<CustomerDisplayModel> ModelOf(const Set& set) {
    std::unique_ptr<DisplayModel> model = MakeDisplayModel(set.wire.kind);
    return std::unique_ptr<CustomerDisplayModel>(dynamic_cast<CustomerDisplayModel*>(model.release()));
}

TEST(CustomerDisplayModels, DecodeTheirCommandsParametersIncludedAndIgnorePlacesOffTheDisplay) {
    for (const Set& set : kSets) {
        SCOPED_TRACE(set.wire.name);
        const auto model = ModelOf(set);
        const auto at = [&](int column, int row) { return set.wire.cursor_lead + Byte(column) + Byte(row); };
        model->Feed(set.wire.dimmest + set.wire.bring_up);
        EXPECT_TRUE(model->BacklightOn()) << "initialising restores the brightest level";
        EXPECT_FALSE(model->CursorShown());
        EXPECT_EQ(model->ScreenMode(), CustomerDisplayModel::Mode::kOverwrite);

        // In overwrite mode the end of a line runs on into the start of the other.
        model->Feed(at(18, 1) + "ABCDE" + at(20, 2) + "XY");
        EXPECT_EQ(model->Row(1), "Y" + std::string(16, ' ') + "ABC");
        EXPECT_EQ(model->Row(2), TextRow("DE").substr(0, 19) + "X");

        // 0x0C as a column is a parameter, not a clear; places off the display move nothing.
        model->Feed(at(0x0C, 2) + at(0, 1) + at(21, 1) + at(1, 3) + "Q");
        EXPECT_EQ(model->Row(2).substr(11, 1), "Q");
        EXPECT_EQ(model->UnknownCommands(), 0u);

        for (int level : {0, 5, 2}) model->Feed(set.brightness_lead + Byte(level));
        EXPECT_EQ(model->Brightness(), 2);
        // Vertical scroll: the end of the lower line moves it up.
        const std::string lower = model->Row(2);
        model->Feed(set.vertical_scroll + at(20, 2) + "ZW");
        EXPECT_EQ(model->Screen(), (std::vector<std::string>{lower.substr(0, 19) + "Z", TextRow("W")}));

        EXPECT_EQ(model->Feed(0x1B).kind, Kind::kPrefix);
        EXPECT_EQ(model->Feed('Z').kind, Kind::kUnknownCommand);
        EXPECT_EQ(model->Feed(0x0C).kind, Kind::kClear);
        EXPECT_EQ(model->Screen(), std::vector<std::string>(2, test::kBlankRow));
        EXPECT_EQ(model->Feed('K').row, 1) << "a clear homes the cursor";
        EXPECT_EQ(model->UnknownCommands(), 1u);
    }
}
}  // namespace
}  // namespace korv::sim
