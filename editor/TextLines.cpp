#include "editor/TextLines.h"

namespace licytek {

namespace {

bool EndsWithLineBreak(std::string_view text) {
    return text.ends_with(kLineBreak);
}

}  // namespace

void AddLineTo(std::string& text, std::string_view piece) {
    if (text.empty() || EndsWithLineBreak(text)) {
        text.append(piece);
        text.append(kLineBreak);
    } else {
        text.append(kLineBreak);
        text.append(piece);
    }
}

std::string AddLine(std::string_view text, std::string_view piece) {
    std::string result = CopyWithRoom(text, piece.size() + kLineBreak.size());
    AddLineTo(result, piece);
    return result;
}

void AppendTo(std::string& text, std::string_view piece) {
    text.append(piece);
}

std::string Append(std::string_view text, std::string_view piece) {
    std::string result = CopyWithRoom(text, piece.size());
    AppendTo(result, piece);
    return result;
}

std::string CopyWithRoom(std::string_view text, std::size_t extra) {
    std::string copy;
    copy.reserve(text.size() + extra);
    copy.append(text);
    return copy;
}

}  // namespace licytek
