#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "GeneratorTestSupport.h"
#include "generator/Builders.h"

namespace licytek {
namespace {

using generator_test::Cat;
using generator_test::CountOf;
using generator_test::F;
using enum FragmentLine;
using generator_test::Render;

// The head for a form left at its defaults, as the seller gets it on a fresh start.
constexpr std::string_view kDefaultHead =
    R"(<Title></Title><META name="keywords" content=""><META name="description" content=""><STY)"
    R"(LE TYPE='text/css'>BODY{background-color:#FFFFFF;scrollbar-base-color:#000000;scrollbar-)"
    R"(track-color:#000000;scrollbar-face-color:#000000;}.nag {background-color:#000000;border:)"
    R"(0px;font-family: verdana;font-size: 12px;color:#FFFFFF;font-weight: bold;}.tabela {borde)"
    R"(r:2px #000000 solid;background:#FFFFFF;font-family: verdana;font-size: 13px;color:black;)"
    R"(text-align:justify;}A:LINK{color:#000000;}A:VISITED{color:#000000;}.navbar-background{ba)"
    R"(ckground:#000000;}.item-page {background:#000000;}.it-main {background:#000000;border-co)"
    R"(lor:#000000;border-width:1px;border-style:solid;}.it-td-r {background:#FFFFFF;}.it-td {b)"
    R"(ackground:#FFFFFF;}.headcolor-f{font-weight:bold;color:#ffffff;background:#000000;}.noco)"
    R"(lor-ltb-f {border-color:#000000;border-width:1px;border-style:solid;}.white{background:#)"
    R"(FFFFFF;}.table_info {background:#FFFFFF;border-color:#000000;border-width:1px;border-sty)"
    R"(le:solid;}.bid-win {background:#FFFFFF;}.bid-hist {background:#000000;}.bid-info-vdot{ba)"
    R"(ckground:#000000;}.bid-info-hdot{background:#000000;}</STYLE><body><center>)";

constexpr std::string_view kDefaultGradient =
    "; filter: progid:DXImageTransform.Microsoft.Gradient(startColorstr=#FFFFFF, "
    "endColorstr=#000000, GradientType=1)";

std::string Head(const AuctionForm& form) {
    return Render(BuildHead, form);
}

TEST(Head, DefaultFormGivesTheKnownHead) {
    const std::string head = Head(AuctionForm{});
    EXPECT_EQ(head.size(), 1131u);
    EXPECT_EQ(head, kDefaultHead);
}

TEST(Head, GradientAddsItsSuffixToFiveRules) {
    AuctionForm form;
    form.backgroundGradient = true;
    const std::string head = Head(form);
    EXPECT_EQ(head.size(), 1691u);
    EXPECT_EQ(CountOf(head, kDefaultGradient), 5u);
    for (std::string_view rule :
         {".navbar-background{background:#000000", ".it-td {background:#FFFFFF",
          ".white{background:#FFFFFF", ".table_info {background:#FFFFFF",
          ".bid-win {background:#FFFFFF"}) {
        EXPECT_NE(head.find(Cat({rule, kDefaultGradient})), std::string::npos) << rule;
    }
}

TEST(Head, TitleAndMetaTagsStandTwiceOnlyWhenFilled) {
    AuctionForm form;
    form.pageTitle = " ";
    form.keywords = "rower\r\ng\xF3rski";
    form.searchDescription = "<b>opis</b>";
    const std::string head = Head(form);
    EXPECT_TRUE(
        head.starts_with("<Title> </Title><META name=\"keywords\" content=\"rower\r\ng\xF3rski\">"
                         "<META name=\"description\" content=\"<b>opis</b>\">"));
    EXPECT_NE(
        head.find(Cat({"</STYLE><title> </title>", F(KeywordsMetaOpening), "rower\r\ng\xF3rski\">",
                       F(DescriptionMetaOpening), "<b>opis</b>\"><body><center>"})),
        std::string::npos);
}

TEST(Head, EachColourFillsItsOwnProperties) {
    AuctionForm form;
    form.pageBackground = "bg";
    form.borderColour = "EDGE";
    form.tableInteriorColour = "FILL";
    form.headerTextColour = "headtext";
    form.tableTextColour = "tabletext";
    form.activeLinkColour = "link";
    form.visitedLinkColour = "visited";
    const std::string head = Head(form);
    EXPECT_NE(head.find("BODY{background-color:bg;"), std::string::npos);
    EXPECT_NE(head.find("font-size: 12px;color:headtext;"), std::string::npos);
    EXPECT_NE(head.find("{border:2px EDGE solid;background:FILL;"), std::string::npos);
    EXPECT_NE(head.find("A:LINK{color:link;}A:VISITED{color:visited;}.navbar"), std::string::npos);
    EXPECT_EQ(CountOf(head, "EDGE"), 15u);  // 16 with the hover rule
    EXPECT_EQ(CountOf(head, "FILL"), 6u);
    EXPECT_EQ(CountOf(head, "tabletext"), 0u);
}

TEST(Head, HoverHighlightAddsTheHoverRule) {
    AuctionForm form;
    form.linkHighlight = true;
    EXPECT_NE(Head(form).find("A:VISITED{color:#000000;}A:Hover { text-decoration : none; "
                              "background :#000000;}.navbar-background"),
              std::string::npos);
}

TEST(Head, BackgroundPictureReplacesTheBackgroundColour) {
    AuctionForm form;
    form.backgroundPictureShown = true;
    form.pageBackground = "#ABCDEF";
    const std::string head = Head(form);
    EXPECT_NE(
        head.find(Cat({F(StyleBodyBackgroundPicture), "http://)", F(StyleScrollbarBaseColour)})),
        std::string::npos);
    EXPECT_EQ(head.find("#ABCDEF"), std::string::npos);
    EXPECT_EQ(head.find(F(StyleBodyBackgroundColour)), std::string::npos);
}

TEST(Head, BannerFollowsTheBodyStart) {
    AuctionForm form;
    form.bannerShown = true;
    form.bannerAddress = "http://x/b.png";
    EXPECT_TRUE(Head(form).ends_with(
        "<body><center><br><img src=\"http://x/b.png\" border=0><br><br><br>"));
}

TEST(Head, LocksStandBeforeTheStyleBlock) {
    AuctionForm form;
    form.descriptionLock = true;
    form.rightClickLock = true;
    const std::string head = Head(form);
    EXPECT_NE(head.find(Cat({"content=\"\">", F(CopyLockBody), F(RightClickMessageOpening),
                             "Blokada Prawego Przycisku Myszy", F(RightClickMessageClosing),
                             F(StyleBodyBackgroundColour)})),
              std::string::npos);
}

// The message sits between double quotes in a script: quotes, backslashes, line breaks and
// "</" must not end the string or the script early.
TEST(Head, RightClickMessageIsAProperScriptString) {
    struct Case {
        std::string_view message;
        std::string_view written;
    };
    const Case cases[] = {
        {"Nie kopiuj!", "Nie kopiuj!"},
        {"Powiedz \"nie\"", "Powiedz \\\"nie\\\""},
        {"C:\\dane", "C:\\\\dane"},
        {"a</script><b>x", "a\\x3C/script>\\x3Cb>x"},
        {"linia 1\r\nlinia 2", "linia 1\\r\\nlinia 2"},
        {"", ""},
    };
    for (const Case& c : cases) {
        AuctionForm form;
        form.rightClickLock = true;
        form.rightClickMessage = std::string(c.message);
        EXPECT_NE(Head(form).find(
                      Cat({F(RightClickMessageOpening), c.written, F(RightClickMessageClosing)})),
                  std::string::npos)
            << c.message;
    }
}

// The script string read back as a browser reads it: the escapes the message is written
// with, and nothing else. Fails on any other backslash sequence or on a raw quote or line
// break, which would end the string early.
std::optional<std::string> UnescapeScriptString(std::string_view literal) {
    std::string text;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        const char c = literal[i];
        if (c == '"' || c == '\r' || c == '\n') {
            return std::nullopt;
        }
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        if (++i == literal.size()) {
            return std::nullopt;
        }
        switch (literal[i]) {
            case '\\':
            case '"':
                text.push_back(literal[i]);
                break;
            case 'r':
                text.push_back('\r');
                break;
            case 'n':
                text.push_back('\n');
                break;
            case 'x':
                if (literal.substr(i + 1, 2) != "3C") {
                    return std::nullopt;
                }
                text.push_back('<');
                i += 2;
                break;
            default:
                return std::nullopt;
        }
    }
    return text;
}

// Markup in the message must not end the lock's script nor make the browser take the rest
// of the page for script ("<!--" followed by "<script"): no "<" reaches the page, and the
// string reads back as typed.
TEST(Head, RightClickMessageKeepsMarkupOutOfThePage) {
    const std::string_view messages[] = {
        "<!--<script>",   "<!-- <script >x", "<!--<SCRIPT>",           "</script>",
        "a \"b\" \\\" c", "C:\\dane\\",      "linia\r\nnowa\nlinia\r", "<</<!<!-<!--"};
    for (const std::string_view message : messages) {
        AuctionForm form;
        form.rightClickLock = true;
        form.rightClickMessage = std::string(message);
        const std::string head = Head(form);
        const std::size_t start = head.find(F(RightClickMessageOpening));
        ASSERT_NE(start, std::string::npos) << message;
        const std::size_t content = start + F(RightClickMessageOpening).size();
        const std::size_t end = head.find(F(RightClickMessageClosing), content);
        ASSERT_NE(end, std::string::npos) << message;
        const std::string_view literal = std::string_view(head).substr(content, end - content);
        EXPECT_EQ(literal.find('<'), std::string_view::npos) << message;
        EXPECT_EQ(UnescapeScriptString(literal), std::string(message)) << literal;
    }
}

TEST(Head, TransitionTagsFollowTheChosenItems) {
    AuctionForm form;
    form.pageEnterEffect = 1;
    form.pageExitEffect = 25;
    EXPECT_TRUE(Head(form).ends_with(
        "</STYLE><meta http-equiv=\"Page-Enter\" content=\"blendTrans(Duration=2.0)\"><meta "
        "http-equiv=\"Page-Exit\" "
        "content=\"revealTrans(Duration=2.0,Transition=23)\"><body><center>"));
}

TEST(Head, TransitionTagsComeInPageEnterPageExitSiteEnterSiteExitOrder) {
    AuctionForm form;
    form.pageEnterEffect = 2;
    form.siteEnterEffect = 1;
    form.pageExitEffect = 0;
    form.siteExitEffect = 13;
    form.pageEnterDuration = "1,5";
    form.siteEnterDuration = "x";
    form.siteExitDuration = "";
    EXPECT_TRUE(Head(form).ends_with(
        Cat({"</STYLE>", F(PageEnterReveal), "1,5,Transition=0)\">", F(SiteEnterBlend), "x)\">",
             F(SiteExitReveal), ",Transition=11)\">", "<body><center>"})));
}

TEST(Head, NoEffectChosenWritesNoTransitionTag) {
    AuctionForm form;
    form.pageEnterEffect = kNoListItem;
    form.siteEnterEffect = 0;
    EXPECT_TRUE(Head(form).ends_with("</STYLE><body><center>"));
}

TEST(Head, RunningAgainReplacesTheOutput) {
    AuctionForm form;
    form.pageTitle = "Rower";
    std::string out = "stale text from before";
    const BuildContext context{form, "", out};
    BuildHead(context);
    const std::string first = out;
    BuildHead(context);
    EXPECT_EQ(out, first);
    EXPECT_TRUE(out.starts_with("<Title>Rower</Title>"));
}

}  // namespace
}  // namespace licytek
