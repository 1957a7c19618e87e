// The seller's free markup read the way a browser shows it, as a flat list of blocks:
// headings, paragraphs, lists and pictures, with bold runs. This is the only place that knows
// the old markup; nothing here writes the subset.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace licytek::structured {

// A stretch of visible text, entities decoded and whitespace collapsed. UTF-8.
struct Run {
    std::string text;
    bool bold = false;

    bool operator==(const Run&) const = default;
};

// One line of a block: a heading's or paragraph's text, or one list item.
using Line = std::vector<Run>;

enum class BlockKind {
    MainHeading,  // a first-level heading: the auction header at the top, or the seller's <h1>
    Heading,      // any other heading of the description
    Paragraph,
    BulletList,
    NumberedList,
    Picture,
};

struct Block {
    BlockKind kind = BlockKind::Paragraph;
    std::vector<Line> lines;     // one for a heading or paragraph, one per item for a list
    std::string address;         // a picture's address, as the browser would use it
    bool startsSection = false;  // an <hr> stood before it: it begins a section of its own

    bool IsText() const { return kind != BlockKind::Picture; }
    bool operator==(const Block&) const = default;
};

struct MarkupReading {
    std::vector<Block> blocks;
    std::vector<std::string> linkAddresses;  // every link's address, in the order of the text
    bool hadGallery = false;                 // the gallery placeholder was there
    // Why the markup was not read at all (a limit it goes past), or empty; Polish, UTF-8.
    std::string refusal;
    // What the reading left out that the seller would miss, one sentence per kind (scripts,
    // tables, forms, formatting...), in the order first met; Polish, UTF-8.
    std::vector<std::string> leftOut;
};

struct ReadOptions {
    bool linesAreParagraphs = false;  // every line break ends a paragraph (the terms)
    std::string_view name = "Opis";   // what the text is, to start a refusal with
    // The markup is read as HTML alone, as a TEXT item of a structured description is: line
    // breaks are spaces, and lines that begin with "- " or "1. " are no lists.
    bool markupOnly = false;
};

// Reads `utf8Html` with an HTML5 parser, as a browser would, including misnested markup,
// in time and memory linear in its size: markup past the limits of MarkupLimitProblem is
// refused instead.
MarkupReading ReadMarkup(std::string_view utf8Html, ReadOptions options = {});

// The line's text, bold or not.
std::string LineText(const Line& line);

// A plain text (no markup) as one line, whitespace collapsed; empty when it shows nothing.
Line PlainTextLine(std::string_view utf8Text);

// The address as a browser takes it from an attribute: no surrounding spaces or control
// characters, no tabs or line breaks inside.
std::string CleanAddress(std::string_view address);

}  // namespace licytek::structured
