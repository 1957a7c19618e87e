// Allegro's answers about a new offer, read without the network: the offer it created (its id,
// its publication status and what Allegro still finds missing in it), the seller's offers that
// carry a signature, and Allegro's errors as the seller reads them, each under the offer data's
// key or the parameter it concerns ("parametr „Kolor”: …"). Answers are untrusted: a field
// that is missing, null or of another type is absent, and nothing here throws.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "publish/OfferLookups.h"
#include "publish/OfferResolution.h"
#include "publish/Protocol.h"

namespace licytek::publish {

// Whether one of the errors has this code, alone or after a prefix ("X.MissingRequired...").
bool HasErrorCode(std::span<const AllegroError> errors, std::string_view code);

// What Allegro said of the offer it created or read.
struct CreatedOffer {
    std::string id;
    std::string status;  // publication.status: INACTIVE, ACTIVATING, ACTIVE, ENDED ...
    std::vector<AllegroError> validationErrors;
};

// The answer of POST /sale/product-offers (201) or GET /sale/product-offers/{id}; a Polish
// message when it holds no offer id.
std::variant<CreatedOffer, std::string> ParseCreatedOffer(std::string_view body);

// The offer id at the end of an operation's or an offer's address
// ("/sale/product-offers/123/operations/abc" gives "123"); empty when there is none.
std::string OfferIdInAddress(std::string_view address);

// An offer of the seller that carries a signature.
struct SignedOffer {
    std::string id;
    std::string status;
};

// The offers of GET /sale/offers?external.id=… that block creating the item again: a draft,
// an active offer or one being activated (an ended one does not). A Polish message when the
// answer is no list of offers.
std::variant<std::vector<SignedOffer>, std::string> ParseOffersBySignature(std::string_view body);

// What an error refers to, for naming it.
struct ErrorContext {
    std::span<const CategoryParameter> category;     // the category's parameters, when read
    const ResolvedParameters* parameters = nullptr;  // as sent: index → parameter
    bool productById = false;                        // the product went by "produkt", not "ean"
};

// The error as the seller reads it: "KEY: words", the key being the offer data's ("cena",
// "cennik dostawy"), the parameter ("parametr „Kolor”"), the description's place ("opis,
// sekcja 2") or the title ("Edit2"); Allegro's userMessage when it gives one, else its message.
std::string ErrorForSeller(const AllegroError& error, const ErrorContext& context);

// Where an error belongs among the values the seller gave, for a front end that shows it at
// its field: the offer data's key ("cena", "parametry", "stan"), "Edit2" for the title, or
// empty when it fits none; and the parameters it concerns by id, when the body sent says so.
struct ErrorPlace {
    std::string key;
    std::vector<std::string> parameterIds;

    bool operator==(const ErrorPlace&) const = default;
};

// An error as the seller reads it, with Allegro's words alone and where it belongs.
struct PlacedError {
    std::string line;   // as ErrorForSeller words it, or "KEY: words" for a local fault
    std::string words;  // without the key
    ErrorPlace place;

    bool operator==(const PlacedError&) const = default;
};

PlacedError PlaceError(const AllegroError& error, const ErrorContext& context);
// A fault found before sending, under its key ("cena", "parametr: Kolor").
PlacedError PlaceError(const offer::OfferError& error);

}  // namespace licytek::publish
