// An offer pulled into the form and exported again gives back its description: checked as a
// property over a generated corpus, with the expected export written from the rules, not
// from the code.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "StructuredTestSupport.h"
#include "structured/AllegroExport.h"
#include "structured/OfferToForm.h"

namespace licytek::structured {
namespace {

// A text as given to the pull and as the export writes it back.
struct Spelled {
    std::string given;
    std::string back;
};

// Texts as sellers write them: escapes, other spellings, text outside Windows-1250 and
// paragraph starts that look like typed list lines.
const std::vector<Spelled> kTexts = {
    {"Rower", "Rower"},
    {"zażółć gęślą jaźń", "zażółć gęślą jaźń"},
    {"a &amp; b &lt;c&gt;", "a &amp; b &lt;c&gt;"},
    {"it&#39;s &quot;nowy&quot;", "it's \"nowy\""},
    {"cena&nbsp;10&nbsp;zł", "cena\u00A010\u00A0zł"},
    {"✔ gotowe 😀", "✔ gotowe 😀"},
    {"&#10004; &#x105;", "✔ ą"},
    {"Привет 中文 ñandú", "Привет 中文 ñandú"},
    {"€ 10  \n razy", "€ 10 razy"},
    {"&amp;#10004; zostaje", "&amp;#10004; zostaje"},
    {"dzwonek&#7;&#127;\x01", "dzwonek\x07\x7F\x01"},
};
const std::vector<Spelled> kListLikeStarts = {
    {"- myślnik", "- myślnik"}, {"1. numer", "1. numer"}, {"• kropka", "• kropka"}};

// A deterministic generator of TEXT items; mt19937's output is fixed by the standard.
class Generator {
  public:
    Spelled TextItem(bool startWithTitle) {
        Spelled item;
        if (startWithTitle) {
            // The offer's name as its first heading, spelled otherwise than the export does.
            Add(item, {"<h1>Rower  górski &#38; kask</h1>", "<h1>Rower górski &amp; kask</h1>"});
        }
        const std::size_t blocks = 1 + Pick(4);
        for (std::size_t i = 0; i < blocks; ++i) {
            Add(item, Block());
            if (Pick(3) == 0) {
                item.given += Pick(2) == 0 ? "\n" : " ";  // blanks between elements go
            }
        }
        return item;
    }

  private:
    std::size_t Pick(std::size_t n) { return random_() % n; }
    static void Add(Spelled& to, const Spelled& part) {
        to.given += part.given;
        to.back += part.back;
    }
    static Spelled Wrap(std::string_view tag, const Spelled& inner) {
        const std::string open = "<" + std::string(tag) + ">";
        const std::string close = "</" + std::string(tag) + ">";
        return {open + inner.given + close, open + inner.back + close};
    }
    Spelled Text() { return kTexts[Pick(kTexts.size())]; }

    // Plain and bold runs; the space between two runs belongs to the plain one, and bold
    // runs never touch (they would join).
    Spelled Runs() {
        Spelled runs = Pick(4) == 0 ? kListLikeStarts[Pick(kListLikeStarts.size())] : Text();
        const bool bold = Pick(2) == 0;
        if (bold) {
            runs = Wrap("b", runs);
        }
        if (Pick(2) == 0) {
            const Spelled more = Text();
            if (bold) {
                Add(runs, {" " + more.given, " " + more.back});
            } else if (Pick(2) == 0) {
                Add(runs, {"<b> " + more.given + "</b>", " <b>" + more.back + "</b>"});
            } else {
                Add(runs, {" <b>" + more.given + "</b> ", " <b>" + more.back + "</b> "});
                Add(runs, Text());
            }
        }
        return runs;
    }

    Spelled Block() {
        switch (Pick(6)) {
            case 0:
                return Wrap("h1", Text());
            case 1:
                return Wrap("h2", Text());
            case 2:
            case 3:
                return Wrap("p", Runs());
            default: {
                Spelled items;
                for (std::size_t i = 0, n = 1 + Pick(3); i < n; ++i) {
                    Add(items, Wrap("li", Runs()));
                }
                return Wrap(Pick(2) == 0 ? "ul" : "ol", items);
            }
        }
    }

