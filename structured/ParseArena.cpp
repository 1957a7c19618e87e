#include "structured/ParseArena.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "structured/JsonString.h"
#include "structured/TextFlow.h"

namespace licytek::structured {
namespace {

// Chunks grow from 64 KiB to 1 MiB, so that a short text takes little and a long one few.
constexpr std::size_t kFirstChunkSize = std::size_t{64} << 10;
constexpr std::size_t kLargestChunkSize = std::size_t{1} << 20;
constexpr std::size_t kAlignment = alignof(std::max_align_t);

// A stand-in: a private-use character, the run's number, another private-use character.
// Text from the form never holds them (it comes from Windows-1250); markup that does is read
// without stand-ins.
constexpr std::string_view kOpen = "\xEE\x80\x80";   // U+E000
constexpr std::string_view kClose = "\xEE\x80\x81";  // U+E001
// Shorter texts gain too little to be worth a stand-in.
constexpr std::size_t kMinRunLength = 16;

constexpr bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Characters that never change the parser's state in any text, tag or comment state they
// could meet, and that tree building treats alike. Everything that starts or ends a tag, an
// attribute, a character reference, a comment, a script escape or a CDATA section is out.
constexpr std::array<bool, 128> PlainAscii() {
    std::array<bool, 128> plain{};
    for (std::size_t byte = 0; byte < plain.size(); ++byte) {
        const char c = static_cast<char>(byte);
        const bool control = byte < 0x20 || byte == 0x7F;
        plain[byte] = control ? IsHtmlSpace(c)
                              : std::string_view("<>&\"'=/-!?]`").find(c) == std::string_view::npos;
    }
    return plain;
}

constexpr std::array<bool, 128> kPlainAscii = PlainAscii();

// An ASCII character that never changes the parser's state (see above).
bool IsPlain(char c) {
    return kPlainAscii[static_cast<unsigned char>(c)];
}

// The parser puts U+FFFD in place of control characters and noncharacters.
bool ParserKeeps(char32_t codePoint) {
    return codePoint > 0x9F && !(codePoint >= 0xFDD0 && codePoint <= 0xFDEF) &&
           (codePoint & 0xFFFE) != 0xFFFE;
}

// The length of the plain character at the start of `text`, 0 when it is not plain: beyond
// ASCII, a well-formed UTF-8 character that the parser keeps as it is.
std::size_t PlainLength(std::string_view text) {
    if (static_cast<unsigned char>(text[0]) < 0x80) {
        return IsPlain(text[0]) ? 1 : 0;
    }
    char32_t codePoint = 0;
    const std::size_t length = ReadUtf8(text, codePoint);
    return length > 0 && ParserKeeps(codePoint) ? length : 0;
}

// A run starts at a visible character right after a space or a tag's end, so that the
// parser is in a text state and its first character is not glued to a tag or a reference.
bool CanStartRun(std::string_view html, std::size_t i) {
    return !IsHtmlSpace(html[i]) && PlainLength(html.substr(i)) > 0 &&
           (i == 0 || IsHtmlSpace(html[i - 1]) || html[i - 1] == '>');
}

// The end of the run that starts at `start`, without its trailing spaces.
std::size_t RunEnd(std::string_view html, std::size_t start) {
    std::size_t end = start;
    while (end < html.size()) {
        if (static_cast<unsigned char>(html[end]) < 0x80 && IsPlain(html[end])) {
            ++end;  // the common case, without decoding
            continue;
        }
        const std::size_t length = PlainLength(html.substr(end));
        if (length == 0) {
            break;
        }
        end += length;
    }
    while (end > start && IsHtmlSpace(html[end - 1])) {
        --end;
    }
    return end;
}

void AppendStandIn(std::string& out, std::size_t number) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(kOpen);
    out.append(digits, result.ptr);
    out.append(kClose);
}

// The stand-in at the start of `text`: its number and length, or nothing.
struct StandIn {
    std::size_t number = 0;
    std::size_t length = 0;
};

StandIn ReadStandIn(std::string_view text, std::size_t runCount) {
    if (!text.starts_with(kOpen)) {
        return {};
    }
    std::size_t number = 0;
    const char* first = text.data() + kOpen.size();
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), number);
    const std::string_view rest = text.substr(static_cast<std::size_t>(end - text.data()));
    if (error != std::errc{} || number >= runCount || !rest.starts_with(kClose)) {
        return {};
    }
    return {number, static_cast<std::size_t>(end - text.data()) + kClose.size()};
}

