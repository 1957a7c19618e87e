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

bool AuctionForm::*const kRadioButtons[] = {
    &AuctionForm::layout1, &AuctionForm::layout2, &AuctionForm::layout3, &AuctionForm::layout4,
    &AuctionForm::layout5, &AuctionForm::layout6, &AuctionForm::layout7, &AuctionForm::layout8};
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
    filled.auctionHeader = "Rower";
    filled.bankAccount = "12 34";
    filled.aboutMeLink = true;
    filled.sellerBlockLeft = true;
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
    form.layout3 = true;
    EXPECT_EQ(BuildDocument(form, ""), Render(BuildHead, form) + Render(BuildLayout3, form));
}

constexpr std::string AuctionForm::*kGeneratedTexts[] = {&AuctionForm::pageTitle,
                                                         &AuctionForm::keywords,
                                                         &AuctionForm::searchDescription,
                                                         &AuctionForm::rightClickMessage,
                                                         &AuctionForm::backgroundPictureAddress,
                                                         &AuctionForm::pageBackground,
                                                         &AuctionForm::borderColour,
                                                         &AuctionForm::tableInteriorColour,
                                                         &AuctionForm::headerTextColour,
                                                         &AuctionForm::activeLinkColour,
                                                         &AuctionForm::visitedLinkColour,
                                                         &AuctionForm::pageEnterDuration,
                                                         &AuctionForm::siteEnterDuration,
                                                         &AuctionForm::pageExitDuration,
                                                         &AuctionForm::siteExitDuration,
                                                         &AuctionForm::bannerAddress,
                                                         &AuctionForm::auctionHeader,
                                                         &AuctionForm::descriptionHeader,
                                                         &AuctionForm::itemDescription,
                                                         &AuctionForm::auctionTerms,
                                                         &AuctionForm::bankAccount,
                                                         &AuctionForm::phone,
                                                         &AuctionForm::messengerNumber,
                                                         &AuctionForm::shippingLine1,
                                                         &AuctionForm::shippingLine2,
                                                         &AuctionForm::shippingLine3,
                                                         &AuctionForm::shippingLine4};

// Every text one byte long and every switch on: the most fixed text any layout writes.
AuctionForm FullyOptionedForm() {
    AuctionForm form;
    for (auto text : kGeneratedTexts) {
        form.*text = "x";
    }
    for (bool AuctionForm::*flag :
         {&AuctionForm::askSellerLink,      &AuctionForm::backgroundGradient,
          &AuctionForm::rightClickLock,     &AuctionForm::linkHighlight,
          &AuctionForm::descriptionLock,    &AuctionForm::aboutMeLink,
          &AuctionForm::otherAuctionsLink,  &AuctionForm::commentsLink,
          &AuctionForm::favouritesLink,     &AuctionForm::backgroundPictureShown,
          &AuctionForm::bannerShown,        &AuctionForm::sellerBlockLeft,
          &AuctionForm::contactBlockLeft,   &AuctionForm::termsBlockLeft,
          &AuctionForm::bankBlockLeft,      &AuctionForm::shippingBlockLeft,
          &AuctionForm::shippingBlockRight, &AuctionForm::bankBlockRight,
          &AuctionForm::termsBlockRight,    &AuctionForm::contactBlockRight,
          &AuctionForm::sellerBlockRight}) {
        form.*flag = true;
    }
    form.pageEnterEffect = form.siteEnterEffect = form.pageExitEffect = form.siteExitEffect = 25;
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
