// What decides that an offer is sent nothing: two descriptions that show the same on Allegro
// whatever their spelling, and the title rules that refuse a title before anything is sent.
#include <gtest/gtest.h>

#include <string>

#include "structured/SameOnAllegro.h"
#include "structured/TitleRules.h"

namespace licytek::structured {
namespace {

Description OneText(std::string content) {
    return Description{{Section{{Item{ItemType::Text, std::move(content)}}}}};
}

TEST(SameOnAllegroTest, SpellingDoesNotCountButWhatShowsDoes) {
    struct Case {
        std::string a;
        std::string b;
        bool same;
    };
    const Case cases[] = {
        {"<p><b>a</b> <b>b</b></p>", "<p><b>a b</b></p>", true},
        {"<ul><li>jeden </li><li>dwa</li></ul>", "<ul><li>jeden</li><li>dwa</li></ul>", true},
        {"<p>it&#39;s  &quot;x&quot;</p>", "<p>it's \"x\"</p>", true},
        {"<p>a</p>\n<p>b</p>", "<p>a</p><p>b</p>", true},
        {"<p><b>a </b>b</p>", "<p><b>a</b> b</p>", true},
        {"<h1>Tytuł</h1>", "<h1> Tytuł</h1>", true},
        // Bold, another character, a non-breaking space, another element, another list
        // item, a block of another kind: each shows otherwise.
        {"<p><b>a</b> b</p>", "<p><b>a b</b></p>", false},
        {"<p>a</p>", "<p>ą</p>", false},
        {"<p>a b</p>", "<p>a&nbsp;b</p>", false},
        {"<p>a</p><p>b</p>", "<p>a b</p>", false},
        {"<ul><li>a</li><li>b</li></ul>", "<ul><li>a b</li></ul>", false},
        {"<ul><li>a</li></ul>", "<ol><li>a</li></ol>", false},
        {"<h1>a</h1>", "<h2>a</h2>", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShowsTheSame(OneText(c.a), OneText(c.b)), c.same) << c.a << " / " << c.b;
    }

    // Sections, items and pictures count as they stand.
    const Item text{ItemType::Text, "<p>a</p>"};
    const Item picture{ItemType::Image, "https://a.allegroimg.com/s/1.jpg"};
    const Description together{{Section{{text, picture}}}};
    EXPECT_TRUE(ShowsTheSame(together,
                             Description{{Section{{Item{ItemType::Text, "<p>a </p>"}, picture}}}}));
    EXPECT_FALSE(ShowsTheSame(together, Description{{Section{{text}}, Section{{picture}}}}));
    EXPECT_FALSE(ShowsTheSame(together, Description{{Section{{picture, text}}}}));
    EXPECT_FALSE(ShowsTheSame(
        together,
        Description{{Section{{text, Item{ItemType::Image, "https://a.allegroimg.com/s/2.jpg"}}}}}));
    EXPECT_FALSE(ShowsTheSame(together, Description{}));
}

TEST(SameOnAllegroTest, TitleRulesRefuseShortFewWordedAndLongWordedTitles) {
    EXPECT_EQ(TitleRefusal("Rower górski MTB"), std::nullopt);
    EXPECT_EQ(TitleRefusal("Ab cd ef ghij"), std::nullopt);  // 13 characters, 4 words
    EXPECT_EQ(TitleRefusal("Półka z drewna dębowego 30 m²"), std::nullopt);
    EXPECT_EQ(TitleRefusal("Zestaw " + std::string(30, 'x') + " nowy"), std::nullopt);

    EXPECT_EQ(TitleRefusal("Rower ą ęśł"),  // 11 characters, though 14 bytes
              "Tytuł „Rower ą ęśł” ma 11 znaków, a Allegro przyjmuje tytuł od 12 znaków.");
    EXPECT_EQ(TitleRefusal("Rower górski"),
              "Tytuł „Rower górski” ma 2 słowa, a Allegro przyjmuje tytuł od 3 słów.");
    EXPECT_EQ(TitleRefusal("Superrowerygórskie"),
              "Tytuł „Superrowerygórskie” ma 1 słowo, a Allegro przyjmuje tytuł od 3 słów.");
    const std::string word(31, 'y');
    EXPECT_EQ(TitleRefusal("Zestaw " + word + " nowy"),
              "Słowo „" + word +
                  "” w tytule ma 31 znaków, a Allegro przyjmuje słowa najwyżej 30-znakowe.");
}

}  // namespace
}  // namespace licytek::structured
