#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "GeneratorTestSupport.h"
#include "generator/Builders.h"
#include "generator/Document.h"

namespace licytek {
namespace {

using generator_test::Builder;
using generator_test::Render;

bool AuctionForm::*const kRadioButtons[] = {&AuctionForm::RadioButton1, &AuctionForm::RadioButton2,
                                            &AuctionForm::RadioButton3, &AuctionForm::RadioButton4,
                                            &AuctionForm::RadioButton5, &AuctionForm::RadioButton6,
                                            &AuctionForm::RadioButton7, &AuctionForm::RadioButton8};
constexpr Builder kLayouts[] = {BuildLayout1, BuildLayout2, BuildLayout3, BuildLayout4,
                                BuildLayout5, BuildLayout6, BuildLayout7, BuildLayout8};

AuctionForm WithLayout(AuctionForm form, int layout) {
    for (auto radio : kRadioButtons) {
        form.*radio = false;
    }
    if (layout > 0) {
        form.*kRadioButtons[layout - 1] = true;
    }
    return form;
}

TEST(Document, IsTheHeadFollowedByTheChosenLayout) {
    AuctionForm filled;
    filled.Edit2 = "Rower";
    filled.Edit5 = "12 34";
    filled.CheckBox6 = true;
    filled.CheckBox23 = true;
    for (int layout = 1; layout <= 8; ++layout) {
        const AuctionForm form = WithLayout(filled, layout);
        EXPECT_EQ(BuildDocument(form, "77"),
                  Render(BuildHead, form) + Render(kLayouts[layout - 1], form, "77"))
            << layout;
    }
}

TEST(Document, DefaultFormGivesHeadAndLayout1WithoutATrailingBreak) {
    const AuctionForm form;
    const std::string document = BuildDocument(form, "");
    EXPECT_TRUE(document.starts_with("<Title></Title>"));
    EXPECT_TRUE(document.ends_with("</TD></TR></TABLE><BR>"));
    EXPECT_EQ(document, Render(BuildHead, form) + Render(BuildLayout1, form));
}

TEST(Document, NoLayoutChosenGivesTheHeadAlone) {
    const AuctionForm form = WithLayout(AuctionForm{}, 0);
    EXPECT_EQ(BuildDocument(form, "id"), Render(BuildHead, form));
}

TEST(Document, FirstChosenLayoutWinsWhenSeveralAreMarked) {
    AuctionForm form = WithLayout(AuctionForm{}, 6);
    form.RadioButton3 = true;
    EXPECT_EQ(BuildDocument(form, ""), Render(BuildHead, form) + Render(BuildLayout3, form));
}

constexpr std::string AuctionForm::*kGeneratedTexts[] = {
    &AuctionForm::Edit34, &AuctionForm::Memo5,  &AuctionForm::Memo8,  &AuctionForm::Edit35,
    &AuctionForm::Edit33, &AuctionForm::Edit14, &AuctionForm::Edit15, &AuctionForm::Edit16,
    &AuctionForm::Edit18, &AuctionForm::Edit20, &AuctionForm::Edit21, &AuctionForm::Edit10,
    &AuctionForm::Edit11, &AuctionForm::Edit12, &AuctionForm::Edit13, &AuctionForm::Edit32,
    &AuctionForm::Edit2,  &AuctionForm::Edit1,  &AuctionForm::Memo1,  &AuctionForm::Memo2,
    &AuctionForm::Edit5,  &AuctionForm::Edit3,  &AuctionForm::Edit4,  &AuctionForm::Edit6,
    &AuctionForm::Edit7,  &AuctionForm::Edit8,  &AuctionForm::Edit9};

// Every text one byte long and every switch on: the most fixed text any layout writes.
AuctionForm FullyOptionedForm() {
    AuctionForm form;
    for (auto text : kGeneratedTexts) {
        form.*text = "x";
    }
    for (bool AuctionForm::*flag :
         {&AuctionForm::CheckBox1,  &AuctionForm::CheckBox2,  &AuctionForm::CheckBox3,
          &AuctionForm::CheckBox4,  &AuctionForm::CheckBox5,  &AuctionForm::CheckBox6,
          &AuctionForm::CheckBox7,  &AuctionForm::CheckBox8,  &AuctionForm::CheckBox9,
          &AuctionForm::CheckBox21, &AuctionForm::CheckBox22, &AuctionForm::CheckBox23,
          &AuctionForm::CheckBox24, &AuctionForm::CheckBox25, &AuctionForm::CheckBox26,
          &AuctionForm::CheckBox27, &AuctionForm::CheckBox28, &AuctionForm::CheckBox29,
          &AuctionForm::CheckBox30, &AuctionForm::CheckBox31, &AuctionForm::CheckBox32}) {
        form.*flag = true;
    }
    form.ComboBox1 = form.ComboBox2 = form.ComboBox3 = form.ComboBox4 = 25;
    return form;
}

// The output is reserved once from the estimate; an estimate below the output would let it
// grow by reallocation. One input at a time is made long (the right-click message of
// quotes, which double when written), so that the allowance for fixed text cannot hide a
// missing copy of any one input.
TEST(Document, SizeEstimateCoversEveryInputsCopies) {
    const std::string longText(20000, '"');
    for (int layout = 1; layout <= 8; ++layout) {
        const AuctionForm base = WithLayout(FullyOptionedForm(), layout);
        EXPECT_LE(BuildDocument(base, "i").size(), EstimateDocumentSize(base, "i")) << layout;
        EXPECT_LE(BuildDocument(base, longText).size(), EstimateDocumentSize(base, longText))
            << "seller ID in layout " << layout;
        for (std::size_t input = 0; input < std::size(kGeneratedTexts); ++input) {
            AuctionForm form = base;
            form.*kGeneratedTexts[input] = longText;
            EXPECT_LE(BuildDocument(form, "i").size(), EstimateDocumentSize(form, "i"))
                << "layout " << layout << ", input " << input;
        }
    }
}

}  // namespace
}  // namespace licytek
