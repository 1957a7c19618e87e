#include "model/ColourStyles.h"

#include <gtest/gtest.h>

#include <array>

#include "model/Lists.h"

namespace licytek {
namespace {

using Colours = std::array<std::string_view, 7>;

Colours ColoursOf(const AuctionForm& form) {
    return {form.Edit14, form.Edit15, form.Edit16, form.Edit18,
            form.Edit19, form.Edit20, form.Edit21};
}

TEST(ColourStyles, EachStyleWritesItsSevenColours) {
    const std::array<Colours, 14> rows = {{
        {"#ABE1F1", "#3EBCE6", "#E9FAFC", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#68564A", "#BDAF90", "#FFFFFF", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#FA8080", "#FF0000", "#FFFFFF", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#BA94E0", "#954ABD", "#E8D7F2", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#E6BC17", "#EEDEA6", "#FFFFFF", "#000000", "#000000", "#000000", "#000000"},
        {"#E2D5BC", "#B9A38C", "#EAE3DF", "#000000", "#000000", "#000000", "#000000"},
        {"#F7FBC4", "#FFFB46", "#FFFFFF", "#000000", "#000000", "#000000", "#000000"},
        {"#BAD7F5", "#0536B6", "#FFFFFF", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#FFD6B0", "#FF9B06", "#FCF7E4", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#F7B0E3", "#FF0080", "#FCF7E4", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#E6E7E4", "#ABAFB6", "#F8F8F8", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#808080", "#AFA7A8", "#DADADA", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#E7E0EB", "#D1BED6", "#E1D2E1", "#FFFFFF", "#000000", "#000000", "#000000"},
        {"#D3F8D6", "#04AE00", "#D3F8D6", "#FFFFFF", "#000000", "#000000", "#000000"},
    }};
    ASSERT_EQ(kStyleItems.size(), rows.size());
    for (int position = 0; position < 14; ++position) {
        SCOPED_TRACE(kStyleItems[static_cast<std::size_t>(position)]);
        AuctionForm form;
        form.Edit14 = "#123456";  // typed by the seller, overwritten
        form.Edit27 = form.Edit30 = form.Edit31 = "keep";
        AuctionForm expected = form;
        ApplyColourStyle(form, position);
        EXPECT_EQ(ColoursOf(form), rows[static_cast<std::size_t>(position)]);
        // Nothing else changes, not even the editor's and the font panel's colours.
        const auto row = rows[static_cast<std::size_t>(position)];
        expected.Edit14 = row[0], expected.Edit15 = row[1], expected.Edit16 = row[2];
        expected.Edit18 = row[3], expected.Edit19 = row[4], expected.Edit20 = row[5];
        expected.Edit21 = row[6];
        EXPECT_EQ(form, expected);
    }
}

TEST(ColourStyles, NoStyleOutsideTheList) {
    for (const int position : {kNoListItem, 14, 255}) {
        EXPECT_EQ(ColourStyleAt(position), std::nullopt) << position;
        AuctionForm form;
        form.Edit14 = "typed";
        ApplyColourStyle(form, position);
        EXPECT_EQ(form.Edit14, "typed");
    }
}

TEST(ColourText, WritesTwoUpperCaseDigitsPerComponent) {
    EXPECT_EQ(ColourText(255, 0, 0), "#FF0000");
    EXPECT_EQ(ColourText(1, 2, 3), "#010203");
    EXPECT_EQ(ColourText(171, 205, 239), "#ABCDEF");
    EXPECT_EQ(ColourText(0, 0, 0), "#000000");
}

}  // namespace
}  // namespace licytek
