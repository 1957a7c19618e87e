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

std::string CountedNoun(std::size_t count, std::string_view one, std::string_view few,
                        std::string_view many) {
    const std::size_t last = count % 10;
    const std::size_t lastTwo = count % 100;
    std::string_view noun = many;
    if (count == 1) {
        noun = one;
    } else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
        noun = few;
    }
    return std::to_string(count) + " " + std::string(noun);
}

}  // namespace licytek
