#include "structured/MarkupReader.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "model/CaseFold.h"
#include "structured/MarkupLimits.h"
#include "structured/ParseArena.h"
#include "structured/TextFlow.h"

namespace licytek::structured {
namespace {

// What an element means for the visible text.
enum class Role {
    Unwrap,        // its text stays, the element goes
    Invisible,     // nothing of it shows (scripts, styles, the head)
    Block,         // the browser breaks the line before and after it
    LineBreak,     // <br>
    Rule,          // <hr>: between blocks it ends a section
    Preformatted,  // a block whose line breaks show
    Bold,
    TopHeading,  // <h1>
    Heading,
    BulletList,
    NumberedList,
    Item,
    Link,
    Picture,
    Gallery,  // the gallery placeholder <GALERIA>
};

bool IsGalleryPlaceholder(const GumboElement& element) {
    GumboStringPiece name = element.original_tag;
    if (name.data == nullptr || name.length == 0) {
        return false;
    }
    gumbo_tag_from_original_text(&name);
    constexpr std::string_view kGallery = "galeria";
    return name.length == kGallery.size() &&
           std::equal(kGallery.begin(), kGallery.end(), name.data,
                      [](char expected, char actual) { return expected == AsciiLower(actual); });
}

Role RoleOf(const GumboElement& element) {
    switch (element.tag) {
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_NOFRAMES:
            return Role::Invisible;
        case GUMBO_TAG_B:
        case GUMBO_TAG_STRONG:
            return Role::Bold;
        case GUMBO_TAG_H1:
            return Role::TopHeading;
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
            return Role::Heading;
        case GUMBO_TAG_UL:
        case GUMBO_TAG_MENU:
        case GUMBO_TAG_DIR:
            return Role::BulletList;
        case GUMBO_TAG_OL:
            return Role::NumberedList;
        case GUMBO_TAG_LI:
            return Role::Item;
        case GUMBO_TAG_A:
            return Role::Link;
        case GUMBO_TAG_IMG:
        case GUMBO_TAG_IMAGE:
            return Role::Picture;
        case GUMBO_TAG_BR:
            return Role::LineBreak;
        case GUMBO_TAG_HR:
            return Role::Rule;
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_LISTING:
        case GUMBO_TAG_XMP:
        case GUMBO_TAG_PLAINTEXT:
        case GUMBO_TAG_TEXTAREA:
            return Role::Preformatted;
        case GUMBO_TAG_P:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_CENTER:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_HGROUP:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_LEGEND:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_SUMMARY:
        case GUMBO_TAG_OPTION:
        case GUMBO_TAG_BODY:
            return Role::Block;
        case GUMBO_TAG_UNKNOWN:
            return IsGalleryPlaceholder(element) ? Role::Gallery : Role::Unwrap;
        default:
            return Role::Unwrap;
    }
}

std::string_view AttributeValue(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    return attribute == nullptr ? std::string_view{} : std::string_view(attribute->value);
}

// What the reading drops that the seller would miss, one sentence for each kind, in the
// order first met.
class LeftOutMarkup {
  public:
    void Note(const GumboElement& element) {
        switch (element.tag) {
            case GUMBO_TAG_I:
            case GUMBO_TAG_EM:
            case GUMBO_TAG_U:
            case GUMBO_TAG_S:
            case GUMBO_TAG_STRIKE:
            case GUMBO_TAG_DEL:
            case GUMBO_TAG_INS:
            case GUMBO_TAG_FONT:
            case GUMBO_TAG_MARK:
            case GUMBO_TAG_BIG:
            case GUMBO_TAG_SMALL:
            case GUMBO_TAG_SUB:
            case GUMBO_TAG_SUP:
                Add(Kind::Formatting);
                break;
            case GUMBO_TAG_TABLE:
                Add(Kind::Table);
                break;
            case GUMBO_TAG_SCRIPT:
            case GUMBO_TAG_NOSCRIPT:
                Add(Kind::Script);
                break;
            case GUMBO_TAG_STYLE:
                Add(Kind::Styles);
                break;
            case GUMBO_TAG_FORM:
            case GUMBO_TAG_SELECT:
            case GUMBO_TAG_TEXTAREA:
                Add(Kind::Form);
                break;
            case GUMBO_TAG_INPUT:
            case GUMBO_TAG_BUTTON:
                Add(Kind::Form);
                NoteFieldText(element);
                break;
            case GUMBO_TAG_IFRAME:
            case GUMBO_TAG_FRAME:
            case GUMBO_TAG_OBJECT:
            case GUMBO_TAG_EMBED:
            case GUMBO_TAG_APPLET:
                Add(Kind::Embedded);
                break;
            default:
                break;
        }
        for (unsigned int i = 0; i < element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            const std::string_view name = attribute->name;  // lower case already
            if (name == "style") {
                Add(Kind::Styles);
            } else if (name.size() > 2 && name.starts_with("on")) {
                Add(Kind::Events);
            }
        }
    }

