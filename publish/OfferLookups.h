// The answers of the look-ups a new offer needs, read without the network: the categories
// Allegro suggests for a title, a category's parameters, the seller's own settings (shipping
// rates, return and complaint policies, warranties, responsible producers and persons) and
// the catalogue's products for an EAN. Answers are untrusted: a field that is missing, null or
// of another type is absent, JSON nested deeper than kMaxAnswerDepth is refused, and no answer
// ever turns into an exception; an answer that is no such list gives a Polish message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "offer/OfferData.h"
#include "structured/JsonDepth.h"

namespace licytek::publish {

inline constexpr std::size_t kMaxAnswerDepth = structured::kMaxJsonDepth;

// ---- The seller's own settings ----------------------------------------------------------------

enum class SettingsList {
    ShippingRates,         // GET /sale/shipping-rates
    ReturnPolicies,        // GET /after-sales-service-conditions/return-policies
    ImpliedWarranties,     // GET /after-sales-service-conditions/implied-warranties
    Warranties,            // GET /after-sales-service-conditions/warranties
    ResponsibleProducers,  // GET /sale/responsible-producers
    ResponsiblePersons,    // GET /sale/responsible-persons
};

inline constexpr SettingsList kAllSettingsLists[] = {
    SettingsList::ShippingRates,        SettingsList::ReturnPolicies,
    SettingsList::ImpliedWarranties,    SettingsList::Warranties,
    SettingsList::ResponsibleProducers, SettingsList::ResponsiblePersons,
};

// The path of the list's GET, under the API's base address.
std::string_view SettingsPath(SettingsList list);
// The list's name as the seller reads it: "cenniki dostawy", "warunki zwrotów", "warunki
// reklamacji", "gwarancje", "producenci odpowiedzialni", "osoby odpowiedzialne".
std::string_view SettingsTitle(SettingsList list);
// The offer data's key that names one of the list.
offer::OfferKey SettingsKey(SettingsList list);

struct NamedSetting {
    std::string id;
    std::string name;  // empty when Allegro gave none
};

struct SettingsAnswer {
    std::vector<NamedSetting> items;  // in Allegro's order; entries without an id left out
    // How many the seller has in all, when Allegro says (the lists of producers, persons and
    // policies come in pages: the next page starts at the number read so far).
    std::optional<std::size_t> totalCount;
};

std::variant<SettingsAnswer, std::string> ParseSettings(SettingsList list, std::string_view body);

// ---- Categories -------------------------------------------------------------------------------

struct CategorySuggestion {
    std::string id;
    std::string name;
    std::string path;  // from the top: "Motoryzacja > Części samochodowe > Filtry"
};

// The answer of GET /sale/matching-categories?name=TITLE.
std::variant<std::vector<CategorySuggestion>, std::string> ParseMatchingCategories(
    std::string_view body);

enum class ParameterKind { Dictionary, Integer, Float, String, Other };

// "słownik", "liczba całkowita", "liczba", "tekst", "inny".
std::string_view ParameterKindName(ParameterKind kind);

struct DictionaryEntry {
    std::string id;
    std::string value;  // the label the seller writes ("Nowy")
};

struct CategoryParameter {
    std::string id;
    std::string name;
    ParameterKind kind = ParameterKind::Other;
    std::string unit;
    bool required = false;
    bool requiredForProduct = false;
    bool describesProduct = false;  // goes into productSet[0].product.parameters
    bool multipleChoices = false;   // a dictionary's: more than one value
    bool range = false;             // a number's: a range from and to
    std::vector<DictionaryEntry> dictionary;
};

// The condition ("Stan") is this parameter in every category that has one.
inline constexpr std::string_view kConditionParameterId = "11323";

// The answer of GET /sale/categories/{id}/parameters; entries without an id or a name are
// left out.
std::variant<std::vector<CategoryParameter>, std::string> ParseCategoryParameters(
    std::string_view body);

// ---- The catalogue ----------------------------------------------------------------------------

struct CatalogueProduct {
    std::string id;  // the product's UUID
    std::string name;
    std::string categoryId;
    // The catalogue holds safety data (a producer, safety information) for it, which Allegro
    // copies into an offer that names no data of its own.
    bool bringsSafetyData = false;
    std::string categoryPath{};  // "Sport > Rowery > Miejskie", when the answer gives it
    std::string imageUrl{};      // its first picture, an https:// address, or empty
};

// The answer of GET /sale/products?phrase=EAN&mode=GTIN&language=pl-PL.
std::variant<std::vector<CatalogueProduct>, std::string> ParseProducts(std::string_view body);

// The answer of GET /sale/products/{id}: one product.
std::variant<CatalogueProduct, std::string> ParseProduct(std::string_view body);

// The products a 422 MultipleProductsFoundException names (errors[].metadata.foundProductsIds,
// a list or one text of ids apart by commas); empty for any other answer.
std::vector<std::string> FoundProductIds(std::string_view errorBody);

}  // namespace licytek::publish
