#include "editor/MarkupCommands.h"

#include "editor/TextLines.h"

namespace licytek {

std::string_view MarkupText(Markup markup) {
    switch (markup) {
        case Markup::Gallery:
            return kGalleryPlaceholder;
        case Markup::NewLine:
            return "<br>";
        case Markup::AlignLeft:
            return "<p align=\"left\">";
        case Markup::AlignCenter:
            return "<p align=\"center\">";
        case Markup::AlignRight:
            return "<p align=\"right\">";
        case Markup::AlignJustified:
            return "<p align=\"justify\">";
    }
    return {};
}

std::string AddMarkup(std::string_view text, Markup markup) {
    return AddLine(text, MarkupText(markup));
}

}  // namespace licytek
