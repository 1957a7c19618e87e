// The look-ups of a new offer without the network: Allegro's answers, good and hostile, and
// the offer data's names turned into ids.
#include <gtest/gtest.h>

#include "publish/OfferLookups.h"
#include "publish/OfferResolution.h"

namespace licytek::publish {
namespace {

template <typename Value>
Value Parsed(const std::variant<Value, std::string>& answer) {
    if (const auto* message = std::get_if<std::string>(&answer)) {
        ADD_FAILURE() << *message;
        return {};
    }
    return std::get<Value>(answer);
}

// Raw strings end at ")json": the parameters' names hold ")" before a quote.
constexpr const char* kParameters = R"json({"parameters": [
    {"id": "11323", "name": "Stan", "type": "dictionary", "required": true,
     "options": {"describesProduct": false},
     "dictionary": [{"id": "11323_1", "value": "Nowy"}, {"id": "11323_2", "value": "Używany"}],
     "restrictions": {"multipleChoices": false}},
    {"id": "3786", "name": "Kolor", "type": "dictionary", "requiredForProduct": true,
     "options": {"describesProduct": true},
     "dictionary": [{"id": "3786_1", "value": "Czarny"}, {"id": "3786_2", "value": "Biały"},
                    {"id": null, "value": "Zielony"}],
     "restrictions": {"multipleChoices": true}},
    {"id": "17448", "name": "Waga (z opakowaniem)", "type": "float", "unit": "kg",
     "options": {"describesProduct": false}, "restrictions": {"range": false, "precision": 2}},
    {"id": "215930", "name": "Wzrost rowerzysty", "type": "integer", "unit": "cm",
     "options": {"describesProduct": true}, "restrictions": {"range": true}},
    {"id": "224017", "name": "Kod producenta", "type": "string",
     "options": {"describesProduct": "yes"}},
    {"id": 5, "name": "Bez id"}, {"id": "6", "name": null}
]})json";

TEST(OfferLookupsTest, ReadsEachLookupsAnswer) {
    const auto rates = Parsed(ParseSettings(
        SettingsList::ShippingRates,
        R"({"shippingRates": [{"id": "r1", "name": "Kurier"}, {"id": "r2"}, {"name": "bez id"}]})"));
    ASSERT_EQ(rates.items.size(), 2U);
    EXPECT_EQ(rates.items[1].id, "r2");
    EXPECT_EQ(rates.items[1].name, "");
    EXPECT_EQ(rates.totalCount, std::nullopt);
    const auto producers = Parsed(ParseSettings(
        SettingsList::ResponsibleProducers,
        R"({"responsibleProducers": [{"id": "p1", "name": "Kross", "producerData": {}}],
            "count": 1, "totalCount": 120})"));
    EXPECT_EQ(producers.totalCount, 120U);
    EXPECT_EQ(SettingsPath(SettingsList::ImpliedWarranties),
              "/after-sales-service-conditions/implied-warranties");

    const auto categories = Parsed(ParseMatchingCategories(
        R"({"matchingCategories": [{"id": "257931", "name": "Miejskie",
            "parent": {"id": "3", "name": "Rowery", "parent": {"id": "1", "name": "Sport"}}}]})"));
    ASSERT_EQ(categories.size(), 1U);
    EXPECT_EQ(categories[0].path, "Sport > Rowery > Miejskie");

    const auto parameters = Parsed(ParseCategoryParameters(kParameters));
    ASSERT_EQ(parameters.size(), 5U);
    EXPECT_EQ(parameters[1].dictionary.size(), 2U);  // the entry without an id is left out
    EXPECT_TRUE(parameters[1].describesProduct && parameters[1].multipleChoices &&
                parameters[1].requiredForProduct);
    EXPECT_EQ(parameters[2].kind, ParameterKind::Float);
    EXPECT_EQ(parameters[2].unit, "kg");
    EXPECT_TRUE(parameters[3].range);
    EXPECT_FALSE(parameters[4].describesProduct);  // "yes" is no boolean

    const auto products = Parsed(ParseProducts(
        R"({"products": [{"id": "u1", "name": "Kross Trans", "category": {"id": "257931",
             "path": [{"id": "3", "name": "Sport"}, {"name": null}, {"id": "257931",
                      "name": "Rowery miejskie"}]},
            "images": [{"url": "http://a.allegroimg.com/x.jpg"}, {"url": 5},
                       {"url": "https://a.allegroimg.com/s/rower.jpg"}],
            "productSafety": {"responsibleProducers": [{"id": "x"}]}},
            {"id": "u2", "name": "Kross Trans 2", "category": "257931",
             "productSafety": {"responsibleProducers": [], "safetyInformation": null}}]})"));
    ASSERT_EQ(products.size(), 2U);
    EXPECT_TRUE(products[0].bringsSafetyData);
    // the path from the top, and only a picture at an https:// address
    EXPECT_EQ(products[0].categoryPath, "Sport > Rowery miejskie");
    EXPECT_EQ(products[0].imageUrl, "https://a.allegroimg.com/s/rower.jpg");
    EXPECT_EQ(products[1].imageUrl, "");
    EXPECT_EQ(products[1].categoryId, "");
    EXPECT_FALSE(products[1].bringsSafetyData);

    EXPECT_EQ(FoundProductIds(R"({"errors": [{"code": "MultipleProductsFoundException",
              "metadata": {"foundProductsIds": "u1, u2"}}]})"),
              (std::vector<std::string>{"u1", "u2"}));
    EXPECT_EQ(FoundProductIds(R"({"errors": [{"metadata": {"foundProductsIds": ["u3", 4]}}]})"),
              std::vector<std::string>{"u3"});
}

