// The seller's whole form: every input of the main window and its side panels.
//
// Members are named by what they hold; the window's widgets carry the same names, and the one
// table of fields (FormFields.h) maps each to the control name that the JSON form, the project
// file and the spreadsheets use as its key. Texts hold Windows-1250 bytes with CR LF between
// lines. Check boxes, radio buttons and the switch panels are bools; the effect and style lists
// hold the selected position (-1 for none); the font face and size lists hold their shown text.
#pragma once

#include <string>

namespace licytek {

inline constexpr int kNoListItem = -1;

struct AuctionForm {
    // --- Main area, "Informacje niezbędne" (required information) ---
    std::string auctionHeader;    // auction header, the big title at the top of the page
    bool askSellerLink = false;   // write the ask-the-seller link ("Zadaj pytanie sprzedającemu")
    std::string phone;            // phone number
    std::string messengerNumber;  // Gadu-Gadu number
    std::string auctionTerms;     // auction terms, several lines
    std::string bankAccount;      // bank account number
    std::string shippingLine1;    // shipping costs, line 1
    std::string shippingLine2;    // shipping costs, line 2
    std::string shippingLine3;    // shipping costs, line 3
    std::string shippingLine4;    // shipping costs, line 4
    bool aboutMeLink = false;     // link to the seller's about-me page
    bool otherAuctionsLink = false;  // link to the seller's other auctions
    bool commentsLink = false;       // link to the seller's comments
    bool favouritesLink = false;     // add-the-seller-to-favourites link

    // --- Main area, "Opis przedmiotu" (item description) ---
    std::string descriptionHeader;  // description header
    std::string itemDescription;    // item description, several lines, with the seller's markup

    // --- Main area, "Kolory" (page colours) ---
    std::string pageBackground = "#FFFFFF";       // page background
    std::string borderColour = "#000000";         // borders, bars, scroll bars, gradient end
    std::string tableInteriorColour = "#FFFFFF";  // table interiors, gradient start
    std::string headerTextColour = "#FFFFFF";     // header text
    std::string tableTextColour = "#000000";      // text in the tables (no builder writes it)
    std::string activeLinkColour = "#000000";     // active links
    std::string visitedLinkColour = "#000000";    // visited links
    int colourStyle = kNoListItem;                // colour style list position

    // --- Main area, "Dodatkowe opcje" (further options) ---
    int pageEnterEffect = kNoListItem;      // page-enter effect
    std::string pageEnterDuration = "2.0";  // page-enter duration
    int siteEnterEffect = kNoListItem;      // site-enter effect
    std::string siteEnterDuration = "2.0";  // site-enter duration
    int pageExitEffect = kNoListItem;       // page-exit effect
    std::string pageExitDuration = "2.0";   // page-exit duration
    int siteExitEffect = kNoListItem;       // site-exit effect
    std::string siteExitDuration = "2.0";   // site-exit duration
    bool backgroundGradient = false;        // background gradient
    bool rightClickLock = false;            // right-click lock
    bool descriptionLock = false;           // description lock
    bool linkHighlight = false;             // link hover highlight

    // --- Main area, "Aukcja" (page layout, one of eight) ---
    bool layout1 = true;  // layout 1
    bool layout2 = false;
    bool layout3 = false;
    bool layout4 = false;
    bool layout5 = false;
    bool layout6 = false;
    bool layout7 = false;
    bool layout8 = false;  // layout 8, arranged on the arrangement panel

    // --- Picture panel, "Wstaw zdjęcie" ---
    bool pictureFromWeb = true;                  // picture from a web server
    bool pictureFromGallery = false;             // picture from the auction site's gallery
    std::string pictureAddress = "http://";      // picture address
    bool pictureOpensAddress = false;            // the picture opens an address when clicked
    std::string pictureLinkAddress = "http://";  // address the picture opens
    bool pictureResized = false;                 // give the picture a size
    std::string pictureWidth = "100";            // width in per cent
    std::string pictureHeight = "100";           // height in per cent

    // --- Link panel, "Wstaw link" ---
    std::string linkText;                 // link text
    std::string linkAddress = "http://";  // link address

    // --- Font panel ---
    std::string fontFace = "Verdana";    // font face
    std::string fontSize = "12";         // font size in points
    std::string fontColour = "#000000";  // font colour

    // --- Text editor panel, "Edytor tekstu" ---
    std::string editorFontFace = "Verdana";    // font face
    std::string editorFontSize = "12";         // font size in points
    std::string editorFontColour = "#000000";  // font colour
    std::string editorText;                    // the text to format
    bool editorBold = false;                   // bold
    bool editorItalic = false;                 // italic
    bool editorUnderline = false;              // underline
    bool editorAlignLeft = true;               // align left
    bool editorAlignCentre = false;            // align centre
    bool editorAlignRight = false;             // align right
    bool editorJustify = false;                // justify
    bool movingText = false;                   // make the text a moving text
    bool scrollingAnimation = false;           // animation: scrolling
    bool slidingAnimation = false;             // animation: sliding in
    bool alternatingAnimation = false;         // animation: alternating
    bool movesLeft = false;                    // direction: left
    bool movesRight = false;                   // direction: right
    std::string movingDelay = "50";            // delay between steps
    std::string movingStep = "8";              // size of one step
    std::string movingBackground = "#FFFFFF";  // background of the moving text
    std::string readyCode;                     // ready code: the snippets built so far

    // --- Banner panel, "Banner i grafika na tło" ---
    bool bannerShown = false;               // show a banner picture after the body start
    std::string bannerAddress = "http://";  // banner picture address
    bool backgroundPictureShown = false;    // background picture instead of the background colour
    std::string backgroundPictureAddress = "http://";  // background picture address

    // --- Keywords panel, "Słowa kluczowe" ---
    std::string pageTitle;          // page title
    std::string keywords;           // keywords
    std::string searchDescription;  // short description for search engines

    // --- Right-click message panel ---
    std::string rightClickMessage =
        "Blokada Prawego Przycisku Myszy";  // message of the right-click lock

    // --- Arrangement panel (layout 8): left and right column switches ---
    bool sellerBlockLeft = false;     // seller block, left
    bool contactBlockLeft = false;    // contact block, left
    bool termsBlockLeft = false;      // terms block, left
    bool bankBlockLeft = false;       // bank block, left
    bool shippingBlockLeft = false;   // shipping block, left
    bool sellerBlockRight = false;    // seller block, right
    bool contactBlockRight = false;   // contact block, right
    bool termsBlockRight = false;     // terms block, right
    bool bankBlockRight = false;      // bank block, right
    bool shippingBlockRight = false;  // shipping block, right

    // --- Seller ID panel ---
    std::string typedSellerId;  // the seller's auction-site ID as typed

    bool operator==(const AuctionForm&) const = default;
};

}  // namespace licytek
