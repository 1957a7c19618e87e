#include "structured/MarkupLimits.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "model/CaseFold.h"
#include "model/PolishNumbers.h"

namespace licytek::structured {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHeading(std::string_view name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

bool IsVoid(std::string_view name) {
    return IsOneOf(name, {"area",  "base",     "br",      "col",   "embed", "hr",      "img",
                          "input", "keygen",   "link",    "meta",  "param", "source",  "track",
                          "wbr",   "basefont", "bgsound", "frame", "image", "menuitem"});
}

bool IsFormatting(std::string_view name) {
    return IsOneOf(name, {"a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small",
                          "strike", "strong", "tt", "u"});
}

// Elements whose end the parser's searches for an element to close do not pass.
bool IsSpecial(std::string_view name) {
    return IsHeading(name) ||
           IsOneOf(name, {"address",    "applet",   "area",       "article",  "aside",  "base",
                          "basefont",   "bgsound",  "blockquote", "body",     "br",     "button",
                          "caption",    "center",   "col",        "colgroup", "dd",     "details",
                          "dir",        "div",      "dl",         "dt",       "embed",  "fieldset",
                          "figcaption", "figure",   "footer",     "form",     "frame",  "frameset",
                          "head",       "header",   "hgroup",     "hr",       "html",   "iframe",
                          "img",        "input",    "keygen",     "li",       "link",   "listing",
                          "main",       "marquee",  "menu",       "meta",     "nav",    "noembed",
                          "noframes",   "noscript", "object",     "ol",       "p",      "param",
                          "plaintext",  "pre",      "script",     "section",  "select", "source",
                          "style",      "summary",  "table",      "tbody",    "td",     "template",
                          "textarea",   "tfoot",    "th",         "thead",    "title",  "tr",
                          "track",      "ul",       "wbr",        "xmp"});
}

// Where a search for an open element in scope stops.
bool IsScopeBoundary(std::string_view name) {
    return IsOneOf(name, {"applet", "caption", "html", "table", "td", "th", "marquee", "object",
                          "template", "svg", "math"});
}

// Start tags that end an open paragraph.
bool ClosesParagraph(std::string_view name) {
    return IsHeading(name) ||
           IsOneOf(name, {"address", "article", "aside",  "blockquote", "center",   "details",
                          "dialog",  "dir",     "div",    "dl",         "fieldset", "figcaption",
                          "figure",  "footer",  "header", "hgroup",     "main",     "menu",
                          "nav",     "ol",      "p",      "section",    "summary",  "ul",
                          "pre",     "listing", "form",   "hr",         "xmp",      "plaintext",
                          "li",      "dd",      "dt"});
}

// Elements whose text the tokenizer reads up to their own end tag.
bool HoldsRawText(std::string_view name) {
    return IsOneOf(name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed",
                          "noframes", "noscript"});
}

// Elements where the list of open formatting elements starts afresh.
bool SetsMarker(std::string_view name) {
    return IsOneOf(name, {"td", "th", "caption", "applet", "marquee", "object", "template"});
}

struct Tag {
    std::string_view name;    // lower case
    std::string_view source;  // from the name to the tag's end, as written
    std::size_t attributes = 0;
    bool selfClosing = false;
};

// The model of the parser's stack of open elements and list of open formatting elements.
class TreeModel {
  public:
    explicit TreeModel(const MarkupLimits& limits) : limits_(limits) {}

    const std::string& Problem() const { return problem_; }
    bool Refused() const { return !problem_.empty(); }

    void Text(std::string_view text) {
        if (std::any_of(text.begin(), text.end(), [](char c) { return !IsSpace(c); })) {
            Reconstruct();
        }
    }

    void Comment() { CountTag(); }

