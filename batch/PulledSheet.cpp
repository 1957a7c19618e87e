#include "batch/PulledSheet.h"

#include <array>
#include <nlohmann/json.hpp>

#include "model/CaseFold.h"
#include "model/PolishNumbers.h"
#include "model/Text.h"
#include "model/Utf8.h"

namespace licytek::batch {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kCsvHeader = "plik;oferta;Nagłówek aukcji;Opis przedmiotu\r\n";
constexpr std::size_t kMaxFileNameBytes = 60;

// The ASCII letter a Polish letter is written with when marks cannot be, in lower case.
char PolishLetterFolded(char32_t c) {
    struct Fold {
        char32_t letter;
        char ascii;
    };
    static constexpr std::array<Fold, 18> kFolds = {{{U'ą', 'a'},
                                                     {U'ć', 'c'},
                                                     {U'ę', 'e'},
                                                     {U'ł', 'l'},
                                                     {U'ń', 'n'},
                                                     {U'ó', 'o'},
                                                     {U'ś', 's'},
                                                     {U'ź', 'z'},
                                                     {U'ż', 'z'},
                                                     {U'Ą', 'a'},
                                                     {U'Ć', 'c'},
                                                     {U'Ę', 'e'},
                                                     {U'Ł', 'l'},
                                                     {U'Ń', 'n'},
                                                     {U'Ó', 'o'},
                                                     {U'Ś', 's'},
                                                     {U'Ź', 'z'},
                                                     {U'Ż', 'z'}}};
    for (const Fold& fold : kFolds) {
        if (fold.letter == c) {
            return fold.ascii;
        }
    }
    return 0;
}

char AsciiLetterOrDigit(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9')) {
        return static_cast<char>(c);
    }
    if (c >= U'A' && c <= U'Z') {
        return AsciiLower(static_cast<char>(c));
    }
    return PolishLetterFolded(c);
}

// The title's letters and digits, everything between them one '-'.
std::string FileNameStem(std::string_view utf8Title) {
    std::string stem;
    bool gap = false;
    for (std::size_t at = 0; at < utf8Title.size() && stem.size() < kMaxFileNameBytes;) {
        char32_t c = 0;
        const std::size_t length = ReadUtf8(utf8Title.substr(at), c);
        at += length == 0 ? 1 : length;
        const char ascii = length == 0 ? '\0' : AsciiLetterOrDigit(c);
        if (ascii == 0) {
            gap = !stem.empty();
            continue;
        }
        if (gap) {
            stem += '-';
            gap = false;
        }
        stem += ascii;
    }
    while (stem.size() > kMaxFileNameBytes || stem.ends_with('-')) {
        stem.pop_back();
    }
    return stem.empty() ? "oferta" : stem;
}

// Names Windows keeps for devices, whatever follows them after a dot.
bool IsDeviceName(std::string_view name) {
    static constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
    for (const std::string_view device : kDevices) {
        if (name == device) {
            return true;
        }
    }
    return name.size() == 4 && (name.starts_with("com") || name.starts_with("lpt")) &&
           name[3] >= '1' && name[3] <= '9';
}

bool NeedsQuotes(std::string_view cell) {
    return cell.find_first_of(";\"\r\n") != std::string_view::npos ||
           (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t' || cell.back() == ' ' ||
                              cell.back() == '\t'));
}

void AppendCsvCell(std::string& out, std::string_view cell) {
    if (!NeedsQuotes(cell)) {
        out += cell;
        return;
    }
    out += '"';
    for (const char c : cell) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

// The form's Windows-1250 text in UTF-8 as the seller reads it: the characters that the form
// holds as references ("&#178;") as themselves ("²"); the batch turns them back.
std::string SheetText(std::string_view cp1250) {
    return WrittenReferencesAsCharacters(Cp1250ToUtf8(cp1250));
}

// The form's Windows-1250 text as a cell: UTF-8, lines ended by LF as in a spreadsheet.
std::string CellText(std::string_view cp1250) {
    std::string utf8 = SheetText(cp1250);
    std::string cell;
    cell.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            continue;
        }
        cell += utf8[i];
    }
    return cell;
}

// How many characters a spreadsheet counts in a UTF-8 text: two for one beyond U+FFFF.
std::size_t Utf16Length(std::string_view utf8) {
    std::size_t length = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        length += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    }
    return length;
}

}  // namespace

std::optional<SheetKind> SheetKindOf(std::string_view path) {
    const auto endsWith = [&](std::string_view suffix) {
        if (path.size() < suffix.size()) {
            return false;
        }
        const std::string_view end = path.substr(path.size() - suffix.size());
        for (std::size_t i = 0; i < suffix.size(); ++i) {
            if (AsciiLower(end[i]) != suffix[i]) {
                return false;
            }
        }
        return true;
    };
    if (endsWith(".csv")) {
        return SheetKind::Csv;
    }
    if (endsWith(".jsonl")) {
        return SheetKind::JsonLines;
    }
    return std::nullopt;
}

std::string FileNames::Next(std::string_view utf8Title) {
    const std::string stem = FileNameStem(utf8Title);
    std::string name = stem;
    for (std::size_t n = 2; IsDeviceName(name) || used_.contains(name); ++n) {
        name = stem + "-" + std::to_string(n);
    }
    used_.insert(name);
    return name;
}

OfferSheet::OfferSheet(SheetKind kind) : kind_(kind) {
    if (kind_ == SheetKind::Csv) {
        text_.append(kBom);
        text_.append(kCsvHeader);
    }
}

std::size_t OfferSheet::Add(std::string_view offerId, std::string_view title,
                            std::string_view description) {
    ++rows_;
    const std::string fileName = names_.Next(SheetText(title));
    const std::string descriptionCell = CellText(description);
    if (kind_ == SheetKind::JsonLines) {
        const nlohmann::ordered_json line = {{"plik", fileName},
                                             {"oferta", offerId},
                                             {"Edit2", SheetText(title)},
                                             {"Memo1", SheetText(description)}};
        text_ += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
        text_ += '\n';
        return Utf16Length(descriptionCell);
    }
    AppendCsvCell(text_, fileName);
    text_ += ';';
    AppendCsvCell(text_, offerId);
    text_ += ';';
    AppendCsvCell(text_, CellText(title));
    text_ += ';';
    AppendCsvCell(text_, descriptionCell);
    text_ += "\r\n";
    return Utf16Length(descriptionCell);
}

std::string TooLongForExcel(std::string_view offerId, std::size_t characters) {
    return "Oferta " + std::string(offerId) + ": opis ma " +
           GroupedCountedNoun(characters, "znak", "znaki", "znaków") +
           ", a Excel ucina komórki dłuższe niż 32 767 znaków: poprawiaj ten arkusz w "
           "LibreOffice Calc albo tę ofertę osobno";
}

}  // namespace licytek::batch
