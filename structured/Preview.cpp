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

void AppendItem(std::string& out, const Item& item, int width) {
    out += "<td valign=\"top\" width=\"" + std::to_string(width) + "%\">";
    if (item.type == ItemType::Image) {
        AppendPictureBox(out, item.content);
    } else {
        out += item.content;
    }
    out += "</td>";
}

}  // namespace

std::string DescriptionPreviewHtml(const Description& description) {
    std::string out = "<html><body>";
    int number = 0;
    for (const Section& section : description.sections) {
        out +=
            "<p style=\"color: #5b6b80; font-size: small; margin-bottom: "
            "2px\">Sekcja " +
            std::to_string(++number) + "</p>";
        out +=
            "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"6\" "
            "style=\"border: 1px solid #c3ccd8\"><tr>";
        const int width = section.items.size() > 1 ? 50 : 100;
        for (const Item& item : section.items) {
            AppendItem(out, item, width);
        }
        out += "</tr></table>";
    }
    out += "</body></html>";
    return out;
}

}  // namespace licytek::structured
