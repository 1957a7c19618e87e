// The fixed items of the window's drop-down lists, in the order the lists show them.
// Item names are UTF-8 for display; the form stores only positions (effect and style lists)
// or the shown text (font face and size lists, whose items are plain ASCII).
#pragma once

#include <array>
#include <string_view>

namespace licytek {

// Page-transition effects of pageEnterEffect to siteExitEffect; position 0 is "no effect", 1 a
// blend, 2 and above the reveal transitions 0 to 23. Two items end in a blank, as the list shows
// them.
inline constexpr std::array<std::string_view, 26> kEffectItems = {
    "Brak efektu",
    "Zmieszane",
    "Czworokąt do środka",
    "Czworokąt od środka",
    "Okrąg do środka",
    "Okrąg od środka",
    "Zetrzyj w dół",
    "Zetrzyj w górę",
    "Zetrzyj w prawo",
    "Zetrzyj w lewo",
    "Żaluzja pionowa",
    "Żaluzja pozioma",
    "Szachownica w poprzek",
    "Szachownica w dół",
    "Rozprosz przypadkowo",
    "Zwijanie pionowe",
    "Rozwijanie pionowe",
    "Zwijanie poziome ",
    "Rozwijanie poziome",
    "Prążki do lewej w dół",
    "Prążki do lewej w górę",
    "Prążki do prawej w dół",
    "Prążki do prawej w górę",
    "Losowe pasy pionew ",
    "Losowe pasy poziome",
    "Losowo",
};

// Colour styles of colourStyle, in list order (see ColourStyles.h for their colours).
inline constexpr std::array<std::string_view, 14> kStyleItems = {
    "Arctic",    "Brązowy",      "Czerwony", "Fioletowy", "Gold",  "Kremowy",  "Lemon",
    "Niebieski", "Pomarańczowy", "Różowy",   "Silver",    "Szary", "Wrzosowy", "Zielony",
};

// Font faces of editorFontFace and fontFace ("Courier " keeps its trailing blank).
inline constexpr std::array<std::string_view, 20> kFontFaceItems = {
    "Arial",          "Arial Black",      "Arial Narrow",  "Book Antiqua", "Bookman Old Style",
    "Century Gothic", "Century",          "Comic Sans MS", "Courier ",     "Courier New",
    "Garamond",       "Monotype Corsiva", "MS Mincho",     "Small Fonts",  "Symbol",
    "Tahoma",         "Times New Roman",  "Verdana",       "Webdings",     "Wingdings",
};

// Font sizes of editorFontSize and fontSize ("56" stands before "52", as the list has always
// shown).
inline constexpr std::array<std::string_view, 27> kFontSizeItems = {
    "5",  "6",  "7",  "8",  "9",  "10", "11", "12", "14", "16", "18", "20", "22",  "24",
    "28", "32", "36", "42", "48", "56", "52", "60", "68", "76", "84", "92", "100",
};

}  // namespace licytek
