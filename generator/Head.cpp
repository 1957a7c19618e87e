// The document head: title and meta tags, the optional locks, the style block that carries
// the page colours, the page-transition tags and the start of the body.
#include <array>
#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>

#include "generator/Builders.h"
#include "generator/Fragments.h"

namespace licytek {
namespace {

using enum FragmentLine;

// The right-click message goes between double quotes inside a script, so it is written as
// a proper JavaScript string: a quote or backslash cannot end the string early and a line
// break cannot break the script. Every "<" is written as \x3C: the browser's script-data
// states look for "</script" and for "<!--" followed by "<script" (which would make a later
// "</script>" part of the script), and no "<" means neither can start.
void AppendJavaScriptStringContent(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                out.append("\\\\");
                break;
            case '"':
                out.append("\\\"");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '<':
                out.append("\\x3C");
                break;
            default:
                out.push_back(c);
                break;
        }
    }
}

void AppendTitleAndMetaTags(const BuildContext& context) {
    const AuctionForm& form = context.form;
    Append(context.out, {"<Title>", form.pageTitle, "</Title>"});
    Append(context.out, {"<META name=\"keywords\" content=\"", form.keywords, "\">"});
    Append(context.out, {"<META name=\"description\" content=\"", form.searchDescription, "\">"});
}

void AppendLocks(const BuildContext& context) {
    const AuctionForm& form = context.form;
    if (form.descriptionLock) {
        context.out.append(Fragment(CopyLockBody));
    }
    if (form.rightClickLock) {
        context.out.append(Fragment(RightClickMessageOpening));
        AppendJavaScriptStringContent(context.out, form.rightClickMessage);
        context.out.append(Fragment(RightClickMessageClosing));
    }
}

// When a row of the style block is written.
enum class StyleCondition { Always, BackgroundPicture, BackgroundColour, HoverHighlight, Gradient };

// One row of the style block: its fragment line, then the colour (or address) it fills.
// A gradient row writes the whole gradient suffix from its first line.
struct StyleRow {
    StyleCondition condition;
    FragmentLine line;
    std::string AuctionForm::*value;
    std::string_view after;
};

constexpr std::array<StyleRow, 33> kStyleRows = {{
    {StyleCondition::BackgroundPicture, StyleBodyBackgroundPicture,
     &AuctionForm::backgroundPictureAddress, ")"},
    {StyleCondition::BackgroundColour, StyleBodyBackgroundColour, &AuctionForm::pageBackground, ""},
    {StyleCondition::Always, StyleScrollbarBaseColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleScrollbarTrackColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleScrollbarFaceColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleNagBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleNagTextColour, &AuctionForm::headerTextColour, ""},
    {StyleCondition::Always, StyleTabelaBorderColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleTabelaBackground, &AuctionForm::tableInteriorColour, ""},
    {StyleCondition::Always, StyleLinkColour, &AuctionForm::activeLinkColour, ""},
    {StyleCondition::Always, StyleVisitedLinkColour, &AuctionForm::visitedLinkColour, ""},
    {StyleCondition::HoverHighlight, StyleHoverBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleNavbarBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Gradient, GradientStartColour, nullptr, ""},
    {StyleCondition::Always, StyleItemPageBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleItMainBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleItMainBorderColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleItTdRBackground, &AuctionForm::tableInteriorColour, ""},
    {StyleCondition::Always, StyleItTdBackground, &AuctionForm::tableInteriorColour, ""},
    {StyleCondition::Gradient, GradientStartColour, nullptr, ""},
    {StyleCondition::Always, StyleHeadcolorBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleNocolorBorderColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleWhiteBackground, &AuctionForm::tableInteriorColour, ""},
    {StyleCondition::Gradient, GradientStartColour, nullptr, ""},
    {StyleCondition::Always, StyleTableInfoBackground, &AuctionForm::tableInteriorColour, ""},
    {StyleCondition::Gradient, GradientStartColour, nullptr, ""},
    {StyleCondition::Always, StyleTableInfoBorderColour, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleBidWinBackground, &AuctionForm::tableInteriorColour, ""},
    {StyleCondition::Gradient, GradientStartColour, nullptr, ""},
    {StyleCondition::Always, StyleBidHistBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleBidInfoVdotBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleBidInfoHdotBackground, &AuctionForm::borderColour, ""},
    {StyleCondition::Always, StyleEnd, nullptr, ""},
}};

