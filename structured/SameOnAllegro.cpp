#include "structured/SameOnAllegro.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "structured/MarkupReader.h"

namespace licytek::structured {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// One byte of a line's text and whether it shows bold.
struct Shown {
    char byte;
    bool bold;
    bool operator==(const Shown&) const = default;
};

using ShownLine = std::vector<Shown>;

// A line as it shows: blanks at its ends gone, runs of blanks one space, and a space bold
// only between two bold characters, where bold or not it looks the same.
ShownLine LineAsShown(const Line& line, bool boldShows) {
    ShownLine shown;
    for (const Run& run : line) {
        for (const char c : run.text) {
            const bool blank = IsBlank(c);
            if (blank && (shown.empty() || shown.back().byte == ' ')) {
                continue;
            }
            shown.push_back({blank ? ' ' : c, boldShows && run.bold});
        }
    }
    while (!shown.empty() && shown.back().byte == ' ') {
        shown.pop_back();
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i].byte == ' ') {
            shown[i].bold = i > 0 && shown[i - 1].bold && i + 1 < shown.size() && shown[i + 1].bold;
        }
    }
    return shown;
}

struct ShownBlock {
    BlockKind kind;
    std::vector<ShownLine> lines;
    bool operator==(const ShownBlock&) const = default;
};

// Nothing for a content too large or deep to read, which shows the same as nothing else.
std::optional<std::vector<ShownBlock>> TextAsShown(std::string_view content) {
    const MarkupReading reading = ReadMarkup(content, {.markupOnly = true});
    if (!reading.refusal.empty()) {
        return std::nullopt;
    }
    std::vector<ShownBlock> shown;
    for (const Block& block : reading.blocks) {
        // A heading's text shows no bold of its own.
        const bool boldShows =
            block.kind != BlockKind::MainHeading && block.kind != BlockKind::Heading;
        ShownBlock& added = shown.emplace_back(ShownBlock{block.kind, {}});
        for (const Line& line : block.lines) {
            added.lines.push_back(LineAsShown(line, boldShows));
        }
    }
    return shown;
}

bool SameItem(const Item& a, const Item& b) {
    if (a.type != b.type) {
        return false;
    }
    if (a.type == ItemType::Image || a.content == b.content) {
        return a.content == b.content;
    }
    const auto shownA = TextAsShown(a.content);
    return shownA && shownA == TextAsShown(b.content);
}

}  // namespace

bool ShowsTheSame(const Description& a, const Description& b) {
    if (a.sections.size() != b.sections.size()) {
        return false;
    }
    for (std::size_t s = 0; s < a.sections.size(); ++s) {
        const std::vector<Item>& itemsA = a.sections[s].items;
        const std::vector<Item>& itemsB = b.sections[s].items;
        if (itemsA.size() != itemsB.size()) {
            return false;
        }
        for (std::size_t i = 0; i < itemsA.size(); ++i) {
            if (!SameItem(itemsA[i], itemsB[i])) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace licytek::structured
