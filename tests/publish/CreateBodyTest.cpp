// The create body as a pure function over a table of offer data, each with the body written
// out by hand.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "publish/CreateBody.h"

namespace licytek::publish {
namespace {

using offer::OfferData;

constexpr const char* kPicture1 = "https://a.allegroimg.com/original/11/p1";
constexpr const char* kPicture2 = "https://a.allegroimg.com/original/22/p2";

structured::Description OneSection() {
    structured::Description description;
    description.sections.push_back(
        {{{structured::ItemType::Image, kPicture1}, {structured::ItemType::Text, "<p>Opis</p>"}}});
    return description;
}

CreateRequest BuyNowByEanWithEveryTerm() {
    CreateRequest request;
    OfferData& data = request.data;
    data.ean = "5901234123457";
    data.price = "1299.00";
    data.quantity = 3;
    data.handlingTime = offer::HandlingTime::Days2;
    data.invoice = offer::Invoice::Vat;
    data.safetyInformation = "Nie dla dzieci.";
    request.title = "Rower miejski Kross Trans";
    request.description = OneSection();
    request.images = {kPicture1, kPicture2};
    request.signature = "LTK-479d3ddbd2944a07";
    ResolvedOffer& resolved = request.resolved;
    resolved.categoryId = "257931";
    resolved.shippingRatesId = "r1";
    resolved.returnPolicyId = "z1";
    resolved.impliedWarrantyId = "i1";
    resolved.warrantyId = "w1";
    resolved.responsibleProducerId = "p1";
    resolved.responsiblePersonId = "o1";
    resolved.parameters.product = {{"3786", {"3786_1"}, {}, false, "", ""}};
    resolved.parameters.offer = {{"11323", {"11323_1"}, {}, false, "", ""}};
    return request;
}

constexpr const char* kBuyNowByEanWithEveryTerm = R"({
    "name": "Rower miejski Kross Trans",
    "category": {"id": "257931"},
    "productSet": [{
        "product": {"id": "5901234123457", "idType": "GTIN",
                    "parameters": [{"id": "3786", "valuesIds": ["3786_1"]}]},
        "responsibleProducer": {"type": "ID", "id": "p1"},
        "safetyInformation": {"type": "TEXT", "description": "Nie dla dzieci."},
        "responsiblePerson": {"id": "o1"}}],
    "parameters": [{"id": "11323", "valuesIds": ["11323_1"]}],
    "sellingMode": {"format": "BUY_NOW", "price": {"amount": "1299.00", "currency": "PLN"}},
    "stock": {"available": 3, "unit": "UNIT"},
    "publication": {"status": "INACTIVE"},
    "delivery": {"shippingRates": {"id": "r1"}, "handlingTime": "P2D"},
    "afterSalesServices": {"returnPolicy": {"id": "z1"}, "impliedWarranty": {"id": "i1"},
                           "warranty": {"id": "w1"}},
    "payments": {"invoice": "VAT"},
    "external": {"id": "LTK-479d3ddbd2944a07"},
    "images": ["https://a.allegroimg.com/original/11/p1", "https://a.allegroimg.com/original/22/p2"],
    "description": {"sections": [{"items": [
        {"type": "IMAGE", "url": "https://a.allegroimg.com/original/11/p1"},
        {"type": "TEXT", "content": "<p>Opis</p>"}]}]}
})";

CreateRequest UsedItemAuctionActivatedAtOnce() {
    CreateRequest request;
    OfferData& data = request.data;
    data.format = offer::SellingFormat::Auction;
    data.startingPrice = "10.00";
    data.minimalPrice = "50.00";
    data.price = "199.00";
    data.duration = offer::Duration::ThreeDays;
    data.republish = true;
    data.marketedBeforeGpsr = true;
    request.title = "Stary rower Romet Wigry 3";
    request.images = {kPicture2};
    request.signature = "MOJA-17";
    request.activate = true;
    request.resolved.categoryId = "8845";
    request.resolved.shippingRatesId = "r1";
    request.resolved.parameters.product = {{"215930", {}, {}, true, "150", "190"}};
    request.resolved.parameters.offer = {{"11323", {"11323_2"}, {}, false, "", ""},
                                         {"17448", {}, {"1.25"}, false, "", ""}};
    return request;
}

