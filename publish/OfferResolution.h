// The offer data's names turned into Allegro's ids with the look-ups' answers: the seller's
// settings by name or id, the category's parameters and their values, and the one catalogue
// product an EAN stands for. Pure: every error is a value naming the offer data's key.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "offer/OfferData.h"
#include "publish/OfferLookups.h"

namespace licytek::publish {

// The id of the seller's setting that the offer data names: by its name (any letter case) or
// its id. When the offer data names none: for shipping rates, return and complaint policies,
// Allegro's own rule (the only one, or the one named "default"); for warranties, responsible
// producers and persons, nothing (left out of the offer). An unknown or ambiguous name, or no
// setting that the rule finds, is an error under the list's key that lists the seller's names.
std::variant<std::optional<std::string>, offer::OfferError> ResolveSetting(
    SettingsList list, std::string_view wanted, std::span<const NamedSetting> settings);

// One parameter as the create body holds it: {"id", "valuesIds"}, {"id", "values"} or
// {"id", "rangeValue": {"from", "to"}}.
struct ResolvedParameter {
    std::string id;
    std::vector<std::string> valuesIds;  // a dictionary's
    std::vector<std::string> values;     // a number ("1.5") or a text
    bool isRange = false;
    std::string from;
    std::string to;

    bool operator==(const ResolvedParameter&) const = default;
};

struct ResolvedParameters {
    std::vector<ResolvedParameter> product;  // describesProduct: productSet[0].product.parameters
    std::vector<ResolvedParameter> offer;    // the offer's own: the top-level "parameters"
};

// The offer data's parameters and its "stan" (the parameter 11323, "Stan") as the category
// takes them: names matched ignoring case (or by id), dictionary labels turned into their ids
// ignoring case, numbers with a Polish decimal comma, ranges where the category asks for one.
// Every unknown name or label is an error that lists the allowed ones.
std::variant<ResolvedParameters, std::vector<offer::OfferError>> ResolveParameters(
    const offer::OfferData& data, std::span<const CategoryParameter> category);

// The catalogue's answer for the offer data's EAN, when it must be told apart.
struct ProductProblem {
    enum class Kind {
        NotFound,  // no product: the seller gives "kategoria" to list without one
        Several,   // more than one: the seller picks one with "produkt"; nothing is created
    };
    Kind kind = Kind::NotFound;
    offer::OfferError error;  // under "ean", listing each product's UUID, name and category
};

// The one product the search for the EAN found.
std::variant<CatalogueProduct, ProductProblem> ChooseProduct(
    std::string_view ean, std::span<const CatalogueProduct> found);

}  // namespace licytek::publish