    void Start(const Tag& tag) {
        CountTag();
        attributes_ += tag.attributes;
        if (tag.attributes > limits_.attributesPerTag) {
            return Refuse("znacznik <" + std::string(tag.name) + "> z ponad " +
                          GroupedNumber(limits_.attributesPerTag) + " atrybutami");
        }
        if (attributes_ > limits_.attributes) {
            return Refuse("ponad " + GroupedNumber(limits_.attributes) + " atrybut\u00F3w");
        }
        const std::string_view name = tag.name;
        if (IsOneOf(name, {"html", "body", "head"})) {
            return;
        }
        CloseImplied(name);
        if (!ClosesParagraph(name) &&
            !IsOneOf(name, {"table", "tr", "td", "th", "tbody", "thead", "tfoot", "caption"})) {
            Reconstruct();
        }
        if (IsVoid(name) || (tag.selfClosing && foreign_ > 0)) {
            return;
        }
        if (name == "a" || name == "nobr") {
            CloseFormatting(name);  // a second one closes the first
        }
        Push(name);
        if (IsFormatting(name)) {
            AddFormatting(name, tag.source);
        }
    }

    void End(std::string_view name) {
        CountTag();
        if (IsOneOf(name, {"html", "body", "head", "br"}) || Refused()) {
            if (name == "br") {
                CountElement();  // the parser makes </br> a line break
            }
            return;
        }
        if (IsFormatting(name) && CloseFormatting(name)) {
            return;
        }
        if (const std::size_t target = ClosedBy(name); target != kNone) {
            PopTo(target);
            return;
        }
        if (name == "p") {
            CountElement();  // the parser makes an empty paragraph of a stray </p>
        }
        if (++strayEndTags_ > limits_.strayEndTags) {
            Refuse("ponad " + GroupedNumber(limits_.strayEndTags) +
                   " znacznik\u00F3w zamykaj\u0105cych bez pary (jak </span> bez <span>)");
        }
    }

  private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The open element that the end tag `name` closes, or kNone when it closes nothing.
    std::size_t ClosedBy(std::string_view name) {
        std::size_t target = OpenIndex(name);
        if (IsHeading(name)) {  // any heading ends any other
            for (const char level : std::string_view("123456")) {
                target = Nearer(target, OpenIndex(std::string{'h', level}));
            }
        }
        if (target == kNone) {
            return kNone;
        }
        std::size_t floor = Top().special;  // where the search for an element stops
        if (IsOneOf(name, {"table", "tbody", "thead", "tfoot", "tr", "td", "th", "caption"})) {
            floor = Top().table;
        } else if (IsSpecial(name)) {
            floor = Top().scopeBoundary;
        }
        return floor == kNone || target >= floor ? target : kNone;
    }

    struct Open {
        int name;
        // The nearest element at or below this one of each kind, or kNone.
        std::size_t special;        // special: searches for an end tag's element stop there
        std::size_t scopeBoundary;  // scope checks stop there
        std::size_t itemBlocker;    // special, except address, div, p, li, dd, dt
        std::size_t table;
    };

    struct Formatting {
        int name = -1;         // -1 for a marker
        std::string_view key;  // the tag's name and attributes, for the three-alike rule
        bool onStack = true;
    };

    int Intern(std::string_view name) {
        const auto [it, added] = ids_.try_emplace(std::string(name), static_cast<int>(ids_.size()));
        if (added) {
            names_.push_back(it->first);
            positions_.emplace_back();
        }
        return it->second;
    }

    const Open& Top() const {
        static const Open kEmpty{-1, kNone, kNone, kNone, kNone};
        return stack_.empty() ? kEmpty : stack_.back();
    }

    std::size_t OpenIndex(std::string_view name) {
        const auto it = ids_.find(std::string(name));
        if (it == ids_.end() || positions_[static_cast<std::size_t>(it->second)].empty()) {
            return kNone;
        }
        return positions_[static_cast<std::size_t>(it->second)].back();
    }

    // The larger of two element indexes, where kNone means none.
    static std::size_t Nearer(std::size_t a, std::size_t b) {
        if (a == kNone) {
            return b;
        }
        return b == kNone ? a : std::max(a, b);
    }

