#include "generator/Blocks.h"

#include <cstddef>

#include "generator/Fragments.h"

namespace licytek {
namespace {

using enum FragmentLine;

// Items of a row stand on one line; items of a box stand under each other.
enum class ContentVariant { Inline, Stacked };

// What ends each item of the contact and shipping contents in one variant.
struct ItemEndings {
    std::string_view phone;
    std::string_view messenger;     // closes the status picture tag
    std::string_view shippingLine;  // after each of the four shipping lines
    std::string_view shippingLast;  // once more after the last shipping line
};

constexpr ItemEndings kInlineEndings = {"&nbsp&nbsp&nbsp&nbsp", "\">", "&nbsp&nbsp&nbsp&nbsp", ""};
constexpr ItemEndings kStackedEndings = {"<br><br>", "\"><br><br>", "<BR>", "<BR>"};

const ItemEndings& EndingsOf(ContentVariant variant) {
    return variant == ContentVariant::Inline ? kInlineEndings : kStackedEndings;
}

// A link to one of the seller's pages on the auction site: the opening line carries the
// address up to the key that takes the seller's ID; the closing piece carries the caption.
struct SiteLink {
    bool AuctionForm::*shown;
    FragmentLine openingLine;
    FragmentLine inlineClosingLine;
    FragmentLine stackedClosingLine;
    std::string_view stackedBreak;
};

constexpr std::array<SiteLink, 4> kSellerLinks = {{
    {&AuctionForm::aboutMeLink, AboutMeLinkOpening, AboutMeLinkInlineClosing,
     AboutMeLinkStackedClosing, "<br>"},
    {&AuctionForm::otherAuctionsLink, OtherAuctionsLinkOpening, OtherAuctionsLinkInlineClosing,
     OtherAuctionsLinkStackedClosing, "<br>"},
    {&AuctionForm::commentsLink, CommentsLinkOpening, CommentsLinkInlineClosing,
     CommentsLinkStackedClosing, "<br>"},
    {&AuctionForm::favouritesLink, AddToFavouritesLinkOpening, AddToFavouritesLinkClosing,
     AddToFavouritesLinkClosing, "<br><br>"},
}};
constexpr SiteLink kAskQuestionLink = {&AuctionForm::askSellerLink, AskQuestionLinkOpening,
                                       AskQuestionLinkInlineClosing, AskQuestionLinkStackedClosing,
                                       "<br><br>"};

constexpr std::string_view kLabelLeftCloserWithBreak = "</TD></TR></TABLE><BR>";
constexpr std::string_view kLabelLeftCloserWithoutBreak = "</TD></TR></TABLE>";

// The frames one block can stand in.
struct BlockFrames {
    FragmentLine labelLeftOpeningLine;
    FragmentLine labelRightClosingLineWithBreak;
    FragmentLine labelRightClosingLineWithoutBreak;
    std::string_view boxLeadingBreak;
    std::string_view boxOpener;  // without the leading break
    std::string_view boxCloser;
};

// Titles in Windows-1250: \xB9 is "a with ogonek", \xB3 is "l with stroke".
constexpr std::array<BlockFrames, kInfoBlocks.size()> kFrames = {{
    {SellerRowLabelLeftOpening, SellerRowLabelRightClosingWithBreak, SellerRowLabelRightClosing, "",
     "<TABLE cellspacing=0 cellpadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
     "height=25><CENTER>Sprzedaj\xB9"
     "cy</TD></TR><TR><TD class=tabela><CENTER><BR>",
     "</TD></TR></TABLE><BR>"},
    {ContactRowLabelLeftOpening, ContactRowLabelRightClosingWithBreak, ContactRowLabelRightClosing,
     "<br>",
     "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
     "height=25><CENTER>Kontakt </TD></TR><TR><TD class=tabela width=\"100%\"><BR><CENTER>",
     "</TD></TR></TABLE><BR>"},
    {TermsRowLabelLeftOpening, TermsRowLabelRightClosingWithBreak, TermsRowLabelRightClosing,
     "<br>",
     "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
     "HEIGHT=25><CENTER>Regulamin aukcji </TD></TR><TR><TD class=tabela "
     "width=\"100%\"><BR><CENTER>",
     "<br><br></TD></TR></TABLE><BR>"},
    {BankRowLabelLeftOpening, BankRowLabelRightClosingWithBreak, BankRowLabelRightClosing, "<br>",
     "<TABLE  cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
     "HEIGHT=25><CENTER>Rachunek bankowy</TD></TR><TR><TD class=tabela "
     "width=\"100%\"><BR><CENTER>",
     "<br><br></TD></TR></TABLE><BR>"},
    {ShippingRowLabelLeftOpening, ShippingRowLabelRightClosingWithBreak,
     ShippingRowLabelRightClosing, "<BR>",
     "<TABLE  cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
     "height=25><CENTER>Koszty przesy\xB3"
     "ki </TD></TR><TR><TD class=tabela width=\"100%\"><BR><CENTER>",
     "</TD></TR></TABLE><BR>"},
}};

const BlockFrames& FramesOf(InfoBlock block) {
    return kFrames[static_cast<std::size_t>(block)];
}

constexpr std::array<std::string AuctionForm::*, 4> kShippingLines = {
    &AuctionForm::shippingLine1, &AuctionForm::shippingLine2, &AuctionForm::shippingLine3,
    &AuctionForm::shippingLine4};

bool AnySellerLinkShown(const AuctionForm& form) {
    for (const SiteLink& link : kSellerLinks) {
        if (form.*link.shown) {
            return true;
        }
    }
    return false;
}

bool AnyShippingLineFilled(const AuctionForm& form) {
    for (auto line : kShippingLines) {
        if (!(form.*line).empty()) {
            return true;
        }
    }
    return false;
}

void AppendSiteLink(const BuildContext& context, const SiteLink& link, ContentVariant variant) {
    if (!(context.form.*link.shown)) {
        return;
    }
    Append(context.out, {Fragment(link.openingLine), context.sellerId});
    if (variant == ContentVariant::Inline) {
        context.out.append(Fragment(link.inlineClosingLine));
    } else {
        Append(context.out, {Fragment(link.stackedClosingLine), link.stackedBreak});
    }
}

void AppendSellerContent(const BuildContext& context, ContentVariant variant) {
    for (const SiteLink& link : kSellerLinks) {
        AppendSiteLink(context, link, variant);
    }
}

void AppendContactContent(const BuildContext& context, ContentVariant variant) {
    const AuctionForm& form = context.form;
    const ItemEndings& endings = EndingsOf(variant);
    AppendSiteLink(context, kAskQuestionLink, variant);
    if (!form.phone.empty()) {
        Append(context.out, {"Telefon: ", form.phone, endings.phone});
    }
    if (!form.messengerNumber.empty()) {
        // The number is both the messenger link's target and the status picture's key.
        Append(context.out,
               {"<a href=\"gg:", form.messengerNumber, Fragment(MessengerStatusPictureOpening),
                form.messengerNumber, endings.messenger});
    }
}

void AppendShippingContent(const BuildContext& context, ContentVariant variant) {
    const ItemEndings& endings = EndingsOf(variant);
    // All four lines go out, the empty ones too: emptiness only decides whether the block shows.
    for (auto line : kShippingLines) {
        Append(context.out, {context.form.*line, endings.shippingLine});
    }
    context.out.append(endings.shippingLast);
}

void AppendContent(const BuildContext& context, InfoBlock block, ContentVariant variant) {
    switch (block) {
        case InfoBlock::Seller:
            AppendSellerContent(context, variant);
            break;
        case InfoBlock::Contact:
            AppendContactContent(context, variant);
            break;
        case InfoBlock::Terms:
            context.out.append(context.form.auctionTerms);
            break;
        case InfoBlock::Bank:
            context.out.append(context.form.bankAccount);
            break;
        case InfoBlock::Shipping:
            AppendShippingContent(context, variant);
            break;
    }
}

}  // namespace

bool InfoBlockIsWritten(const AuctionForm& form, InfoBlock block) {
    switch (block) {
        case InfoBlock::Seller:
            return AnySellerLinkShown(form);
        case InfoBlock::Contact:
            return form.askSellerLink || !form.phone.empty() || !form.messengerNumber.empty();
        case InfoBlock::Terms:
            return !form.auctionTerms.empty();
        case InfoBlock::Bank:
            return !form.bankAccount.empty();
        case InfoBlock::Shipping:
            return AnyShippingLineFilled(form);
    }
    return false;
}

void AppendAuctionHeaderBox(const BuildContext& context) {
    // The centring and font that the header's opening opens stay open: the page has always
    // relied on it.
    Append(context.out, {Fragment(ThinBar), Fragment(AuctionHeaderOpening),
                         context.form.auctionHeader, "</TD></TR></TABLE>"});
}

void AppendLowerBar(const BuildContext& context) {
    Append(context.out, {Fragment(ThinBar), "<br><br>"});
}

bool AppendRow(const BuildContext& context, InfoBlock block, RowSide side, RowBreak rowBreak) {
    if (!InfoBlockIsWritten(context.form, block)) {
        return false;
    }
    const BlockFrames& frames = FramesOf(block);
    const bool withBreak = rowBreak == RowBreak::With;
    if (side == RowSide::LabelLeft) {
        context.out.append(Fragment(frames.labelLeftOpeningLine));
        AppendContent(context, block, ContentVariant::Inline);
        context.out.append(withBreak ? kLabelLeftCloserWithBreak : kLabelLeftCloserWithoutBreak);
    } else {
        context.out.append(Fragment(RowLabelRightOpening));
        AppendContent(context, block, ContentVariant::Inline);
        context.out.append(Fragment(withBreak ? frames.labelRightClosingLineWithBreak
                                              : frames.labelRightClosingLineWithoutBreak));
    }
    return true;
}

bool AppendBox(const BuildContext& context, InfoBlock block, BoxBreak boxBreak) {
    if (!InfoBlockIsWritten(context.form, block)) {
        return false;
    }
    const BlockFrames& frames = FramesOf(block);
    if (boxBreak == BoxBreak::Leading) {
        context.out.append(frames.boxLeadingBreak);
    }
    context.out.append(frames.boxOpener);
    AppendContent(context, block, ContentVariant::Stacked);
    context.out.append(frames.boxCloser);
    return true;
}

void AppendDescription(const BuildContext& context, std::string_view opener,
                       std::string_view closer) {
    Append(context.out, {opener, context.form.descriptionHeader, Fragment(DescriptionTitleClosing),
                         context.form.itemDescription, closer});
}

}  // namespace licytek
