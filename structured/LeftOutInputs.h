// The inputs of the form that the structured description leaves out, each with where it
// belongs on Allegro instead.
#pragma once

#include <vector>

#include "model/AuctionForm.h"
#include "structured/AllegroExport.h"
#include "structured/Description.h"

namespace licytek::structured {

// One warning per input the seller filled or switched on (one per group for the page's look:
// colours, effects, locks, keywords, layout), in the order of the window.
std::vector<Finding> LeftOutInputs(const AuctionForm& form, const ExportOptions& options);

}  // namespace licytek::structured
