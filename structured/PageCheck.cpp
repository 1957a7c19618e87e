#include "structured/PageCheck.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <utility>

#include "model/CaseFold.h"
#include "model/PolishNumbers.h"
#include "model/Utf8.h"
#include "structured/MarkupLimits.h"
#include "structured/ParseArena.h"
#include "structured/Validation.h"

namespace licytek::structured {
namespace {

// ---- Names and values ----------------------------------------------------------------------

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AsciiLower(text.substr(0, prefix.size())) == prefix;
}

bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view TrimmedStart(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsHtmlSpace(text[start])) {
        ++start;
    }
    return text.substr(start);
}

bool HasSpaceSeparatedToken(std::string_view list, std::string_view token) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsHtmlSpace(list[i])) {
            ++i;
        }
        std::size_t end = i;
        while (end < list.size() && !IsHtmlSpace(list[end])) {
            ++end;
        }
        if (list.substr(i, end - i) == token) {
            return true;
        }
        i = end;
    }
    return false;
}

// The element's name as the page writes it, in lower case; the parser's own name when it
// knows the element.
std::string ElementName(const GumboElement& element) {
    if (element.tag != GUMBO_TAG_UNKNOWN) {
        return gumbo_normalized_tagname(element.tag);
    }
    const std::string_view tag(element.original_tag.data, element.original_tag.length);
    std::size_t start = tag.starts_with("</") ? 2 : 1;
    std::size_t end = start;
    while (end < tag.size() && !IsHtmlSpace(tag[end]) && tag[end] != '/' && tag[end] != '>') {
        ++end;
    }
    return start < tag.size() ? AsciiLower(tag.substr(start, end - start)) : std::string("?");
}

const GumboAttribute* FindAttribute(const GumboElement& element, std::string_view name) {
    for (unsigned int i = 0; i < element.attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        if (AsciiLower(attribute->name) == name) {
            return attribute;
        }
    }
    return nullptr;
}

std::string_view AttributeValue(const GumboElement& element, std::string_view name) {
    const GumboAttribute* attribute = FindAttribute(element, name);
    return attribute != nullptr ? std::string_view(attribute->value) : std::string_view();
}

// ---- Findings before they get their line and column ---------------------------------------

// What a finding is about, so that Allegro's many findings of one element or attribute can
// be summed up after the first few.
enum class SubjectKind { Element, Attribute, Page };

struct PendingFinding {
    std::size_t offset = 0;
    Severity severity = Severity::Error;
    Target target = Target::Allegro;
    SubjectKind kind = SubjectKind::Page;
    std::string subject;
    std::string element;  // the element an Allegro attribute finding stands in
    // Written when the finding is kept: a page may have a million Allegro findings, of
    // which a few are shown.
    std::string message;
};

constexpr std::size_t kAllegroFindingsShownPerKind = 3;
constexpr std::size_t kEbayMaxCharacters = 500000;
constexpr std::size_t kShownAddressCharacters = 60;

constexpr std::string_view kAllegroElementRule =
    "opis Allegro przyjmuje tylko elementy h1, h2, p, ul, ol, li i b";
constexpr std::string_view kAllegroAttributeRule =
    "opis Allegro nie przyjmuje \u017Cadnych atrybut\u00F3w";
constexpr std::array<GumboTag, 7> kAllegroElements = {
    GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_P, GUMBO_TAG_UL, GUMBO_TAG_OL, GUMBO_TAG_LI, GUMBO_TAG_B};

// Attributes whose value is an address the browser loads or follows.
constexpr std::array<std::string_view, 15> kAddressAttributes = {
    "href",     "src",      "background", "action", "formaction", "data",    "poster",    "cite",
    "codebase", "longdesc", "lowsrc",     "dynsrc", "manifest",   "archive", "xlink:href"};

std::string Quoted(std::string_view text) {
    return "\u201E" + std::string(text) + "\u201D";
}

// At most kShownAddressCharacters characters of an address, cut between characters.
std::string ShortAddress(std::string_view address) {
    const std::string_view shown = Utf8Prefix(address, kShownAddressCharacters);
    return std::string(shown) + (shown.size() < address.size() ? "\u2026" : "");
}

// ---- Walking the page ---------------------------------------------------------------------

class PageWalker {
  public:
    PageWalker(std::string_view html, PageTargets targets) : html_(html), targets_(targets) {}

