// A cheap first reading of markup, before the HTML parser sees it. The parser's tree building
// walks its stack of open elements and its list of open formatting elements for many tokens,
// and keeps every node in memory, so deep nesting, stray end tags deep inside it, formatting
// elements left open and huge numbers of tags or attributes cost it time or memory far beyond
// the markup's size. This reading models how HTML closes elements on its own (a paragraph
// closes a paragraph, an item an item, a cell a cell; void elements hold nothing) in one
// linear pass, and names the first limit the markup goes past. Ordinary markup, even with
// thousands of items, paragraphs or line breaks left unclosed, stays far within them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace licytek::structured {

struct MarkupLimits {
    std::size_t depth = 1000;            // elements open one inside another
    std::size_t tags = 100000;           // elements, end tags and comments together
    std::size_t attributes = 100000;     // in the whole markup
    std::size_t attributesPerTag = 100;  // in one tag
    std::size_t strayEndTags = 10000;    // end tags with no open element to close
    std::size_t openFormatting = 100;    // <b>, <i>, <font>... begun and not ended
};

// The first limit `html` goes past, as a Polish sentence about `what` ("Opis", "Strona"),
// or an empty text when the parser can read it in time linear in its size.
std::string MarkupLimitProblem(std::string_view html, std::string_view what,
                               const MarkupLimits& limits = {});

}  // namespace licytek::structured
