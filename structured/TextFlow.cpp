#include "structured/TextFlow.h"

#include <algorithm>
#include <utility>

namespace licytek::structured {
namespace {

constexpr std::string_view kBullet = "\xE2\x80\xA2";  // "•"
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

// The characters that HTML collapses, apart from the line breaks.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\f';
}

bool IsWhitespace(char c) {
    return IsSpace(c) || c == '\n' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct ListMarker {
    BlockKind kind = BlockKind::Paragraph;  // Paragraph: no marker
    std::size_t length = 0;
    int number = 0;
};

// "- ", "* ", "• " or "1. " (up to three digits) at the start of `text`.
ListMarker MatchListMarker(std::string_view text) {
    const auto spaceAt = [text](std::size_t i) { return i < text.size() && IsSpace(text[i]); };
    if ((text.starts_with('-') || text.starts_with('*')) && spaceAt(1)) {
        return {BlockKind::BulletList, 2};
    }
    if (text.starts_with(kBullet) && spaceAt(kBullet.size())) {
        return {BlockKind::BulletList, kBullet.size() + 1};
    }
    std::size_t digits = 0;
    int number = 0;
    while (digits < 3 && digits < text.size() && IsDigit(text[digits])) {
        number = number * 10 + (text[digits] - '0');
        ++digits;
    }
    if (digits > 0 && digits < text.size() && text[digits] == '.' && spaceAt(digits + 1)) {
        return {BlockKind::NumberedList, digits + 2, number};
    }
    return {};
}

// Whether the line shows nothing: it holds only spaces and no-break spaces.
bool IsBlankLine(const Line& line) {
    return std::all_of(line.begin(), line.end(), [](const Run& run) {
        std::string_view text = run.text;
        while (!text.empty()) {
            if (text.front() == ' ') {
                text.remove_prefix(1);
            } else if (text.starts_with(kNoBreakSpace)) {
                text.remove_prefix(kNoBreakSpace.size());
            } else {
                return false;
            }
        }
        return true;
    });
}

}  // namespace

bool StartsWithListMarker(std::string_view text) {
    return MatchListMarker(text).kind != BlockKind::Paragraph;
}

TextFlow::Context TextFlow::CurrentContext() const {
    if (listDepth_ > 0) {
        return Context::List;
    }
    return headingDepth_ > 0 ? Context::Heading : Context::Flow;
}

bool TextFlow::LastBlockIs(BlockKind kind) const {
    return !blocks_.empty() && blocks_.back().kind == kind;
}

void TextFlow::Text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF is one line break, and so is a CR alone.
            const bool crLf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            Newline();
            i += crLf ? 2 : 1;
            continue;
        }
        if (IsSpace(c)) {
            pendingSpace_ = true;
            ++i;
            continue;
        }
        if (lineStart_) {
            lineStart_ = false;
            const std::size_t marker = StartLine(text.substr(i));
            if (marker > 0) {
                i += marker;
                pendingSpace_ = false;
                continue;
            }
        }
        std::size_t end = i;
        while (end < text.size() && !IsWhitespace(text[end])) {
            ++end;
        }
        AppendVisible(text.substr(i, end - i));
        i = end;
    }
}

void TextFlow::Newline() {
    if (CurrentContext() != Context::Flow || markupOnly_) {
        pendingSpace_ = true;
        return;
    }
    if (linesAreParagraphs_ || preformattedDepth_ > 0) {
        Break();
        return;
    }
    // One line break is a space, as in the browser; an empty line ends the paragraph.
    pendingSpace_ = true;
    lineStart_ = true;
    if (++newlines_ >= 2) {
        open_ = false;
        textList_ = BlockKind::Paragraph;
    }
}

void TextFlow::Break() {
    if (CurrentContext() != Context::Flow) {
        pendingSpace_ = true;  // a heading or a list item holds one line
        return;
    }
    open_ = false;
    lineStart_ = true;
    pendingSpace_ = false;
}

std::size_t TextFlow::StartLine(std::string_view rest) {
    if (CurrentContext() != Context::Flow || markupOnly_) {
        return 0;
    }
    const ListMarker marker = MatchListMarker(rest);
    if (marker.kind == BlockKind::BulletList) {
        StartTextListItem(BlockKind::BulletList,
                          textList_ == BlockKind::BulletList && LastBlockIs(BlockKind::BulletList));
        return marker.length;
    }
    // A numbered line starts a list at 1 and goes on with the next number only, so that a
    // number the list would show differently stays text.
    const bool numberedGoesOn = textList_ == BlockKind::NumberedList &&
                                LastBlockIs(BlockKind::NumberedList) &&
                                marker.number == nextNumber_;
    if (marker.kind == BlockKind::NumberedList && (numberedGoesOn || marker.number == 1)) {
        StartTextListItem(BlockKind::NumberedList, numberedGoesOn);
        return marker.length;
    }
    if (textList_ != BlockKind::Paragraph) {
        textList_ = BlockKind::Paragraph;
        open_ = false;
    }
    return 0;
}

