// Numbers in the seller's Polish messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace licytek {

// "40 000": groups of three digits set apart by a space, as Polish writes numbers.
std::string GroupedNumber(std::size_t number);

// The number and the noun in the form Polish needs after it: one ("1 element"), a few
// (2-4 but not 12-14: "3 elementy"), or many ("5 elementów"). The forms are UTF-8.
std::string CountedNoun(std::size_t count, std::string_view one, std::string_view few,
                        std::string_view many);

}  // namespace licytek
