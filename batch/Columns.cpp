#include "batch/Columns.h"

#include <charconv>
#include <unordered_map>

#include "batch/CellLines.h"
#include "batch/InputText.h"
#include "model/TerminalText.h"
#include "model/Text.h"
#include "model/Utf8.h"
#include "offer/OfferData.h"

namespace licytek::batch {
namespace {

constexpr std::string_view kFileColumn = "plik";
constexpr std::string_view kLayoutColumn = "układ";
constexpr std::string_view kOfferColumn = "oferta";
constexpr std::string_view kOfferNumberColumn = "numer oferty";
// Allegro's offer numbers are 11 digits today; room to grow, but not a pasted text.
constexpr std::size_t kMaxOfferNumberDigits = 32;
constexpr std::size_t kLayoutCount = 8;
// Room for ".allegro.json" within the 255 bytes a file name may have.
constexpr std::size_t kMaxOutputNameBytes = 240;

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Every input under its folded control name and folded label.
const std::unordered_map<std::string, const FormField*>& InputsByName() {
    static const auto names = [] {
        std::unordered_map<std::string, const FormField*> map;
        for (const FormField& field : FormFields()) {
            map.emplace(FoldCase(field.name), &field);
            map.emplace(FoldCase(field.label), &field);
        }
        return map;
    }();
    return names;
}

Column ColumnFor(std::string_view header) {
    Column column{std::string(Trim(header))};
    const std::string key = FoldCase(column.header);
    if (key == kFileColumn) {
        column.role = ColumnRole::FileName;
    } else if (key == kLayoutColumn) {
        column.role = ColumnRole::Layout;
    } else if (key == kOfferColumn || key == kOfferNumberColumn) {
        column.role = ColumnRole::OfferId;
    } else if (auto it = InputsByName().find(key); it != InputsByName().end()) {
        column.role = ColumnRole::Input;
        column.field = it->second;
    } else if (offer::IsOfferColumn(column.header)) {
        column.role = ColumnRole::OfferData;
    }
    return column;
}

// What a column sets, so that two columns setting one thing meet under one key: the input's
// field, or the file name, or the layout. Unknown columns set nothing.
const void* WhatItSets(const Column& column) {
    static const char fileName = 0;
    static const char layout = 0;
    static const char offer = 0;
    switch (column.role) {
        case ColumnRole::Input:
            return column.field;
        case ColumnRole::FileName:
            return &fileName;
        case ColumnRole::Layout:
            return &layout;
        case ColumnRole::OfferId:
            return &offer;
        case ColumnRole::OfferData:  // reading the offer data tells a key given twice
        case ColumnRole::Unknown:
            break;
    }
    return nullptr;
}

std::optional<bool> SwitchValue(std::string_view value) {
    const std::string folded = FoldCase(Trim(value));
    // "prawda" and "fałsz" are how a Polish spreadsheet shows and saves a logical value.
    if (folded == "1" || folded == "tak" || folded == "true" || folded == "x" ||
        folded == "prawda") {
        return true;
    }
    if (folded == "0" || folded == "nie" || folded == "false" || folded == "fałsz") {
        return false;
    }
    return std::nullopt;
}

std::optional<int> WholeNumber(std::string_view text) {
    int number = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || stop != end || text.empty()) {
        return std::nullopt;
    }
    return number;
}

// The position of a list item by its number (from 0, -1 for none) or its text.
std::optional<int> ListPosition(const FormField& field, std::string_view utf8) {
    const std::string_view value = Trim(utf8);
    if (const auto number = WholeNumber(value)) {
        const bool inList = *number >= kNoListItem && *number < field.listSize;
        return inList ? number : std::nullopt;
    }
    const std::string folded = FoldCase(value);
    for (std::size_t i = 0; i < field.items.size(); ++i) {
        // Two items end in a blank that nobody types.
        if (FoldCase(Trim(field.items[i])) == folded) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// What is wrong with a UTF-8 cell that Windows-1250 refused at `offset`.
std::string Cp1250Refusal(std::string_view utf8, std::size_t offset) {
    if (!IsValidUtf8(utf8)) {
        return "tekst nie jest poprawnym UTF-8 (zapisz plik jako UTF-8 albo Windows-1250)";
    }
    const auto lead = static_cast<unsigned char>(utf8[offset]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return "znak „" + std::string(utf8.substr(offset, length)) +
           "” nie istnieje w Windows-1250, w którym powstaje strona";
}

}  // namespace

std::string ColumnName(std::span<const Column> columns, std::size_t index) {
    if (index < columns.size() && !columns[index].header.empty()) {
        return columns[index].header;
    }
    return "kolumna " + std::to_string(index + 1);
}

std::variant<std::vector<Column>, HeaderProblem> MapHeader(std::span<const std::string> cells) {
    std::vector<Column> columns;
    columns.reserve(cells.size());
    // One look-up a column: a header of a million columns is read in a moment.
    std::unordered_map<const void*, std::size_t> columnSetting;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        Column column = ColumnFor(cells[i]);
        if (const void* sets = WhatItSets(column)) {
            const auto [earlier, first] = columnSetting.emplace(sets, i);
            if (!first) {
                return HeaderProblem{i, "kolumna ustawia to samo co kolumna „" +
                                            ColumnName(columns, earlier->second) + "”"};
            }
        }
        columns.push_back(std::move(column));
    }
    return columns;
}

CellValue CellToCp1250(std::string_view raw, bool utf8Input, const FormField& field) {
    if (!utf8Input || IsAscii(raw)) {
        return {std::string(raw), {}};
    }
    std::size_t badOffset = 0;
    if (auto converted = FieldTextFromUtf8(field, raw, &badOffset)) {
        return {std::move(*converted), {}};
    }
    return {{}, Cp1250Refusal(raw, badOffset)};
}

CellValue CellToUtf8(std::string_view raw, bool utf8Input) {
    if (!utf8Input) {
        return {Cp1250ToUtf8(raw), {}};
    }
    if (!IsValidUtf8(raw)) {
        return {{}, "tekst nie jest poprawnym UTF-8 (zapisz plik jako UTF-8)"};
    }
    return {std::string(raw), {}};
}

std::optional<std::string> RowApplier::Apply(const Column& column, std::string_view raw) {
    if (column.role == ColumnRole::Unknown) {
        return "nieznana kolumna: to nie jest nazwa pola (Edit2, Memo1…), jego etykieta, "
               "„plik”, „układ”, „oferta” ani kolumna danych nowej oferty";
    }
    // Read by the caller: the files' name, the offer, and the offer data (only to create).
    if (column.role == ColumnRole::FileName || column.role == ColumnRole::OfferId ||
        column.role == ColumnRole::OfferData) {
        return std::nullopt;
    }
    if (column.role == ColumnRole::Input && IsTextKind(column.field->kind)) {
        return ApplyText(*column.field, raw);
    }
    const CellValue utf8 = CellToUtf8(raw, utf8Input_);
    if (!utf8.ok()) {
        return utf8.problem;
    }
    const std::string& value = utf8.text;
    if (column.role == ColumnRole::Layout) {
        return ApplyLayout(column, value);
    }
    if (column.field->kind == FieldKind::Switch) {
        return ApplySwitch(column, value);
    }
    return ApplyListPosition(*column.field, value);
}

std::optional<std::string> RowApplier::ApplyText(const FormField& field, std::string_view raw) {
    const CellValue text = CellToCp1250(raw, utf8Input_, field);
    if (!text.ok()) {
        return text.problem;
    }
    form_.*field.text = ToCrLf(text.text);
    if (BreaksCellLines(field.name)) {
        form_.*field.text = BreakCellLines(form_.*field.text);
    }
    return std::nullopt;
}

std::optional<std::string> RowApplier::ApplySwitch(const Column& column, std::string_view value) {
    const auto on = SwitchValue(value);
    if (!on) {
        return Quoted(value) +
               " to nie przełącznik: wpisz 1 albo 0, tak albo nie, true albo "
               "false, albo x";
    }
    if (*on && column.field->group != SwitchGroup::None) {
        return Choose(column, *column.field);
    }
    form_.*column.field->flag = *on;
    return std::nullopt;
}

std::optional<std::string> RowApplier::ApplyListPosition(const FormField& field,
                                                         std::string_view value) {
    const auto position = ListPosition(field, value);
    if (!position) {
        return Quoted(value) + " to nie pozycja tej listy: wpisz jej tekst albo numer od 0 do " +
               std::to_string(field.listSize - 1) + " (-1 to żadna)";
    }
    form_.*field.position = *position;
    return std::nullopt;
}

std::optional<std::string> RowApplier::ApplyLayout(const Column& column, std::string_view value) {
    const auto number = WholeNumber(Trim(value));
    if (!number || *number < 1 || *number > static_cast<int>(kLayoutCount)) {
        return "układ to numer od 1 do 8, nie " + Quoted(value);
    }
    return Choose(column, *FindFormField("RadioButton" + std::to_string(*number)));
}

std::optional<std::string> RowApplier::Choose(const Column& column, const FormField& member) {
    const Column*& chosenBy = chosenBy_[static_cast<std::size_t>(member.group)];
    if (chosenBy != nullptr) {
        return "w tej grupie wybiera już kolumna „" + chosenBy->header + "”";
    }
    chosenBy = &column;
    for (const FormField& other : FormFields()) {
        if (other.kind == FieldKind::Switch && other.group == member.group) {
            form_.*other.flag = &other == &member;
        }
    }
    return std::nullopt;
}

CellValue OutputName(std::string_view utf8Cell) {
    const std::string_view name = Trim(utf8Cell);
    if (name.empty()) {
        return {{}, "pusta nazwa pliku"};
    }
    if (name.find("..") != std::string_view::npos || name == ".") {
        return {{}, "nazwa pliku " + Quoted(name) + " nie może zawierać „..” ani być „.”"};
    }
    char32_t c = 0;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = ReadUtf8(name.substr(at), c);  // the cell is UTF-8 by now
        if (length == 0 || c == '/' || c == '\\' || IsInvisibleControl(c)) {
            return {{},
                    "nazwa pliku " + Quoted(name) +
                        " nie może zawierać „/”, „\\”, znaków sterujących ani zmieniających "
                        "kierunek pisma"};
        }
        at += length;
    }
    if (name.size() > kMaxOutputNameBytes) {
        return {{}, "nazwa pliku jest za długa"};
    }
    return {std::string(name), {}};
}

CellValue OfferNumber(std::string_view utf8Cell) {
    const std::string_view number = Trim(utf8Cell);
    if (number.empty() || number.size() > kMaxOfferNumberDigits ||
        number.find_first_not_of("0123456789") != std::string_view::npos) {
        return {
            {},
            "numer oferty to same cyfry (jak w adresie oferty na Allegro), nie " + Quoted(number)};
    }
    return {std::string(number), {}};
}

std::string Quoted(std::string_view utf8) {
    constexpr std::size_t kShown = 40;
    // Control characters stay: every line is made visible as a whole before it is shown.
    const std::string_view shown = Utf8Prefix(utf8, kShown);
    return "„" + std::string(shown) + (shown.size() < utf8.size() ? "…" : "") + "”";
}

}  // namespace licytek::batch
