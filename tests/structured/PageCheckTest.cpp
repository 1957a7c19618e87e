#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "structured/PageCheck.h"

namespace licytek::structured {
namespace {

constexpr PageTargets kAllegroOnly{true, false};
constexpr PageTargets kEbayOnly{false, true};
constexpr std::string_view kMobileSnippet =
    "<div vocab=\"https://schema.org/\" typeof=\"Product\"><span property=\"description\">"
    "Rower</span></div>";

// "LINE:COL SUBJECT" for each finding, with "(warning)" or the count when it matters.
std::vector<std::string> Placed(const std::vector<PageFinding>& findings) {
    std::vector<std::string> placed;
    for (const PageFinding& finding : findings) {
        std::string line = std::to_string(finding.line) + ":" + std::to_string(finding.column) +
                           " " + finding.subject;
        if (finding.severity == Severity::Warning) {
            line += " (warning)";
        }
        if (finding.count != 1) {
            line += " x" + std::to_string(finding.count);
        }
        placed.push_back(line);
    }
    return placed;
}

std::vector<std::string> Placed(std::string_view html, PageTargets targets) {
    return Placed(CheckPage(html, targets));
}

TEST(PageCheck, AllegroRefusesEveryElementOutsideTheSubsetAndEveryAttribute) {
    EXPECT_EQ(Placed("<h1>Rower</h1><h2>Stan</h2><p>Opis <b>nowy</b></p><ul><li>a</li></ul>"
                     "<ol><li>b</li></ol>",
                     kAllegroOnly),
              std::vector<std::string>{});
    // The parser adds html, head and body itself here; only what the page writes counts.
    EXPECT_EQ(
        Placed("<p align=center>x<br><font color=red>y</font></p><svg><rect/></svg>", kAllegroOnly),
        (std::vector<std::string>{"1:4 align", "1:18 br", "1:22 font", "1:28 color", "1:50 svg",
                                  "1:55 rect"}));
    // After three of one kind, one line sums up the rest at the first one left out.
    const auto findings = CheckPage("<i>1</i><i>2</i><i>3</i><i>4</i><i>5</i>", kAllegroOnly);
    EXPECT_EQ(Placed(findings),
              (std::vector<std::string>{"1:1 i", "1:9 i", "1:17 i", "1:25 i x2"}));
    EXPECT_NE(findings.back().message.find("2 elementy <i>"), std::string::npos);
    // The parser's copies of misnested formatting elements are not findings of their own;
    // an end tag it turns into an element is.
    EXPECT_EQ(Placed("<b><u>x</b>y</u><p><i>z<p>w</br>", kAllegroOnly),
              (std::vector<std::string>{"1:4 u", "1:20 i", "1:28 br"}));
}

TEST(PageCheck, EbayRefusesActiveContentAndPlainHttp) {
    const std::string page = std::string(kMobileSnippet) +
                             "<script>x()</script><body onload=\"go()\" ONCLICK=y>"
                             "<form action=\"https://a.pl\"><input name=q></form>"
                             "<iframe src=\"https://a.pl\"></iframe><object></object><embed>"
                             "<meta http-equiv=\" Refresh\" content=\"0\">"
                             "<meta http-equiv=\"content-type\" content=\"text/html\">"
                             "<img src=\" HTTP://a.pl/x.jpg\"><a href=\"https://a.pl\">s</a>"
                             "<table background=\"http://a.pl/t.gif\"><p style=\"background: "
                             "url( 'http://a.pl/b.gif')\">"
                             "<style>p{color:red} @import \"http://a.pl/s.css\";</style>";
    const std::vector<std::string> expected = {
        "1:98 script",   "1:124 onload",  "1:138 onclick", "1:148 form", "1:176 input",
        "1:197 iframe",  "1:233 object",  "1:250 embed",   "1:257 meta", "1:354 http://",
        "1:414 http://", "1:448 http://", "1:523 http://"};
    const auto findings = CheckPage(page, kEbayOnly);
    EXPECT_EQ(Placed(findings), expected);
    for (const PageFinding& finding : findings) {
        EXPECT_EQ(finding.target, Target::Ebay);
        EXPECT_EQ(finding.severity, Severity::Error);
    }
    EXPECT_NE(findings[9].message.find("HTTP://a.pl/x.jpg"), std::string::npos);

    // Without the mobile description the page is still taken, with a warning.
    EXPECT_EQ(Placed("<p>x</p>", kEbayOnly),
              std::vector<std::string>{"1:1 opis mobilny (warning)"});
}

TEST(PageCheck, PicturesOnTheSellersDiskNeedAWebAddress) {
    const std::string page = std::string(kMobileSnippet) +
                             "<img src=\"/home/x/a.jpg\"><img src=\"file:///C:/a.jpg\">"
                             "<img src=\"zdjecia/a.jpg\"><img src=\"C:\\foto\\a.jpg\">"
                             "<img src=\"https://x.pl/a.jpg\"><img src=\"/img/a.jpg\">";
    const auto findings = CheckPage(page, kEbayOnly);
    std::vector<std::string> messages;
    for (const PageFinding& finding : findings) {
        messages.push_back(finding.message);
    }
    const std::string end =
        "” to plik na dysku: strona aukcji potrzebuje adresu internetowego "
        "https://";
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "zdjęcie „/home/x/a.jpg" + end, "zdjęcie „file:///C:/a.jpg" + end,
                            "zdjęcie „zdjecia/a.jpg" + end, "zdjęcie „C:\\foto\\a.jpg" + end}));
}

