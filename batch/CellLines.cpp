#include "batch/CellLines.h"

#include <algorithm>
#include <array>

#include "batch/InputText.h"
#include "editor/MarkupCommands.h"

namespace licytek::batch {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Elements after which the browser starts a new line anyway, opened or closed.
constexpr std::array<std::string_view, 29> kLineEndingElements = {
    "br",    "p",       "div", "center", "h1", "h2",  "h3",         "h4",      "h5",     "h6",
    "ul",    "ol",      "li",  "dl",     "dt", "dd",  "hr",         "table",   "tbody",  "thead",
    "tfoot", "caption", "tr",  "td",     "th", "pre", "blockquote", "address", "section"};

// The lower-case name of the tag that ends `line`, or nothing when it does not end in one.
std::string EndingTagName(std::string_view line) {
    if (!line.ends_with('>')) {
        return {};
    }
    const auto open = line.rfind('<');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string_view tag = line.substr(open + 1);
    if (tag.starts_with('/')) {
        tag.remove_prefix(1);
    }
    const auto end = tag.find_first_of(" \t/>");
    return FoldCase(tag.substr(0, end));
}

// A line that shows nothing (a comment alone, such as the mark that keeps the title heading
// out) needs no break either: one would show as an empty line.
bool EndsLineItself(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.starts_with("<!--") && trimmed.ends_with("-->") &&
        trimmed.find("-->") == trimmed.size() - 3) {
        return true;
    }
    const std::string name = EndingTagName(trimmed);
    return !name.empty() && std::find(kLineEndingElements.begin(), kLineEndingElements.end(),
                                      name) != kLineEndingElements.end();
}

}  // namespace

std::string BreakCellLines(std::string_view crlfText) {
    const std::string_view lineBreak = MarkupText(Markup::NewLine);
    std::string out;
    out.reserve(crlfText.size() + crlfText.size() / 8);
    while (true) {
        const auto end = crlfText.find(kCrLf);
        if (end == std::string_view::npos) {
            out.append(crlfText);
            return out;
        }
        const std::string_view line = crlfText.substr(0, end);
        out.append(line);
        if (!EndsLineItself(line)) {
            out.append(lineBreak);
        }
        out.append(kCrLf);
        crlfText.remove_prefix(end + kCrLf.size());
    }
}

bool BreaksCellLines(std::string_view control) {
    return control == "Memo1" || control == "Memo2";
}

}  // namespace licytek::batch
