// A picture of the structured description as Allegro lays it out, for the window's preview: one row
// a section, its two items side by side, a picture as a framed box with its address.
#pragma once

#include <string>

#include "structured/Description.h"

namespace licytek::structured {

// A small HTML page (UTF-8) that a rich-text viewer shows. The TEXT items go in as they are, since
// they hold nothing but the subset; every address is escaped.
std::string DescriptionPreviewHtml(const Description& description);

}  // namespace licytek::structured
