// The builders of the auction description: the document head and the eight page layouts.
// Each appends its pieces to one output text, with nothing between two pieces.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "model/AuctionForm.h"

namespace licytek {

// What every builder works on: the form it reads, the seller's auction-site ID that goes
// into the links to the seller's pages, and the output text it writes to.
struct BuildContext {
    const AuctionForm& form;
    std::string_view sellerId;
    std::string& out;
};

// Appends the pieces in order, with nothing between them.
inline void Append(std::string& out, std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) {
        out.append(piece);
    }
}

// Replaces the output text with the document head: title and meta tags, the optional locks,
// the style block with the page colours, the page-transition tags and the start of the body.
// Clearing keeps the text's reserved room.
void BuildHead(const BuildContext& context);

// Each appends the body of one layout to the output text.
void BuildLayout1(const BuildContext& context);  // label-left rows, one column
void BuildLayout2(const BuildContext& context);  // label-right rows, one column
void BuildLayout3(const BuildContext& context);  // rows whose label side alternates
void BuildLayout4(const BuildContext& context);  // boxes on the left, description on the right
void BuildLayout5(const BuildContext& context);  // description on the left, boxes on the right
void BuildLayout6(const BuildContext& context);  // label-left rows joined by connectors
void BuildLayout7(const BuildContext& context);  // label-right rows joined by connectors
void BuildLayout8(const BuildContext& context);  // boxes placed per column by the seller

}  // namespace licytek
