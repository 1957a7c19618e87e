// The structured description as Allegro takes it, the findings that explain what was left out
// or would be refused, and the one validator that holds every rule of the format.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace licytek::structured {

enum class Severity { Error, Warning, Note };

// Something the seller should know. An error means Allegro would refuse the description.
struct Finding {
    Severity severity = Severity::Warning;
    std::string control;  // the input it concerns ("Memo1", "Edit2"...), empty for the whole
    std::string message;  // Polish, UTF-8
    // The message names its input itself ("Telefon nie trafia do opisu…"): no label before it.
    bool namesInput = false;
};

// The finding as every front end words it: "Nagłówek aukcji: message", the input named by its
// label, or the message alone when it concerns the whole description or names its input
// itself. UTF-8.
std::string FindingText(const Finding& finding);

enum class ItemType { Text, Image };

struct Item {
    ItemType type = ItemType::Text;
    std::string content;  // UTF-8: a TEXT item's markup, or an IMAGE item's address
};

struct Section {
    std::vector<Item> items;
};

struct Description {
    std::vector<Section> sections;
};

inline constexpr std::size_t kMaxDescriptionBytes = 40000;
inline constexpr std::size_t kMaxSections = 100;
inline constexpr std::size_t kMaxOfferImages = 16;
inline constexpr std::size_t kMaxTitleLength = 75;

// {"sections":[{"items":[{"type":"TEXT","content":"..."}]}]}, compact UTF-8 JSON.
std::string DescriptionToJson(const Description& description);

// Every broken rule of the format (sections and their arrangements, elements, attributes,
// nesting, escaping, size), as error findings; empty when Allegro would take it.
std::vector<Finding> ValidateDescription(const Description& description);

// The same for a description object given as JSON text (UTF-8); a JSON that is not a
// description object at all gives one error saying so.
std::vector<Finding> ValidateDescriptionJson(std::string_view json);

// The description in a {"sections":[...]} object as Allegro gives it back (UTF-8 JSON), or
// an error finding when the JSON is no such object or holds an item of an unknown type.
// Fields other than the format's own are passed over; the rules are not checked here.
std::variant<Description, Finding> DescriptionFromJson(std::string_view utf8Json);

// The title's length as Allegro counts it: characters, with "&" as 5, "<" and ">" as 4 and
// "\"" as 6.
std::size_t TitleLength(std::string_view utf8Title);

}  // namespace licytek::structured
