// The fourteen named colour styles of the colour style list.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "model/AuctionForm.h"

namespace licytek {

// The seven page colours a style writes, in the order the "Kolory" group shows them.
struct ColourStyle {
    std::string_view background;   // pageBackground
    std::string_view border;       // borderColour
    std::string_view tableInside;  // tableInteriorColour
    std::string_view headerText;   // headerTextColour
    std::string_view tableText;    // tableTextColour
    std::string_view link;         // activeLinkColour
    std::string_view visitedLink;  // visitedLinkColour
};

inline constexpr int kColourStyleCount = 14;

// The style at a list position, or nothing for a position outside 0..13 (no item selected).
std::optional<ColourStyle> ColourStyleAt(int position);

// Writes the style at `position` into the seven colour texts; does nothing for no style.
// No other input changes.
void ApplyColourStyle(AuctionForm& form, int position);

// "#RRGGBB" in upper case for a colour confirmed in the colour dialog.
std::string ColourText(int red, int green, int blue);

}  // namespace licytek
