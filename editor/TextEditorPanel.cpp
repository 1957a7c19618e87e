#include "editor/TextEditorPanel.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "editor/TextLines.h"

namespace licytek {

namespace {

// Generous room for the literal parts of one snippet; only an estimate for the reservation.
constexpr std::size_t kSnippetLiteralsRoom = 256;

struct StyleElement {
    bool AuctionForm::*pressed;
    std::string_view opening;
    std::string_view closing;
};

// Bold, italic, underline, in the order they open; they close in the reverse order.
constexpr std::array<StyleElement, 3> kStyleElements = {{
    {&AuctionForm::editorBold, "<B>", "</B>"},
    {&AuctionForm::editorItalic, "<I>", "</I>"},
    {&AuctionForm::editorUnderline, "<U>", "</U>"},
}};

struct AlignmentSwitch {
    bool AuctionForm::*pressed;
    std::string_view value;
};

constexpr std::array<AlignmentSwitch, 4> kAlignmentSwitches = {{
    {&AuctionForm::editorAlignLeft, "left"},
    {&AuctionForm::editorAlignCentre, "center"},
    {&AuctionForm::editorAlignRight, "right"},
    {&AuctionForm::editorJustify, "justify"},
}};

std::string_view Alignment(const AuctionForm& form) {
    for (const AlignmentSwitch& alignment : kAlignmentSwitches) {
        if (form.*alignment.pressed) {
            return alignment.value;
        }
    }
    return kAlignmentSwitches.front().value;
}

void AppendMovingTextOpening(std::string& snippet, const AuctionForm& form) {
    snippet += "<marquee scrollamount=\"";
    snippet += form.movingStep;
    snippet += "\" scrolldelay=\"";
    snippet += form.movingDelay;
    snippet += "\" bgcolor=\"";
    snippet += form.movingBackground;
    // "W lewo" and "Przewijanie" are the browser's defaults and so write nothing.
    if (form.movesRight) {
        snippet += "\" direction=\"right";
    }
    if (form.slidingAnimation) {
        snippet += "\" behavior=\"slide";
    }
    if (form.alternatingAnimation) {
        snippet += "\" behavior=\"alternate";
    }
    snippet += "\">";
}

std::size_t SnippetSizeEstimate(const AuctionForm& form) {
    return form.editorFontFace.size() + form.editorFontSize.size() + form.editorFontColour.size() +
           form.movingDelay.size() + form.movingStep.size() + form.movingBackground.size() +
           form.editorText.size() + kSnippetLiteralsRoom;
}

void AppendSnippet(std::string& out, const AuctionForm& form) {
    out += "<p align=\"";
    out += Alignment(form);
    out += "\"><font face=\"";
    out += form.editorFontFace;
    out += "\" style=\"font-size:";
    out += form.editorFontSize;
    out += "pt;\" color=\"";
    out += form.editorFontColour;
    out += "\">";
    for (const StyleElement& style : kStyleElements) {
        if (form.*style.pressed) {
            out += style.opening;
        }
    }
    if (form.movingText) {
        AppendMovingTextOpening(out, form);
    }
    out += form.editorText;
    // Every element closes inside the one around it, so that the snippet's font, alignment
    // and moving text end with it and the rest of the description keeps its own.
    if (form.movingText) {
        out += "</marquee>";
    }
    for (auto style = kStyleElements.rbegin(); style != kStyleElements.rend(); ++style) {
        if (form.*style->pressed) {
            out += style->closing;
        }
    }
    out += "</font></p>";
}

}  // namespace

std::string BuildSnippet(const AuctionForm& form) {
    std::string snippet;
    snippet.reserve(SnippetSizeEstimate(form));
    AppendSnippet(snippet, form);
    return snippet;
}

std::string AddSnippet(const AuctionForm& form) {
    std::string memo4 = CopyWithRoom(form.readyCode, SnippetSizeEstimate(form));
    AppendSnippet(memo4, form);
    return memo4;
}

std::string SaveReadyCode(const AuctionForm& form) {
    return Append(form.itemDescription, form.readyCode);
}

}  // namespace licytek