bool StyleRowApplies(const AuctionForm& form, StyleCondition condition) {
    switch (condition) {
        case StyleCondition::Always:
            return true;
        case StyleCondition::BackgroundPicture:
            return form.backgroundPictureShown;
        case StyleCondition::BackgroundColour:
            return !form.backgroundPictureShown;
        case StyleCondition::HoverHighlight:
            return form.linkHighlight;
        case StyleCondition::Gradient:
            return form.backgroundGradient;
    }
    return false;
}

// The gradient runs from the table interior colour to the border colour.
void AppendGradientSuffix(const BuildContext& context) {
    Append(context.out,
           {Fragment(GradientStartColour), context.form.tableInteriorColour,
            Fragment(GradientEndColour), context.form.borderColour, Fragment(GradientType)});
}

void AppendStyleBlock(const BuildContext& context) {
    for (const StyleRow& row : kStyleRows) {
        if (!StyleRowApplies(context.form, row.condition)) {
            continue;
        }
        if (row.condition == StyleCondition::Gradient) {
            AppendGradientSuffix(context);
            continue;
        }
        context.out.append(Fragment(row.line));
        if (row.value != nullptr) {
            Append(context.out, {context.form.*row.value, row.after});
        }
    }
}

// The title, keywords and description once more, this time only when filled in.
void AppendFilledTitleAndMetaTags(const BuildContext& context) {
    const AuctionForm& form = context.form;
    if (!form.pageTitle.empty()) {
        Append(context.out, {"<title>", form.pageTitle, "</title>"});
    }
    if (!form.keywords.empty()) {
        Append(context.out, {Fragment(KeywordsMetaOpening), form.keywords, "\">"});
    }
    if (!form.searchDescription.empty()) {
        Append(context.out, {Fragment(DescriptionMetaOpening), form.searchDescription, "\">"});
    }
}

// One page-transition tag: its effect list, its duration and its two fragment lines.
struct TransitionRow {
    int AuctionForm::*effect;
    std::string AuctionForm::*duration;
    FragmentLine blendLine;
    FragmentLine revealLine;
};

constexpr std::array<TransitionRow, 4> kTransitionRows = {{
    {&AuctionForm::pageEnterEffect, &AuctionForm::pageEnterDuration, PageEnterBlend,
     PageEnterReveal},  // page enter
    {&AuctionForm::pageExitEffect, &AuctionForm::pageExitDuration, PageExitBlend,
     PageExitReveal},  // page exit
    {&AuctionForm::siteEnterEffect, &AuctionForm::siteEnterDuration, SiteEnterBlend,
     SiteEnterReveal},  // site enter
    {&AuctionForm::siteExitEffect, &AuctionForm::siteExitDuration, SiteExitBlend,
     SiteExitReveal},  // site exit
}};

// List position 1 is the blend; positions from 2 on are the reveal transitions from 0 on.
constexpr int kBlendItem = 1;
constexpr int kFirstRevealItem = 2;

void AppendTransitionTags(const BuildContext& context) {
    for (const TransitionRow& row : kTransitionRows) {
        const int item = context.form.*row.effect;
        const std::string& duration = context.form.*row.duration;
        if (item == kBlendItem) {
            Append(context.out, {Fragment(row.blendLine), duration, ")\">"});
        } else if (item >= kFirstRevealItem) {
            std::array<char, 16> digits{};
            const auto result = std::to_chars(digits.data(), digits.data() + digits.size(),
                                              item - kFirstRevealItem);
            const std::string_view number(digits.data(),
                                          static_cast<std::size_t>(result.ptr - digits.data()));
            Append(context.out,
                   {Fragment(row.revealLine), duration, ",Transition=", number, ")\">"});
        }
    }
}

void AppendBodyStart(const BuildContext& context) {
    context.out.append("<body><center>");
    if (context.form.bannerShown) {
        Append(context.out,
               {"<br><img src=\"", context.form.bannerAddress, "\" border=0><br><br><br>"});
    }
}

}  // namespace

void BuildHead(const BuildContext& context) {
    context.out.clear();
    AppendTitleAndMetaTags(context);
    AppendLocks(context);
    AppendStyleBlock(context);
    AppendFilledTitleAndMetaTags(context);
    AppendTransitionTags(context);
    AppendBodyStart(context);
}

}  // namespace licytek
