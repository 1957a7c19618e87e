// The picture, link and font panels: each turns its few fields into one tag and adds it to
// the end of the item description Memo1. Fields are written verbatim: nothing is escaped,
// trimmed or checked, so whatever markup the seller types goes into the page.
#pragma once

#include <string>
#include <string_view>

#include "model/AuctionForm.h"

namespace licytek {

// Links and linked pictures all open in this one named browser window.
inline constexpr std::string_view kLinkTarget = "_o_opo";

// Button15 "Wstaw" of the picture panel: the new Memo1.
// From a web server (RadioButton9): an optional line opening a link to Edit22 (CheckBox18),
// then a line with the picture Edit17, sized Edit23 x Edit24 per cent when CheckBox19 is
// ticked, closing the link on the same line. From the gallery (RadioButton10): the gallery
// placeholder, glued to the last line; the web-server fields are ignored then.
std::string InsertPicture(const AuctionForm& form);

// Button17 "Wstaw" of the link panel: the new Memo1, with a line holding a link to Edit26
// that shows the text Edit25.
std::string InsertLink(const AuctionForm& form);

// Button26 "Zmień" of the font panel: the new Memo1, with a font start tag (face ComboBox9,
// colour Edit31, size ComboBox8 in points) glued to the last line. The tag is never closed:
// it holds for everything after it.
std::string ChangeFont(const AuctionForm& form);

}  // namespace licytek
