// What a line break typed inside a spreadsheet cell (Alt+Enter) means on the page: the seller
// sees separate lines in the sheet and expects them on the page.
#pragma once

#include <string>
#include <string_view>

namespace licytek::batch {

// `crlfText` (lines ended by CR LF) with the markup of "Nowy wiersz" added at the end of each
// line that another line follows, unless the line already ends in a line break or in a block
// element (a paragraph, a heading, a list, a table's cell...), which breaks the line itself,
// or is a comment alone, which shows nothing.
std::string BreakCellLines(std::string_view crlfText);

// Whether a cell of this input keeps its line breaks as lines on the page: the item
// description and the terms, where sellers write several lines.
bool BreaksCellLines(std::string_view control);

}  // namespace licytek::batch
