// Reading a spreadsheet's bytes the way spreadsheet programs write them: the byte-order mark,
// where UTF-8 breaks, the separator of the header line, and names compared without regard to
// letter case.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/CaseFold.h"  // FoldCase, which the batch's callers use from here

namespace licytek::batch {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Where the first byte that is not well-formed UTF-8 lies in `text`, if any.
std::optional<std::size_t> FirstBrokenUtf8(std::string_view text);

// The separator of a CSV whose text starts with `start`: the most frequent of ';', tab and ','
// outside quotes on the first line; ';' (as a Polish spreadsheet writes) when there is none.
char DetectSeparator(std::string_view start);

// Whether a character could change what a terminal or a line of text shows: a control
// character (C0, DEL, C1) or a bidirectional override or isolate (U+202A to U+202E, U+2066
// to U+2069), which can make a name read backwards.
bool IsInvisibleControl(char32_t c);

// The text as it may go to a terminal: such characters and bytes that are not UTF-8 are shown
// as \x1B or U+202E, never raw.
std::string VisibleText(std::string_view utf8);

// Without blanks and tabs at either end.
std::string_view Trim(std::string_view text);

}  // namespace licytek::batch
