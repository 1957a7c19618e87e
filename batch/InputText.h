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

// Without blanks and tabs at either end.
std::string_view Trim(std::string_view text);

}  // namespace licytek::batch
