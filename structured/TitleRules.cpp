#include "structured/TitleRules.h"

#include <algorithm>
#include <vector>

#include "model/PolishNumbers.h"
#include "model/Utf8.h"

namespace licytek::structured {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\f\v";
    std::vector<std::string_view> words;
    for (std::size_t start = text.find_first_not_of(kBlanks); start != std::string_view::npos;) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(kBlanks, end);
    }
    return words;
}

}  // namespace

std::optional<std::string> TitleRefusal(std::string_view utf8Title) {
    const std::string quoted = "„" + std::string(utf8Title) + "”";
    const std::size_t characters = Utf8CharacterCount(utf8Title);
    if (characters < kMinTitleCharacters) {
        return "Tytuł " + quoted + " ma " + CountedNoun(characters, "znak", "znaki", "znaków") +
               ", a Allegro przyjmuje tytuł od " + std::to_string(kMinTitleCharacters) + " znaków.";
    }
    const std::vector<std::string_view> words = Words(utf8Title);
    if (words.size() < kMinTitleWords) {
        return "Tytuł " + quoted + " ma " + CountedNoun(words.size(), "słowo", "słowa", "słów") +
               ", a Allegro przyjmuje tytuł od " + std::to_string(kMinTitleWords) + " słów.";
    }
    for (const std::string_view word : words) {
        if (const std::size_t length = Utf8CharacterCount(word); length > kMaxTitleWordCharacters) {
            return "Słowo „" + std::string(word) + "” w tytule ma " +
                   CountedNoun(length, "znak", "znaki", "znaków") +
                   ", a Allegro przyjmuje słowa najwyżej " +
                   std::to_string(kMaxTitleWordCharacters) + "-znakowe.";
        }
    }
    return std::nullopt;
}

}  // namespace licytek::structured
