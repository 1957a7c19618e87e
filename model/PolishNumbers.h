// Numbers in the seller's Polish messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace licytek {

// "40 000": groups of three digits set apart by a space, as Polish writes numbers.
std::string GroupedNumber(std::size_t number);

// The form of a noun that Polish needs after the number `count`: one (1 only: "element"), a
// few (ending in 2-4 but not 12-14: 3, 22, 104 "elementy"), or many (0, 5-21, 25, 112, 1001
// "elementów"). The one rule of plurals that every count of the programs goes through.
std::string_view PluralNoun(std::size_t count, std::string_view one, std::string_view few,
                            std::string_view many);

// The number and the noun in the form Polish needs after it: "1 element", "3 elementy",
// "5 elementów". The forms are UTF-8.
std::string CountedNoun(std::size_t count, std::string_view one, std::string_view few,
                        std::string_view many);

// The same with the digits grouped, for sizes and other large counts: "40 002 bajty".
std::string GroupedCountedNoun(std::size_t count, std::string_view one, std::string_view few,
                               std::string_view many);

// "2 z 5 ofert": a part of a total. After "z" the noun is in the genitive and agrees with the
// total alone, singular for one ("1 z 1 oferty") and plural for any other ("0 z 2 ofert",
// "3 z 22 ofert", "1 z 21 ofert"), whatever the part is.
std::string CountOutOf(std::size_t part, std::size_t total, std::string_view genitiveOne,
                       std::string_view genitiveMany);

}  // namespace licytek
