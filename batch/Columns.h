// The columns of a spreadsheet of offers, and what a cell does to the form: a column is named
// by an input's control name or its Polish label in any letter case, or it is "plik" (the
// output file's name), "układ" (the layout, 1 to 8) or "oferta" (the Allegro offer to send
// the description to; also "numer oferty"), or a column of a new offer's data ("kategoria",
// "cena", "parametr: Kolor" …), which only a batch that creates offers reads.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/AuctionForm.h"
#include "model/FormFields.h"

namespace licytek::batch {

enum class ColumnRole { Input, FileName, Layout, OfferId, OfferData, Unknown };

struct Column {
    std::string header;  // as the file names it, UTF-8, without blanks at the ends
    ColumnRole role = ColumnRole::Unknown;
    const FormField* field = nullptr;  // ColumnRole::Input
};

// Where a message about a cell points: its column's header, or "kolumna N" for a column
// without one.
std::string ColumnName(std::span<const Column> columns, std::size_t index);

struct HeaderProblem {
    std::size_t column;  // from 0
    std::string message;
};

// The columns the header's cells (UTF-8) name. Two columns for the same input are a problem
// of the whole file: no row could say which one counts.
std::variant<std::vector<Column>, HeaderProblem> MapHeader(std::span<const std::string> cells);

// A cell's value, or what is wrong with it (Polish).
struct CellValue {
    std::string text;
    std::string problem;
    bool ok() const { return problem.empty(); }
};

// The Windows-1250 text of a cell of `field` read from a UTF-8 or a Windows-1250 file; a
// character the code page lacks follows the input's rule (FieldTextFromUtf8).
CellValue CellToCp1250(std::string_view raw, bool utf8Input, const FormField& field);
// The UTF-8 text of a cell.
CellValue CellToUtf8(std::string_view raw, bool utf8Input);

// Applies the cells of one row onto a copy of the template, remembering what a row may set
// only once (a radio group's choice).
class RowApplier {
  public:
    RowApplier(AuctionForm& form, bool utf8Input) : form_(form), utf8Input_(utf8Input) {}

    // Applies a non-empty cell of column `column`; the message says what is wrong with it.
    std::optional<std::string> Apply(const Column& column, std::string_view raw);

  private:
    std::optional<std::string> ApplyText(const FormField& field, std::string_view raw);
    std::optional<std::string> ApplySwitch(const Column& column, std::string_view value);
    std::optional<std::string> ApplyListPosition(const FormField& field, std::string_view value);
    std::optional<std::string> ApplyLayout(const Column& column, std::string_view value);
    std::optional<std::string> Choose(const Column& column, const FormField& member);

    AuctionForm& form_;
    bool utf8Input_;
    // The column that chose a member of each radio group in this row.
    std::array<const Column*, 6> chosenBy_{};
};

// The output file's base name from the cell of "plik" (UTF-8).
CellValue OutputName(std::string_view utf8Cell);

// The Allegro offer number from the cell of "oferta" (UTF-8): digits, blanks around allowed.
CellValue OfferNumber(std::string_view utf8Cell);

// The value quoted for a message: „value”, cut short and on one line.
std::string Quoted(std::string_view utf8);

}  // namespace licytek::batch
