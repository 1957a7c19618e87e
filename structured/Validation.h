// The rules of the structured description, with the kind of each broken rule, so that the
// exporter can tell the limits it reports itself from a fault in what it wrote.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "structured/Description.h"

namespace licytek::structured {

enum class Rule {
    Size,          // over 40,000 bytes
    SectionCount,  // none, or over 100
    Arrangement,   // a section's items
    PictureAddress,
    Markup,  // a TEXT item's content
};

struct Violation {
    Rule rule;
    std::string message;  // Polish, UTF-8
};

std::vector<Violation> FindViolations(const Description& description);
// The same, for a description whose JSON is `jsonBytes` long.
std::vector<Violation> FindViolations(const Description& description, std::size_t jsonBytes);

// The first broken rule of a TEXT item's content, or an empty text when it holds to the
// subset (elements, no attributes, nesting, escaping).
std::string CheckTextContent(std::string_view content);

enum class AddressKind {
    Https,
    Http,      // usable, but Allegro asks for https://
    Empty,     // nothing at all
    NoHost,    // "http://" or "https://" alone
    Relative,  // no scheme: a file name or a path
    NotWeb,    // another scheme (file:, data:, ftp: ...) or characters no address holds
};

AddressKind ClassifyAddress(std::string_view address);

// What in the address no web address may hold, as a Polish phrase to follow "adres ma"
// ("spację, którą w adresie zapisuje się jako %20"), or an empty text when its characters
// are sound.
std::string AddressCharacterFault(std::string_view address);

inline bool IsUsableAddress(AddressKind kind) {
    return kind == AddressKind::Https || kind == AddressKind::Http;
}

}  // namespace licytek::structured
