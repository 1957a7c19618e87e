// The validator refuses each kind of description Allegro would refuse, given as a value or
// as JSON, and takes the ones it would take.
#include <gtest/gtest.h>

#include "structured/Description.h"
#include "structured/Validation.h"

namespace licytek::structured {
namespace {

Item Text(std::string content) {
    return {ItemType::Text, std::move(content)};
}
Item Image(std::string url) {
    return {ItemType::Image, std::move(url)};
}

Description Of(std::vector<Section> sections) {
    return Description{std::move(sections)};
}

// The one message of refusing a description whose one TEXT item holds `content`.
std::string RefusalOfText(std::string content) {
    const auto findings = ValidateDescription(Of({{{Text(std::move(content))}}}));
    return findings.size() == 1 ? findings[0].message : "(" + std::to_string(findings.size()) + ")";
}

TEST(ValidatorTest, TakesEveryArrangementAndTheWholeSubset) {
    const Item text = Text(
        "<h1>T</h1><h2>a &amp; b</h2><p>x <b>y</b> &lt;&gt;&quot;&#261;&#x105;"
        "&nbsp;</p>\n<ul><li>a<b>b</b></li> <li></li></ul><ol><li>c</li></ol>");
    const Item image = Image("https://x.pl/a.jpg");
    EXPECT_TRUE(ValidateDescription(Of({{{text}},
                                        {{image}},
                                        {{image, text}},
                                        {{text, image}},
                                        {{image, Image("http://x.pl/b.jpg")}}}))
                    .empty());
}

TEST(ValidatorTest, RefusesBadSectionsAndArrangements) {
    EXPECT_EQ(ValidateDescription(Of({})).size(), 1u);
    EXPECT_EQ(ValidateDescription(Of(std::vector<Section>(101, {{Text("<p>a</p>")}}))).size(), 1u);
    EXPECT_TRUE(ValidateDescription(Of(std::vector<Section>(100, {{Text("<p>a</p>")}}))).empty());
    EXPECT_EQ(ValidateDescription(Of({{{}}})).size(), 1u);
    EXPECT_EQ(ValidateDescription(Of({{{Text("<p>a</p>"), Text("<p>b</p>")}}})).size(), 1u);
    const Item image = Image("https://x/a.jpg");
    EXPECT_EQ(ValidateDescription(Of({{{image, image, image}}})).size(), 1u);
}

TEST(ValidatorTest, RefusesElementsAttributesAndNestingOutsideTheSubset) {
    EXPECT_NE(RefusalOfText("<p>a<br>b</p>").find("<br>"), std::string::npos);
    for (const char* content :
         {"<p><strong>a</strong></p>", "<p><i>a</i></p>", "<div>a</div>", "<p><a>a</a></p>",
          "<table></table>", "<p><span>a</span></p>", "<p><img></p>", "<p><u>a</u></p>"}) {
        EXPECT_NE(RefusalOfText(content).find("niedozwolony element"), std::string::npos)
            << content;
    }
    EXPECT_NE(RefusalOfText("<p class=\"x\">a</p>").find("atrybuty"), std::string::npos);
    EXPECT_NE(RefusalOfText("<p >a</p>").find("atrybuty"), std::string::npos);
    for (const char* content : {"<b>a</b>", "<li>a</li>", "<p><b><b>a</b></b></p>",
                                "<h1><b>a</b></h1>", "<ul><p>a</p></ul>", "<p><p>a</p></p>",
                                "<p><ul><li>a</li></ul></p>", "<ul><li><ul></ul></li></ul>"}) {
        EXPECT_NE(RefusalOfText(content).find("nie może stać"), std::string::npos) << content;
    }
    EXPECT_NE(RefusalOfText("a<p>b</p>").find("tekst poza elementem"), std::string::npos);
    EXPECT_NE(RefusalOfText("<ul>a<li>b</li></ul>").find("tekst bezpośrednio w <ul>"),
              std::string::npos);
    EXPECT_NE(RefusalOfText("<p>a").find("nie jest zamknięty"), std::string::npos);
    EXPECT_NE(RefusalOfText("<p>a</b></p>").find("bez otwarcia"), std::string::npos);
    EXPECT_NE(RefusalOfText(" \n").find("pusta"), std::string::npos);
}

TEST(ValidatorTest, RefusesUnescapedCharactersAndBadReferences) {
    for (const char* content : {"<p>Tom & Jerry</p>", "<p>&amp</p>", "<p>&foo;</p>", "<p>&#0;</p>",
                                "<p>&#xD800;</p>", "<p>&#1114112;</p>", "<p>&#;</p>"}) {
        EXPECT_NE(RefusalOfText(content).find("&amp;"), std::string::npos) << content;
    }
    EXPECT_NE(RefusalOfText("<p>1 < 2</p>").find("&lt;"), std::string::npos);
    EXPECT_NE(RefusalOfText("<p>a<</p>").find("&lt;"), std::string::npos);
    EXPECT_NE(RefusalOfText("<p>2 > 1</p>").find("&gt;"), std::string::npos);
}

TEST(ValidatorTest, RefusesPictureAddressesThatAreNotAbsoluteWebAddresses) {
    for (const char* url : {"", "http://", "https://", "zdjecie.jpg", "/img/a.jpg", "//x.pl/a.jpg",
                            "file:///C:/a.jpg", "data:image/png;base64,AA", "https://x/a b.jpg"}) {
        EXPECT_EQ(ValidateDescription(Of({{{Image(url)}}})).size(), 1u) << url;
    }
}

TEST(ValidatorTest, NamesTheCharactersNoAddressHolds) {
    EXPECT_EQ(AddressCharacterFault("https://x/a b.jpg"),
              "spację, którą w adresie zapisuje się jako %20");
    EXPECT_EQ(AddressCharacterFault("https://x/a\"b.jpg"),
              "znak „\"”, którego adres nie może zawierać");
    EXPECT_EQ(AddressCharacterFault("https://x/<b>.jpg"),
              "znak „<”, którego adres nie może zawierać");
    EXPECT_EQ(AddressCharacterFault("https://x/a\x1B.jpg"),
              "znak sterujący, którego adres nie może zawierać");
    EXPECT_EQ(AddressCharacterFault("https://x/a%20b.jpg?x=1&y=%3C"), "");
    for (const char* url : {"https://x/a>b.jpg", "https://x/a\x7F.jpg"}) {
        EXPECT_EQ(ClassifyAddress(url), AddressKind::NotWeb) << url;
    }
    const auto violations = ValidateDescription(Of({{{Image("https://x/a b.jpg")}}}));
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_NE(violations[0].message.find("%20"), std::string::npos) << violations[0].message;
}

TEST(ValidatorTest, RefusesADescriptionOverFortyThousandBytes) {
    const std::string fixed = DescriptionToJson(Of({{{Text("<p></p>")}}}));
    const std::string fits(40000 - fixed.size(), 'x');
    EXPECT_TRUE(ValidateDescription(Of({{{Text("<p>" + fits + "</p>")}}})).empty());
    const auto over = ValidateDescription(Of({{{Text("<p>" + fits + "x</p>")}}}));
    ASSERT_EQ(over.size(), 1u);
    EXPECT_NE(over[0].message.find("40 001"), std::string::npos);
    // Bytes of UTF-8, not characters: "ą" is two.
    std::string polish;
    for (std::size_t i = 0; i < (40000 - fixed.size()) / 2 + 1; ++i) {
        polish += "ą";
    }
    EXPECT_FALSE(ValidateDescription(Of({{{Text("<p>" + polish + "</p>")}}})).empty());
}

TEST(ValidatorTest, JsonDescriptionIsCheckedForItsShapeAndThenItsRules) {
    EXPECT_TRUE(
        ValidateDescriptionJson(R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</p>"},)"
                                R"({"type":"IMAGE","url":"https://x/a.jpg"}]}]})")
            .empty());
    for (const char* json :
         {"", "[]", "{\"sections\":{}}", "{\"sections\":[],\"x\":1}", "{\"sections\":[1]}",
          R"({"sections":[{"items":[{"type":"VIDEO","url":"https://x"}]}]})",
          R"({"sections":[{"items":[{"type":"TEXT"}]}]})",
          R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</p>","x":1}]}]})",
          R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</br></p>"}]}]})",
          R"({"sections":[]})"}) {
        EXPECT_EQ(ValidateDescriptionJson(json).size(), 1u) << json;
    }
}

TEST(ValidatorTest, TitleLengthCountsCharactersAndTheEscapedOnesAsAllegroDoes) {
    EXPECT_EQ(TitleLength("Rower"), 5u);
    EXPECT_EQ(TitleLength("Żółw"), 4u);
    EXPECT_EQ(TitleLength("a&b"), 7u);
    EXPECT_EQ(TitleLength("<>"), 8u);
    EXPECT_EQ(TitleLength("\"x\""), 13u);
}

}  // namespace
}  // namespace licytek::structured
