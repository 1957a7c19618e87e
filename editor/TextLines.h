// The two ways the editing commands write to a multi-line text (lines separated by CR LF):
// add a piece as a new last line, or glue it to the end. Both only ever add at the end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace licytek {

inline constexpr std::string_view kLineBreak = "\r\n";

// Adds `piece` as a new last line. When `text` is empty or ends with CR LF, the piece is
// followed by CR LF; otherwise CR LF goes before the piece and nothing after it.
void AddLineTo(std::string& text, std::string_view piece);
std::string AddLine(std::string_view text, std::string_view piece);

// Glues `piece` to the end of `text`, with no line break.
void AppendTo(std::string& text, std::string_view piece);
std::string Append(std::string_view text, std::string_view piece);

// A copy of `text` with room for `extra` more bytes, so that the pieces a command adds to a
// long description do not make it move again.
std::string CopyWithRoom(std::string_view text, std::size_t extra);

}  // namespace licytek
