// The fragment table: 90 constant pieces of HTML, style sheet and script, numbered 0 to 89,
// from which the head, the layouts and the font command take their fixed text. The numbering
// is a contract with every user: no line may be added, removed or moved.
#pragma once

#include <string_view>

namespace licytek {

inline constexpr int kFragmentCount = 90;

// Where the links to the seller's pages and the messenger's status picture point.
inline constexpr std::string_view kAuctionSiteBase = "https://allegro.pl";
inline constexpr std::string_view kMessengerStatusBase = "https://status.gadu-gadu.pl";

// Line `line` (0..89) in Windows-1250, without any line terminator. Any other number gives
// an empty text: no line is ever read from outside the table.
std::string_view Fragment(int line);

}  // namespace licytek
