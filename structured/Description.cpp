#include "structured/Description.h"

#include <array>
#include <nlohmann/json.hpp>
#include <variant>

#include "model/CaseFold.h"
#include "model/FormFields.h"
#include "model/PolishNumbers.h"
#include "structured/JsonDepth.h"
#include "structured/JsonString.h"
#include "structured/Validation.h"

namespace licytek::structured {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kText = "TEXT";
constexpr std::string_view kImage = "IMAGE";

// ---- The content of a TEXT item -----------------------------------------------------------

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiAlphanumeric(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

// The elements each element may hold; the top level is "".
std::string_view AllowedChildren(std::string_view parent) {
    if (parent.empty()) {
        return " h1 h2 p ul ol ";
    }
    if (parent == "p" || parent == "li") {
        return " b ";
    }
    if (parent == "ul" || parent == "ol") {
        return " li ";
    }
    return " ";  // h1, h2 and b hold text only
}

bool IsSubsetElement(std::string_view name) {
    constexpr std::array<std::string_view, 7> kElements = {"h1", "h2", "p", "ul", "ol", "li", "b"};
    for (const std::string_view element : kElements) {
        if (name == element) {
            return true;
        }
    }
    return false;
}

bool MayHold(std::string_view parent, std::string_view child) {
    const std::string_view allowed = AllowedChildren(parent);
    return allowed.find(" " + std::string(child) + " ") != std::string_view::npos;
}

bool HoldsText(std::string_view parent) {
    return !parent.empty() && parent != "ul" && parent != "ol";
}

// The length of a valid character reference at the start of `text` ("&amp;", "&#261;",
// "&#x105;"), or 0.
std::size_t EntityLength(std::string_view text) {
    constexpr std::array<std::string_view, 6> kNamed = {"&amp;",  "&lt;",   "&gt;",
                                                        "&quot;", "&apos;", "&nbsp;"};
    for (const std::string_view named : kNamed) {
        if (text.starts_with(named)) {
            return named.size();
        }
    }
    if (!text.starts_with("&#")) {
        return 0;
    }
    const bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
    std::size_t i = hex ? 3 : 2;
    unsigned long codePoint = 0;
    const std::size_t digitsStart = i;
    for (; i < text.size() && i - digitsStart < 8; ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        codePoint = codePoint * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    const bool valid = i > digitsStart && i < text.size() && text[i] == ';' && codePoint > 0 &&
                       codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
    return valid ? i + 1 : 0;
}

// The text up to the next "<", "&" or ">".
std::size_t TextSpanLength(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() && text[length] != '<' && text[length] != '&' &&
           text[length] != '>') {
        ++length;
    }
    return length;
}

struct Tag {
    bool closing = false;
    std::string name;
    std::size_t length = 0;      // up to and with ">", 0 when it is no tag at all
    bool hasAttributes = false;  // anything between the name and ">"
};

Tag ReadTag(std::string_view text) {
    Tag tag;
    std::size_t i = 1;
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    if (i >= text.size() || !IsAsciiLetter(text[i])) {
        return tag;
    }
    const std::size_t nameStart = i;
    while (i < text.size() && IsAsciiAlphanumeric(text[i])) {
        ++i;
    }
    tag.name = AsciiLower(text.substr(nameStart, i - nameStart));
    const std::size_t end = text.find('>', i);
    if (end == std::string_view::npos) {
        return tag;
    }
    tag.hasAttributes = end != i;
    tag.length = end + 1;
    return tag;
}

std::string Quoted(std::string_view name, bool closing = false) {
    return std::string(closing ? "</" : "<") + std::string(name) + ">";
}

// Walks the content once, keeping the open elements.
class ContentChecker {
  public:
    std::string Check(std::string_view content) {
        if (content.find_first_not_of(" \t\n\r\f") == std::string_view::npos) {
            return "pusta treść elementu TEXT";
        }
        std::size_t i = 0;
        while (i < content.size()) {
            const char c = content[i];
            std::string problem;
            std::size_t length = 1;
            if (c == '<') {
                const Tag tag = ReadTag(content.substr(i));
                length = tag.length;
                problem = tag.length == 0 ? "znak < w tekście musi być zapisany jako &lt;"
                                          : CheckTag(tag);
            } else if (c == '&') {
                length = EntityLength(content.substr(i));
                problem =
                    length == 0 ? "znak & w tekście musi być zapisany jako &amp;" : CheckText();
            } else if (c == '>') {
                problem = "znak > w tekście musi być zapisany jako &gt;";
            } else {
                length = TextSpanLength(content.substr(i));
                if (content.substr(i, length).find_first_not_of(" \t\n\r\f") !=
                    std::string_view::npos) {
                    problem = CheckText();
                }
            }
            if (!problem.empty()) {
                return problem;
            }
            i += length;
        }
        return open_.empty() ? "" : "element " + Quoted(open_.back()) + " nie jest zamknięty";
    }

  private:
    std::string_view Parent() const {
        return open_.empty() ? std::string_view{} : std::string_view(open_.back());
    }

    std::string CheckText() const {
        if (HoldsText(Parent())) {
            return "";
        }
        return Parent().empty() ? "tekst poza elementem (musi stać w <p>, <h1>, <h2> lub <li>)"
                                : "tekst bezpośrednio w " + Quoted(Parent());
    }

    std::string CheckTag(const Tag& tag) {
        if (!IsSubsetElement(tag.name)) {
            return "niedozwolony element " + Quoted(tag.name);
        }
        if (tag.hasAttributes) {
            return "element " + Quoted(tag.name) + " ma atrybuty, a Allegro nie przyjmuje żadnych";
        }
        if (tag.closing) {
            if (Parent() != tag.name) {
                return "zamknięcie " + Quoted(tag.name, true) + " bez otwarcia";
            }
            open_.pop_back();
            return "";
        }
        if (!MayHold(Parent(), tag.name)) {
            return "element " + Quoted(tag.name) + " nie może stać " +
                   (Parent().empty() ? std::string("na najwyższym poziomie")
                                     : "w " + Quoted(Parent()));
        }
        open_.push_back(tag.name);
        return "";
    }

    std::vector<std::string> open_;
};

// ---- The description object ---------------------------------------------------------------

std::string Place(std::size_t section, std::size_t item) {
    std::string place = "Sekcja " + std::to_string(section + 1);
    if (item != static_cast<std::size_t>(-1)) {
        place += ", element " + std::to_string(item + 1);
    }
    return place + ": ";
}

void CheckArrangement(const Section& section, std::size_t index, std::vector<Violation>& out) {
    const auto& items = section.items;
    const std::size_t none = static_cast<std::size_t>(-1);
    if (items.empty()) {
        out.push_back({Rule::Arrangement, Place(index, none) + "sekcja jest pusta"});
    } else if (items.size() > 2) {
        out.push_back(
            {Rule::Arrangement, Place(index, none) + "sekcja ma " +
                                    CountedNoun(items.size(), "element", "elementy", "elementów") +
                                    ", a może mieć najwyżej dwa"});
    } else if (items.size() == 2 && items[0].type == ItemType::Text &&
               items[1].type == ItemType::Text) {
        out.push_back({Rule::Arrangement,
                       Place(index, none) + "dwa elementy TEXT w jednej sekcji są niedozwolone"});
    }
}

void CheckItem(const Item& item, std::size_t section, std::size_t index,
               std::vector<Violation>& out) {
    if (item.type == ItemType::Image) {
        if (const std::string fault = AddressCharacterFault(item.content); !fault.empty()) {
            out.push_back(
                {Rule::PictureAddress, Place(section, index) + "adres zdjęcia ma " + fault});
        } else if (!IsUsableAddress(ClassifyAddress(item.content))) {
            out.push_back({Rule::PictureAddress, Place(section, index) + "adres zdjęcia „" +
                                                     item.content +
                                                     "” nie jest pełnym adresem https://"});
        }
        return;
    }
    const std::string problem = CheckTextContent(item.content);
    if (!problem.empty()) {
        out.push_back({Rule::Markup, Place(section, index) + problem});
    }
}

void AppendItemJson(std::string& out, const Item& item) {
    const bool image = item.type == ItemType::Image;
    out += image ? R"({"type":"IMAGE","url":)" : R"({"type":"TEXT","content":)";
    AppendJsonString(out, item.content);
    out += "}";
}

std::size_t JsonSizeEstimate(const Description& description) {
    std::size_t size = 32;
    for (const Section& section : description.sections) {
        size += 16;
        for (const Item& item : section.items) {
            size += item.content.size() + item.content.size() / 16 + 40;
        }
    }
    return size;
}

// ---- A description given as JSON ----------------------------------------------------------

// `strict`: no fields but the format's own (what is sent); otherwise other fields are
// passed over (what is read back from Allegro).
std::string JsonItemProblem(const Json& item, bool strict, Item& out) {
    if (!item.is_object() || !item.contains("type") || !item["type"].is_string()) {
        return "element nie jest obiektem z polem \"type\"";
    }
    const std::string type = item["type"].get<std::string>();
    const std::string_view key = type == kText ? "content" : "url";
    if (type != kText && type != kImage) {
        return "nieznany typ elementu \"" + type + "\" (dozwolone: TEXT, IMAGE)";
    }
    if (!item.contains(key) || !item[key].is_string()) {
        return "element " + type + " bez pola \"" + std::string(key) + "\"";
    }
    if (strict && item.size() != 2) {
        return "element " + type + " ma pola inne niż \"type\" i \"" + std::string(key) + "\"";
    }
    out.type = type == kText ? ItemType::Text : ItemType::Image;
    out.content = item[key].get<std::string>();
    return "";
}

std::string JsonSectionProblem(const Json& section, std::size_t index, bool strict, Section& out) {
    if (!section.is_object() || (strict && section.size() != 1) || !section.contains("items") ||
        !section["items"].is_array()) {
        return Place(index, static_cast<std::size_t>(-1)) +
               "sekcja musi być obiektem z samym polem \"items\" (tablicą)";
    }
    std::size_t itemIndex = 0;
    for (const Json& jsonItem : section["items"]) {
        Item item;
        const std::string problem = JsonItemProblem(jsonItem, strict, item);
        if (!problem.empty()) {
            return Place(index, itemIndex) + problem;
        }
        out.items.push_back(std::move(item));
        ++itemIndex;
    }
    return "";
}

Finding ErrorFinding(std::string message) {
    return Finding{Severity::Error, "", std::move(message)};
}

std::variant<Description, Finding> ParseDescriptionJson(std::string_view json, bool strict) {
    if (!JsonDepthWithin(json)) {
        return ErrorFinding("Opis jest zagnieżdżony głębiej niż na " +
                            CountedNoun(kMaxJsonDepth, "poziom", "poziomy", "poziomów") + ".");
    }
    const Json parsed = Json::parse(json, nullptr, false);
    if (parsed.is_discarded()) {
        return ErrorFinding("To nie jest poprawny JSON.");
    }
    if (!parsed.is_object() || (strict && parsed.size() != 1) || !parsed.contains("sections") ||
        !parsed["sections"].is_array()) {
        return ErrorFinding(strict ? "Opis musi być obiektem z samym polem \"sections\" (tablicą)."
                                   : "Opis musi być obiektem z polem \"sections\" (tablicą).");
    }
    Description description;
    std::size_t index = 0;
    for (const Json& jsonSection : parsed["sections"]) {
        Section section;
        std::string problem = JsonSectionProblem(jsonSection, index++, strict, section);
        if (!problem.empty()) {
            return ErrorFinding(std::move(problem));
        }
        description.sections.push_back(std::move(section));
    }
    return description;
}

}  // namespace

std::string FindingText(const Finding& finding) {
    if (finding.control.empty() || finding.namesInput) {
        return finding.message;
    }
    std::string text(InputLabel(finding.control));
    text += ": ";
    text += finding.message;
    return text;
}

std::string CheckTextContent(std::string_view content) {
    return ContentChecker().Check(content);
}

AddressKind ClassifyAddress(std::string_view address) {
    if (address.empty()) {
        return AddressKind::Empty;
    }
    if (!AddressCharacterFault(address).empty()) {
        return AddressKind::NotWeb;
    }
    const std::string lower = AsciiLower(address.substr(0, 8));
    const bool https = lower.starts_with("https://");
    const bool http = lower.starts_with("http://");
    if (https || http) {
        const std::string_view rest = address.substr(https ? 8 : 7);
        const std::size_t hostEnd = rest.find_first_of("/?#");
        const std::string_view host = rest.substr(0, hostEnd);
        if (host.find_first_not_of(":@.") == std::string_view::npos) {
            return AddressKind::NoHost;
        }
        return https ? AddressKind::Https : AddressKind::Http;
    }
    // A scheme is letters, digits, "+", "-" or "." before the first ":", starting with a letter.
    const std::size_t colon = address.find(':');
    const std::size_t schemeEnd = address.find_first_not_of(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.");
    const bool hasScheme = colon != std::string_view::npos && colon > 0 && schemeEnd == colon &&
                           IsAsciiLetter(address.front());
    return hasScheme ? AddressKind::NotWeb : AddressKind::Relative;
}

std::string AddressCharacterFault(std::string_view address) {
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ' ') {
            return "spacj\u0119, kt\u00F3r\u0105 w adresie zapisuje si\u0119 jako %20";
        }
        if (c == '"' || c == '<' || c == '>') {
            return std::string("znak \u201E") + c +
                   "\u201D, kt\u00F3rego adres nie mo\u017Ce "
                   "zawiera\u0107";
        }
        if (byte < 0x20 || byte == 0x7F) {
            return "znak steruj\u0105cy, kt\u00F3rego adres nie mo\u017Ce zawiera\u0107";
        }
    }
    return "";
}

