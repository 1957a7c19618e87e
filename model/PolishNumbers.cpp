#include "model/PolishNumbers.h"

namespace licytek {

std::string GroupedNumber(std::size_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped.push_back(' ');
        }
        grouped.push_back(digits[i]);
    }
    return grouped;
}

std::string_view PluralNoun(std::size_t count, std::string_view one, std::string_view few,
                            std::string_view many) {
    const std::size_t last = count % 10;
    const std::size_t lastTwo = count % 100;
    if (count == 1) {
        return one;
    }
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
        return few;
    }
    return many;
}

std::string CountedNoun(std::size_t count, std::string_view one, std::string_view few,
                        std::string_view many) {
    return std::to_string(count) + " " + std::string(PluralNoun(count, one, few, many));
}

std::string GroupedCountedNoun(std::size_t count, std::string_view one, std::string_view few,
                               std::string_view many) {
    return GroupedNumber(count) + " " + std::string(PluralNoun(count, one, few, many));
}

std::string CountOutOf(std::size_t part, std::size_t total, std::string_view genitiveOne,
                       std::string_view genitiveMany) {
    return std::to_string(part) + " z " + std::to_string(total) + " " +
           std::string(total == 1 ? genitiveOne : genitiveMany);
}

}  // namespace licytek
