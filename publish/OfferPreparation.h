// A new offer made ready to be created: the form's title, description and pictures, and the
// offer data's names turned into Allegro's ids through the look-ups (only GETs). Whatever is
// wrong with the offer data is found here, each fault under its key, before anything is sent.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/AuctionForm.h"
#include "offer/OfferData.h"
#include "publish/CreateBody.h"
#include "publish/OfferCatalogue.h"

namespace licytek::publish {

struct PrepareOptions {
    std::string sheetFile;  // a spreadsheet row's "plik", part of the signature it makes
    bool activate = false;  // the draft is to be activated: the invoice kind is required
};

struct PreparedOffer {
    // The request with the pictures at their sources (files and web addresses), as the
    // description names them; CreateOffer puts them on Allegro first.
    CreateRequest request;
    std::vector<CategoryParameter> category;    // read when the offer names parameters
    std::optional<CatalogueProduct> product;    // when the catalogue was asked
    std::vector<std::string> summary;           // what will be sent, a line each
    std::vector<std::string> notes;             // what the seller should know, a line each
    std::vector<structured::Finding> findings;  // the description's export
};

// Why the offer cannot be created. Bad offer data is BadUse (exit 2) with each fault under its
// key; several or no catalogue products for the EAN are Refused (exit 1) under "ean"; a failed
// look-up is its failure. Nothing was sent.
struct PrepareProblem {
    Failure failure;                        // the outcome; its message when there are no errors
    std::vector<offer::OfferError> errors;  // each under its key
    std::vector<CategorySuggestion> suggestions;  // no "kategoria": Allegro's, for the title
    std::vector<structured::Finding> findings;    // the description's export
};

// The offer for the form and its offer data (read and checked). The category is the
// "kategoria", else the catalogue product's (searched by EAN when no "produkt" is given);
// without a product Allegro's suggestions for the title are listed and nothing is sent.
std::variant<PreparedOffer, PrepareProblem> PrepareNewOffer(
    OfferCatalogue& catalogue, const offer::OfferData& data, const AuctionForm& form,
    const PrepareOptions& options, const PublishObserver* observer = nullptr,
    const std::atomic<bool>* cancel = nullptr);

}  // namespace licytek::publish
