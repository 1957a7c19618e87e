// The body of POST /sale/product-offers, made from the offer data, the form's structured
// description and title, the uploaded pictures and the look-ups' answers. One pure function:
// the same input gives the same body, byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "offer/OfferData.h"
#include "publish/OfferResolution.h"
#include "structured/Description.h"

namespace licytek::publish {

// What the look-ups made of the offer data's names.
struct ResolvedOffer {
    std::string categoryId;  // the "kategoria", else the catalogue product's category
    std::optional<std::string> shippingRatesId;
    std::optional<std::string> returnPolicyId;
    std::optional<std::string> impliedWarrantyId;
    std::optional<std::string> warrantyId;
    std::optional<std::string> responsibleProducerId;
    std::optional<std::string> responsiblePersonId;
    ResolvedParameters parameters;
};

struct CreateRequest {
    offer::OfferData data;  // read and checked
    std::string title;      // UTF-8, as structured::ExportAllegro gives it (AllegroOffer::name)
    structured::Description description;  // with the uploaded picture addresses in place
    // The gallery in order: the description's pictures, then those of "zdjęcia", uploaded.
    std::vector<std::string> images;
    std::string signature;  // offer::OfferSignature: external.id
    ResolvedOffer resolved;
    // Leaves publication.status out, so that Allegro activates the offer at once; otherwise
    // the offer is a draft (INACTIVE), which Allegro saves even with gaps.
    bool activate = false;
};

// Allegro's rules for a title: 12 to 75 characters (as Allegro counts them), at least three
// words, none over 30 characters. Errors under the title's control name, "Edit2".
std::vector<offer::OfferError> CheckTitle(std::string_view utf8Title);

// The body as compact UTF-8 JSON, or every reason it cannot be sent: the title's rules, a
// gallery over 16 pictures, an auction without its starting price. The catalogue product is
// the "produkt" ({"id": UUID}), else the "ean" ({"id": EAN, "idType": "GTIN"}), each with the
// parameters that describe the product; without either, the product goes as data: its name,
// category, parameters and pictures. Prices go as texts in PLN ("1299.00").
std::variant<std::string, std::vector<offer::OfferError>> BuildCreateBody(
    const CreateRequest& request);

}  // namespace licytek::publish