std::vector<Violation> FindViolations(const Description& description) {
    return FindViolations(description, DescriptionToJson(description).size());
}

std::vector<Violation> FindViolations(const Description& description, std::size_t bytes) {
    std::vector<Violation> violations;
    const std::size_t sections = description.sections.size();
    if (sections == 0) {
        violations.push_back({Rule::SectionCount, "Opis nie ma żadnej sekcji."});
    } else if (sections > kMaxSections) {
        violations.push_back(
            {Rule::SectionCount, "Opis ma " + CountedNoun(sections, "sekcję", "sekcje", "sekcji") +
                                     ", a Allegro przyjmuje najwyżej " +
                                     std::to_string(kMaxSections) + "."});
    }
    for (std::size_t s = 0; s < sections; ++s) {
        const Section& section = description.sections[s];
        CheckArrangement(section, s, violations);
        for (std::size_t i = 0; i < section.items.size(); ++i) {
            CheckItem(section.items[i], s, i, violations);
        }
    }
    if (bytes > kMaxDescriptionBytes) {
        violations.push_back({Rule::Size, "Opis ma " +
                                              GroupedCountedNoun(bytes, "bajt", "bajty", "bajtów") +
                                              ", a Allegro przyjmuje najwyżej " +
                                              GroupedNumber(kMaxDescriptionBytes) + "."});
    }
    return violations;
}

