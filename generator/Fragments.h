// The fragment table: 90 constant pieces of HTML, style sheet and script, numbered 0 to 89,
// from which the head, the layouts and the font command take their fixed text. The numbering
// is a contract with every user: no line may be added, removed or moved.
#pragma once

#include <string_view>

namespace licytek {

inline constexpr int kFragmentCount = 90;

// Where the links to the seller's pages and the messenger's status picture point.
inline constexpr std::string_view kAuctionSiteBase = "https://allegro.pl";
inline constexpr std::string_view kMessengerStatusBase = "https://status.gadu-gadu.pl";

// The lines the builders write, named by what each holds. A name ending in "Opening" ends
// where the seller's text or address follows; "Closing" follows it. The section markers
// (lines 3, 31, 35, 39, 48 and 69) and lines 87 and 88 are written by no builder.
enum class FragmentLine : int {
    // The locks: no copying of the description, and the right-click message script around the
    // seller's message.
    CopyLockBody = 0,
    RightClickMessageOpening = 1,
    RightClickMessageClosing = 2,

    // The style sheet: each line opens the rule or property whose colour follows it.
    StyleBodyBackgroundColour = 4,
    StyleScrollbarBaseColour = 5,
    StyleScrollbarTrackColour = 6,
    StyleScrollbarFaceColour = 7,
    StyleNagBackground = 8,
    StyleNagTextColour = 9,
    StyleTabelaBorderColour = 10,
    StyleTabelaBackground = 11,
    StyleLinkColour = 12,
    StyleVisitedLinkColour = 13,
    StyleHoverBackground = 14,
    StyleNavbarBackground = 15,
    StyleItemPageBackground = 16,
    StyleItMainBackground = 17,
    StyleItMainBorderColour = 18,
    StyleItTdRBackground = 19,
    StyleItTdBackground = 20,
    StyleHeadcolorBackground = 21,
    StyleNocolorBorderColour = 22,
    StyleWhiteBackground = 23,
    StyleTableInfoBackground = 24,
    StyleTableInfoBorderColour = 25,
    StyleBidWinBackground = 26,
    StyleBidHistBackground = 27,
    StyleBidInfoVdotBackground = 28,
    StyleBidInfoHdotBackground = 29,
    StyleEnd = 30,
    // The gradient filter after a background: its start colour, end colour and type.
    GradientStartColour = 32,
    GradientEndColour = 33,
    GradientType = 34,
    StyleBodyBackgroundPicture = 36,

    // The keywords and description meta tags, up to their content.
    KeywordsMetaOpening = 37,
    DescriptionMetaOpening = 38,

    // The page-transition tags, up to their duration.
    PageEnterBlend = 40,
    PageExitBlend = 41,
    SiteEnterBlend = 42,
    SiteExitBlend = 43,
    PageEnterReveal = 44,
    PageExitReveal = 45,
    SiteEnterReveal = 46,
    SiteExitReveal = 47,

    // The layouts' tables.
    ThinBar = 49,  // above the auction header, and the lower bar under it
    AuctionHeaderOpening = 50,
    // A row with its label on the left, up to the row's content.
    SellerRowLabelLeftOpening = 51,
    ContactRowLabelLeftOpening = 60,
    TermsRowLabelLeftOpening = 64,
    BankRowLabelLeftOpening = 65,
    ShippingRowLabelLeftOpening = 66,
    // The links to the seller's pages, up to the seller's ID, and their captions after it:
    // inline in a row, stacked in a box.
    AboutMeLinkOpening = 52,
    AboutMeLinkInlineClosing = 53,
    AboutMeLinkStackedClosing = 77,
    OtherAuctionsLinkOpening = 54,
    OtherAuctionsLinkInlineClosing = 55,
    OtherAuctionsLinkStackedClosing = 78,
    CommentsLinkOpening = 56,
    CommentsLinkInlineClosing = 57,
    CommentsLinkStackedClosing = 79,
    AddToFavouritesLinkOpening = 58,
    AddToFavouritesLinkClosing = 59,  // the same inline and stacked
    AskQuestionLinkOpening = 61,
    AskQuestionLinkInlineClosing = 62,
    AskQuestionLinkStackedClosing = 76,
    // Between the messenger number as the link's target and as the status picture's key.
    MessengerStatusPictureOpening = 63,
    DescriptionOpening = 67,
    DescriptionTitleClosing = 68,  // between the description's title and its text
    // A row with its label on the right: its opening, and its closing with the label.
    RowLabelRightOpening = 70,
    SellerRowLabelRightClosingWithBreak = 71,
    ContactRowLabelRightClosingWithBreak = 72,
    TermsRowLabelRightClosingWithBreak = 73,
    BankRowLabelRightClosingWithBreak = 74,
    ShippingRowLabelRightClosingWithBreak = 75,
    SellerRowLabelRightClosing = 82,
    ContactRowLabelRightClosing = 83,
    TermsRowLabelRightClosing = 84,
    BankRowLabelRightClosing = 85,
    ShippingRowLabelRightClosing = 86,
    // The connectors between the rows of the connected layouts.
    ConnectorOnTheLeft = 80,
    ConnectorOnTheRight = 81,

    // The end of the font command's size.
    FontSizeClosing = 89,
};

// Line `line` (0..89) in Windows-1250, without any line terminator. Any other number gives
// an empty text: no line is ever read from outside the table.
std::string_view Fragment(int line);

inline std::string_view Fragment(FragmentLine line) {
    return Fragment(static_cast<int>(line));
}

}  // namespace licytek
