// The whole auction description: the document head followed by the chosen layout's body.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/AuctionForm.h"

namespace licytek {

// Runs BuildHead and then the builder of the first chosen layout radio button
// (layout1..8), or nothing more when none is chosen. Returns the output text in
// Windows-1250, exactly as it goes to the clipboard (no line break added).
std::string BuildDocument(const AuctionForm& form, std::string_view sellerId);

// An upper bound of BuildDocument's output size for these inputs: the most fixed text any
// layout writes plus each input's length times the most copies of it any layout writes.
// BuildDocument reserves this once so that the output never grows by reallocation.
std::size_t EstimateDocumentSize(const AuctionForm& form, std::string_view sellerId);

}  // namespace licytek
