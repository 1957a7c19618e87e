// The rules Allegro holds an offer's title to when the title is set, beyond the length limit
// that the export checks: refused before anything is sent, never an export error, since a
// description sent without its title is not held to them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace licytek::structured {

inline constexpr std::size_t kMinTitleCharacters = 12;
inline constexpr std::size_t kMinTitleWords = 3;
inline constexpr std::size_t kMaxTitleWordCharacters = 30;

// Why Allegro would refuse `utf8Title` as an offer's title (Polish, UTF-8), or nothing.
// Characters are counted as the seller sees them; words are parted by blanks.
std::optional<std::string> TitleRefusal(std::string_view utf8Title);

}  // namespace licytek::structured
