#include "structured/SubsetWriter.h"

#include <array>
#include <stdexcept>

namespace licytek::structured {
namespace {

struct Tags {
    std::string_view open;
    std::string_view close;
};

Tags BlockTags(BlockKind kind) {
    switch (kind) {
        case BlockKind::MainHeading:
            return {"<h1>", "</h1>"};
        case BlockKind::Heading:
            return {"<h2>", "</h2>"};
        case BlockKind::Paragraph:
            return {"<p>", "</p>"};
        case BlockKind::BulletList:
            return {"<ul>", "</ul>"};
        case BlockKind::NumberedList:
            return {"<ol>", "</ol>"};
        case BlockKind::Picture:
            break;
    }
    throw std::logic_error("a picture has no place in a TEXT item");
}

bool IsList(BlockKind kind) {
    return kind == BlockKind::BulletList || kind == BlockKind::NumberedList;
}

// Headings hold text only, so their bold runs lose the bold.
void AppendLine(std::string& out, const Line& line, bool boldAllowed) {
    for (const Run& run : line) {
        const bool bold = boldAllowed && run.bold;
        if (bold) {
            out += "<b>";
        }
        AppendEscaped(out, run.text);
        if (bold) {
            out += "</b>";
        }
    }
}

std::size_t SizeEstimate(std::span<const Block> blocks) {
    std::size_t size = 0;
    for (const Block& block : blocks) {
        size += 16;
        for (const Line& line : block.lines) {
            size += 16;
            for (const Run& run : line) {
                size += run.text.size() + 8;
            }
        }
    }
    return size + size / 16;  // room for a few escapes
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view escape;
        switch (text[i]) {
            case '&':
                escape = "&amp;";
                break;
            case '<':
                escape = "&lt;";
                break;
            case '>':
                escape = "&gt;";
                break;
            default:
                continue;
        }
        out.append(text.substr(copied, i - copied));
        out.append(escape);
        copied = i + 1;
    }
    out.append(text.substr(copied));
}

std::string WriteTextItem(std::span<const Block> blocks) {
    std::string out;
    out.reserve(SizeEstimate(blocks));
    for (const Block& block : blocks) {
        const Tags tags = BlockTags(block.kind);
        const bool list = IsList(block.kind);
        const bool boldAllowed =
            block.kind != BlockKind::MainHeading && block.kind != BlockKind::Heading;
        out += tags.open;
        for (const Line& line : block.lines) {
            if (list) {
                out += "<li>";
            }
            AppendLine(out, line, boldAllowed);
            if (list) {
                out += "</li>";
            }
        }
        out += tags.close;
    }
    return out;
}

std::string OneBlockPerLine(std::string_view content) {
    // Text is escaped, so these closing tags are the top-level elements' ends.
    constexpr std::array<std::string_view, 5> kEnds = {"</h1>", "</h2>", "</p>", "</ul>", "</ol>"};
    std::string out;
    out.reserve(content.size() + content.size() / 32 + 1);
    std::size_t copied = 0;
    for (std::size_t at = content.find("</"); at != std::string_view::npos;
         at = content.find("</", at + 2)) {
        for (const std::string_view end : kEnds) {
            if (content.substr(at).starts_with(end)) {
                out.append(content.substr(copied, at + end.size() - copied));
                out.push_back('\n');
                copied = at + end.size();
                break;
            }
        }
    }
    out.append(content.substr(copied));
    if (!out.empty() && out.back() != '\n') {
        out.push_back('\n');
    }
    return out;
}

}  // namespace licytek::structured
