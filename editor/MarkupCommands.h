// The fixed pieces of markup that one click adds as a new line: the gallery placeholder, a
// line break and the four paragraph alignments. The description group's buttons add them to
// the item description itemDescription, the text editor's "Nowy wiersz" and "Wstaw galerię" to
// editorText.
#pragma once

#include <string>
#include <string_view>

namespace licytek {

enum class Markup {
    Gallery,         // galleryButton "Wstaw galerię" (editorGalleryButton in the text editor)
    NewLine,         // newLineButton "Nowy wiersz" (editorNewLineButton in the text editor)
    AlignLeft,       // alignLeftButton "Do lewej"
    AlignCenter,     // alignCentreButton "Wyśrodkuj"
    AlignRight,      // alignRightButton "Do prawej"
    AlignJustified,  // justifyButton "Wyjustuj"
};

// Where the auction site shows the seller's own picture gallery.
inline constexpr std::string_view kGalleryPlaceholder = "<br><br><tt><GALERIA></tt><br><br>";

// The markup text that `markup` adds. The alignments open a paragraph and leave it open: the
// seller types its text after it.
std::string_view MarkupText(Markup markup);

// `text` with the markup added as a new last line.
std::string AddMarkup(std::string_view text, Markup markup);

}  // namespace licytek