    std::vector<std::string> Sentences() const {
        std::vector<std::string> sentences;
        for (const Kind kind : order_) {
            sentences.push_back(Sentence(kind));
        }
        return sentences;
    }

  private:
    enum class Kind { Formatting, Table, Script, Styles, Events, Form, Embedded };

    void Add(Kind kind) {
        if (std::find(order_.begin(), order_.end(), kind) == order_.end()) {
            order_.push_back(kind);
        }
    }

    // A text field's or a button's value shows on the page; an input of another type
    // (hidden, checkbox...) shows no text of its own.
    void NoteFieldText(const GumboElement& element) {
        const std::string_view type = AttributeValue(element, "type");
        constexpr std::array<std::string_view, 5> kShowingValue = {"text", "submit", "button",
                                                                   "reset", "search"};
        const bool showsValue =
            type.empty() ||
            std::find(kShowingValue.begin(), kShowingValue.end(), type) != kShowingValue.end();
        const std::string value = CleanAddress(AttributeValue(element, "value"));
        if (element.tag == GUMBO_TAG_INPUT && showsValue && !value.empty() &&
            std::find(lostTexts_.begin(), lostTexts_.end(), value) == lostTexts_.end()) {
            lostTexts_.push_back(value);
        }
    }

    std::string Sentence(Kind kind) const {
        switch (kind) {
            case Kind::Formatting:
                return "Kursywa, podkreślenia i kolory znikają: Allegro pokazuje sam "
                       "tekst.";
            case Kind::Table:
                return "Tabela spłaszczona do akapitów: każda komórka jest "
                       "osobnym akapitem.";
            case Kind::Script:
                return "Skrypt usunięty: Allegro nie przyjmuje skryptów.";
            case Kind::Styles:
                return "Style (<style> i atrybuty style) usunięte: Allegro pokazuje opis "
                       "własnym wyglądem.";
            case Kind::Events:
                return "Atrybuty zdarzeń (onclick, onload…) usunięte: Allegro nie "
                       "przyjmuje skryptów.";
            case Kind::Form:
                return FormSentence();
            case Kind::Embedded:
                return "Ramki i osadzone obiekty (<iframe>, <object>, <embed>) usunięte "
                       "razem z tym, co pokazywały.";
        }
        return {};
    }

    std::string FormSentence() const {
        std::string sentence = "Formularz usunięty: Allegro nie przyjmuje pól ani przycisków";
        if (lostTexts_.empty()) {
            return sentence + ".";
        }
        constexpr std::size_t kShown = 3;
        sentence += "; znika tekst widoczny w polach i na przyciskach: ";
        for (std::size_t i = 0; i < lostTexts_.size() && i < kShown; ++i) {
            sentence += (i == 0 ? "„" : ", „") + lostTexts_[i] + "”";
        }
        if (lostTexts_.size() > kShown) {
            sentence += " i " + std::to_string(lostTexts_.size() - kShown) + " więcej";
        }
        return sentence + ".";
    }

    std::vector<Kind> order_;
    std::vector<std::string> lostTexts_;
};

// Walks the parsed tree in document order without recursion (seller's markup may nest
// thousands of elements deep) and tells the flow what the browser would show.
class TreeWalker {
  public:
    TreeWalker(TextFlow& flow, MarkupReading& reading, const TextExpander& expander,
               LeftOutMarkup& leftOut)
        : flow_(flow), reading_(reading), expander_(expander), leftOut_(leftOut) {}

    void Walk(const GumboNode* root) {
        struct Frame {
            const GumboNode* node;
            unsigned int nextChild;
            Role role;
        };
        std::vector<Frame> stack;
        stack.push_back({root, 0, Role::Unwrap});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const GumboVector& children = Children(*frame.node);
            if (frame.nextChild >= children.length) {
                Leave(frame.role);
                stack.pop_back();
                continue;
            }
            const auto* child = static_cast<const GumboNode*>(children.data[frame.nextChild++]);
            if (child->type == GUMBO_NODE_ELEMENT) {
                const Role role = RoleOf(child->v.element);
                leftOut_.Note(child->v.element);
                if (Enter(child->v.element, role)) {
                    stack.push_back({child, 0, role});
                }
            } else if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
                       child->type == GUMBO_NODE_CDATA) {
                expander_.Feed(child->v.text.text, flow_);
            }
        }
    }

