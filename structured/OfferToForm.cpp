#include "structured/OfferToForm.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "model/Text.h"
#include "model/Utf8.h"
#include "structured/AllegroExport.h"
#include "structured/MarkupReader.h"
#include "structured/SubsetWriter.h"
#include "structured/TextFlow.h"
#include "structured/Validation.h"

namespace licytek::structured {
namespace {

Finding MemoError(std::string message) {
    return Finding{Severity::Error, "Memo1", std::move(message)};
}

// Characters that the HTML parser replaces with U+FFFD where they stand as they are.
bool ParserReplaces(char32_t codePoint) {
    const bool control = (codePoint < 0x20 && codePoint != '\t' && codePoint != '\n' &&
                          codePoint != '\f' && codePoint != '\r') ||
                         (codePoint >= 0x7F && codePoint <= 0x9F);
    const bool nonCharacter =
        (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE;
    return control || nonCharacter;
}

// Characters that a character reference does not give back either: &#0; and &#128; to
// &#159; stand for other characters.
bool ReferenceChanges(char32_t codePoint) {
    return codePoint == 0 || (codePoint >= 0x80 && codePoint <= 0x9F);
}

Finding UncarriedCharacter(char32_t codePoint) {
    return MemoError("Opis oferty zawiera znak sterujący " + CodePointName(codePoint) +
                     ", którego strona nie może przenieść; usuń go w Allegro i wczytaj ofertę "
                     "ponownie.");
}

// The first character of the description that the form cannot carry, if any.
std::optional<Finding> CheckCharacters(const Description& description) {
    for (const Section& section : description.sections) {
        for (const Item& item : section.items) {
            const std::string_view text = item.content;
            for (std::size_t at = 0; at < text.size();) {
                char32_t codePoint = 0;
                const std::size_t length = ReadUtf8(text.substr(at), codePoint);
                if (length == 0) {
                    return MemoError("Opis oferty nie jest poprawnym tekstem UTF-8.");
                }
                if (ReferenceChanges(codePoint)) {
                    return UncarriedCharacter(codePoint);
                }
                at += length;
            }
        }
    }
    return std::nullopt;
}

// A TEXT item's content with the characters that the parser would replace as references,
// so that they are read as themselves (as a browser shows them). The subset has no
// attributes, so such characters can only stand in text.
std::string WithReferences(std::string_view content) {
    std::string out;
    out.reserve(content.size());
    for (std::size_t at = 0; at < content.size();) {
        char32_t codePoint = 0;
        const std::size_t length =
            std::max<std::size_t>(ReadUtf8(content.substr(at), codePoint), 1);
        if (ParserReplaces(codePoint)) {
            out += "&#" + std::to_string(static_cast<unsigned long>(codePoint)) + ";";
        } else {
            out.append(content.substr(at, length));
        }
        at += length;
    }
    return out;
}

// One item of the description as read: a TEXT item's blocks, or a picture.
struct Piece {
    bool text = true;
    std::vector<Block> blocks;
    std::string address;
    bool startsSection = false;
};

// The items in order, each TEXT item read as the export reads markup; an item that shows
// nothing is left out, and the next item of its section begins the section.
std::vector<Piece> ReadPieces(const Description& description) {
    std::vector<Piece> pieces;
    for (const Section& section : description.sections) {
        bool first = true;
        for (const Item& item : section.items) {
            Piece piece;
            if (item.type == ItemType::Text) {
                piece.blocks =
                    ReadMarkup(WithReferences(item.content), {.markupOnly = true}).blocks;
                if (piece.blocks.empty()) {
                    continue;
                }
            } else {
                piece.text = false;
                piece.address = item.content;
            }
            piece.startsSection = first;
            first = false;
            pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

bool IsTitleHeading(const Block& block, std::string_view titleText) {
    return block.kind == BlockKind::MainHeading && LineText(block.lines.front()) == titleText;
}

// What the export of the pulled form gives: the items as read. The export adds no heading of
// its own: the auction header stands as the first heading only where the offer has it there.
Description ExpectedExport(const std::vector<Piece>& pieces) {
    Description expected;
    for (const Piece& piece : pieces) {
        if (piece.startsSection || expected.sections.empty()) {
            expected.sections.emplace_back();
        }
        expected.sections.back().items.push_back(
            piece.text ? Item{ItemType::Text, WriteTextItem(piece.blocks)}
                       : Item{ItemType::Image, piece.address});
    }
    return expected;
}

void AppendAttribute(std::string& out, std::string_view value) {
    for (const char c : value) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out.push_back(c);
        }
    }
}

// The markup, one top-level element a line.
class MarkupWriter {
  public:
    void Rule() { Element("<hr>"); }

    void Picture(std::string_view address) {
        std::string tag = "<img src=\"";
        AppendAttribute(tag, address);
        Element(tag + "\">");
    }

    void Text(const Block& block) {
        std::string markup = WriteTextItem(std::span(&block, 1));
        const Line& line = block.lines.front();
        if (block.kind == BlockKind::Paragraph && StartsWithListMarker(line.front().text)) {
            // After the first character, which is ASCII or "•": the comment splits the text
            // so that no line of it begins with a list marker.
            const std::size_t first =
                Utf8LengthOfLead(static_cast<unsigned char>(line.front().text[0]));
            markup.insert(std::string_view("<p>").size() + (line.front().bold ? 3 : 0) + first,
                          "<!---->");
        }
        Element(markup);
    }

    std::string Take() { return std::move(out_); }

  private:
    void Element(std::string_view markup) {
        if (!out_.empty()) {
            out_ += "\r\n";
        }
        out_ += markup;
    }

    std::string out_;
};

// The markup of the items. It follows the export's grouping, which begins with the auction
// header's heading as a TEXT item, and marks a section wherever the grouping would not begin
// one by itself.
std::string MarkupOf(std::vector<Piece> pieces, std::string_view titleText) {
    MarkupWriter writer;
    std::size_t lastCount = titleText.empty() ? 0 : 1;  // items in the export's last section
    bool lastText = !titleText.empty();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Piece& piece = pieces[i];
        if (i == 0 && piece.text && !titleText.empty()) {
            // Goes on the auction header's TEXT item, which holds its heading already.
            if (IsTitleHeading(piece.blocks.front(), titleText)) {
                piece.blocks.erase(piece.blocks.begin());
            }
        } else {
            const bool rule = piece.startsSection && (lastCount == 1 || (piece.text && lastText));
            if (rule) {
                writer.Rule();
            }
            lastCount = rule || lastCount != 1 ? 1 : 2;
            lastText = piece.text;
        }
        if (!piece.text) {
            writer.Picture(piece.address);
        }
        for (const Block& block : piece.blocks) {
            writer.Text(block);
        }
    }
    return writer.Take();
}

// Windows-1250 bytes of UTF-8 markup, with every character that the code page cannot hold,
// or that the parser would replace, as a numeric character reference.
std::variant<std::string, Finding> ForTheForm(std::string_view utf8) {
    std::string held;
    held.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t codePoint = 0;
        const std::size_t length = ReadUtf8(utf8.substr(at), codePoint);
        if (length == 0) {
            return MemoError("Opis oferty nie jest poprawnym tekstem UTF-8.");
        }
        if (ReferenceChanges(codePoint)) {
            return UncarriedCharacter(codePoint);
        }
        if (Cp1250CanHold(codePoint) && !ParserReplaces(codePoint)) {
            held.append(utf8.substr(at, length));
        } else {
            held += "&#" + std::to_string(static_cast<unsigned long>(codePoint)) + ";";
        }
        at += length;
    }
    std::optional<std::string> cp1250 = Utf8ToCp1250(held);
    if (!cp1250) {
        return MemoError("Opisu oferty nie da się zapisać w Windows-1250.");
    }
    return std::move(*cp1250);
}

std::string FirstCharacterAt(std::string_view utf8, std::size_t offset) {
    const std::size_t length =
        offset < utf8.size() ? Utf8LengthOfLead(static_cast<unsigned char>(utf8[offset])) : 0;
    return std::string(utf8.substr(offset, length == 0 ? 1 : length));
}

// The offer's name as the auction header: a character outside Windows-1250 as its reference,
// and "&#" kept from reading as a reference ("&#38;#"), so that the page and the export show
// the name as it is.
std::variant<std::string, Finding> TitleForTheForm(std::string_view utf8Name) {
    std::string escaped;
    std::size_t copied = 0;
    for (std::size_t at = utf8Name.find("&#"); at != std::string_view::npos;
         at = utf8Name.find("&#", at + 1)) {
        escaped.append(utf8Name.substr(copied, at - copied)).append("&#38;");
        copied = at + 1;
    }
    escaped.append(utf8Name.substr(copied));
    std::size_t badOffset = 0;
    if (std::optional<std::string> title = Utf8ToCp1250WithReferences(escaped, &badOffset)) {
        return std::move(*title);
    }
    return Finding{Severity::Error, "Edit2",
                   "Tytuł oferty zawiera znak „" + FirstCharacterAt(escaped, badOffset) +
                       "”, którego nagłówek aukcji nie może przechować."};
}

}  // namespace

std::variant<PulledOffer, Finding> PullOffer(std::string_view utf8Name,
                                             const Description& description) {
    PulledOffer pulled;
    std::variant<std::string, Finding> title = TitleForTheForm(utf8Name);
    if (Finding* problem = std::get_if<Finding>(&title)) {
        return std::move(*problem);
    }
    pulled.title = std::move(std::get<std::string>(title));
    if (std::optional<Finding> problem = CheckCharacters(description)) {
        return std::move(*problem);
    }
    for (const Violation& violation : FindViolations(description)) {
        if (violation.rule == Rule::Markup || violation.rule == Rule::Arrangement) {
            return MemoError("Opis oferty nie jest w formacie Allegro: " + violation.message);
        }
    }

    const std::string titleText = LineText(PlainTextLine(utf8Name));
    std::vector<Piece> pieces = ReadPieces(description);
    const Description expected = ExpectedExport(pieces);
    // The export writes the auction header as the first heading; where the offer has no such
    // heading, the mark keeps the export from adding one.
    const bool titleHeading = !titleText.empty() && !pieces.empty() && pieces.front().text &&
                              IsTitleHeading(pieces.front().blocks.front(), titleText);
    std::string markup = MarkupOf(std::move(pieces), titleHeading ? titleText : "");
    if (!titleHeading) {
        markup.insert(0, std::string(kNoTitleHeadingMark) + (markup.empty() ? "" : "\r\n"));
    }

    std::variant<std::string, Finding> memo = ForTheForm(markup);
    if (Finding* problem = std::get_if<Finding>(&memo)) {
        return std::move(*problem);
    }
    pulled.description = std::move(std::get<std::string>(memo));

    // Nothing may change on the way back; a difference is refused, never handed on.
    AuctionForm form;
    PutIntoForm(pulled, form);
    if (DescriptionToJson(ExportAllegro(form).description) != DescriptionToJson(expected)) {
        return MemoError(
            "Opisu oferty nie da się przenieść do formularza bez zmian: eksport dałby inny "
            "opis.");
    }
    return pulled;
}

void PutIntoForm(const PulledOffer& pulled, AuctionForm& form) {
    form.auctionHeader = pulled.title;
    form.descriptionHeader.clear();
    form.itemDescription = pulled.description;
}

}  // namespace licytek::structured
