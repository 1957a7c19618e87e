// Allegro's answers about a new offer read without the network: each error put under the key
// the seller wrote, and hostile answers that never turn into a wrong offer number.
#include <gtest/gtest.h>

#include "publish/CreateAnswers.h"

namespace licytek::publish {
namespace {

AllegroError Error(const std::string& path, const std::string& userMessage,
                   const std::string& message) {
    AllegroError error;
    error.code = "X";
    error.message = message;
    error.userMessage = userMessage;
    error.path = path;
    return error;
}

std::string Said(const std::string& path, const std::string& userMessage,
                 const ErrorContext& context = {}) {
    return ErrorForSeller(Error(path, userMessage, "developer words"), context);
}

TEST(CreateAnswersTest, EachErrorIsNamedByTheKeyOrParameterItConcerns) {
    // "sellingMode.price" must not swallow the starting or minimal price.
    EXPECT_EQ(Said("sellingMode.startingPrice.amount", "za niska"), "cena wywoławcza: za niska");
    EXPECT_EQ(Said("sellingMode.minimalPrice", "za niska"), "cena minimalna: za niska");
    EXPECT_EQ(Said("sellingMode.price.amount", "za niska"), "cena: za niska");
    EXPECT_EQ(Said("afterSalesServices.impliedWarranty.id", "?"), "reklamacje: ?");
    EXPECT_EQ(Said("productSet[0].marketedBeforeGPSRObligation", "nie dla nowych"),
              "przed 13.12.2024: nie dla nowych");
    EXPECT_EQ(Said("productSet[0].product.id", "nie ma"), "ean: nie ma");
    ErrorContext byId;
    byId.productById = true;
    EXPECT_EQ(Said("productSet[0].product.id", "nie ma", byId), "produkt: nie ma");
    EXPECT_EQ(Said("description.sections[1].items[0].content", "za długi"),
              "opis, sekcja 2, element 1: za długi");
    EXPECT_EQ(Said("", "bez miejsca"), "bez miejsca");
    EXPECT_EQ(Said("name", "za długi"), "Edit2: za długi");

    const std::vector<CategoryParameter> category = {
        {"11323", "Stan", ParameterKind::Dictionary, {}, true, false, false, false, false, {}},
        {"3786", "Kolor", ParameterKind::Dictionary, {}, false, true, true, false, false, {}}};
    ResolvedParameters sent;
    sent.offer = {{"11323", {"11323_1"}, {}, false, {}, {}}};
    sent.product = {{"3786", {"3786_1"}, {}, false, {}, {}}};
    const ErrorContext context{category, &sent, false};
    EXPECT_EQ(Said("parameters[0]", "zła", context), "parametr „Stan”: zła");
    EXPECT_EQ(Said("productSet[0].product.parameters[0].valuesIds", "zła", context),
              "parametr „Kolor”: zła");
    EXPECT_EQ(Said("parameters[7]", "zła", context), "parametry: zła");  // no such one sent
    // Without userMessage, Allegro's own words, said to be in English; control characters
    // never reach the terminal.
    EXPECT_EQ(ErrorForSeller(Error("stock", "", "a\x1b[2Jb\nc"), context),
              "liczba sztuk: Allegro (po angielsku): a [2Jb c");
}

TEST(CreateAnswersTest, AnAnswerWithoutAPlainOfferNumberIsNoOffer) {
    EXPECT_EQ(std::get<CreatedOffer>(ParseCreatedOffer(
                                         R"({"id":"777","publication":{"status":"INACTIVE"},
                                             "validation":{"errors":[{"path":"stock"},7]}})"))
                  .validationErrors.size(),
              1U);
    for (const char* hostile : {R"({"id":"../777"})", R"({"id":777})", R"({"id":""})", "[1]",
                                R"({"id":"123456789012345678901234567890123"})"}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseCreatedOffer(hostile))) << hostile;
    }
    EXPECT_EQ(OfferIdInAddress("https://api.allegro.pl/sale/product-offers/777/operations/a"),
              "777");
    EXPECT_EQ(OfferIdInAddress("/sale/product-offers/abc"), "");
    EXPECT_EQ(OfferIdInAddress("/sale/offer-operations/1"), "");
    EXPECT_TRUE(
        HasErrorCode(ParseAllegroErrors(R"({"errors":[{"code":"A.MissingRequiredParameters"}]})"),
                     "MissingRequiredParameters"));
    EXPECT_FALSE(
        HasErrorCode(ParseAllegroErrors(R"({"errors":[{"code":"NotMissingRequiredParameters"}]})"),
                     "MissingRequiredParameters"));
}

}  // namespace
}  // namespace licytek::publish