TEST(OfferLookupsTest, HostileAnswersGiveAMessageOrAbsentFieldsNeverAnException) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string deepObjects = R"({"products": )" + deep + "}";
    for (const std::string& body :
         {std::string(), std::string("null"), std::string("[]"), std::string("{\"x\": 1"),
          std::string(R"({"shippingRates": null})"), std::string(R"({"shippingRates": {}})"),
          std::string(R"({"matchingCategories": "257931"})"), deep, deepObjects}) {
        EXPECT_TRUE(
            std::holds_alternative<std::string>(ParseSettings(SettingsList::ShippingRates, body)))
            << body.substr(0, 40);
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseMatchingCategories(body)));
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseCategoryParameters(body)));
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseProducts(body)));
        EXPECT_TRUE(FoundProductIds(body).empty());
    }
    // Within the depth bound, wrong types are absent, and a bracket inside a text is no depth.
    const std::string brackets(200, '[');
    const auto products = Parsed(
        ParseProducts(R"({"products": [null, 7, {"id": 8}, {"id": "u1", "name": ")" + brackets +
                      R"(", "category": {"id": {"x": 1}}, "productSafety": []}]})"));
    ASSERT_EQ(products.size(), 1U);
    EXPECT_EQ(products[0].name, brackets);
    EXPECT_EQ(products[0].categoryId, "");
    const auto settings =
        Parsed(ParseSettings(SettingsList::Warranties,
                             R"({"warranties": [{"id": "w1", "name": ["x"]}], "totalCount": -3})"));
    ASSERT_EQ(settings.items.size(), 1U);
    EXPECT_EQ(settings.items[0].name, "");
    EXPECT_EQ(settings.totalCount, std::nullopt);
    std::string chain = R"({"id": "1", "name": "A"})";
    for (int i = 0; i < 50; ++i) {
        chain = R"({"id": "c", "name": "B", "parent": )" + chain + "}";
    }
    EXPECT_EQ(Parsed(ParseMatchingCategories(R"({"matchingCategories": [)" + chain + "]}"))
                  .front()
                  .path.substr(0, 9),
              "A > B > B");
}

TEST(OfferResolutionTest, SettingsByNameOrIdOrByAllegrosOwnRule) {
    const std::vector<NamedSetting> rates = {{"r1", "Kurier"}, {"r2", "default"}, {"r3", "Poczta"}};
    using Resolved = std::optional<std::string>;
    const auto id = [](const std::variant<Resolved, offer::OfferError>& result) {
        return std::get<Resolved>(result);
    };
    const auto error = [](const std::variant<Resolved, offer::OfferError>& result) {
        return offer::ErrorText(std::get<offer::OfferError>(result));
    };
    EXPECT_EQ(id(ResolveSetting(SettingsList::ShippingRates, " KURIER ", rates)), "r1");
    EXPECT_EQ(id(ResolveSetting(SettingsList::ShippingRates, "r3", rates)), "r3");
    EXPECT_EQ(id(ResolveSetting(SettingsList::ShippingRates, "", rates)), "r2");
    EXPECT_EQ(id(ResolveSetting(SettingsList::ReturnPolicies, "", {{{"z1", "14 dni"}}})), "z1");
    EXPECT_EQ(id(ResolveSetting(SettingsList::Warranties, "", rates)), std::nullopt);
    EXPECT_EQ(error(ResolveSetting(SettingsList::ShippingRates, "Paczkomat", rates)),
              "cennik dostawy: „Paczkomat”: nie ma takiej nazwy; cenniki dostawy na koncie: "
              "„Kurier”, „default”, „Poczta”");
    EXPECT_EQ(
        error(ResolveSetting(SettingsList::ImpliedWarranties, "", {{{"i1", "Firma"}, {"i2", ""}}})),
        "reklamacje: podaj nazwę jednego z nich (Allegro wybiera sam tylko jedyny albo "
        "nazwany „default”); warunki reklamacji na koncie: „Firma”, „i2”");
    EXPECT_EQ(error(ResolveSetting(SettingsList::ReturnPolicies, "", {})),
              "zwroty: na koncie Allegro nie ma żadnych (warunki zwrotów); dodaj je na allegro.pl");
    EXPECT_EQ(error(ResolveSetting(SettingsList::ResponsibleProducers, "kross",
                                   {{{"p1", "Kross"}, {"p2", "KROSS"}}})),
              "producent: kilka ma nazwę „kross”; podaj id jednego z nich: „p1”, „p2”");
}

