// The seller's whole form: every input of the main window and its side panels.
//
// Members are named after the window's controls, so that the window, the project file, the
// command-line tool and the generator speak of the same thing. Texts hold Windows-1250 bytes
// with CR LF between lines. Check boxes, radio buttons and the switch panels are bools; the
// effect and style lists hold the selected position (-1 for none); the font face and size
// lists hold their shown text.
#pragma once

#include <string>

namespace licytek {

inline constexpr int kNoListItem = -1;

struct AuctionForm {
    // --- Main area, "Informacje niezbędne" (required information) ---
    std::string Edit2;       // auction header, the big title at the top of the page
    bool CheckBox1 = false;  // write the ask-the-seller link ("Zadaj pytanie sprzedającemu")
    std::string Edit3;       // phone number
    std::string Edit4;       // Gadu-Gadu number
    std::string Memo2;       // auction terms, several lines
    std::string Edit5;       // bank account number
    std::string Edit6;       // shipping costs, line 1
    std::string Edit7;       // shipping costs, line 2
    std::string Edit8;       // shipping costs, line 3
    std::string Edit9;       // shipping costs, line 4
    bool CheckBox6 = false;  // link to the seller's about-me page
    bool CheckBox7 = false;  // link to the seller's other auctions
    bool CheckBox8 = false;  // link to the seller's comments
    bool CheckBox9 = false;  // add-the-seller-to-favourites link

    // --- Main area, "Opis przedmiotu" (item description) ---
    std::string Edit1;  // description header
    std::string Memo1;  // item description, several lines, with the seller's markup

    // --- Main area, "Kolory" (page colours) ---
    std::string Edit14 = "#FFFFFF";  // page background
    std::string Edit15 = "#000000";  // borders, bars, scroll bars, gradient end
    std::string Edit16 = "#FFFFFF";  // table interiors, gradient start
    std::string Edit18 = "#FFFFFF";  // header text
    std::string Edit19 = "#000000";  // text in the tables (no builder writes it)
    std::string Edit20 = "#000000";  // active links
    std::string Edit21 = "#000000";  // visited links
    int ComboBox5 = kNoListItem;     // colour style list position

    // --- Main area, "Dodatkowe opcje" (further options) ---
    int ComboBox1 = kNoListItem;  // page-enter effect
    std::string Edit10 = "2.0";   // page-enter duration
    int ComboBox2 = kNoListItem;  // site-enter effect
    std::string Edit11 = "2.0";   // site-enter duration
    int ComboBox3 = kNoListItem;  // page-exit effect
    std::string Edit12 = "2.0";   // page-exit duration
    int ComboBox4 = kNoListItem;  // site-exit effect
    std::string Edit13 = "2.0";   // site-exit duration
    bool CheckBox2 = false;       // background gradient
    bool CheckBox3 = false;       // right-click lock
    bool CheckBox5 = false;       // description lock
    bool CheckBox4 = false;       // link hover highlight

    // --- Main area, "Aukcja" (page layout, one of eight) ---
    bool RadioButton1 = true;  // layout 1
    bool RadioButton2 = false;
    bool RadioButton3 = false;
    bool RadioButton4 = false;
    bool RadioButton5 = false;
    bool RadioButton6 = false;
    bool RadioButton7 = false;
    bool RadioButton8 = false;  // layout 8, arranged with Panel17

    // --- Picture panel Panel2, "Wstaw zdjęcie" ---
    bool RadioButton9 = true;        // picture from a web server
    bool RadioButton10 = false;      // picture from the auction site's gallery
    std::string Edit17 = "http://";  // picture address
    bool CheckBox18 = false;         // the picture opens an address when clicked
    std::string Edit22 = "http://";  // address the picture opens
    bool CheckBox19 = false;         // give the picture a size
    std::string Edit23 = "100";      // width in per cent
    std::string Edit24 = "100";      // height in per cent

    // --- Link panel Panel4, "Wstaw link" ---
    std::string Edit25;              // link text
    std::string Edit26 = "http://";  // link address

    // --- Font panel Panel13 ---
    std::string ComboBox9 = "Verdana";  // font face
    std::string ComboBox8 = "12";       // font size in points
    std::string Edit31 = "#000000";     // font colour

    // --- Text editor panel Panel5, "Edytor tekstu" ---
    std::string ComboBox6 = "Verdana";  // font face
    std::string ComboBox7 = "12";       // font size in points
    std::string Edit27 = "#000000";     // font colour
    std::string Memo3;                  // the text to format
    bool Panel6 = false;                // bold
    bool Panel7 = false;                // italic
    bool Panel8 = false;                // underline
    bool Panel9 = true;                 // align left
    bool Panel10 = false;               // align centre
    bool Panel11 = false;               // align right
    bool Panel12 = false;               // justify
    bool CheckBox20 = false;            // make the text a moving text
    bool RadioButton13 = false;         // animation: scrolling
    bool RadioButton14 = false;         // animation: sliding in
    bool RadioButton15 = false;         // animation: alternating
    bool RadioButton11 = false;         // direction: left
    bool RadioButton12 = false;         // direction: right
    std::string Edit28 = "50";          // delay between steps
    std::string Edit29 = "8";           // size of one step
    std::string Edit30 = "#FFFFFF";     // background of the moving text
    std::string Memo4;                  // ready code: the snippets built so far

    // --- Banner panel Panel14, "Banner i grafika na tło" ---
    bool CheckBox22 = false;         // show a banner picture after the body start
    std::string Edit32 = "http://";  // banner picture address
    bool CheckBox21 = false;         // background picture instead of the background colour
    std::string Edit33 = "http://";  // background picture address

    // --- Keywords panel Panel15, "Słowa kluczowe" ---
    std::string Edit34;  // page title
    std::string Memo5;   // keywords
    std::string Memo8;   // short description for search engines

    // --- Right-click message panel Panel16 ---
    std::string Edit35 = "Blokada Prawego Przycisku Myszy";  // message of the right-click lock

    // --- Arrangement panel Panel17 (layout 8): left and right column switches ---
    bool CheckBox23 = false;  // seller block, left
    bool CheckBox24 = false;  // contact block, left
    bool CheckBox25 = false;  // terms block, left
    bool CheckBox26 = false;  // bank block, left
    bool CheckBox27 = false;  // shipping block, left
    bool CheckBox32 = false;  // seller block, right
    bool CheckBox31 = false;  // contact block, right
    bool CheckBox30 = false;  // terms block, right
    bool CheckBox29 = false;  // bank block, right
    bool CheckBox28 = false;  // shipping block, right

    // --- Seller ID panel Panel18 ---
    std::string Edit37;  // the seller's auction-site ID as typed

    bool operator==(const AuctionForm&) const = default;
};

}  // namespace licytek