    static bool Above(std::size_t index, std::size_t floor) {
        return index != kNone && (floor == kNone || index > floor);
    }

    void CloseImplied(std::string_view name) {
        if (ClosesParagraph(name)) {
            const std::size_t p = OpenIndex("p");
            const std::size_t button = Nearer(Top().scopeBoundary, OpenIndex("button"));
            if (Above(p, button)) {
                PopTo(p);
            }
        }
        if (name == "li") {
            CloseItem(OpenIndex("li"));
        } else if (name == "dd" || name == "dt") {
            CloseItem(Nearer(OpenIndex("dd"), OpenIndex("dt")));
        } else if (ClosesOpenTop(name)) {
            PopTo(stack_.size() - 1);
        } else if (name == "td" || name == "th") {
            CloseInTable(Nearer(OpenIndex("td"), OpenIndex("th")));
        } else if (name == "tr") {
            CloseInTable(OpenIndex("tr"));
        } else if (IsOneOf(name, {"tbody", "thead", "tfoot"})) {
            CloseInTable(
                Nearer(Nearer(OpenIndex("tbody"), OpenIndex("thead")), OpenIndex("tfoot")));
        }
    }

    // A heading closes an open heading, and an option (or its group) an open option.
    bool ClosesOpenTop(std::string_view name) const {
        if (stack_.empty()) {
            return false;
        }
        const std::string_view top = names_[NameOf(Top())];
        return (IsHeading(name) && IsHeading(top)) ||
               ((name == "option" || name == "optgroup") && top == "option");
    }

    void CloseItem(std::size_t item) {
        if (Above(item, Top().itemBlocker)) {
            PopTo(item);
        }
    }

    void CloseInTable(std::size_t element) {
        if (Above(element, Top().table)) {
            PopTo(element);
        }
    }

    static std::size_t NameOf(const Open& open) { return static_cast<std::size_t>(open.name); }

    void Push(std::string_view name) {
        CountElement();
        const int id = Intern(name);
        const std::size_t index = stack_.size();
        const Open& below = Top();
        const bool blocksItem =
            IsSpecial(name) && !IsOneOf(name, {"address", "div", "p", "li", "dd", "dt"});
        stack_.push_back({id, IsSpecial(name) ? index : below.special,
                          IsScopeBoundary(name) ? index : below.scopeBoundary,
                          blocksItem ? index : below.itemBlocker,
                          name == "table" || name == "template" ? index : below.table});
        positions_[static_cast<std::size_t>(id)].push_back(index);
        if (name == "svg" || name == "math") {
            ++foreign_;
        }
        if (SetsMarker(name)) {
            formatting_.push_back({});
        }
        if (stack_.size() > limits_.depth) {
            Refuse("znaczniki zagnie\u017Cd\u017Cone g\u0142\u0119biej ni\u017C " +
                   GroupedNumber(limits_.depth) + " poziom\u00F3w");
        }
    }

    // Pops the element at `index` and everything above it.
    void PopTo(std::size_t index) {
        while (stack_.size() > index) {
            const Open open = stack_.back();
            stack_.pop_back();
            positions_[NameOf(open)].pop_back();
            const std::string_view name = names_[NameOf(open)];
            if (name == "svg" || name == "math") {
                --foreign_;
            }
            if (SetsMarker(name)) {
                ClearToMarker();
            } else if (IsFormatting(name)) {
                MarkOffStack(open.name);
            }
        }
    }

    void ClearToMarker() {
        while (!formatting_.empty()) {
            const bool marker = formatting_.back().name < 0;
            if (!formatting_.back().onStack) {
                --offStack_;
            }
            formatting_.pop_back();
            if (marker) {
                break;
            }
            --entries_;
        }
    }

