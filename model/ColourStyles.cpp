#include "model/ColourStyles.h"

#include <cstdio>
#include <string>

namespace licytek {
namespace {

constexpr std::string_view kWhite = "#FFFFFF";
constexpr std::string_view kBlack = "#000000";

// Text, active link and visited link are black in every style; three light styles give the
// header text black, the rest white.
constexpr ColourStyle Style(std::string_view background, std::string_view border,
                            std::string_view tableInside, std::string_view headerText) {
    return {background, border, tableInside, headerText, kBlack, kBlack, kBlack};
}

constexpr std::array<ColourStyle, kColourStyleCount> kStyles = {
    Style("#ABE1F1", "#3EBCE6", "#E9FAFC", kWhite),  // Arctic
    Style("#68564A", "#BDAF90", kWhite, kWhite),     // Brązowy
    Style("#FA8080", "#FF0000", kWhite, kWhite),     // Czerwony
    Style("#BA94E0", "#954ABD", "#E8D7F2", kWhite),  // Fioletowy
    Style("#E6BC17", "#EEDEA6", kWhite, kBlack),     // Gold
    Style("#E2D5BC", "#B9A38C", "#EAE3DF", kBlack),  // Kremowy
    Style("#F7FBC4", "#FFFB46", kWhite, kBlack),     // Lemon
    Style("#BAD7F5", "#0536B6", kWhite, kWhite),     // Niebieski
    Style("#FFD6B0", "#FF9B06", "#FCF7E4", kWhite),  // Pomarańczowy
    Style("#F7B0E3", "#FF0080", "#FCF7E4", kWhite),  // Różowy
    Style("#E6E7E4", "#ABAFB6", "#F8F8F8", kWhite),  // Silver
    Style("#808080", "#AFA7A8", "#DADADA", kWhite),  // Szary
    Style("#E7E0EB", "#D1BED6", "#E1D2E1", kWhite),  // Wrzosowy
    Style("#D3F8D6", "#04AE00", "#D3F8D6", kWhite),  // Zielony
};

}  // namespace

std::optional<ColourStyle> ColourStyleAt(int position) {
    if (position < 0 || position >= kColourStyleCount) {
        return std::nullopt;
    }
    return kStyles[static_cast<std::size_t>(position)];
}

void ApplyColourStyle(AuctionForm& form, int position) {
    const auto style = ColourStyleAt(position);
    if (!style) {
        return;
    }
    form.pageBackground = style->background;
    form.borderColour = style->border;
    form.tableInteriorColour = style->tableInside;
    form.headerTextColour = style->headerText;
    form.tableTextColour = style->tableText;
    form.activeLinkColour = style->link;
    form.visitedLinkColour = style->visitedLink;
}

std::string ColourText(int red, int green, int blue) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", red & 0xFF, green & 0xFF, blue & 0xFF);
    return text;
}

}  // namespace licytek