    std::vector<PendingFinding> Walk(const GumboNode* root) {
        // An explicit stack: a page may nest elements far deeper than the call stack allows.
        std::vector<std::pair<const GumboNode*, bool>> stack{{root, false}};
        while (!stack.empty()) {
            const auto [node, insideProduct] = stack.back();
            stack.pop_back();
            if (node->type == GUMBO_NODE_DOCUMENT) {
                PushChildren(node->v.document.children, false, stack);
            } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
                VisitElement(*node);
                const bool inside = insideProduct || IsProductBlock(node->v.element);
                if (inside && IsDescriptionSpan(node->v.element)) {
                    hasMobileDescription_ = true;
                }
                PushChildren(node->v.element.children, inside, stack);
            } else if (node->type == GUMBO_NODE_TEXT && IsStyleText(*node)) {
                CheckStyleSheet(node->v.text.original_text);
            }
        }
        if (targets_.ebay) {
            CheckPageSize();
            CheckMobileDescription();
        }
        return std::move(findings_);
    }

  private:
    static void PushChildren(const GumboVector& children, bool insideProduct,
                             std::vector<std::pair<const GumboNode*, bool>>& stack) {
        for (unsigned int i = children.length; i-- > 0;) {
            stack.emplace_back(static_cast<const GumboNode*>(children.data[i]), insideProduct);
        }
    }

    // The byte offset of a pointer into the page, or nothing for text the parser made up.
    std::optional<std::size_t> OffsetOf(const char* data) const {
        if (data == nullptr || data < html_.data() || data >= html_.data() + html_.size()) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(data - html_.data());
    }

    void Add(std::size_t offset, Target target, SubjectKind kind, std::string subject,
             std::string message, Severity severity = Severity::Error) {
        findings_.push_back(
            {offset, severity, target, kind, std::move(subject), {}, std::move(message)});
    }

    void VisitElement(const GumboNode& node) {
        // Copies the parser makes of formatting elements repeat the original's tag and
        // attributes; the original is reported already.
        constexpr auto kCopies =
            static_cast<unsigned>(GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT) |
            static_cast<unsigned>(GUMBO_INSERTION_ADOPTION_AGENCY_CLONED);
        const auto flags = static_cast<unsigned>(node.parse_flags);
        if ((flags & kCopies) != 0) {
            return;
        }
        const GumboElement& element = node.v.element;
        const std::string name = ElementName(element);
        // Elements the parser adds itself (html, head, body, tbody) have no tag in the page;
        // their attributes may still come from a later tag, so those are checked. An end tag
        // the parser turns into an element ("</br>") is in the page and counts.
        auto offset = OffsetOf(element.original_tag.data);
        if (!offset &&
            (flags & static_cast<unsigned>(GUMBO_INSERTION_CONVERTED_FROM_END_TAG)) != 0 &&
            element.start_pos.offset < html_.size()) {
            offset = element.start_pos.offset;
        }
        if (offset) {
            CheckElement(element, name, *offset);
        }
        for (unsigned int i = 0; i < element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            if (const auto at = OffsetOf(attribute->original_name.data)) {
                CheckAttribute(*attribute, name, *at);
            }
        }
    }

    void CheckElement(const GumboElement& element, const std::string& name, std::size_t offset) {
        const bool allowed = element.tag_namespace == GUMBO_NAMESPACE_HTML &&
                             std::find(kAllegroElements.begin(), kAllegroElements.end(),
                                       element.tag) != kAllegroElements.end();
        if (targets_.allegro && !allowed) {
            Add(offset, Target::Allegro, SubjectKind::Element, name, {});
        }
        if (targets_.ebay) {
            if (auto rule = EbayElementRule(element, name)) {
                Add(offset, Target::Ebay, SubjectKind::Element, name, std::move(*rule));
            }
        }
        if (element.tag == GUMBO_TAG_IMG) {
            CheckPictureAddress(AttributeValue(element, "src"), offset);
        }
    }

    // A picture on the seller's disk shows on no auction site: the page needs its web
    // address. Said once for each site the page is checked for.
    void CheckPictureAddress(std::string_view src, std::size_t offset) {
        const std::string address(TrimmedStart(src));
        if (!IsLocalPicture(address)) {
            return;
        }
        const std::string message =
            "zdj\u0119cie " + Quoted(ShortAddress(address)) +
            " to plik na dysku: strona aukcji potrzebuje adresu internetowego https://";
        for (const auto& [wanted, target] : {std::pair{targets_.allegro, Target::Allegro},
                                             std::pair{targets_.ebay, Target::Ebay}}) {
            if (wanted) {
                Add(offset, target, SubjectKind::Page, "plik na dysku", message);
            }
        }
    }

    // A file path or a file: address; an address of the site itself ("/img/a.jpg" without a
    // folder of a disk) cannot be told from a path, so only paths that look like a disk's are.
    static bool IsLocalPicture(std::string_view address) {
        const std::string lower = AsciiLower(address.substr(0, 8));
        if (lower.starts_with("file:")) {
            return true;
        }
        const bool drive = address.size() > 2 && IsAsciiLetter(address[0]) && address[1] == ':' &&
                           (address[2] == '\\' || address[2] == '/');
        const bool home = address.starts_with("/home/") || address.starts_with("/Users/") ||
                          address.starts_with("~/") || address.starts_with("/tmp/") ||
                          address.starts_with("/media/") || address.starts_with("/mnt/");
        const bool relativeFile = ClassifyAddress(address) == AddressKind::Relative &&
                                  !address.starts_with("/") && !address.starts_with("//");
        return drive || home || relativeFile;
    }

    static std::optional<std::string> EbayElementRule(const GumboElement& element,
                                                      const std::string& name) {
        switch (element.tag) {
            case GUMBO_TAG_SCRIPT:
                return "element <script>: eBay nie przyjmuje aktywnej tre\u015Bci (skrypt\u00F3w)";
            case GUMBO_TAG_FORM:
            case GUMBO_TAG_INPUT:
                return "element <" + name +
                       ">: eBay nie przyjmuje formularzy (aktywna tre\u015B\u0107)";
            case GUMBO_TAG_IFRAME:
                return std::string("element <iframe>: eBay nie przyjmuje ramek z innych stron");
            case GUMBO_TAG_OBJECT:
            case GUMBO_TAG_EMBED:
            case GUMBO_TAG_APPLET:
                return "element <" + name +
                       ">: eBay nie przyjmuje wtyczek ani osadzonych program\u00F3w (aktywna "
                       "tre\u015B\u0107)";
            case GUMBO_TAG_META:
                if (AsciiLower(TrimmedStart(AttributeValue(element, "http-equiv")))
                        .starts_with("refresh")) {
                    return std::string(
                        "<meta http-equiv=\"refresh\">: eBay nie przyjmuje samoczynnego "
                        "od\u015Bwie\u017Cania ani przekierowania strony");
                }
                return std::nullopt;
            default:
                return std::nullopt;
        }
    }

    void CheckAttribute(const GumboAttribute& attribute, const std::string& elementName,
                        std::size_t offset) {
        // The parser writes the names of HTML attributes in lower case already.
        const std::string_view name = attribute.name;
        if (targets_.allegro) {
            Add(offset, Target::Allegro, SubjectKind::Attribute, std::string(name), {});
            findings_.back().element = elementName;
        }
        if (!targets_.ebay) {
            return;
        }
        const std::string where = Quoted(name) + " w <" + elementName + ">";
        if (name.size() > 2 && StartsWithIgnoringCase(name, "on")) {
            Add(offset, Target::Ebay, SubjectKind::Attribute, std::string(name),
                "atrybut " + where +
                    ": eBay nie przyjmuje aktywnej tre\u015Bci (obs\u0142ugi zdarze\u0144)");
        }
        if (IsInsecureAddressAttribute(name, attribute.value)) {
            AddInsecureAddress(offset, TrimmedStart(attribute.value), "atrybucie " + where);
        }
        if (name == "style") {
            for (const std::string_view address : InsecureStyleAddresses(attribute.value)) {
                AddInsecureAddress(offset, address, "stylu " + where);
            }
        }
    }

    static bool IsInsecureAddressAttribute(std::string_view name, std::string_view value) {
        if (name == "srcset") {
            return AsciiLower(value).find("http://") != std::string::npos;
        }
        return std::find(kAddressAttributes.begin(), kAddressAttributes.end(), name) !=
                   kAddressAttributes.end() &&
               StartsWithIgnoringCase(TrimmedStart(value), "http://");
    }

    void AddInsecureAddress(std::size_t offset, std::string_view address,
                            const std::string& where) {
        const std::string_view shown = address.substr(0, address.find_first_of(" \t\r\n\"')"));
        Add(offset, Target::Ebay, SubjectKind::Attribute, "http://",
            "adres " + Quoted(ShortAddress(shown)) + " w " + where +
                ": eBay wymaga bezpiecznych adres\u00F3w https://");
    }

    // Every "http://" address a style sheet loads: url(...) and @import "...".
    static std::vector<std::string_view> InsecureStyleAddresses(std::string_view css) {
        std::vector<std::string_view> addresses;
        const std::string lower = AsciiLower(css);
        for (const std::string_view opener :
             {std::string_view("url("), std::string_view("@import")}) {
            for (std::size_t at = lower.find(opener); at != std::string::npos;
                 at = lower.find(opener, at + 1)) {
                std::size_t start = at + opener.size();
                while (start < css.size() &&
                       (IsHtmlSpace(css[start]) || css[start] == '"' || css[start] == '\'')) {
                    ++start;
                }
                if (std::string_view(lower).substr(start).starts_with("http://")) {
                    addresses.push_back(css.substr(start));
                }
            }
        }
        std::sort(addresses.begin(), addresses.end(),
                  [](std::string_view a, std::string_view b) { return a.data() < b.data(); });
        return addresses;
    }

    static bool IsStyleText(const GumboNode& node) {
        return node.parent != nullptr && node.parent->type == GUMBO_NODE_ELEMENT &&
               node.parent->v.element.tag == GUMBO_TAG_STYLE;
    }

    // The style element's text as the page writes it, so that each address has its place.
    void CheckStyleSheet(const GumboStringPiece& text) {
        const auto start = OffsetOf(text.data);
        if (!targets_.ebay || !start) {
            return;
        }
        const std::string_view css(text.data, text.length);
        for (const std::string_view address : InsecureStyleAddresses(css)) {
            AddInsecureAddress(*start + static_cast<std::size_t>(address.data() - css.data()),
                               address, "arkuszu styl\u00F3w <style>");
        }
    }

    static bool IsProductBlock(const GumboElement& element) {
        return element.tag == GUMBO_TAG_DIV &&
               TrimmedStart(AttributeValue(element, "vocab")).starts_with("https://schema.org") &&
               HasSpaceSeparatedToken(AttributeValue(element, "typeof"), "Product");
    }

    static bool IsDescriptionSpan(const GumboElement& element) {
        return element.tag == GUMBO_TAG_SPAN &&
               HasSpaceSeparatedToken(AttributeValue(element, "property"), "description");
    }

    // The limit counts characters; the finding stands at the first one past it.
    void CheckPageSize() {
        const std::size_t allowed = Utf8Prefix(html_, kEbayMaxCharacters).size();
        if (allowed < html_.size()) {
            const std::size_t characters = Utf8CharacterCount(html_);
            Add(allowed, Target::Ebay, SubjectKind::Page, "rozmiar strony",
                "strona ma " + GroupedCountedNoun(characters, "znak", "znaki", "znak\u00F3w") +
                    "; eBay przyjmuje opis najwy\u017Cej " + GroupedNumber(kEbayMaxCharacters) +
                    " znak\u00F3w");
        }
    }

    void CheckMobileDescription() {
        if (!hasMobileDescription_) {
            Add(0, Target::Ebay, SubjectKind::Page, "opis mobilny",
                "strona nie ma kr\u00F3tkiego opisu dla urz\u0105dze\u0144 mobilnych (<div "
                "vocab=\"https://schema.org/\" typeof=\"Product\"><span "
                "property=\"description\">\u2026</span></div>), kt\u00F3ry eBay pokazuje na "
                "telefonach",
                Severity::Warning);
        }
    }

    std::string_view html_;
    PageTargets targets_;
    std::vector<PendingFinding> findings_;
    bool hasMobileDescription_ = false;
};

