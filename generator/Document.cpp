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
    {&AuctionForm::Edit34, 2},
    {&AuctionForm::Memo5, 2},
    {&AuctionForm::Memo8, 2},
    {&AuctionForm::Edit35, 4},
    {&AuctionForm::Edit33, 1},
    {&AuctionForm::Edit14, 1},
    {&AuctionForm::Edit15, 21},
    {&AuctionForm::Edit16, 11},
    {&AuctionForm::Edit18, 1},
    {&AuctionForm::Edit20, 1},
    {&AuctionForm::Edit21, 1},
    {&AuctionForm::Edit10, 1},
    {&AuctionForm::Edit11, 1},
    {&AuctionForm::Edit12, 1},
    {&AuctionForm::Edit13, 1},
    {&AuctionForm::Edit32, 1},
    // Body: layout 8 may write every box in both columns; the messenger number stands
    // twice in each contact box.
    {&AuctionForm::Edit2, 1},
    {&AuctionForm::Edit1, 1},
    {&AuctionForm::Memo1, 1},
    {&AuctionForm::Memo2, 2},
    {&AuctionForm::Edit5, 2},
    {&AuctionForm::Edit3, 2},
    {&AuctionForm::Edit4, 4},
    {&AuctionForm::Edit6, 2},
    {&AuctionForm::Edit7, 2},
    {&AuctionForm::Edit8, 2},
    {&AuctionForm::Edit9, 2},
}};

// Every link to the seller's pages carries the ID: five links, in both columns of layout 8.
constexpr std::size_t kSellerIdCopies = 10;

using LayoutBuilder = void (*)(const BuildContext&);

struct LayoutChoice {
    bool AuctionForm::*chosen;
    LayoutBuilder build;
};

constexpr std::array<LayoutChoice, 8> kLayouts = {{
    {&AuctionForm::RadioButton1, BuildLayout1},
    {&AuctionForm::RadioButton2, BuildLayout2},
    {&AuctionForm::RadioButton3, BuildLayout3},
    {&AuctionForm::RadioButton4, BuildLayout4},
    {&AuctionForm::RadioButton5, BuildLayout5},
    {&AuctionForm::RadioButton6, BuildLayout6},
    {&AuctionForm::RadioButton7, BuildLayout7},
    {&AuctionForm::RadioButton8, BuildLayout8},
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
