// The eight page layouts: each is the order of the information blocks, the frame each
// block stands in, and the layout's own tables around them.
#include <array>
#include <cstddef>
#include <string_view>

#include "generator/Blocks.h"
#include "generator/Builders.h"
#include "generator/Fragments.h"

namespace licytek {
namespace {

constexpr std::string_view kDescriptionCloser = "</TD></TR></TABLE><BR>";
// The description opener of the column layouts 5 and 8: 98% wide instead of 95%.
constexpr std::string_view kWideDescriptionOpener =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"98%\"><TR><TD class=nag width=\"100%\" "
    "height=25><CENTER>";

// One switch per information block, in the order of kInfoBlocks: whether the block goes
// into a side column.
using ColumnPlacement = std::array<bool, kInfoBlocks.size()>;
constexpr ColumnPlacement kEveryBlock = {true, true, true, true, true};

void AppendHeaderAndLowerBar(const BuildContext& context) {
    AppendAuctionHeaderBox(context);
    AppendLowerBar(context);
}

void AppendStandardDescription(const BuildContext& context) {
    AppendDescription(context, Fragment(FragmentLine::DescriptionOpening), kDescriptionCloser);
}

// Layouts 1 and 2: one column of rows with breaks, the label always on the same side.
void BuildRowLayout(const BuildContext& context, RowSide side) {
    AppendHeaderAndLowerBar(context);
    for (InfoBlock block : kInfoBlocks) {
        AppendRow(context, block, side, RowBreak::With);
    }
    AppendStandardDescription(context);
}

// The boxes of one side column, always in the fixed block order.
void AppendBoxColumn(const BuildContext& context, const ColumnPlacement& placement,
                     BoxBreak boxBreak) {
    for (std::size_t i = 0; i < kInfoBlocks.size(); ++i) {
        if (placement[i]) {
            AppendBox(context, kInfoBlocks[i], boxBreak);
        }
    }
}

// The tables of layouts 6 and 7 that join the rows, mirrored between the two.
struct ConnectorStyle {
    std::string_view topBar;
    std::string_view firstStub;
    FragmentLine
        connectorLine;  // stands between two row places, whether or not the rows are written
    std::string_view lastConnector;
    RowSide side;
};

constexpr ConnectorStyle kConnectorsOnTheLeft = {
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"14%\" height=10></TD><TD "
    "class=nag width=\"11%\" height=10></TD><TD class=nag width=\"55%\" height=10></TD><TD "
    "width=\"20%\" height=10></TD></TR></TABLE>",
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"14%\" height=30></TD><TD "
    "class=nag width=\"9%\" height=30></TD><TD width=75% width=30></TR><TR><TD "
    "height=2></TD></TR></TABLE>",
    FragmentLine::ConnectorOnTheLeft,
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD height=2></TD></TR><TR><TD "
    "width=\"14%\" height=20></TD><TD class=nag width=\"9%\" height=20></TD><TD width=75% "
    "hidth=20></TR><TR><TD height=2></TD></TR></TABLE>",
    RowSide::LabelLeft,
};

constexpr ConnectorStyle kConnectorsOnTheRight = {
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"20%\" height=10></TD><TD "
    "class=nag width=\"55%\" height=10></TD><TD class=nag width=\"11%\" height=10></TD><TD "
    "width=\"14%\" height=10></TD></TR></TABLE>",
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"77%\" height=30></TD><TD "
    "class=nag width=\"9%\" height=30></TD><TD width=75% width=30></TR><TR><TD "
    "height=2></TD></TR></TABLE>",
    FragmentLine::ConnectorOnTheRight,
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD height=2></TD></TR><TR><TD "
    "width=\"77%\" height=20></TD><TD class=nag width=\"9%\" height=20></TD><TD width=75% "
    "hidth=20></TR><TR><TD height=2></TD></TR></TABLE>",
    RowSide::LabelRight,
};

// Layouts 6 and 7: rows without breaks, joined by connectors, under bars of their own.
void BuildConnectedRowLayout(const BuildContext& context, const ConnectorStyle& style) {
    AppendAuctionHeaderBox(context);
    Append(context.out, {style.topBar, style.firstStub});
    for (std::size_t i = 0; i < kInfoBlocks.size(); ++i) {
        if (i > 0) {
            context.out.append(Fragment(style.connectorLine));
        }
        AppendRow(context, kInfoBlocks[i], style.side, RowBreak::Without);
    }
    context.out.append(style.lastConnector);
    AppendStandardDescription(context);
}

}  // namespace

void BuildLayout1(const BuildContext& context) {
    BuildRowLayout(context, RowSide::LabelLeft);
}

void BuildLayout2(const BuildContext& context) {
    BuildRowLayout(context, RowSide::LabelRight);
}

void BuildLayout3(const BuildContext& context) {
    AppendHeaderAndLowerBar(context);
    // The label side follows the number of rows written so far, so the rows zig-zag
    // whichever blocks are left out.
    int rowsWritten = 0;
    for (InfoBlock block : kInfoBlocks) {
        const RowSide side = rowsWritten % 2 == 0 ? RowSide::LabelLeft : RowSide::LabelRight;
        if (AppendRow(context, block, side, RowBreak::With)) {
            ++rowsWritten;
        }
    }
    AppendStandardDescription(context);
}

void BuildLayout4(const BuildContext& context) {
    AppendHeaderAndLowerBar(context);
    context.out.append(
        "<TABLE cellspacing=0 cellpadding=0 width=96%><TR valign=top><TD width=18%>");
    AppendBoxColumn(context, kEveryBlock, BoxBreak::Leading);
    context.out.append("</TD><TD width=82%>");
    // The closer also ends the outer table.
    AppendDescription(context, Fragment(FragmentLine::DescriptionOpening),
                      "</TD></TR></TABLE><BR></TABLE>");
}

void BuildLayout5(const BuildContext& context) {
    AppendHeaderAndLowerBar(context);
    context.out.append(
        "<TABLE cellspacing=0 cellpadding=0 width=96%><TR valign=top><TD width=82%>");
    AppendDescription(context, kWideDescriptionOpener, kDescriptionCloser);
    context.out.append("</TD><TD width=18%>");
    AppendBoxColumn(context, kEveryBlock, BoxBreak::Leading);
    context.out.append("</TABLE>");
}

void BuildLayout6(const BuildContext& context) {
    BuildConnectedRowLayout(context, kConnectorsOnTheLeft);
}

void BuildLayout7(const BuildContext& context) {
    BuildConnectedRowLayout(context, kConnectorsOnTheRight);
}

void BuildLayout8(const BuildContext& context) {
    const AuctionForm& form = context.form;
    // The right-hand switches are numbered from the bottom up.
    const ColumnPlacement left = {form.sellerBlockLeft, form.contactBlockLeft, form.termsBlockLeft,
                                  form.bankBlockLeft, form.shippingBlockLeft};
    const ColumnPlacement right = {form.sellerBlockRight, form.contactBlockRight,
                                   form.termsBlockRight, form.bankBlockRight,
                                   form.shippingBlockRight};
    AppendHeaderAndLowerBar(context);
    context.out.append(
        "<TABLE cellspacing=0 cellpadding=0 width=96%><TR valign=top><TD width=18%>");
    AppendBoxColumn(context, left, BoxBreak::Leading);
    context.out.append("</TD><TD width=64%>");
    AppendDescription(context, kWideDescriptionOpener, "</TD></TR></TABLE>");
    context.out.append("</TD><TD width=18%>");
    // The right column's boxes go without the leading break of their openers.
    AppendBoxColumn(context, right, BoxBreak::None);
    context.out.append("</table>");
}

}  // namespace licytek