const GumboVector* ChildrenOf(const GumboNode& node) {
    if (node.type == GUMBO_NODE_DOCUMENT) {
        return &node.v.document.children;
    }
    return node.type == GUMBO_NODE_ELEMENT ? &node.v.element.children : nullptr;
}

bool IsTextNode(const GumboNode& node) {
    return node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_WHITESPACE ||
           node.type == GUMBO_NODE_CDATA;
}

// Marks the stand-ins of one text node; false when one is broken or seen twice.
bool MarkStandIns(std::string_view text, std::vector<bool>& seen) {
    for (std::size_t at = text.find(kOpen); at != std::string_view::npos;
         at = text.find(kOpen, at + 1)) {
        const StandIn standIn = ReadStandIn(text.substr(at), seen.size());
        if (standIn.length == 0 || seen[standIn.number]) {
            return false;
        }
        seen[standIn.number] = true;
    }
    return true;
}

}  // namespace

const GumboOutput* ParseArena::Parse(std::string_view html) {
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &ParseArena::Allocate;
    options.deallocator = &ParseArena::Release;
    options.userdata = this;
    options.max_errors = 0;  // the reader has no use for the parser's error list
    return gumbo_parse_with_options(&options, html.data(), html.size());
}

void* ParseArena::Allocate(void* userdata, std::size_t size) {
    auto& arena = *static_cast<ParseArena*>(userdata);
    size = (size + kAlignment - 1) / kAlignment * kAlignment;
    if (size > arena.left_) {
        const std::size_t grown = kFirstChunkSize << std::min<std::size_t>(arena.chunks_.size(), 4);
        const std::size_t chunk = std::max(size, std::min(grown, kLargestChunkSize));
        // Not zeroed: the parser sets all it reads.
        arena.chunks_.push_back(std::unique_ptr<std::byte[]>(new std::byte[chunk]));
        arena.next_ = arena.chunks_.back().get();
        arena.left_ = chunk;
    }
    void* block = arena.next_;
    arena.next_ += size;
    arena.left_ -= size;
    return block;
}

void ParseArena::Release(void* /*arena*/, void* /*pointer*/) {
    // Everything goes at once with the arena.
}

CompressedMarkup CompressText(std::string_view html) {
    CompressedMarkup compressed;
    compressed.markup = html;
    if (html.find(kOpen) != std::string_view::npos || html.find(kClose) != std::string_view::npos) {
        return compressed;
    }
    std::string& out = compressed.storage;
    out.reserve(html.size() / 2);
    std::size_t copied = 0;
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (!CanStartRun(html, i)) {
            continue;
        }
        const std::size_t end = RunEnd(html, i);
        if (end - i >= kMinRunLength) {
            out.append(html.substr(copied, i - copied));
            AppendStandIn(out, compressed.runs.size());
            compressed.runs.push_back(html.substr(i, end - i));
            copied = end;
        }
        i = end - 1;
    }
    if (!compressed.runs.empty()) {
        out.append(html.substr(copied));
        compressed.markup = out;
    }
    return compressed;
}

bool EveryRunInText(const GumboNode* document, const CompressedMarkup& compressed) {
    std::vector<bool> seen(compressed.runs.size(), false);
    std::vector<const GumboNode*> pending = {document};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (IsTextNode(*node) && !MarkStandIns(node->v.text.text, seen)) {
            return false;
        }
        if (const GumboVector* children = ChildrenOf(*node)) {
            for (unsigned int i = 0; i < children->length; ++i) {
                pending.push_back(static_cast<const GumboNode*>(children->data[i]));
            }
        }
    }
    return std::find(seen.begin(), seen.end(), false) == seen.end();
}

void TextExpander::Feed(std::string_view text, TextFlow& flow) const {
    if (runs_.empty()) {
        flow.Text(text);
        return;
    }
    std::size_t at = text.find(kOpen);
    if (at == std::string_view::npos) {
        flow.Text(text);
        return;
    }
    // The node's text goes to the flow whole, as it would without stand-ins: a list marker
    // may begin in one stand-in and end after it.
    std::string expanded;
    while (at != std::string_view::npos) {
        const StandIn standIn = ReadStandIn(text.substr(at), runs_.size());
        if (standIn.length == 0) {
            at = text.find(kOpen, at + 1);
            continue;
        }
        expanded.append(text.substr(0, at));
        expanded.append(runs_[standIn.number]);
        text.remove_prefix(at + standIn.length);
        at = text.find(kOpen);
    }
    expanded.append(text);
    flow.Text(expanded);
}

}  // namespace licytek::structured
