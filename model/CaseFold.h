// Names compared without regard to letter case: spreadsheet columns, offer data's keys, the
// labels of Allegro's lists. One fold for every such comparison.
#pragma once

#include <string>
#include <string_view>

namespace licytek {

// The text with ASCII letters and the letters of Latin-1 and Latin Extended-A (every letter
// of Windows-1250, Polish ones among them) in lower case. Other bytes stay as they are.
std::string FoldCase(std::string_view utf8);

// The byte with an ASCII capital as its small letter; every other byte stays. For names that
// their format defines in ASCII alone: HTML's tags, HTTP's headers, an address's scheme.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with every ASCII capital as its small letter; other bytes stay.
std::string AsciiLower(std::string_view text);

}  // namespace licytek
