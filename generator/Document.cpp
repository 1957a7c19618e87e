#include "generator/Document.h"

#include <array>

#include "generator/Builders.h"

namespace licytek {
namespace {

// More than the fixed text of the longest head (both locks, the gradient, all four
// transition tags, the banner) and the longest layout body (layout 8 with every box twice).
constexpr std::size_t kFixedTextBound = 8192;

// The most copies of an input that one document can hold.
struct InputCopies {
    std::string AuctionForm::*text;
    std::size_t copies;
};

constexpr std::array<InputCopies, 27> kInputCopies = {{
    // Head: the title and meta tags stand twice; the right-click message may grow fourfold
    // when written as a script string ("<" as \x3C); the border and interior colours fill
    // many style rules.
    {&AuctionForm::pageTitle, 2},
    {&AuctionForm::keywords, 2},
    {&AuctionForm::searchDescription, 2},
    {&AuctionForm::rightClickMessage, 4},
    {&AuctionForm::backgroundPictureAddress, 1},
    {&AuctionForm::pageBackground, 1},
    {&AuctionForm::borderColour, 21},
    {&AuctionForm::tableInteriorColour, 11},
    {&AuctionForm::headerTextColour, 1},
    {&AuctionForm::activeLinkColour, 1},
    {&AuctionForm::visitedLinkColour, 1},
    {&AuctionForm::pageEnterDuration, 1},
    {&AuctionForm::siteEnterDuration, 1},
    {&AuctionForm::pageExitDuration, 1},
    {&AuctionForm::siteExitDuration, 1},
    {&AuctionForm::bannerAddress, 1},
    // Body: layout 8 may write every box in both columns; the messenger number stands
    // twice in each contact box.
    {&AuctionForm::auctionHeader, 1},
    {&AuctionForm::descriptionHeader, 1},
    {&AuctionForm::itemDescription, 1},
    {&AuctionForm::auctionTerms, 2},
    {&AuctionForm::bankAccount, 2},
    {&AuctionForm::phone, 2},
    {&AuctionForm::messengerNumber, 4},
    {&AuctionForm::shippingLine1, 2},
    {&AuctionForm::shippingLine2, 2},
    {&AuctionForm::shippingLine3, 2},
    {&AuctionForm::shippingLine4, 2},
}};

// Every link to the seller's pages carries the ID: five links, in both columns of layout 8.
constexpr std::size_t kSellerIdCopies = 10;

using LayoutBuilder = void (*)(const BuildContext&);

struct LayoutChoice {
    bool AuctionForm::*chosen;
    LayoutBuilder build;
};

constexpr std::array<LayoutChoice, 8> kLayouts = {{
    {&AuctionForm::layout1, BuildLayout1},
    {&AuctionForm::layout2, BuildLayout2},
    {&AuctionForm::layout3, BuildLayout3},
    {&AuctionForm::layout4, BuildLayout4},
    {&AuctionForm::layout5, BuildLayout5},
    {&AuctionForm::layout6, BuildLayout6},
    {&AuctionForm::layout7, BuildLayout7},
    {&AuctionForm::layout8, BuildLayout8},
}};

}  // namespace

std::size_t EstimateDocumentSize(const AuctionForm& form, std::string_view sellerId) {
    std::size_t size = kFixedTextBound + kSellerIdCopies * sellerId.size();
    for (const InputCopies& input : kInputCopies) {
        size += input.copies * (form.*input.text).size();
    }
    return size;
}

std::string BuildDocument(const AuctionForm& form, std::string_view sellerId) {
    std::string out;
    out.reserve(EstimateDocumentSize(form, sellerId));
    const BuildContext context{form, sellerId, out};
    BuildHead(context);
    for (const LayoutChoice& layout : kLayouts) {
        if (form.*layout.chosen) {
            layout.build(context);
            break;
        }
    }
    return out;
}

}  // namespace licytek