TEST(OfferResolutionTest, ParametersSplitBetweenProductAndOfferAndBadOnesNameTheirKey) {
    const auto category = Parsed(ParseCategoryParameters(kParameters));
    offer::OfferReading good = offer::ReadOfferJson(R"json({"stan": "używany", "parametry": {
        "kolor": ["czarny", "BIAŁY"], "Waga (z opakowaniem)": "1,25",
        "Wzrost rowerzysty": {"od": "150", "do": "190"}, "224017": "KR-1"}})json");
    ASSERT_TRUE(good.ok());
    const auto resolved = std::get<ResolvedParameters>(ResolveParameters(good.data, category));
    EXPECT_EQ(resolved.offer, (std::vector<ResolvedParameter>{
                                  {"11323", {"11323_2"}, {}, false, "", ""},
                                  {"17448", {}, {"1.25"}, false, "", ""},
                                  {"224017", {}, {"KR-1"}, false, "", ""},
                              }));
    EXPECT_EQ(resolved.product, (std::vector<ResolvedParameter>{
                                    {"3786", {"3786_1", "3786_2"}, {}, false, "", ""},
                                    {"215930", {}, {}, true, "150", "190"},
                                }));

    offer::OfferReading bad = offer::ReadOfferJson(R"json({"stan": "jak nowy", "parametry": {
        "Rozmiar": "M", "Stan": "Nowy", "Waga (z opakowaniem)": "ciężki",
        "Wzrost rowerzysty": "170", "Kolor": "Zielony", "Kod producenta": {"od": 1, "do": 2}}})json");
    ASSERT_TRUE(bad.ok());
    const auto errors =
        std::get<std::vector<offer::OfferError>>(ResolveParameters(bad.data, category));
    std::vector<std::string> texts;
    for (const offer::OfferError& error : errors) {
        texts.push_back(offer::ErrorText(error));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "stan: „jak nowy”: nie ma takiej wartości; dozwolone: „Nowy”, „Używany”",
                         "parametr: Rozmiar: w tej kategorii nie ma takiego parametru; są: "
                         "„Stan”, „Kolor”, „Waga (z opakowaniem)”, „Wzrost rowerzysty”, "
                         "„Kod producenta”",
                         "parametr: Stan: parametr „Stan” jest już podany (stan podaje się "
                         "kluczem „stan”)",
                         "parametr: Waga (z opakowaniem): „ciężki” nie jest liczbą (np. 12 albo "
                         "1,5)",
                         "parametr: Wzrost rowerzysty: podaj zakres: {\"od\": …, \"do\": …} (w "
                         "arkuszu „od 10 do 20”)",
                         "parametr: Kolor: „Zielony”: nie ma takiej wartości; dozwolone: "
                         "„Czarny”, „Biały”",
                         "parametr: Kod producenta: ten parametr nie przyjmuje zakresu",
                     }));
    offer::OfferData noCondition;
    noCondition.condition = "Nowy";
    EXPECT_FALSE(std::holds_alternative<ResolvedParameters>(
        ResolveParameters(noCondition, std::span(category).subspan(1))));
}

TEST(OfferResolutionTest, AnEanStandsForOneCatalogueProductOrTheSellerChooses) {
    const std::vector<CatalogueProduct> two = {{"u1", "Kross Trans", "257931", false},
                                               {"u2", "Kross Trans 2.0", "", true}};
    EXPECT_EQ(std::get<CatalogueProduct>(ChooseProduct("5901234123457", {two.data(), 1})).id, "u1");
    const auto several = std::get<ProductProblem>(ChooseProduct("5901234123457", two));
    EXPECT_EQ(several.kind, ProductProblem::Kind::Several);
    EXPECT_EQ(offer::ErrorText(several.error),
              "ean: ten EAN ma w katalogu Allegro 2 produkty; podaj UUID wybranego w „produkt”: "
              "u1 „Kross Trans” (kategoria 257931); u2 „Kross Trans 2.0” (kategoria ?)");
    EXPECT_EQ(std::get<ProductProblem>(ChooseProduct("5901234123457", {})).kind,
              ProductProblem::Kind::NotFound);
}

}  // namespace
}  // namespace licytek::publish