std::string DescriptionToJson(const Description& description) {
    // Written by hand, in one reserved string: the description can be megabytes long.
    std::string out;
    out.reserve(JsonSizeEstimate(description));
    out += R"({"sections":[)";
    for (std::size_t s = 0; s < description.sections.size(); ++s) {
        out += s > 0 ? R"(,{"items":[)" : R"({"items":[)";
        const auto& items = description.sections[s].items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i > 0) {
                out += ",";
            }
            AppendItemJson(out, items[i]);
        }
        out += "]}";
    }
    out += "]}";
    return out;
}

std::vector<Finding> ValidateDescription(const Description& description) {
    std::vector<Finding> findings;
    for (Violation& violation : FindViolations(description)) {
        findings.push_back(ErrorFinding(std::move(violation.message)));
    }
    return findings;
}

std::vector<Finding> ValidateDescriptionJson(std::string_view json) {
    std::variant<Description, Finding> parsed = ParseDescriptionJson(json, true);
    if (Finding* problem = std::get_if<Finding>(&parsed)) {
        return {std::move(*problem)};
    }
    return ValidateDescription(std::get<Description>(parsed));
}

std::variant<Description, Finding> DescriptionFromJson(std::string_view utf8Json) {
    return ParseDescriptionJson(utf8Json, false);
}

std::size_t TitleLength(std::string_view utf8Title) {
    std::size_t length = 0;
    for (const char c : utf8Title) {
        switch (c) {
            case '&':
                length += 5;
                break;
            case '<':
            case '>':
                length += 4;
                break;
            case '"':
                length += 6;
                break;
            default:
                // Each character counts once: at its first byte, not at its continuation bytes.
                if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                    ++length;
                }
        }
    }
    return length;
}

}  // namespace licytek::structured
