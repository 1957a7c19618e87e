// How deep a JSON text nests, read before any JSON library sees it: a library that reads or
// writes a value recursively (printing it, comparing it) would exhaust the stack on a text of
// a hundred thousand brackets, which is only 200 KB.
#pragma once

#include <cstddef>
#include <string_view>

namespace licytek::structured {

// Deeper than any answer of Allegro's, or any description, nests.
inline constexpr std::size_t kMaxJsonDepth = 64;

// Whether no array or object of `json` lies more than `maxDepth` levels deep (the outermost
// is level 1). Brackets inside strings do not count; the text need not be valid JSON.
bool JsonDepthWithin(std::string_view json, std::size_t maxDepth = kMaxJsonDepth);

}  // namespace licytek::structured