    void MarkOffStack(int name) {
        for (std::size_t i = formatting_.size(); i-- > 0 && formatting_[i].name >= 0;) {
            if (formatting_[i].name == name && formatting_[i].onStack) {
                formatting_[i].onStack = false;
                ++offStack_;
                return;
            }
        }
    }

    void AddFormatting(std::string_view name, std::string_view key) {
        // At most three alike after the last marker: a fourth drops the earliest.
        std::size_t alike = 0;
        std::size_t earliest = kNone;
        for (std::size_t i = formatting_.size(); i-- > 0 && formatting_[i].name >= 0;) {
            if (formatting_[i].key == key) {
                ++alike;
                earliest = i;
            }
        }
        if (alike >= 3) {
            if (!formatting_[earliest].onStack) {
                --offStack_;
            }
            formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(earliest));
            --entries_;
        }
        formatting_.push_back({Intern(name), key, true});
        if (++entries_ > limits_.openFormatting) {
            Refuse("ponad " + GroupedNumber(limits_.openFormatting) +
                   " niezamkni\u0119tych znacznik\u00F3w formatowania (<b>, <i>, <font>\u2026)");
        }
    }

    // Ends the latest open formatting element `name`; false when there is none.
    bool CloseFormatting(std::string_view name) {
        const int id = Intern(name);
        for (std::size_t i = formatting_.size(); i-- > 0 && formatting_[i].name >= 0;) {
            if (formatting_[i].name != id) {
                continue;
            }
            const bool onStack = formatting_[i].onStack;
            if (!onStack) {
                --offStack_;
            }
            formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(i));
            --entries_;
            const std::size_t index = OpenIndex(name);
            if (onStack && index != kNone) {
                PopTo(index);
            }
            return true;
        }
        return false;
    }

    // Text and most start tags open again, as copies, the formatting elements that were
    // closed by something else.
    void Reconstruct() {
        if (offStack_ == 0) {
            return;
        }
        for (Formatting& entry : formatting_) {
            if (entry.name >= 0 && !entry.onStack) {
                const Formatting copy = entry;
                Push(names_[static_cast<std::size_t>(copy.name)]);
                entry.onStack = true;
                --offStack_;
                if (Refused()) {
                    return;
                }
            }
        }
    }

    void CountTag() {
        if (++tags_ > limits_.tags) {
            Refuse("ponad " + GroupedNumber(limits_.tags) + " znacznik\u00F3w");
        }
    }

    void CountElement() {
        if (++elements_ > limits_.tags) {
            Refuse("ponad " + GroupedNumber(limits_.tags) + " element\u00F3w");
        }
    }

    void Refuse(std::string problem) {
        if (problem_.empty()) {
            problem_ = std::move(problem);
        }
    }

    const MarkupLimits& limits_;
    std::unordered_map<std::string, int> ids_;
    std::vector<std::string_view> names_;              // by id, pointing into ids_
    std::vector<std::vector<std::size_t>> positions_;  // by id: where it is open, in order
    std::vector<Open> stack_;
    std::vector<Formatting> formatting_;
    std::size_t offStack_ = 0;
    std::size_t entries_ = 0;  // formatting elements in the list, markers aside
    int foreign_ = 0;
    std::size_t tags_ = 0;
    std::size_t elements_ = 0;
    std::size_t attributes_ = 0;
    std::size_t strayEndTags_ = 0;
    std::string problem_;
};

// The markup's tokens, read as the parser's tokenizer reads them in the cases that matter.
class Tokens {
  public:
    Tokens(std::string_view html, TreeModel& model) : html_(html), model_(model) {}

    void Read() {
        while (at_ < html_.size() && !model_.Refused()) {
            const std::size_t open = html_.find('<', at_);
            const std::size_t textEnd = open == std::string_view::npos ? html_.size() : open;
            model_.Text(html_.substr(at_, textEnd - at_));
            at_ = textEnd;
            if (at_ < html_.size()) {
                Markup();
            }
        }
    }

  private:
    char At(std::size_t i) const { return i < html_.size() ? html_[i] : '\0'; }

