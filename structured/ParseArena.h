// Reading long markup quickly with gumbo. The parser hands out one token per character and
// frees every node on its own; on a megabyte of description that costs more than the rest of
// the export together. Two measures, neither of which changes the tree:
//  - the parser's memory comes from an arena that is dropped whole;
//  - long stretches of plain text are handed to the parser as short stand-ins, which take
//    the same path through the parser as the text they stand for, and are put back when the
//    text nodes are read. A stand-in that ends anywhere but whole in a text node (inside a
//    tag or a comment) makes the reader parse the markup as it is instead.
#pragma once

#include <gumbo.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace licytek::structured {

class TextFlow;

// Owns the memory of every parse made through it.
class ParseArena {
  public:
    ParseArena() = default;
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;

    // The document as a browser builds it; valid while the arena and `html` live.
    const GumboOutput* Parse(std::string_view html);

  private:
    static void* Allocate(void* arena, std::size_t size);
    static void Release(void* arena, void* pointer);

    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
};

struct CompressedMarkup {
    std::string storage;
    std::string_view markup;             // what to parse: `storage`, or the original markup
    std::vector<std::string_view> runs;  // the original text of each stand-in, by its number
};

// The markup with its long plain texts replaced by numbered stand-ins.
CompressedMarkup CompressText(std::string_view html);

// Whether every stand-in lies whole, once, in a text node of the tree.
bool EveryRunInText(const GumboNode* document, const CompressedMarkup& compressed);

// Feeds a text node's text to the flow, with the stand-ins put back.
class TextExpander {
  public:
    explicit TextExpander(const std::vector<std::string_view>& runs) : runs_(runs) {}
    void Feed(std::string_view text, TextFlow& flow) const;

  private:
    const std::vector<std::string_view>& runs_;
};

}  // namespace licytek::structured
