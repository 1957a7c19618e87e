// The picture, link and font panels: each turns its few fields into one tag and adds it to
// the end of the item description itemDescription. Fields are written verbatim: nothing is escaped,
// trimmed or checked, so whatever markup the seller types goes into the page.
#pragma once

#include <string>
#include <string_view>

#include "model/AuctionForm.h"

namespace licytek {

// Links and linked pictures all open in this one named browser window.
inline constexpr std::string_view kLinkTarget = "_o_opo";

// pictureInsertButton "Wstaw" of the picture panel: the new itemDescription.
// From a web server (pictureFromWeb): an optional line opening a link to pictureLinkAddress
// (pictureOpensAddress), then a line with the picture pictureAddress, sized pictureWidth x
// pictureHeight per cent when pictureResized is ticked, closing the link on the same line. From the
// gallery (pictureFromGallery): the gallery placeholder, glued to the last line; the web-server
// fields are ignored then.
std::string InsertPicture(const AuctionForm& form);

// linkInsertButton "Wstaw" of the link panel: the new itemDescription, with a line holding a link
// to linkAddress that shows the text linkText.
std::string InsertLink(const AuctionForm& form);

// fontInsertButton "Zmień" of the font panel: the new itemDescription, with a font start tag (face
// fontFace, colour fontColour, size fontSize in points) glued to the last line. The tag is never
// closed: it holds for everything after it.
std::string ChangeFont(const AuctionForm& form);

}  // namespace licytek
