// An offer already on Allegro brought into the form: its name becomes the auction header and
// its structured description becomes the item description, written as the markup that the
// export reads back into the same sections.
//
// The markup written, and why (the least that the export reads back exactly):
//  - each TEXT item's elements as they are: <h1>, <h2>, <p>, <ul>/<ol> with <li>, and <b>;
//    text with only &, < and > escaped; one top-level element a line;
//  - each picture as <img src="..."> at its place, on a line of its own;
//  - <hr> where a section begins that the export's grouping would otherwise join to the one
//    before it (a lone item, or text right after text);
//  - a paragraph that begins like a typed list line ("- ", "* ", "• ", "1. ") gets an empty
//    comment <!----> after its first character, so that it stays a paragraph;
//  - a character that Windows-1250 cannot hold (emoji, ✔, other scripts) as a numeric
//    character reference (&#10004;), which the page shows and the export decodes back.
// A first <h1> equal to the offer's name is left out: the export writes the auction header
// as that heading itself. Where the description has no such heading, its first line is
// kNoTitleHeadingMark, so that the export adds none: sending the offer back adds no heading.
// The name itself keeps a character outside Windows-1250 as its reference too.
//
// Spellings other than the export's come back in its spelling: blanks between elements and
// runs of spaces collapse, entities such as &nbsp; or &#39; become their characters, and
// elements that show no text at all (an empty <p>, <p>&nbsp;</p>) are left out.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "model/AuctionForm.h"
#include "structured/Description.h"

namespace licytek::structured {

// The form's texts for an offer: Windows-1250, lines separated by CR LF.
struct PulledOffer {
    std::string title;        // the auction header
    std::string description;  // the item description
};

// The form's texts for an offer named `utf8Name` with `description`, as Allegro gives them.
// An error finding (naming "Edit2" or "Memo1") when the form cannot hold them as they are:
// a description that breaks the format's markup or arrangement rules, or a character no page
// can carry (U+0000, C1 controls) in the name or the description.
std::variant<PulledOffer, Finding> PullOffer(std::string_view utf8Name,
                                             const Description& description);

// The pulled texts in the form: the auction header, the item description, and no
// subheading (the export would add it as a heading the offer does not have).
void PutIntoForm(const PulledOffer& pulled, AuctionForm& form);

}  // namespace licytek::structured
