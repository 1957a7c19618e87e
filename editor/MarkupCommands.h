// The fixed pieces of markup that one click adds as a new line: the gallery placeholder, a
// line break and the four paragraph alignments. The description group's buttons add them to
// the item description Memo1, the text editor's "Nowy wiersz" and "Wstaw galerię" to Memo3.
#pragma once

#include <string>
#include <string_view>

namespace licytek {

enum class Markup {
    Gallery,         // Button9 "Wstaw galerię" (Button21 in the text editor)
    NewLine,         // Button5 "Nowy wiersz" (Button19 in the text editor)
    AlignLeft,       // Button1 "Do lewej"
    AlignCenter,     // Button2 "Wyśrodkuj"
    AlignRight,      // Button3 "Do prawej"
    AlignJustified,  // Button4 "Wyjustuj"
};

// Where the auction site shows the seller's own picture gallery.
inline constexpr std::string_view kGalleryPlaceholder = "<br><br><tt><GALERIA></tt><br><br>";

// The markup text that `markup` adds. The alignments open a paragraph and leave it open: the
// seller types its text after it.
std::string_view MarkupText(Markup markup);

// `text` with the markup added as a new last line.
std::string AddMarkup(std::string_view text, Markup markup);

}  // namespace licytek