constexpr const char* kUsedItemAuctionActivatedAtOnce = R"({
    "name": "Stary rower Romet Wigry 3",
    "category": {"id": "8845"},
    "productSet": [{
        "product": {"name": "Stary rower Romet Wigry 3", "category": {"id": "8845"},
                    "parameters": [{"id": "215930", "rangeValue": {"from": "150", "to": "190"}}],
                    "images": ["https://a.allegroimg.com/original/22/p2"]},
        "marketedBeforeGPSRObligation": true}],
    "parameters": [{"id": "11323", "valuesIds": ["11323_2"]}, {"id": "17448", "values": ["1.25"]}],
    "sellingMode": {"format": "AUCTION", "startingPrice": {"amount": "10.00", "currency": "PLN"},
                    "minimalPrice": {"amount": "50.00", "currency": "PLN"},
                    "price": {"amount": "199.00", "currency": "PLN"}},
    "stock": {"available": 1, "unit": "UNIT"},
    "publication": {"duration": "P3D", "republish": true},
    "delivery": {"shippingRates": {"id": "r1"}},
    "external": {"id": "MOJA-17"},
    "images": ["https://a.allegroimg.com/original/22/p2"],
    "description": {"sections": []}
})";

// A catalogue product by UUID wins over the EAN; Buy Now until sold out has no duration.
CreateRequest CatalogueProductUntilSoldOut() {
    CreateRequest request;
    request.data.product = "6e3e9f5d-2c1b-4a4e-9d0a-1f2e3d4c5b6a";
    request.data.ean = "5901234123457";
    request.data.duration = offer::Duration::UntilSoldOut;
    request.data.marketedBeforeGpsr = false;
    request.title = "Rower miejski Kross Trans";
    request.signature = "LTK-1";
    return request;
}

constexpr const char* kCatalogueProductUntilSoldOut = R"({
    "name": "Rower miejski Kross Trans",
    "productSet": [{"product": {"id": "6e3e9f5d-2c1b-4a4e-9d0a-1f2e3d4c5b6a"},
                    "marketedBeforeGPSRObligation": false}],
    "sellingMode": {"format": "BUY_NOW"},
    "stock": {"available": 1, "unit": "UNIT"},
    "publication": {"status": "INACTIVE"},
    "external": {"id": "LTK-1"},
    "description": {"sections": []}
})";

TEST(CreateBodyTest, MapsOfferDataToTheBodyWrittenOutByHand) {
    const struct {
        const char* name;
        CreateRequest request;
        const char* expected;
    } cases[] = {
        {"Buy Now by EAN", BuyNowByEanWithEveryTerm(), kBuyNowByEanWithEveryTerm},
        {"auction of a used item", UsedItemAuctionActivatedAtOnce(),
         kUsedItemAuctionActivatedAtOnce},
        {"catalogue product", CatalogueProductUntilSoldOut(), kCatalogueProductUntilSoldOut},
    };
    for (const auto& c : cases) {
        const auto body = BuildCreateBody(c.request);
        ASSERT_TRUE(std::holds_alternative<std::string>(body)) << c.name;
        const auto sent = nlohmann::json::parse(std::get<std::string>(body));
        const auto expected = nlohmann::json::parse(c.expected);
        EXPECT_EQ(sent, expected) << c.name << "\n" << sent.dump(2);
    }
    EXPECT_EQ(BuildCreateBody(BuyNowByEanWithEveryTerm()),
              BuildCreateBody(BuyNowByEanWithEveryTerm()));  // byte for byte
}

TEST(CreateBodyTest, TitleAndGalleryRulesStopTheBodyWithTheirKeys) {
    EXPECT_TRUE(CheckTitle("Rower miejski Kross").empty());
    CreateRequest request = BuyNowByEanWithEveryTerm();
    request.title = "Rower Kross";
    request.images.assign(17, kPicture1);
    const auto errors = std::get<std::vector<offer::OfferError>>(BuildCreateBody(request));
    std::vector<std::string> texts;
    for (const offer::OfferError& error : errors) {
        texts.push_back(offer::ErrorText(error));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Nagłówek aukcji: tytuł ma 11 znaków; Allegro przyjmuje od 12 do 75",
                         "Nagłówek aukcji: tytuł ma 2 słowa; Allegro wymaga co najmniej 3",
                         "zdjęcia: galeria miałaby 17 zdjęć (z opisu i z „zdjęcia”); Allegro "
                         "przyjmuje najwyżej 16",
                     }));
    EXPECT_EQ(CheckTitle("Rower Konstantynopolitańczykowianeczkowski miejski").size(), 1U);
    // Allegro counts "&" as five characters: 72 characters make 76 here.
    const auto ampersand =
        CheckTitle("Rower & " + std::string(30, 'x') + " " + std::string(30, 'y') + " ab");
    ASSERT_EQ(ampersand.size(), 1U);
    EXPECT_EQ(ampersand.front().message, "tytuł ma 76 znaków; Allegro przyjmuje od 12 do 75");
}

}  // namespace
}  // namespace licytek::publish
