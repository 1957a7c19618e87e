// The sheet that `pull --all` writes: the seller's offers as rows that the batch reads back as
// they are and `batch --publish` sends back.
//
// The spreadsheet has the columns "plik", "oferta", "Nagłówek aukcji" and "Opis przedmiotu",
// one row an offer:
//  - CSV: UTF-8 with a byte-order mark, ';' between cells and CR LF after each row, as a Polish
//    spreadsheet opens and saves it. A cell holding ';', '"', a line break or blanks at its
//    ends is quoted, with its quotes doubled. Lines inside a cell end in LF, as spreadsheets
//    write them (Alt+Enter).
//  - JSON lines: one object a line with "plik", "oferta", "Edit2" and "Memo1" (UTF-8).
// The description keeps the form's markup, one top-level element a line, so each line ends
// in a block element and the batch adds no line break of its own to it. Characters that the
// form holds as references (&#178;) stand in the sheet as themselves (²), as the seller reads
// them; the batch turns them back into references.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace licytek::batch {

enum class SheetKind { Csv, JsonLines };

// The kind of sheet a file name asks for by its ending (".csv", ".jsonl", any letter case).
std::optional<SheetKind> SheetKindOf(std::string_view path);

// Names for the rows' files, made from the offers' titles: letters and digits in ASCII (Polish
// letters without their marks, in lower case), everything else a single '-', at most 60
// bytes. No name is empty, begins with '.', or is one that Windows keeps for devices (con,
// nul, com1...), and none repeats, whatever the letter case: a repeat gets "-2", "-3"...
class FileNames {
  public:
    std::string Next(std::string_view utf8Title);

  private:
    std::unordered_set<std::string> used_;
};

// Excel cuts a cell longer than this many characters (UTF-16 units) when it opens a file.
inline constexpr std::size_t kExcelCellCharacters = 32767;

// A sheet of pulled offers, built row by row.
class OfferSheet {
  public:
    explicit OfferSheet(SheetKind kind);
    // Adds the offer's row, named after its title; the texts are the form's (Windows-1250,
    // CR LF). Answers the description cell's length in characters (UTF-16 units).
    std::size_t Add(std::string_view offerId, std::string_view title, std::string_view description);
    // The text built since the last call (the header and rows so far, at first), handed out so
    // that a sheet of thousands of rows can go to its file row by row.
    std::string TakeText() { return std::exchange(text_, {}); }
    std::size_t Rows() const { return rows_; }

  private:
    SheetKind kind_;
    FileNames names_;
    std::string text_;
    std::size_t rows_ = 0;
};

// What the seller reads when the description of the offer `offerId` is too long for Excel
// (`characters` in UTF-16 units, past kExcelCellCharacters).
std::string TooLongForExcel(std::string_view offerId, std::size_t characters);

}  // namespace licytek::batch