// ---- Summing up and placing ---------------------------------------------------------------

std::string AllegroMessage(const PendingFinding& finding) {
    if (finding.kind == SubjectKind::Element) {
        return "element <" + finding.subject + ">: " + std::string(kAllegroElementRule);
    }
    return "atrybut " + Quoted(finding.subject) + " w <" + finding.element +
           ">: " + std::string(kAllegroAttributeRule);
}

// After the first few Allegro findings of one element or attribute, one line stands for
// the rest of them, at the place of the first one left out. Counts each kind in the page.
class AllegroSummary {
  public:
    explicit AllegroSummary(const std::vector<PendingFinding>& findings) {
        for (const PendingFinding& finding : findings) {
            if (finding.target == Target::Allegro) {
                ++kinds_[KeyOf(finding)].total;
            }
        }
    }

    // How many places the finding stands for once shown: 1, the rest of its kind, or 0
    // when the summing-up line covers it. Writes the message of a shown finding.
    std::size_t Take(PendingFinding& finding) {
        Kind& kind = kinds_[KeyOf(finding)];
        const std::size_t index = ++kind.seen;
        if (index <= kAllegroFindingsShownPerKind) {
            finding.message = AllegroMessage(finding);
            return 1;
        }
        if (index > kAllegroFindingsShownPerKind + 1) {
            return 0;
        }
        const std::size_t rest = kind.total - kAllegroFindingsShownPerKind;
        const bool isElement = finding.kind == SubjectKind::Element;
        const std::string what = isElement
                                     ? CountedNoun(rest, "element", "elementy", "element\u00F3w") +
                                           " <" + finding.subject + ">"
                                     : CountedNoun(rest, "atrybut", "atrybuty", "atrybut\u00F3w") +
                                           " " + Quoted(finding.subject);
        finding.message = "jeszcze " + what + " dalej na stronie: " +
                          std::string(isElement ? kAllegroElementRule : kAllegroAttributeRule);
        return rest;
    }

