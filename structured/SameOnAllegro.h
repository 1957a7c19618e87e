// Whether two structured descriptions show the same on Allegro, so that an update that would
// change nothing visible is not sent at all.
#pragma once

#include "structured/Description.h"

namespace licytek::structured {

// The same sections, the same items in each, pictures at the same addresses, and TEXT items
// with the same blocks, lines, text and bold, however they are spelled: `<b>a</b> <b>b</b>`
// and `<b>a b</b>`, a blank before `</li>`, `&#39;` and `'` show the same. Text that shows
// otherwise (another character, a non-breaking space for a space) differs.
bool ShowsTheSame(const Description& a, const Description& b);

}  // namespace licytek::structured