void TextFlow::StartTextListItem(BlockKind kind, bool goesOn) {
    if (!goesOn) {
        AddBlock(kind);
        nextNumber_ = 1;
    }
    blocks_.back().lines.emplace_back();
    ++nextNumber_;
    textList_ = kind;
    open_ = true;
}

Block& TextFlow::AddBlock(BlockKind kind, std::vector<Line> lines, std::string address) {
    blocks_.push_back(Block{kind, std::move(lines), std::move(address), sectionBreak_});
    sectionBreak_ = false;
    return blocks_.back();
}

Line& TextFlow::OpenLine() {
    switch (CurrentContext()) {
        case Context::List:
            if (!open_ || !LastBlockIs(listKind_)) {
                AddBlock(listKind_);
                open_ = true;
                itemPending_ = true;
            }
            if (itemPending_) {
                blocks_.back().lines.emplace_back();
                itemPending_ = false;
            }
            break;
        case Context::Heading:
            if (!open_ || !LastBlockIs(headingKind_)) {
                AddBlock(headingKind_, {Line{}});
                open_ = true;
            }
            break;
        case Context::Flow:
            if (!open_) {
                AddBlock(BlockKind::Paragraph, {Line{}});
                open_ = true;
                textList_ = BlockKind::Paragraph;
            }
            break;
    }
    return blocks_.back().lines.back();
}

void TextFlow::AppendVisible(std::string_view characters) {
    Line& line = OpenLine();
    newlines_ = 0;
    const bool bold = boldDepth_ > 0;
    // The space between a bold and a plain run goes to the plain one.
    const bool spaceAfterBold = pendingSpace_ && !line.empty() && line.back().bold && !bold;
    if (pendingSpace_ && !line.empty() && !spaceAfterBold) {
        line.back().text.push_back(' ');
    }
    pendingSpace_ = false;
    if (line.empty() || line.back().bold != bold) {
        line.push_back(Run{spaceAfterBold ? " " : "", bold});
    }
    line.back().text.append(characters);
}

void TextFlow::BeginHeading(BlockKind kind) {
    Break();
    if (headingDepth_ == 0) {
        headingKind_ = kind;  // a heading inside another one joins it
    }
    ++headingDepth_;
    open_ = false;
}

void TextFlow::EndHeading() {
    --headingDepth_;
    open_ = false;
    Break();
}

void TextFlow::BeginList(BlockKind kind) {
    if (listDepth_ == 0) {
        Break();
        listKind_ = kind;  // nested lists join the outermost one
        open_ = false;
        textList_ = BlockKind::Paragraph;
    }
    ++listDepth_;
    itemPending_ = true;
}

void TextFlow::BeginItem() {
    if (listDepth_ == 0) {
        Break();  // an item outside a list shows as a line of its own
        return;
    }
    itemPending_ = true;
}

void TextFlow::EndItem() {
    BeginItem();  // text after an item, still inside its list, is an item of its own
}

void TextFlow::EndList() {
    --listDepth_;
    itemPending_ = true;
    if (listDepth_ == 0) {
        open_ = false;
        Break();
    }
}

void TextFlow::Picture(std::string address) {
    AddBlock(BlockKind::Picture, {}, std::move(address));
    open_ = false;
    pendingSpace_ = false;
    textList_ = BlockKind::Paragraph;
}

void TextFlow::SectionBreak() {
    Break();
    if (CurrentContext() == Context::Flow) {
        sectionBreak_ = true;
        textList_ = BlockKind::Paragraph;
    }
}

std::vector<Block> TextFlow::Finish() {
    std::vector<Block> blocks = std::move(blocks_);
    blocks_.clear();
    sectionBreak_ = false;
    // A section break before a block that shows nothing goes to the next block.
    bool carriedBreak = false;
    for (Block& block : blocks) {
        std::erase_if(block.lines, IsBlankLine);
        const bool empty = block.IsText() && block.lines.empty();
        if (empty) {
            carriedBreak |= block.startsSection;
        } else {
            block.startsSection |= carriedBreak;
            carriedBreak = false;
        }
    }
    std::erase_if(blocks, [](const Block& block) { return block.IsText() && block.lines.empty(); });
    return blocks;
}

}  // namespace licytek::structured
