#include "model/PolishNumbers.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace licytek {
namespace {

// Polish counts, written out by hand: the "few" form only for numbers ending in 2-4 that do
// not end in 12-14, the "one" form for 1 alone; and after "z" the total alone decides.
TEST(PolishNumbers, CountsTakeTheFormPolishNeeds) {
    const struct {
        std::size_t count;
        const char* counted;
    } kCounts[] = {
        {0, "0 ofert"},      {1, "1 oferta"},    {2, "2 oferty"},    {4, "4 oferty"},
        {5, "5 ofert"},      {11, "11 ofert"},   {12, "12 ofert"},   {13, "13 ofert"},
        {14, "14 ofert"},    {21, "21 ofert"},   {22, "22 oferty"},  {23, "23 oferty"},
        {24, "24 oferty"},   {25, "25 ofert"},   {101, "101 ofert"}, {102, "102 oferty"},
        {111, "111 ofert"},  {112, "112 ofert"}, {113, "113 ofert"}, {114, "114 ofert"},
        {122, "122 oferty"},
    };
    for (const auto& [count, counted] : kCounts) {
        EXPECT_EQ(CountedNoun(count, "oferta", "oferty", "ofert"), counted) << count;
    }

    EXPECT_EQ(CountOutOf(1, 1, "oferty", "ofert"), "1 z 1 oferty");
    EXPECT_EQ(CountOutOf(0, 1, "oferty", "ofert"), "0 z 1 oferty");
    EXPECT_EQ(CountOutOf(1, 2, "oferty", "ofert"), "1 z 2 ofert");
    EXPECT_EQ(CountOutOf(2, 5, "oferty", "ofert"), "2 z 5 ofert");
    EXPECT_EQ(CountOutOf(21, 21, "oferty", "ofert"), "21 z 21 ofert");
    EXPECT_EQ(CountOutOf(3, 22, "wiersza", "wierszy"), "3 z 22 wierszy");

    EXPECT_EQ(GroupedCountedNoun(40002, "bajt", "bajty", "bajtów"), "40 002 bajty");
    EXPECT_EQ(GroupedCountedNoun(40012, "bajt", "bajty", "bajtów"), "40 012 bajtów");
}

}  // namespace
}  // namespace licytek
