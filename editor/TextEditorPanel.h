// The text editor panel Panel5: turns the typed text Memo3 and the panel's settings into one
// formatted snippet, collects the snippets in the ready code Memo4, and hands the ready code
// over to the item description Memo1. The typed text and every setting are written verbatim.
#pragma once

#include <string>

#include "model/AuctionForm.h"

namespace licytek {

// One snippet: a paragraph with the alignment of the pressed switch among Panel9..Panel12, a
// font element (face ComboBox6, size ComboBox7 in points, colour Edit27), the bold, italic and
// underline elements of Panel6..Panel8, a moving-text element when CheckBox20 is ticked
// (step Edit29, delay Edit28, background Edit30, direction "prawo" RadioButton12, behaviour
// "Wysuwanie" RadioButton14 or "Zmiennie" RadioButton15), and the text of Memo3. Every element
// closes in the reverse order of opening, inside the one around it, so that the snippet's
// font, alignment and moving text end with it.
//
// The alignment switches work as one group. Should none be pressed, the paragraph is aligned
// left, and should several be, the first of them counts: the paragraph always gets one
// complete align attribute.
std::string BuildSnippet(const AuctionForm& form);

// Button23 "Wstaw": the new Memo4, with the snippet glued to its end.
std::string AddSnippet(const AuctionForm& form);

// Button25 "Zapisz i zamknij": the new Memo1, with the whole of Memo4 glued to its end.
// Memo4 itself is left as it is.
std::string SaveReadyCode(const AuctionForm& form);

}  // namespace licytek
