#include "structured/Preview.h"

#include <string_view>

namespace licytek::structured {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

// A picture is not fetched: the seller sees where it stands and which address it has.
void AppendPictureBox(std::string& out, std::string_view address) {
    out +=
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"14\" "
        "bgcolor=\"#eef2f7\" style=\"border-color: #7a8ca3; border-style: "
        "solid\">"
        "<tr><td align=\"center\"><b>Zdjęcie</b><br/><small>";
    AppendEscaped(out, address);
    out += "</small></td></tr></table>";
}

struct MarkLook {
    const char* colour;
    const char* paragraph;
    const char* picture;
};

// How a changed piece stands out: a colour, and the change in words for whoever cannot tell
// the colours apart.
MarkLook LookOf(PieceChange change) {
    switch (change) {
        case PieceChange::Added:
            return {"#d7f0d4", "Nowy akapit", "Nowe zdjęcie"};
        case PieceChange::Removed:
            return {"#f7d9d9", "Usunięty akapit", "Usunięte zdjęcie"};
        case PieceChange::Changed:
            return {"#fbefc2", "Zmieniony akapit", "Zmienione zdjęcie"};
        case PieceChange::Same:
            break;
    }
    return {nullptr, nullptr, nullptr};
}

// `content` (markup) on the colour of its change, under the change in words.
void AppendMarked(std::string& out, PieceChange change, bool picture, std::string_view content) {
    const MarkLook look = LookOf(change);
    if (look.colour == nullptr) {
        out += content;
        return;
    }
    out += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\" bgcolor=\"";
    out += look.colour;
    out += "\"><tr><td><small><b>";
    out += picture ? look.picture : look.paragraph;
    out += "</b></small>";
    out += content;
    out += "</td></tr></table>";
}

std::string PictureBox(std::string_view address) {
    std::string box;
    AppendPictureBox(box, address);
    return box;
}

// Lays out the sections one row each, an item a cell, with each item's cell written by
// `appendItem(out, sectionIndex, itemIndex, item)`.
template <typename ItemWriter>
std::string PreviewPage(const Description& description, ItemWriter appendItem) {
    std::string out = "<html><body>";
    for (std::size_t s = 0; s < description.sections.size(); ++s) {
        const Section& section = description.sections[s];
        out +=
            "<p style=\"color: #5b6b80; font-size: small; margin-bottom: "
            "2px\">Sekcja " +
            std::to_string(s + 1) + "</p>";
        out +=
            "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"6\" "
            "style=\"border: 1px solid #c3ccd8\"><tr>";
        const int width = section.items.size() > 1 ? 50 : 100;
        for (std::size_t i = 0; i < section.items.size(); ++i) {
            out += "<td valign=\"top\" width=\"" + std::to_string(width) + "%\">";
            appendItem(out, s, i, section.items[i]);
            out += "</td>";
        }
        out += "</tr></table>";
    }
    out += "</body></html>";
    return out;
}

}  // namespace

std::string DescriptionPreviewHtml(const Description& description) {
    return PreviewPage(description,
                       [](std::string& out, std::size_t, std::size_t, const Item& item) {
                           if (item.type == ItemType::Image) {
                               AppendPictureBox(out, item.content);
                           } else {
                               out += item.content;
                           }
                       });
}

std::string ComparedPreviewHtml(const Description& description,
                                std::span<const ComparedPiece> pieces) {
    std::size_t next = 0;
    return PreviewPage(description, [&](std::string& out, std::size_t section, std::size_t index,
                                        const Item& item) {
        const auto here = [&] {
            return next < pieces.size() && pieces[next].section == section &&
                   pieces[next].item == index;
        };
        if (!here()) {
            // No piece of its own: an item that shows nothing, or pieces for another description.
            out += item.type == ItemType::Image ? PictureBox(item.content) : item.content;
            return;
        }
        for (; here(); ++next) {
            const ComparedPiece& piece = pieces[next];
            // A picture shows the description's own source, which may be a file on the disk
            // where the comparison names its address on Allegro.
            AppendMarked(out, piece.change, piece.picture,
                         piece.picture ? PictureBox(item.content) : piece.content);
        }
    });
}

}  // namespace licytek::structured