    std::mt19937 random_{20};
};

constexpr std::string_view kName = "Rower górski & kask";
constexpr std::string_view kTitleHeading = "<h1>Rower górski &amp; kask</h1>";

void ExpectRoundTrip(std::string_view name, const Description& given, const Description& back) {
    ASSERT_EQ(ValidateDescription(given).size(), 0u) << DescriptionToJson(given);
    const auto pulled = PullOffer(name, given);
    ASSERT_TRUE(std::holds_alternative<PulledOffer>(pulled))
        << std::get<Finding>(pulled).message << "\n"
        << DescriptionToJson(given);
    AuctionForm form = testing::FormWith("stary", "stary opis");
    form.descriptionHeader = "podtytuł";
    PutIntoForm(std::get<PulledOffer>(pulled), form);
    // The export gives the description as written back, and no heading the offer lacked.
    EXPECT_EQ(DescriptionToJson(ExportAllegro(form).description), DescriptionToJson(back))
        << "given: " << DescriptionToJson(given) << "\nform:\n"
        << Cp1250ToUtf8(form.itemDescription);
}

// The five arrangements of a section.
const std::vector<std::string> kArrangements = {"T", "I", "TI", "IT", "II"};

// Sections of the given arrangements, as given and as written back.
std::pair<Description, Description> Sections(const std::vector<std::string>& arrangements,
                                             Generator& generator, bool titleFirst) {
    Description given;
    Description back;
    int picture = 0;
    for (const std::string& arrangement : arrangements) {
        given.sections.emplace_back();
        back.sections.emplace_back();
        for (const char type : arrangement) {
            Item item;
            Item backItem;
            if (type == 'I') {
                item = backItem = {ItemType::Image,
                                   "https://x.pl/" + std::to_string(++picture) + ".jpg?a=1&b=ż"};
            } else {
                const Spelled text = generator.TextItem(titleFirst && given.sections.size() == 1);
                item = {ItemType::Text, text.given};
                backItem = {ItemType::Text, text.back};
            }
            given.sections.back().items.push_back(item);
            back.sections.back().items.push_back(backItem);
        }
    }
    return {given, back};
}

TEST(OfferToFormTest, EveryArrangementAndElementComesBackFromTheForm) {
    Generator generator;
    // Every run of three arrangements, so every arrangement follows every other one, with the
    // title heading at the start, without it, and without a name.
    for (const std::string& a : kArrangements) {
        for (const std::string& b : kArrangements) {
            for (const std::string& c : kArrangements) {
                for (const int variant : {0, 1, 2}) {
                    const bool titleFirst = variant == 0 && a.front() == 'T';
                    const auto [given, back] = Sections({a, b, c}, generator, titleFirst);
                    const std::string_view name = variant == 2 ? "" : kName;
                    ExpectRoundTrip(name, given, back);
                    ExpectRoundTrip(name, back, back);  // the export's spelling stays as it is
                }
            }
        }
    }
}

TEST(OfferToFormTest, DescriptionsAtAllegrosLimitsComeBackExactly) {
    Generator generator;
    std::vector<std::string> hundred;
    for (std::size_t i = 0; i < kMaxSections; ++i) {
        hundred.push_back(kArrangements[(i * 7) % kArrangements.size()]);
    }
    hundred.front() = "T";
    auto [given, back] = Sections(hundred, generator, true);
    ExpectRoundTrip(kName, given, back);

    // 40,000 bytes exactly, already in the export's spelling: the export is the same, byte
    // for byte, and Allegro takes it.
    const std::string start = std::string(kTitleHeading) + "<p>😀 ✔ Привет ";
    Description full{{Section{{Item{ItemType::Text, start + "</p>"}}}}};
    full.sections[0].items[0].content.insert(
        start.size(), kMaxDescriptionBytes - DescriptionToJson(full).size(), 'x');
    ASSERT_EQ(DescriptionToJson(full).size(), kMaxDescriptionBytes);
    ExpectRoundTrip(kName, full, full);
    AuctionForm form;
    PutIntoForm(std::get<PulledOffer>(PullOffer(kName, full)), form);
    EXPECT_FALSE(ExportAllegro(form).HasErrors());
}

TEST(OfferToFormTest, FormHoldsTheLeastMarkupThatReadsBack) {
    const Description description{{
        Section{{Item{ItemType::Text, "<h1>Rower</h1><p>Nowy ✔</p><p>- nie lista</p>"},
                 Item{ItemType::Image, "https://x.pl/a.jpg?a=1&b=2"}}},
        Section{{Item{ItemType::Image, "https://x.pl/b.jpg"}}},
        Section{{Item{ItemType::Text, "<ul><li><b>- a</b> b</li></ul>"}}},
        Section{{Item{ItemType::Text, "<p><b>1. pierwszy</b></p>"}}},
    }};
    const auto pulled = PullOffer("Rower", description);
    ASSERT_TRUE(std::holds_alternative<PulledOffer>(pulled));
    EXPECT_EQ(std::get<PulledOffer>(pulled).title, "Rower");
    EXPECT_EQ(Cp1250ToUtf8(std::get<PulledOffer>(pulled).description),
              "<p>Nowy &#10004;</p>\r\n<p>-<!----> nie lista</p>\r\n"
              "<img src=\"https://x.pl/a.jpg?a=1&amp;b=2\">\r\n"
              "<img src=\"https://x.pl/b.jpg\">\r\n<hr>\r\n<ul><li><b>- a</b> b</li></ul>\r\n"
              "<hr>\r\n<p><b>1<!---->. pierwszy</b></p>");
}

TEST(OfferToFormTest, WhatTheFormCannotHoldIsRefusedNamingTheInput) {
    const Description plain{{Section{{Item{ItemType::Text, "<p>Opis</p>"}}}}};
    const auto title = PullOffer("Rower \u0085", plain);  // &#133; reads as "…"
    ASSERT_TRUE(std::holds_alternative<Finding>(title));
    EXPECT_EQ(std::get<Finding>(title).control, "Edit2");
    EXPECT_NE(std::get<Finding>(title).message.find("„\u0085”"), std::string::npos);

    // U+0000 and C1 controls: a page reads &#0; and &#128;...&#159; as other characters.
    for (const std::string& content : {std::string("<p>a\xC2\x80</p>"),
                                       std::string("<p>a\0</p>", 9), std::string("<p>a</p><i>")}) {
        const auto pulled = PullOffer("Rower", {{Section{{Item{ItemType::Text, content}}}}});
        ASSERT_TRUE(std::holds_alternative<Finding>(pulled)) << content;
        EXPECT_EQ(std::get<Finding>(pulled).control, "Memo1");
    }
}

// Sending a pulled offer back never adds a title heading it did not have, even under another
// title; one that had it keeps it under the new title; a form made by hand gets it.
TEST(OfferToFormTest, TitleHeadingComesBackOnlyWhereTheOfferHadIt) {
    const auto exportAfterRenaming = [](std::string_view name, const Description& given) {
        AuctionForm form;
        PutIntoForm(std::get<PulledOffer>(PullOffer(name, given)), form);
        form.auctionHeader = testing::Cp1250("Nowy tytuł");
        return DescriptionToJson(ExportAllegro(form).description);
    };
    const Description otherHeading{{Section{{{ItemType::Text, "<h1>Inny</h1><p>Opis</p>"}}}}};
    const Description picture{{Section{{{ItemType::Image, "https://a.allegroimg.com/s/1.jpg"}}}}};
    for (const Description& given : {otherHeading, picture}) {
        EXPECT_EQ(exportAfterRenaming("Rower", given), DescriptionToJson(given));
    }
    EXPECT_EQ(exportAfterRenaming("Inny", otherHeading),
              DescriptionToJson({{Section{{{ItemType::Text, "<h1>Nowy tytuł</h1><p>Opis</p>"}}}}}));
    EXPECT_EQ(
        ExportAllegro(testing::FormWith("Rower", "Opis")).description.sections[0].items[0].content,
        "<h1>Rower</h1><p>Opis</p>");
    EXPECT_EQ(Cp1250ToUtf8(std::get<PulledOffer>(PullOffer("Rower", otherHeading)).description),
              "<!-- bez nagłówka -->\r\n<h1>Inny</h1>\r\n<p>Opis</p>");
}

// A title with characters outside Windows-1250 is pulled as references, which the export
// turns back into the same name and heading; a literal "&#" in it stays text.
TEST(OfferToFormTest, TitleKeepsWhatTheCodePageLacksAsReferences) {
    const std::string name = "Płytki 30 m² ½ à ñ &#65; 😀";
    const Description given{
        {Section{{{ItemType::Text, "<h1>Płytki 30 m² ½ à ñ &amp;#65; 😀</h1><p>Opis</p>"}}}}};
    const PulledOffer pulled = std::get<PulledOffer>(PullOffer(name, given));
    EXPECT_EQ(pulled.title,
              testing::Cp1250("Płytki 30 m&#178; &#189; &#224; &#241; &#38;#65; &#128512;"));
    AuctionForm form;
    PutIntoForm(pulled, form);
    const AllegroOffer offer = ExportAllegro(form);
    EXPECT_EQ(offer.name, name);
    EXPECT_EQ(DescriptionToJson(offer.description), DescriptionToJson(given));
}

TEST(OfferToFormTest, DescriptionIsReadFromAllegrosJson) {
    const auto read = DescriptionFromJson(
        R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</p>"},)"
        R"({"type":"IMAGE","url":"https://x.pl/a.jpg","id":"7"}]}],"extra":1})");
    ASSERT_TRUE(std::holds_alternative<Description>(read));
    EXPECT_EQ(DescriptionToJson(std::get<Description>(read)),
              R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</p>"},)"
              R"({"type":"IMAGE","url":"https://x.pl/a.jpg"}]}]})");
    for (const std::string_view bad :
         {"{", R"({"sections":{}})", R"({"sections":[{"items":[{"type":"VIDEO","url":"x"}]}]})"}) {
        EXPECT_TRUE(std::holds_alternative<Finding>(DescriptionFromJson(bad))) << bad;
    }
}

}  // namespace
}  // namespace licytek::structured
