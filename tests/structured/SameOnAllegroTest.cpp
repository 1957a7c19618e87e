// What decides that an offer is sent nothing or refused before anything is sent: two
// descriptions that show the same on Allegro whatever their spelling, and the title rules.
#include <gtest/gtest.h>

#include "structured/SameOnAllegro.h"
#include "structured/TitleRules.h"

namespace licytek::structured {
namespace {

TEST(SameOnAllegroTest, SpellingDoesNotCountButWhatShowsDoes) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"<p><b>a</b> <b>b</b></p>", "<p><b>a b</b></p>", true},
        {"<ul><li>jeden </li></ul>", "<ul><li>jeden</li></ul>", true},
        {"<p>it&#39;s  x</p>\n<p><b>a </b>b</p>", "<p>it's x</p><p><b>a</b> b</p>", true},
        {"<p><b>a</b> b</p>", "<p><b>a b</b></p>", false},
        {"<p>a b</p>", "<p>a&nbsp;b</p>", false},
        {"<p>a</p><p>b</p>", "<p>a b</p>", false},
        {"<ul><li>a</li><li>b</li></ul>", "<ul><li>a b</li></ul>", false},
        {"<ul><li>a</li></ul>", "<ol><li>a</li></ol>", false},
    };
    for (const auto& [a, b, same] : cases) {
        EXPECT_EQ(
            ShowsTheSame({{Section{{{ItemType::Text, a}}}}}, {{Section{{{ItemType::Text, b}}}}}),
            same)
            << a << " / " << b;
    }
    // Sections, items and pictures count as they stand.
    const Item text{ItemType::Text, "<p>a</p>"};
    const Item picture{ItemType::Image, "https://a.allegroimg.com/s/1.jpg"};
    const Description together{{Section{{text, picture}}}};
    EXPECT_FALSE(ShowsTheSame(together, {{Section{{text}}, Section{{picture}}}}));
    EXPECT_FALSE(ShowsTheSame(together, {{Section{{picture, text}}}}));
    EXPECT_FALSE(ShowsTheSame(together, {{Section{{text, {ItemType::Image, "https://x.pl/1"}}}}}));
}

TEST(SameOnAllegroTest, TitleRulesRefuseShortFewWordedAndLongWordedTitles) {
    EXPECT_EQ(TitleRefusal("Ab cd ef ghij"), std::nullopt);  // 13 characters, 4 words
    EXPECT_EQ(TitleRefusal("Zestaw " + std::string(30, 'x') + " nowy"), std::nullopt);
    EXPECT_EQ(TitleRefusal("Rower ą ęśł"),  // 11 characters in 15 bytes
              "Tytuł „Rower ą ęśł” ma 11 znaków, a Allegro przyjmuje tytuł od 12 znaków.");
    EXPECT_EQ(TitleRefusal("Rower górski"),
              "Tytuł „Rower górski” ma 2 słowa, a Allegro przyjmuje tytuł od 3 słów.");
    EXPECT_EQ(TitleRefusal("Zestaw " + std::string(31, 'y') + " nowy"),
              "Słowo „" + std::string(31, 'y') +
                  "” w tytule ma 31 znaków, a Allegro przyjmuje słowa najwyżej 30-znakowe.");
}

}  // namespace
}  // namespace licytek::structured
