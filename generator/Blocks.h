// The information blocks that every layout puts on the page, each written once with its
// frame and variant as parameters. A block whose condition fails writes nothing at all.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "generator/Builders.h"
#include "model/AuctionForm.h"

namespace licytek {

// The five blocks that a layout may place, in the order every layout writes them.
enum class InfoBlock { Seller, Contact, Terms, Bank, Shipping };
inline constexpr std::array<InfoBlock, 5> kInfoBlocks = {
    InfoBlock::Seller, InfoBlock::Contact, InfoBlock::Terms, InfoBlock::Bank, InfoBlock::Shipping,
};

// Which side of a row holds the label cell.
enum class RowSide { LabelLeft, LabelRight };
// Whether a row ends in a line break.
enum class RowBreak { With, Without };
// Whether a box keeps the line break in front of its table (the seller box has none).
enum class BoxBreak { Leading, None };

// Whether the block has anything to show: a ticked switch or a non-empty text.
bool InfoBlockIsWritten(const AuctionForm& form, InfoBlock block);

// The auction header in large type between thin bars: the top bar and the header box.
void AppendAuctionHeaderBox(const BuildContext& context);

// The thin bar under the header box, followed by two breaks.
void AppendLowerBar(const BuildContext& context);

// The block as a two-cell row with its items on one line. Returns whether it was written.
bool AppendRow(const BuildContext& context, InfoBlock block, RowSide side, RowBreak rowBreak);

// The block as a titled box with its items under each other. Returns whether it was written.
bool AppendBox(const BuildContext& context, InfoBlock block, BoxBreak boxBreak);

// The description header and text between the layout's own opener and closer.
void AppendDescription(const BuildContext& context, std::string_view opener,
                       std::string_view closer);

}  // namespace licytek