  private:
    struct Kind {
        std::size_t total = 0;
        std::size_t seen = 0;
    };

    static std::string KeyOf(const PendingFinding& finding) {
        return (finding.kind == SubjectKind::Element ? "<" : "@") + finding.subject;
    }

    std::unordered_map<std::string, Kind> kinds_;
};

// Lines and columns of offsets given in rising order, in one pass over the page: a line
// ends at LF, CR LF or a lone CR; a column counts the characters before it, plus one.
class PositionCounter {
  public:
    explicit PositionCounter(std::string_view text) : text_(text) {}

    std::pair<std::size_t, std::size_t> At(std::size_t offset) {
        for (; cursor_ < offset && cursor_ < text_.size(); ++cursor_) {
            const char c = text_[cursor_];
            if (c == '\n' || (c == '\r' && !NextIsLineFeed())) {
                ++line_;
                column_ = 1;
            } else if (c != '\r' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                ++column_;
            }
        }
        return {line_, column_};
    }

  private:
    bool NextIsLineFeed() const { return cursor_ + 1 < text_.size() && text_[cursor_ + 1] == '\n'; }

    std::string_view text_;
    std::size_t cursor_ = 0;
    std::size_t line_ = 1;
    std::size_t column_ = 1;
};

}  // namespace

std::vector<PageFinding> CheckPage(std::string_view utf8Html, PageTargets targets) {
    // A page past the parser's limits is refused whole, before it is parsed.
    if (std::string problem = MarkupLimitProblem(utf8Html, "Strona"); !problem.empty()) {
        return {{Severity::Error, targets.allegro ? Target::Allegro : Target::Ebay, 1, 1, "strona",
                 std::move(problem), 1}};
    }
    ParseArena arena;
    const GumboOutput* page = arena.Parse(utf8Html);
    std::vector<PendingFinding> pending = PageWalker(utf8Html, targets).Walk(page->document);
    // The tree does not keep the page's order everywhere (content moved out of tables,
    // head elements after the body start), so the page's order is restored first; the
    // findings themselves stay where they are.
    std::vector<std::pair<std::size_t, std::size_t>> order;  // offset, then index
    order.reserve(pending.size());
    for (std::size_t i = 0; i < pending.size(); ++i) {
        order.emplace_back(pending[i].offset, i);
    }
    if (!std::is_sorted(order.begin(), order.end())) {
        std::sort(order.begin(), order.end());
    }

    AllegroSummary summary(pending);
    PositionCounter positions(utf8Html);
    std::vector<PageFinding> findings;
    for (const auto& [offset, index] : order) {
        PendingFinding& finding = pending[index];
        const bool summed = finding.target == Target::Allegro && finding.kind != SubjectKind::Page;
        const std::size_t count = summed ? summary.Take(finding) : 1;
        if (count == 0) {
            continue;
        }
        const auto [line, column] = positions.At(offset);
        findings.push_back({finding.severity, finding.target, line, column,
                            std::move(finding.subject), std::move(finding.message), count});
    }
    return findings;
}

PageCounts CountPageFindings(const std::vector<PageFinding>& findings) {
    PageCounts counts;
    for (const PageFinding& finding : findings) {
        if (finding.severity != Severity::Error) {
            counts.warnings += finding.count;
            continue;
        }
        counts.errors += finding.count;
        (finding.target == Target::Allegro ? counts.allegroErrors : counts.ebayErrors) +=
            finding.count;
    }
    return counts;
}

std::string_view TargetName(Target target) {
    return target == Target::Allegro ? "allegro" : "ebay";
}

}  // namespace licytek::structured
