// Gathers the visible text of a page, in reading order, into blocks: where the browser breaks
// a paragraph, where a run of dashed or numbered lines makes a list, where text is bold.
// The markup walk tells it about elements; it knows nothing of HTML itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "structured/MarkupReader.h"

namespace licytek::structured {

// Whether a line that begins with `text` is read as an item of a typed list ("- ", "* ",
// "• ", or up to three digits, a dot and a space).
bool StartsWithListMarker(std::string_view text);

class TextFlow {
  public:
    // `markupOnly`: line breaks are spaces and typed list markers are text, as in plain HTML.
    explicit TextFlow(bool linesAreParagraphs, bool markupOnly = false)
        : linesAreParagraphs_(linesAreParagraphs), markupOnly_(markupOnly) {}

    // A text as the page holds it: line breaks, runs of spaces and list markers included.
    void Text(std::string_view text);
    // A visible break (<br>, the edges of <p>, <div>, table cells...).
    void Break();
    void BeginBold() { ++boldDepth_; }
    void EndBold() { --boldDepth_; }
    // `kind`: MainHeading for a first-level heading, Heading for any other.
    void BeginHeading(BlockKind kind = BlockKind::Heading);
    void EndHeading();
    void BeginPreformatted() { ++preformattedDepth_; }
    void EndPreformatted() { --preformattedDepth_; }
    // An HTML list; lists inside it add their items to it.
    void BeginList(BlockKind kind);
    void BeginItem();
    void EndItem();
    void EndList();
    void Picture(std::string address);
    // A rule between blocks (<hr>): the next block begins a section of its own. Inside a
    // heading or a list it is only a break.
    void SectionBreak();

    // The blocks, without empty lines or empty blocks.
    std::vector<Block> Finish();

  private:
    enum class Context { Flow, Heading, List };
    Context CurrentContext() const;

    void Newline();
    // At the first visible character of a line: begins a list item for a list marker and
    // returns the marker's length, or ends a dashed or numbered list before a plain line.
    std::size_t StartLine(std::string_view rest);
    // A new item of the list going on, or of a new list.
    void StartTextListItem(BlockKind kind, bool goesOn);
    void AppendVisible(std::string_view characters);
    Line& OpenLine();
    Block& AddBlock(BlockKind kind, std::vector<Line> lines = {}, std::string address = {});
    bool LastBlockIs(BlockKind kind) const;

    bool linesAreParagraphs_;
    bool markupOnly_;
    bool sectionBreak_ = false;                   // the next block begins a section
    BlockKind headingKind_ = BlockKind::Heading;  // of the outermost heading
    std::vector<Block> blocks_;
    bool open_ = false;  // text goes on in the last block
    bool lineStart_ = true;
    bool pendingSpace_ = false;
    int newlines_ = 0;  // line breaks since the last visible character
    int boldDepth_ = 0;
    int headingDepth_ = 0;
    int preformattedDepth_ = 0;
    int listDepth_ = 0;
    BlockKind listKind_ = BlockKind::BulletList;  // of the outermost HTML list
    bool itemPending_ = false;                    // the next text starts a new list item
    BlockKind textList_ = BlockKind::Paragraph;   // a dashed or numbered list going on, or not
    int nextNumber_ = 1;                          // of the numbered list going on
};

}  // namespace licytek::structured