TEST(PageCheck, PagePastTheParsersLimitsIsOneErrorNamingTheLimit) {
    std::string deep;
    for (int i = 0; i < 1001; ++i) {
        deep += "<div>";
    }
    const auto findings = CheckPage(deep);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message, "Strona ma znaczniki zagnieżdżone głębiej niż 1 000 poziomów.");
    EXPECT_EQ(findings[0].severity, Severity::Error);
}

TEST(PageCheck, EbayTakesAtMostHalfAMillionCharacters) {
    // Two-byte characters: the limit counts characters, not bytes.
    std::string page(kMobileSnippet);
    for (std::size_t characters = page.size(); characters < 500000; ++characters) {
        page += "\xC4\x85";  // "ą"
    }
    EXPECT_EQ(Placed(page, kEbayOnly), std::vector<std::string>{});
    page += "xy";
    const auto findings = CheckPage(page, kEbayOnly);
    EXPECT_EQ(Placed(findings), std::vector<std::string>{"1:500001 rozmiar strony"});
    EXPECT_NE(findings[0].message.find("500 002 znak"), std::string::npos);
}

TEST(PageCheck, ColumnsCountCharactersOfTheLineWithATabAsOne) {
    const std::string page =
        "<p>\t\xC5\xBC\xC3\xB3\xC5\x82w\r\n"          // "żółw" in UTF-8, then CR LF
        "\t\xE2\x82\xAC <i\tid=a>\xF0\x9F\x9A\xB2\r"  // "€" and a four-byte emoji, lone CR
        "\n\n  <u>";                                  // LF after the lone CR makes one break
    EXPECT_EQ(Placed(page, kAllegroOnly), (std::vector<std::string>{"2:4 i", "2:7 id", "4:3 u"}));
    const std::string css = "<style>\np {}\n\tb{background:url(http://a.pl/\xC5\xBC.png)}</style>";
    EXPECT_EQ(Placed(css, kEbayOnly),
              (std::vector<std::string>{"1:1 opis mobilny (warning)", "3:19 http://"}));
}

TEST(PageCheck, CountsEveryPlaceASummingUpLineStandsFor) {
    // Allegro: three <i> alone, one line for two more, the script; eBay: the script, and a
    // warning for the missing mobile description.
    const auto findings = CheckPage("<i>1</i><i>2</i><i>3</i><i>4</i><i>5</i><script>x()</script>");
    ASSERT_EQ(findings.size(), 7u);
    const PageCounts counts = CountPageFindings(findings);
    EXPECT_EQ(counts.errors, 7u);
    EXPECT_EQ(counts.allegroErrors, 6u);
    EXPECT_EQ(counts.ebayErrors, 1u);
    EXPECT_EQ(counts.warnings, 1u);
}

}  // namespace
}  // namespace licytek::structured
