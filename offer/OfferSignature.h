// The signature that every offer Licytek creates carries (Allegro's external.id), so that a
// repeated or interrupted run finds the offer it created instead of creating it twice.
#pragma once

#include <string>
#include <string_view>

#include "offer/OfferData.h"

namespace licytek::offer {

// The seller's own "sygnatura" when given; else one made from the item itself: its title
// (UTF-8), its catalogue product (the "produkt", else the "ean"), its "kategoria" and, for a
// spreadsheet's row, the row's "plik". The same item gives the same signature in every run and
// every version of the program; any difference in these gives another one. It is short and
// printable: "LTK-" and 16 hexadecimal digits. Two identical items listed as two offers need
// signatures of their own.
std::string OfferSignature(const OfferData& data, std::string_view utf8Title,
                           std::string_view sheetFile = {});

}  // namespace licytek::offer