    void SkipPast(std::string_view end) {
        const std::size_t found = html_.find(end, at_);
        at_ = found == std::string_view::npos ? html_.size() : found + end.size();
    }

    void Markup() {
        const char next = At(at_ + 1);
        if (html_.substr(at_).starts_with("<!--")) {
            at_ += 4;
            SkipPast("-->");
            model_.Comment();
        } else if (next == '!' || next == '?') {
            SkipPast(">");
            model_.Comment();
        } else if (next == '/' && IsAsciiLetter(At(at_ + 2))) {
            at_ += 2;
            const std::string name = Name();
            ReadAttributes();
            model_.End(name);
        } else if (IsAsciiLetter(next)) {
            const std::size_t start = ++at_;
            Tag tag;
            const std::string name = Name();
            tag.name = name;
            const auto [count, selfClosing] = ReadAttributes();
            tag.attributes = count;
            tag.selfClosing = selfClosing;
            tag.source = html_.substr(start, at_ - start);
            model_.Start(tag);
            if (name == "plaintext") {
                at_ = html_.size();
            } else if (HoldsRawText(name)) {
                SkipRawText(name);
            }
        } else {
            model_.Text(html_.substr(at_, 1));
            ++at_;
        }
    }

    std::string Name() {
        std::string name;
        while (at_ < html_.size() && !IsSpace(html_[at_]) && html_[at_] != '/' &&
               html_[at_] != '>') {
            name.push_back(AsciiLower(html_[at_++]));
        }
        return name;
    }

    // Skips a tag's attributes up to and including its ">"; their count, and whether the
    // tag ends with "/>".
    std::pair<std::size_t, bool> ReadAttributes() {
        std::size_t count = 0;
        while (at_ < html_.size()) {
            const char c = html_[at_];
            if (c == '>') {
                ++at_;
                return {count, html_[at_ - 2] == '/'};
            }
            if (IsSpace(c) || c == '/') {
                ++at_;
                continue;
            }
            ++count;
            ++at_;  // an attribute's name may start with "="
            while (at_ < html_.size() && !IsSpace(html_[at_]) && html_[at_] != '/' &&
                   html_[at_] != '>' && html_[at_] != '=') {
                ++at_;
            }
            while (at_ < html_.size() && IsSpace(html_[at_])) {
                ++at_;
            }
            if (At(at_) == '=') {
                ++at_;
                SkipValue();
            }
        }
        return {count, false};
    }

    void SkipValue() {
        while (at_ < html_.size() && IsSpace(html_[at_])) {
            ++at_;
        }
        const char quote = At(at_);
        if (quote == '"' || quote == '\'') {
            const std::size_t end = html_.find(quote, at_ + 1);
            at_ = end == std::string_view::npos ? html_.size() : end + 1;
            return;
        }
        while (at_ < html_.size() && !IsSpace(html_[at_]) && html_[at_] != '>') {
            ++at_;
        }
    }

    // Up to the element's own end tag, which is left to be read.
    void SkipRawText(std::string_view name) {
        for (std::size_t end = html_.find("</", at_); end != std::string_view::npos;
             end = html_.find("</", end + 2)) {
            const std::string_view after = html_.substr(end + 2, name.size());
            if (after.size() == name.size() &&
                std::equal(after.begin(), after.end(), name.begin(),
                           [](char a, char b) { return AsciiLower(a) == b; })) {
                at_ = end;
                return;
            }
        }
        at_ = html_.size();
    }

    std::string_view html_;
    TreeModel& model_;
    std::size_t at_ = 0;
};

}  // namespace

std::string MarkupLimitProblem(std::string_view html, std::string_view what,
                               const MarkupLimits& limits) {
    TreeModel model(limits);
    Tokens(html, model).Read();
    if (!model.Refused()) {
        return "";
    }
    return std::string(what) + " ma " + model.Problem() + ".";
}

}  // namespace licytek::structured
