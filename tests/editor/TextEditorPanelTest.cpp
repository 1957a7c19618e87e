#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "editor/TextEditorPanel.h"
#include "model/AuctionForm.h"

namespace licytek {
namespace {

struct SnippetCase {
    std::string_view name;
    std::function<void(AuctionForm&)> setPanel;
    std::string_view text;
    std::string_view snippet;
};

void AlignOnly(AuctionForm& form, bool AuctionForm::*alignment) {
    form.editorAlignLeft = form.editorAlignCentre = form.editorAlignRight = form.editorJustify =
        false;
    form.*alignment = true;
}

void PrintTo(const SnippetCase& c, std::ostream* os) {
    *os << c.name;
}

class SnippetTest : public testing::TestWithParam<SnippetCase> {};

TEST_P(SnippetTest, BuildsTheSnippet) {
    AuctionForm form;
    GetParam().setPanel(form);
    form.editorText = GetParam().text;
    EXPECT_EQ(BuildSnippet(form), GetParam().snippet);
}

#define FONT "<font face=\"Verdana\" style=\"font-size:12pt;\" color=\"#000000\">"

INSTANTIATE_TEST_SUITE_P(
    Panel, SnippetTest,
    testing::Values(
        SnippetCase{"Defaults", [](AuctionForm&) {}, "Hello",
                    "<p align=\"left\">" FONT "Hello</font></p>"},
        SnippetCase{"BoldUnderlineCentre",
                    [](AuctionForm& f) {
                        f.editorBold = f.editorUnderline = true;
                        AlignOnly(f, &AuctionForm::editorAlignCentre);
                    },
                    "Hi", "<p align=\"center\">" FONT "<B><U>Hi</U></B></font></p>"},
        SnippetCase{"AllStylesJustified",
                    [](AuctionForm& f) {
                        f.editorBold = f.editorItalic = f.editorUnderline = true;
                        AlignOnly(f, &AuctionForm::editorJustify);
                    },
                    "x", "<p align=\"justify\">" FONT "<B><I><U>x</U></I></B></font></p>"},
        SnippetCase{
            "MovingRightAlternating",
            [](AuctionForm& f) { f.movingText = f.movesRight = f.alternatingAnimation = true; },
            "Hi",
            "<p align=\"left\">" FONT
            "<marquee scrollamount=\"8\" scrolldelay=\"50\" bgcolor=\"#FFFFFF\" "
            "direction=\"right\" behavior=\"alternate\">Hi</marquee></font></p>"},
        // Each element closes inside the one around it, the moving text innermost.
        SnippetCase{"AllStylesMoving",
                    [](AuctionForm& f) {
                        f.editorBold = f.editorItalic = f.editorUnderline = f.movingText = true;
                    },
                    "Hi",
                    "<p align=\"left\">" FONT
                    "<B><I><U><marquee scrollamount=\"8\" scrolldelay=\"50\" bgcolor=\"#FFFFFF\">"
                    "Hi</marquee></U></I></B></font></p>"},
        // "W lewo" and "Przewijanie" write nothing.
        SnippetCase{"MovingLeftScrollingSlide",
                    [](AuctionForm& f) {
                        f.movingText = f.movesLeft = f.slidingAnimation = true;
                        f.movingDelay = "DELAY";
                        f.movingStep = "STEP";
                        AlignOnly(f, &AuctionForm::editorAlignRight);
                    },
                    "Hi",
                    "<p align=\"right\">" FONT
                    "<marquee scrollamount=\"STEP\" scrolldelay=\"DELAY\" bgcolor=\"#FFFFFF\" "
                    "behavior=\"slide\">Hi</marquee></font></p>"},
        SnippetCase{"MovingSettingsIgnoredWhileOff",
                    [](AuctionForm& f) { f.movesRight = f.alternatingAnimation = true; }, "Hi",
                    "<p align=\"left\">" FONT "Hi</font></p>"},
        SnippetCase{"EmptyText", [](AuctionForm&) {}, "", "<p align=\"left\">" FONT "</font></p>"},
        SnippetCase{"Verbatim",
                    [](AuctionForm& f) {
                        f.editorFontFace = "Courier ";
                        f.editorFontSize = "56";
                        f.editorFontColour = "zielony";
                    },
                    "a <b>&</b>\r\nb\r\n",
                    "<p align=\"left\"><font face=\"Courier \" style=\"font-size:56pt;\" "
                    "color=\"zielony\">a <b>&</b>\r\nb\r\n</font></p>"},
        // The alignment attribute is always one complete value.
        SnippetCase{"NoAlignmentPressed", [](AuctionForm& f) { f.editorAlignLeft = false; }, "x",
                    "<p align=\"left\">" FONT "x</font></p>"},
        SnippetCase{"SeveralAlignmentsPressed",
                    [](AuctionForm& f) {
                        f.editorAlignLeft = false;
                        f.editorAlignCentre = f.editorJustify = true;
                    },
                    "x", "<p align=\"center\">" FONT "x</font></p>"}),
    [](const testing::TestParamInfo<SnippetCase>& param) { return std::string(param.param.name); });

#undef FONT

TEST(ReadyCodeTest, SnippetsFollowEachOtherWithNothingBetween) {
    AuctionForm form;
    form.editorText = "Hello";
    const std::string snippet = BuildSnippet(form);
    form.readyCode = AddSnippet(form);
    EXPECT_EQ(form.readyCode, snippet);
    form.readyCode = AddSnippet(form);
    EXPECT_EQ(form.readyCode, snippet + snippet);
}

TEST(ReadyCodeTest, SavingGluesTheReadyCodeToTheDescription) {
    AuctionForm form;
    form.itemDescription = "abc\r\n";
    EXPECT_EQ(SaveReadyCode(form), "abc\r\n");

    form.itemDescription = "abc";
    form.readyCode = "<p>1</p>\r\n";
    EXPECT_EQ(SaveReadyCode(form), "abc<p>1</p>\r\n");
}

}  // namespace
}  // namespace licytek
