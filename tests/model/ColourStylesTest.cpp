#include "model/ColourStyles.h"

#include <gtest/gtest.h>

#include <array>

#include "model/Lists.h"

namespace licytek {
namespace {

using Colours = std::array<std::string_view, 7>;

Colours ColoursOf(const AuctionForm& form) {
    return {form.pageBackground,   form.borderColour,    form.tableInteriorColour,
            form.headerTextColour, form.tableTextColour, form.activeLinkColour,
            form.visitedLinkColour};
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
        form.pageBackground = "#123456";  // typed by the seller, overwritten
        form.editorFontColour = form.movingBackground = form.fontColour = "keep";
        AuctionForm expected = form;
        ApplyColourStyle(form, position);
        EXPECT_EQ(ColoursOf(form), rows[static_cast<std::size_t>(position)]);
        // Nothing else changes, not even the editor's and the font panel's colours.
        const auto row = rows[static_cast<std::size_t>(position)];
        expected.pageBackground = row[0], expected.borderColour = row[1],
        expected.tableInteriorColour = row[2];
        expected.headerTextColour = row[3], expected.tableTextColour = row[4],
        expected.activeLinkColour = row[5];
        expected.visitedLinkColour = row[6];
        EXPECT_EQ(form, expected);
    }
}

TEST(ColourStyles, NoStyleOutsideTheList) {
    for (const int position : {kNoListItem, 14, 255}) {
        EXPECT_EQ(ColourStyleAt(position), std::nullopt) << position;
        AuctionForm form;
        form.pageBackground = "typed";
        ApplyColourStyle(form, position);
        EXPECT_EQ(form.pageBackground, "typed");
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
