// Writes blocks as the markup a TEXT item of the structured description holds: h1, h2, p,
// ul, ol, li and b, with no attributes, and &, < and > escaped. The only place that writes it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "structured/MarkupReader.h"

namespace licytek::structured {

// `text` with &, < and > written as &amp;, &lt; and &gt;.
void AppendEscaped(std::string& out, std::string_view text);

// The content of one TEXT item made of `blocks`, none of them a picture.
std::string WriteTextItem(std::span<const Block> blocks);

// The content with a line break after each of its top-level elements.
std::string OneBlockPerLine(std::string_view content);

}  // namespace licytek::structured
