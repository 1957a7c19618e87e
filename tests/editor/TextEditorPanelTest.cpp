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
    form.Panel9 = form.Panel10 = form.Panel11 = form.Panel12 = false;
    form.*alignment = true;
}

void PrintTo(const SnippetCase& c, std::ostream* os) {
    *os << c.name;
}

class SnippetTest : public testing::TestWithParam<SnippetCase> {};

TEST_P(SnippetTest, BuildsTheSnippet) {
    AuctionForm form;
    GetParam().setPanel(form);
    form.Memo3 = GetParam().text;
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
                        f.Panel6 = f.Panel8 = true;
                        AlignOnly(f, &AuctionForm::Panel10);
                    },
                    "Hi", "<p align=\"center\">" FONT "<B><U>Hi</U></B></font></p>"},
        SnippetCase{"AllStylesJustified",
                    [](AuctionForm& f) {
                        f.Panel6 = f.Panel7 = f.Panel8 = true;
                        AlignOnly(f, &AuctionForm::Panel12);
                    },
                    "x", "<p align=\"justify\">" FONT "<B><I><U>x</U></I></B></font></p>"},
        SnippetCase{"MovingRightAlternating",
                    [](AuctionForm& f) { f.CheckBox20 = f.RadioButton12 = f.RadioButton15 = true; },
                    "Hi",
                    "<p align=\"left\">" FONT
                    "<marquee scrollamount=\"8\" scrolldelay=\"50\" bgcolor=\"#FFFFFF\" "
                    "direction=\"right\" behavior=\"alternate\">Hi</marquee></font></p>"},
        // Each element closes inside the one around it, the moving text innermost.
        SnippetCase{"AllStylesMoving",
                    [](AuctionForm& f) { f.Panel6 = f.Panel7 = f.Panel8 = f.CheckBox20 = true; },
                    "Hi",
                    "<p align=\"left\">" FONT
                    "<B><I><U><marquee scrollamount=\"8\" scrolldelay=\"50\" bgcolor=\"#FFFFFF\">"
                    "Hi</marquee></U></I></B></font></p>"},
        // "W lewo" and "Przewijanie" write nothing.
        SnippetCase{"MovingLeftScrollingSlide",
                    [](AuctionForm& f) {
                        f.CheckBox20 = f.RadioButton11 = f.RadioButton14 = true;
                        f.Edit28 = "DELAY";
                        f.Edit29 = "STEP";
                        AlignOnly(f, &AuctionForm::Panel11);
                    },
                    "Hi",
                    "<p align=\"right\">" FONT
                    "<marquee scrollamount=\"STEP\" scrolldelay=\"DELAY\" bgcolor=\"#FFFFFF\" "
                    "behavior=\"slide\">Hi</marquee></font></p>"},
        SnippetCase{"MovingSettingsIgnoredWhileOff",
                    [](AuctionForm& f) { f.RadioButton12 = f.RadioButton15 = true; }, "Hi",
                    "<p align=\"left\">" FONT "Hi</font></p>"},
        SnippetCase{"EmptyText", [](AuctionForm&) {}, "", "<p align=\"left\">" FONT "</font></p>"},
        SnippetCase{"Verbatim",
                    [](AuctionForm& f) {
                        f.ComboBox6 = "Courier ";
                        f.ComboBox7 = "56";
                        f.Edit27 = "zielony";
                    },
                    "a <b>&</b>\r\nb\r\n",
                    "<p align=\"left\"><font face=\"Courier \" style=\"font-size:56pt;\" "
                    "color=\"zielony\">a <b>&</b>\r\nb\r\n</font></p>"},
        // The alignment attribute is always one complete value.
        SnippetCase{"NoAlignmentPressed", [](AuctionForm& f) { f.Panel9 = false; }, "x",
                    "<p align=\"left\">" FONT "x</font></p>"},
        SnippetCase{"SeveralAlignmentsPressed",
                    [](AuctionForm& f) {
                        f.Panel9 = false;
                        f.Panel10 = f.Panel12 = true;
                    },
                    "x", "<p align=\"center\">" FONT "x</font></p>"}),
    [](const testing::TestParamInfo<SnippetCase>& param) { return std::string(param.param.name); });

#undef FONT

TEST(ReadyCodeTest, SnippetsFollowEachOtherWithNothingBetween) {
    AuctionForm form;
    form.Memo3 = "Hello";
    const std::string snippet = BuildSnippet(form);
    form.Memo4 = AddSnippet(form);
    EXPECT_EQ(form.Memo4, snippet);
    form.Memo4 = AddSnippet(form);
    EXPECT_EQ(form.Memo4, snippet + snippet);
}

TEST(ReadyCodeTest, SavingGluesTheReadyCodeToTheDescription) {
    AuctionForm form;
    form.Memo1 = "abc\r\n";
    EXPECT_EQ(SaveReadyCode(form), "abc\r\n");

    form.Memo1 = "abc";
    form.Memo4 = "<p>1</p>\r\n";
    EXPECT_EQ(SaveReadyCode(form), "abc<p>1</p>\r\n");
}

}  // namespace
}  // namespace licytek
