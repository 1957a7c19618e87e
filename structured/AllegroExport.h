// The structured description that today's Allegro accepts, made from the same form as the
// classic page: sections of TEXT and IMAGE items, the offer's title and pictures, and a report
// of everything the seller should know about what was left out or would be refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/AuctionForm.h"
#include "structured/Description.h"

namespace licytek::structured {

struct ExportOptions {
    bool withTerms = false;  // add the auction terms and the shipping costs as two sections
    // Keep a picture from the seller's disk (see IsLocalPictureSource) as an IMAGE item with
    // its source as content, with a note instead of an error: for a caller that uploads it
    // and puts the uploaded address in its place before anything reaches Allegro.
    bool acceptLocalPictures = false;
};

// The first line of an item description that keeps the auction header out of the structured
// description: an offer brought in from Allegro whose description does not begin with its
// title as a heading gets it, so that sending it back adds no heading it did not have. An
// HTML comment, so that the classic page shows nothing of it either.
inline constexpr std::string_view kNoTitleHeadingMark = "<!-- bez nagłówka -->";

// Whether the item description (UTF-8) begins with kNoTitleHeadingMark, blanks before it
// allowed.
bool HasNoTitleHeadingMark(std::string_view utf8Description);

// The text of a one-line input of the form (the auction header, the description header, a
// shipping cost) as the page shows it: numeric character references as their characters,
// blanks collapsed. UTF-8.
std::string FormLineText(std::string_view cp1250);

// Whether a picture's source names a file on the seller's disk: an absolute path, a file://
// address, or a path without a scheme (relative to the project's folder).
bool IsLocalPictureSource(std::string_view utf8Source);

// One offer for Allegro: its title, its pictures and its description.
struct AllegroOffer {
    std::string name;                  // the offer's title (the auction header), UTF-8
    std::vector<std::string> images;   // picture addresses in order of first use, UTF-8
    Description description;           // passes ValidateDescription unless HasErrors()
    std::size_t descriptionBytes = 0;  // the description object as UTF-8 JSON
    std::vector<Finding> findings;     // errors first, then warnings, then notes

    bool HasErrors() const;
};

// The offer for `form`. Never throws on any form; a description that breaks one of Allegro's
// limits comes back with an error finding for each broken limit.
AllegroOffer ExportAllegro(const AuctionForm& form, const ExportOptions& options = {});

// {"name": TITLE, "images": [URL, ...], "description": {"sections": [...]}}, compact UTF-8.
std::string OfferToJson(const AllegroOffer& offer);

// What the seller pastes by hand: each section's start marked by a line "<!-- sekcja N -->",
// the TEXT contents in order, one block a line, then a numbered list of the pictures to add
// with the sections they go in ("1. https://... (sekcja 2)"). UTF-8, lines end with LF.
std::string OfferToPasteText(const AllegroOffer& offer);

// Text for the clipboard in the two forms a rich-text editor takes, both UTF-8: the TEXT
// contents as HTML, and the same text without tags (blocks apart by a blank line, each list
// item on a line of its own after "- ", or after its number in a numbered list).
struct ClipboardText {
    std::string html;
    std::string plain;
};

// Every TEXT item of the description, in order.
ClipboardText DescriptionClipboardText(const Description& description);

// The TEXT item of one section; both texts empty when the section holds only pictures.
ClipboardText SectionClipboardText(const Section& section);

}  // namespace licytek::structured
