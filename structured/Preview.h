// A picture of the structured description as Allegro lays it out, for the window's preview: one row
// a section, its two items side by side, a picture as a framed box with its address.
#pragma once

#include <span>
#include <string>

#include "structured/Description.h"
#include "structured/DescriptionComparison.h"

namespace licytek::structured {

// A small HTML page (UTF-8) that a rich-text viewer shows. The TEXT items go in as they are, since
// they hold nothing but the subset; every address is escaped.
std::string DescriptionPreviewHtml(const Description& description);

// The same page with each paragraph and picture that `pieces` (one side of a comparison of
// `description`) marks as added, removed or changed on a colour of its own, under the change
// in words ("Nowy akapit", "Usunięte zdjęcie"...).
std::string ComparedPreviewHtml(const Description& description,
                                std::span<const ComparedPiece> pieces);

}  // namespace licytek::structured
