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
    {&AuctionForm::Panel6, "<B>", "</B>"},
    {&AuctionForm::Panel7, "<I>", "</I>"},
    {&AuctionForm::Panel8, "<U>", "</U>"},
}};

struct AlignmentSwitch {
    bool AuctionForm::*pressed;
    std::string_view value;
};

constexpr std::array<AlignmentSwitch, 4> kAlignmentSwitches = {{
    {&AuctionForm::Panel9, "left"},
    {&AuctionForm::Panel10, "center"},
    {&AuctionForm::Panel11, "right"},
    {&AuctionForm::Panel12, "justify"},
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
    snippet += form.Edit29;
    snippet += "\" scrolldelay=\"";
    snippet += form.Edit28;
    snippet += "\" bgcolor=\"";
    snippet += form.Edit30;
    // "W lewo" and "Przewijanie" are the browser's defaults and so write nothing.
    if (form.RadioButton12) {
        snippet += "\" direction=\"right";
    }
    if (form.RadioButton14) {
        snippet += "\" behavior=\"slide";
    }
    if (form.RadioButton15) {
        snippet += "\" behavior=\"alternate";
    }
    snippet += "\">";
}

std::size_t SnippetSizeEstimate(const AuctionForm& form) {
    return form.ComboBox6.size() + form.ComboBox7.size() + form.Edit27.size() + form.Edit28.size() +
           form.Edit29.size() + form.Edit30.size() + form.Memo3.size() + kSnippetLiteralsRoom;
}

void AppendSnippet(std::string& out, const AuctionForm& form) {
    out += "<p align=\"";
    out += Alignment(form);
    out += "\"><font face=\"";
    out += form.ComboBox6;
    out += "\" style=\"font-size:";
    out += form.ComboBox7;
    out += "pt;\" color=\"";
    out += form.Edit27;
    out += "\">";
    for (const StyleElement& style : kStyleElements) {
        if (form.*style.pressed) {
            out += style.opening;
        }
    }
    if (form.CheckBox20) {
        AppendMovingTextOpening(out, form);
    }
    out += form.Memo3;
    // Every element closes inside the one around it, so that the snippet's font, alignment
    // and moving text end with it and the rest of the description keeps its own.
    if (form.CheckBox20) {
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
    std::string memo4 = CopyWithRoom(form.Memo4, SnippetSizeEstimate(form));
    AppendSnippet(memo4, form);
    return memo4;
}

std::string SaveReadyCode(const AuctionForm& form) {
    return Append(form.Memo1, form.Memo4);
}

}  // namespace licytek