  private:
    static const GumboVector& Children(const GumboNode& node) {
        static const GumboVector kNone = {nullptr, 0, 0};
        if (node.type == GUMBO_NODE_DOCUMENT) {
            return node.v.document.children;
        }
        return node.type == GUMBO_NODE_ELEMENT ? node.v.element.children : kNone;
    }

    // Returns whether the element's children are to be walked.
    bool Enter(const GumboElement& element, Role role) {
        switch (role) {
            case Role::Invisible:
                return false;
            case Role::Block:
                flow_.Break();
                break;
            case Role::LineBreak:
                flow_.Break();
                return false;
            case Role::Rule:
                flow_.SectionBreak();
                return false;
            case Role::Preformatted:
                flow_.Break();
                flow_.BeginPreformatted();
                break;
            case Role::Bold:
                flow_.BeginBold();
                break;
            case Role::TopHeading:
                flow_.BeginHeading(BlockKind::MainHeading);
                break;
            case Role::Heading:
                flow_.BeginHeading();
                break;
            case Role::BulletList:
                flow_.BeginList(BlockKind::BulletList);
                break;
            case Role::NumberedList:
                flow_.BeginList(BlockKind::NumberedList);
                break;
            case Role::Item:
                flow_.BeginItem();
                break;
            case Role::Link:
                NoteLink(AttributeValue(element, "href"));
                break;
            case Role::Picture:
                flow_.Picture(CleanAddress(AttributeValue(element, "src")));
                return false;
            case Role::Gallery:
                reading_.hadGallery = true;
                break;
            case Role::Unwrap:
                break;
        }
        return true;
    }

    void Leave(Role role) {
        switch (role) {
            case Role::Block:
                flow_.Break();
                break;
            case Role::Preformatted:
                flow_.EndPreformatted();
                flow_.Break();
                break;
            case Role::Bold:
                flow_.EndBold();
                break;
            case Role::TopHeading:
            case Role::Heading:
                flow_.EndHeading();
                break;
            case Role::BulletList:
            case Role::NumberedList:
                flow_.EndList();
                break;
            case Role::Item:
                flow_.EndItem();
                break;
            default:
                break;
        }
    }

    void NoteLink(std::string_view href) {
        std::string address = CleanAddress(href);
        if (!address.empty()) {
            reading_.linkAddresses.push_back(std::move(address));
        }
    }

    TextFlow& flow_;
    MarkupReading& reading_;
    const TextExpander& expander_;
    LeftOutMarkup& leftOut_;
};

bool IsSpaceOrControl(unsigned char c) {
    return c <= 0x20;
}

}  // namespace

std::string CleanAddress(std::string_view address) {
    while (!address.empty() && IsSpaceOrControl(static_cast<unsigned char>(address.front()))) {
        address.remove_prefix(1);
    }
    while (!address.empty() && IsSpaceOrControl(static_cast<unsigned char>(address.back()))) {
        address.remove_suffix(1);
    }
    std::string clean;
    clean.reserve(address.size());
    for (const char c : address) {
        if (c != '\t' && c != '\n' && c != '\r') {
            clean.push_back(c);
        }
    }
    return clean;
}

MarkupReading ReadMarkup(std::string_view utf8Html, ReadOptions options) {
    MarkupReading reading;
    reading.refusal = MarkupLimitProblem(utf8Html, options.name);
    if (!reading.refusal.empty()) {
        return reading;
    }
    TextFlow flow(options.linesAreParagraphs, options.markupOnly);
    ParseArena arena;
    const CompressedMarkup compressed = CompressText(utf8Html);
    // The compressed markup gives the browser's tree in far fewer steps; when its long texts
    // did not all land whole in text nodes, the markup is read as it is.
    const GumboOutput* output = arena.Parse(compressed.markup);
    const std::vector<std::string_view>* runs = &compressed.runs;
    if (!runs->empty() && !EveryRunInText(output->document, compressed)) {
        static const std::vector<std::string_view> kNoRuns;
        output = arena.Parse(utf8Html);
        runs = &kNoRuns;
    }
    LeftOutMarkup leftOut;
    TreeWalker(flow, reading, TextExpander(*runs), leftOut).Walk(output->document);
    reading.blocks = flow.Finish();
    reading.leftOut = leftOut.Sentences();
    return reading;
}

std::string LineText(const Line& line) {
    std::string text;
    for (const Run& run : line) {
        text += run.text;
    }
    return text;
}

Line PlainTextLine(std::string_view utf8Text) {
    // Read as a heading's text: one line, no list markers.
    TextFlow flow(false);
    flow.BeginHeading();
    flow.Text(utf8Text);
    std::vector<Block> blocks = flow.Finish();
    return blocks.empty() ? Line{} : std::move(blocks.front().lines.front());
}

}  // namespace licytek::structured
