// Text from outside (a sheet's cells, Allegro's answers) as it may reach a terminal or a line
// of a log: what could change what the terminal shows is written out instead of sent raw.
#pragma once

#include <string>
#include <string_view>

namespace licytek {

// Whether a character could change what a terminal or a line of text shows: a control
// character (C0, DEL, C1) or a bidirectional override or isolate (U+202A to U+202E, U+2066
// to U+2069), which can make a name read backwards.
bool IsInvisibleControl(char32_t c);

// The text as it may go to a terminal: such characters and bytes that are not UTF-8 are shown
// as \x1B or U+202E, never raw.
std::string VisibleText(std::string_view utf8);

}  // namespace licytek
