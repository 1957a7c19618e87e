// The text editor panel textEditorPanel: turns the typed text editorText and the panel's settings
// into one formatted snippet, collects the snippets in the ready code readyCode, and hands the
// ready code over to the item description itemDescription. The typed text and every setting are
// written verbatim.
#pragma once

#include <string>

#include "model/AuctionForm.h"

namespace licytek {

// One snippet: a paragraph with the alignment of the pressed switch among
// editorAlignLeft..editorJustify, a font element (face editorFontFace, size editorFontSize in
// points, colour editorFontColour), the bold, italic and underline elements of
// editorBold..editorUnderline, a moving-text element when movingText is ticked (step movingStep,
// delay movingDelay, background movingBackground, direction "prawo" movesRight, behaviour
// "Wysuwanie" slidingAnimation or "Zmiennie" alternatingAnimation), and the text of editorText.
// Every element closes in the reverse order of opening, inside the one around it, so that the
// snippet's font, alignment and moving text end with it.
//
// The alignment switches work as one group. Should none be pressed, the paragraph is aligned
// left, and should several be, the first of them counts: the paragraph always gets one
// complete align attribute.
std::string BuildSnippet(const AuctionForm& form);

// editorInsertButton "Wstaw": the new readyCode, with the snippet glued to its end.
std::string AddSnippet(const AuctionForm& form);

// editorSaveButton "Zapisz i zamknij": the new itemDescription, with the whole of readyCode glued
// to its end. readyCode itself is left as it is.
std::string SaveReadyCode(const AuctionForm& form);

}  // namespace licytek
