// New offers against the fake Allegro: the look-ups and what is kept of them, the resolving of
// the offer data, and the creation with each of Allegro's answers, judged by the requests sent.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "SessionFixture.h"
#include "publish/OfferCreation.h"

namespace licytek::testing {
namespace {

using nlohmann::json;
using publish::Outcome;

constexpr const char* kParameters = R"({"parameters": [
    {"id": "11323", "name": "Stan", "type": "dictionary", "required": true,
     "options": {"describesProduct": false},
     "dictionary": [{"id": "11323_1", "value": "Nowy"}, {"id": "11323_2", "value": "Używany"}]},
    {"id": "3786", "name": "Kolor", "type": "dictionary", "requiredForProduct": true,
     "options": {"describesProduct": true},
     "dictionary": [{"id": "3786_1", "value": "Czarny"}, {"id": "3786_2", "value": "Biały"}]},
    {"id": "17448", "name": "Waga", "type": "float", "unit": "kg",
     "options": {"describesProduct": false}}]})";
constexpr const char* kEan = "5901234123457";
constexpr const char* kCreated = "/sale/product-offers";
constexpr const char* kOffer = "/sale/product-offers/777";

FakeAnswer Answer(int status, std::string body = "{}",
                  std::vector<std::pair<std::string, std::string>> headers = {}) {
    return FakeAnswer{status, std::move(body), std::move(headers), false};
}

class NewOfferTest : public SessionTest {
  protected:
    NewOfferTest() {
        SignedIn();
        std::filesystem::create_directories(folder / "project");
        std::ofstream(folder / "project" / "rower.jpg", std::ios::binary)
            << std::string("\xFF\xD8\xFF\xE0JFIF", 8);
        form.auctionHeader = "Rower miejski Kross Trans";
        form.itemDescription = "Opis roweru<img src=\"rower.jpg\">";
        data.ean = kEan;
        data.category = "257931";
        data.condition = "nowy";
        data.parameters = {{"Kolor", {"czarny"}, false, {}, {}}};
        data.price = "1299.00";
        data.invoice = offer::Invoice::Vat;
        data.signature = "rower-1";
        options.projectFolder = (folder / "project").string();
    }

    publish::OfferCatalogue& Catalogue() {
        if (!catalogue_) {
            catalogue_ =
                std::make_unique<publish::OfferCatalogue>(Session(), (folder / "cache").string());
        }
        return *catalogue_;
    }

    // The seller's terms, the category's parameters and no offer with the signature yet.
    void ScriptLookups() {
        fake.Script("GET", "/sale/shipping-rates",
                    Answer(200, R"({"shippingRates":[{"id":"r1","name":"Kurier"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/return-policies",
                    Answer(200, R"({"returnPolicies":[{"id":"z1","name":"default"},
                                    {"id":"z2","name":"30 dni"}],"totalCount":2})"));
        fake.Script("GET", "/after-sales-service-conditions/implied-warranties",
                    Answer(200, R"({"impliedWarranties":[{"id":"i1","name":"Rękojmia"}]})"));
        fake.Script("GET", "/sale/categories/257931/parameters", Answer(200, kParameters));
        fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[],"totalCount":0})"));
        fake.Script("POST", "/sale/images",
                    Answer(201, R"({"location":"https://a.allegroimg.com/s/up1"})"));
    }

    publish::CreateResult Create() {
        publish::PrepareOptions prepare;
        prepare.activate = options.activate;
        auto prepared = publish::PrepareNewOffer(Catalogue(), data, form, prepare);
        if (auto* problem = std::get_if<publish::PrepareProblem>(&prepared)) {
            ADD_FAILURE() << problem->failure.message
                          << (problem->errors.empty() ? "" : problem->errors[0].message);
            return {};
        }
        return publish::CreateOffer(Catalogue(), std::get<publish::PreparedOffer>(prepared),
                                    options);
    }

    std::size_t Count(const std::string& method, const std::string& path) const {
        return fake.Requests(method, path).size();
    }

    AuctionForm form;
    offer::OfferData data;
    publish::CreateOptions options;

  private:
    std::unique_ptr<publish::OfferCatalogue> catalogue_;
};

TEST_F(NewOfferTest, SettingsArePagedKeptForTheRunAndA403AsksToSignInAgain) {
    fake.Script("GET", "/sale/responsible-producers",
                Answer(200, R"({"responsibleProducers":[{"id":"p1","name":"Kross"},
                               {"id":"p2","name":"Romet"}],"totalCount":3})"));
    fake.Script("GET", "/sale/responsible-producers",
                Answer(200, R"({"responsibleProducers":[{"id":"p3","name":"Kands"}],
                               "totalCount":3})"));
    auto producers = Catalogue().Settings(publish::SettingsList::ResponsibleProducers);
    ASSERT_TRUE(std::holds_alternative<std::vector<publish::NamedSetting>>(producers));
    EXPECT_EQ(std::get<std::vector<publish::NamedSetting>>(producers).size(), 3U);
    Catalogue().Settings(publish::SettingsList::ResponsibleProducers);  // kept: not read again
    const auto pages = fake.Requests("GET", "/sale/responsible-producers");
    ASSERT_EQ(pages.size(), 2U);
    EXPECT_EQ(pages[0].Param("offset"), "0");
    EXPECT_EQ(pages[0].Param("limit"), "60");
    EXPECT_EQ(pages[1].Param("offset"), "2");  // Allegro gave fewer than asked

    fake.Script("GET", "/sale/shipping-rates", Answer(403, R"({"errors":[]})"));
    auto rates = Catalogue().Settings(publish::SettingsList::ShippingRates);
    const auto* failure = std::get_if<publish::Failure>(&rates);
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->outcome, Outcome::SignedOut);
    EXPECT_NE(failure->message.find("allegro:api:sale:settings:read"), std::string::npos);
    EXPECT_NE(failure->message.find("licytek-cli allegro login"), std::string::npos);
}

TEST_F(NewOfferTest, EachEanIsSearchedOnceAndOnlyLiveOffersCarryASignature) {
    fake.Script("GET", "/sale/products",
                Answer(200, R"({"products":[{"id":"u1","name":"Kross Trans",
                               "category":{"id":"257931"}}]})"));
    Catalogue().ProductsByEan(kEan);
    auto again = Catalogue().ProductsByEan(kEan);
    ASSERT_EQ(std::get<std::vector<publish::CatalogueProduct>>(again).size(), 1U);
    const auto searches = fake.Requests("GET", "/sale/products");
    ASSERT_EQ(searches.size(), 1U);
    EXPECT_EQ(searches[0].Param("phrase"), kEan);
    EXPECT_EQ(searches[0].Param("mode"), "GTIN");
    EXPECT_EQ(searches[0].Param("language"), "pl-PL");

    fake.Script("GET", "/sale/offers",
                Answer(200, R"({"offers":[{"id":"1","publication":{"status":"ENDED"}},
                               {"id":"2","publication":{"status":"ACTIVATING"}},
                               {"id":"3","publication":null}]})"));
    auto signed_ = Catalogue().OffersWithSignature("rower 1&x");
    const auto& offers = std::get<std::vector<publish::SignedOffer>>(signed_);
    ASSERT_EQ(offers.size(), 1U);
    EXPECT_EQ(offers[0].id, "2");
    EXPECT_EQ(fake.Requests("GET", "/sale/offers")[0].Param("external.id"), "rower 1&x");
}

TEST_F(NewOfferTest, CategoryParametersStayOnDiskForADayAndABadFileIsNotTrusted) {
    SignedIn(30 * 24 * 3600);  // the tokens outlast the days the clock moves on
    const std::string path = "/sale/categories/257931/parameters";
    fake.Script("GET", path, Answer(200, kParameters));
    const auto firstRun = Catalogue().CategoryParameters("257931");
    ASSERT_EQ(std::get<std::vector<publish::CategoryParameter>>(firstRun).size(), 3U);
    const auto kept = std::filesystem::directory_iterator(folder / "cache" / "parametry-kategorii");
    const std::filesystem::path file = kept->path();

    const auto nextRun = [&] {
        publish::OfferCatalogue catalogue(Session(), (folder / "cache").string());
        return catalogue.CategoryParameters("257931");
    };
    nextRun();
    EXPECT_EQ(Count("GET", path), 1U) << "a second run within the day reads the disk";

    clock.now += publish::kParametersKeptFor;
    nextRun();
    EXPECT_EQ(Count("GET", path), 2U) << "a day later Allegro is asked again";

    std::ofstream(file) << "{\"category\":\"257931\"";  // cut short
    nextRun();
    EXPECT_EQ(Count("GET", path), 3U);
    // Well-formed, but written for another category: never taken for this one.
    std::ofstream(file) << json{
        {"category", "1"},
        {"environment", "custom " + fake.Base()},
        {"fetchedAt", clock.now.load()},
        {"answer",
         kParameters}}.dump();
    nextRun();
    EXPECT_EQ(Count("GET", path), 4U);

    fake.Script("GET", "/sale/categories/999/parameters", Answer(404));
    auto unknown = Catalogue().CategoryParameters("999");
    EXPECT_EQ(std::get<publish::Failure>(unknown).outcome, Outcome::BadUse);
    auto hostile = Catalogue().CategoryParameters("../../etc");
    EXPECT_EQ(std::get<publish::Failure>(hostile).outcome, Outcome::BadUse);
    EXPECT_EQ(Count("GET", "/sale/categories/../../etc/parameters"), 0U);
}

TEST_F(NewOfferTest, WithoutACategoryTheProductsOrAllegrosSuggestionsDecide) {
    data.category.clear();
    fake.Script(
        "GET", "/sale/products",
        Answer(200, R"({"products":[{"id":"u1","name":"Kross Trans","category":{"id":"257931"},
                               "productSafety":{"responsibleProducers":[{"id":"x"}]}}]})"));
    ScriptLookups();
    auto prepared = publish::PrepareNewOffer(Catalogue(), data, form, {});
    ASSERT_TRUE(std::holds_alternative<publish::PreparedOffer>(prepared));
    const auto& offer = std::get<publish::PreparedOffer>(prepared);
    EXPECT_EQ(offer.request.resolved.categoryId, "257931");
    EXPECT_EQ(offer.request.resolved.returnPolicyId, "z1");  // the one named "default"
    EXPECT_EQ(offer.request.resolved.parameters.product.at(0).valuesIds.at(0), "3786_1");
    const auto says = [](const std::vector<std::string>& lines, const std::string& text) {
        for (const std::string& line : lines) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(says(offer.notes, "Allegro samo skopiuje")) << "the catalogue's safety data";

    fake.Script("GET", "/sale/products",
                Answer(200, R"({"products":[{"id":"u1","name":"A","category":{"id":"1"}},
                                            {"id":"u2","name":"B","category":{"id":"2"}}]})"));
    data.ean = "96385074";  // another EAN: searched afresh
    auto several = publish::PrepareNewOffer(Catalogue(), data, form, {});
    const auto& refused = std::get<publish::PrepareProblem>(several);
    EXPECT_EQ(refused.failure.outcome, Outcome::Refused);
    ASSERT_EQ(refused.errors.size(), 1U);
    EXPECT_EQ(refused.errors[0].key, "ean");
    EXPECT_NE(refused.errors[0].message.find("u2 „B” (kategoria 2)"), std::string::npos);

    data.ean.clear();
    fake.Script("GET", "/sale/matching-categories",
                Answer(200, R"({"matchingCategories":[{"id":"257931","name":"Miejskie",
                               "parent":{"id":"3","name":"Rowery"}}]})"));
    auto none = publish::PrepareNewOffer(Catalogue(), data, form, {});
    const auto& missing = std::get<publish::PrepareProblem>(none);
    EXPECT_EQ(missing.failure.outcome, Outcome::BadUse);
    EXPECT_EQ(missing.errors.at(0).key, "kategoria");
    ASSERT_EQ(missing.suggestions.size(), 1U);
    EXPECT_EQ(missing.suggestions[0].path, "Rowery > Miejskie");
    EXPECT_EQ(fake.Requests("GET", "/sale/matching-categories")[0].Param("name"),
              "Rower miejski Kross Trans");
    EXPECT_EQ(Count("POST", kCreated), 0U);
}

TEST_F(NewOfferTest, ADraftIsCreatedOnceWithItsGapsNamedByParameter) {
    ScriptLookups();
    fake.Script("POST", kCreated, Answer(201, ProductOfferJson("777", "INACTIVE", R"([
                    {"code":"X","path":"productSet[0].product.parameters[0]",
                     "userMessage":"Wartość nie pasuje do produktu"},
                    {"code":"Y","path":"delivery.shippingRates","message":"No rates",
                     "userMessage":"Brak cennika"}])")));
    const publish::CreateResult result = Create();
    EXPECT_EQ(result.outcome, Outcome::Done) << result.message;
    EXPECT_EQ(result.message, "Szkic 777 utworzony — " + fake.Base() + "/oferta/777");
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{"parametr „Kolor”: Wartość nie pasuje do produktu",
                                        "cennik dostawy: Brak cennika"}));
    const auto posts = fake.Requests("POST", kCreated);
    ASSERT_EQ(posts.size(), 1U);
    EXPECT_EQ(posts[0].Header("Content-Type"), kMedia);
    const json body = json::parse(posts[0].body);
    EXPECT_EQ(body["publication"]["status"], "INACTIVE");
    EXPECT_EQ(body["images"], json::array({"https://a.allegroimg.com/s/up1"}));
    EXPECT_EQ(body["external"]["id"], "rower-1");
    EXPECT_EQ(body["productSet"][0]["product"]["idType"], "GTIN");
    EXPECT_EQ(body["parameters"][0]["valuesIds"][0], "11323_1");
    EXPECT_EQ(Count("PATCH", kOffer), 0U) << "a draft is not activated unless asked";
}

TEST_F(NewOfferTest, AnAcceptedCreationIsPolledThenTheDraftActivated) {
    ScriptLookups();
    options.activate = true;
    fake.Script(
        "POST", kCreated,
        Answer(202, "",
               {{"Location", "/sale/product-offers/777/operations/op1"}, {"Retry-After", "3"}}));
    fake.Script("GET", "/sale/product-offers/777/operations/op1",
                Answer(202, "", {{"Retry-After", "2"}}));
    fake.Script("GET", "/sale/product-offers/777/operations/op1",
                Answer(303, "", {{"Location", "/sale/product-offers/777"}}));
    fake.Script("GET", kOffer, Answer(200, ProductOfferJson("777", "INACTIVE")));
    fake.Script("GET", kOffer, Answer(200, ProductOfferJson("777", "ACTIVATING")));
    fake.Script("PATCH", kOffer, Answer(200, "{}"));
    const publish::CreateResult result = Create();
    EXPECT_EQ(result.outcome, Outcome::Done) << result.message;
    EXPECT_EQ(result.message, "Oferta 777: Allegro ją sprawdza (do 2 godzin)");
    EXPECT_EQ(clock.waits, (std::vector<publish::Seconds>{3, 2}));
    const auto patches = fake.Requests("PATCH", kOffer);
    ASSERT_EQ(patches.size(), 1U);
    EXPECT_EQ(json::parse(patches[0].body), json::parse(R"({"publication":{"status":"ACTIVE"}})"));
    EXPECT_EQ(Count("POST", kCreated), 1U);

    // A draft with gaps stays a draft: no activation is sent.
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[]})"));
    fake.Script(
        "POST", kCreated,
        Answer(201, ProductOfferJson("778", "INACTIVE",
                                     R"([{"path":"payments.invoice","userMessage":"?"}])")));
    const publish::CreateResult gaps = Create();
    EXPECT_EQ(gaps.outcome, Outcome::Refused);
    EXPECT_NE(gaps.message.find("Szkic 778 utworzony"), std::string::npos) << gaps.message;
    EXPECT_EQ(gaps.warnings, std::vector<std::string>{"faktura: ?"});
    EXPECT_EQ(Count("PATCH", "/sale/product-offers/778"), 0U);
}

TEST_F(NewOfferTest, RefusalsNameTheKeyOrParameterTheyConcern) {
    ScriptLookups();
    fake.Script(
        "POST", kCreated,
        Answer(422, R"({"errors":[{"code":"ConstraintViolationException.MissingRequiredParameters",
                    "message":"Missing required parameters: 17448, 3786","path":"parameters",
                    "userMessage":"Uzupełnij parametry obowiązkowe"}]})"));
    const publish::CreateResult missing = Create();
    EXPECT_EQ(missing.outcome, Outcome::Refused);
    EXPECT_EQ(missing.errors, std::vector<std::string>{
                                  "parametry „Waga”, „Kolor”: Uzupełnij parametry obowiązkowe"});

    fake.Script("POST", kCreated,
                Answer(422, R"({"errors":[{"code":"ProductNotFoundException","path":"",
                    "message":"Product not found"}]})"));
    // Words Allegro wrote only for developers are said to be its own, in English.
    EXPECT_EQ(Create().errors,
              std::vector<std::string>{"ean: Allegro (po angielsku): Product not found"});

    fake.Script("POST", kCreated,
                Answer(422, R"({"errors":[{"code":"MultipleProductsFoundException",
                    "metadata":{"foundProductsIds":"u1, u2"}}]})"));
    fake.Script("GET", "/sale/products",
                Answer(200, R"({"products":[{"id":"u1","name":"Kross Trans","category":{"id":"7"}},
                               {"id":"u2","name":"Kross Trans 2","category":{"id":"8"}},
                               {"id":"u3","name":"Inny","category":{"id":"9"}}]})"));
    const publish::CreateResult several = Create();
    ASSERT_EQ(several.errors.size(), 1U);
    EXPECT_NE(several.errors[0].find("ean: ten EAN ma w katalogu Allegro 2 produkty"),
              std::string::npos)
        << several.errors[0];
    EXPECT_NE(several.errors[0].find("u2 „Kross Trans 2” (kategoria 8)"), std::string::npos);
    EXPECT_EQ(several.errors[0].find("u3"), std::string::npos);
    EXPECT_EQ(Count("POST", kCreated), 3U);
}

TEST_F(NewOfferTest, APostWithoutAnAnswerIsNeverSentAgain) {
    ScriptLookups();
    FakeAnswer dropped = Answer(0);
    dropped.drop = true;
    fake.Script("POST", kCreated, dropped);
    const publish::CreateResult unknown = Create();
    EXPECT_EQ(unknown.outcome, Outcome::Network);
    EXPECT_NE(
        unknown.message.find("nie wiadomo, czy oferta powstała; sprawdź w Allegro przed ponownym "
                             "wystawieniem"),
        std::string::npos)
        << unknown.message;
    EXPECT_EQ(Count("POST", kCreated), 1U);
    EXPECT_EQ(Count("GET", "/sale/offers"), 2U) << "looked for before and after";

    // The offer came to be after all: found by its signature, reported, never created twice.
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[]})"));
    fake.Script("GET", "/sale/offers",
                Answer(200, R"({"offers":[{"id":"777","publication":{"status":"INACTIVE"}}]})"));
    fake.Script("GET", kOffer, Answer(200, ProductOfferJson("777", "INACTIVE")));
    const publish::CreateResult found = Create();
    EXPECT_EQ(found.outcome, Outcome::Done) << found.message;
    EXPECT_EQ(found.offerId, "777");
    EXPECT_EQ(Count("POST", kCreated), 2U);
    // The seller is told how it was found; reading the draft's gaps does not drop that.
    EXPECT_EQ(found.warnings, std::vector<std::string>{"Allegro nie odpowiedziało na utworzenie "
                                                       "oferty, ale oferta o sygnaturze „rower-1” "
                                                       "jest w Allegro: 777"});

    const publish::CreateResult rerun = Create();  // the list now holds it: nothing is sent
    EXPECT_TRUE(rerun.existing);
    EXPECT_NE(rerun.message.find("Oferta 777 o sygnaturze „rower-1” już jest w Allegro (szkic)"),
              std::string::npos)
        << rerun.message;
    EXPECT_EQ(Count("POST", kCreated), 2U);
}

TEST_F(NewOfferTest, AnActivationWithoutAnAnswerIsReadBackNeverSentAgain) {
    ScriptLookups();
    options.activate = true;
    fake.Script("POST", kCreated, Answer(201, ProductOfferJson("777", "INACTIVE")));
    FakeAnswer dropped = Answer(0);
    dropped.drop = true;
    fake.Script("PATCH", kOffer, dropped);
    fake.Script("GET", kOffer, Answer(200, ProductOfferJson("777", "ACTIVE")));
    const publish::CreateResult live = Create();
    EXPECT_EQ(live.outcome, Outcome::Done) << live.message;
    EXPECT_EQ(live.message, "Oferta 777 wystawiona");
    EXPECT_EQ(Count("PATCH", kOffer), 1U);

    fake.Script("GET", kOffer, Answer(200, ProductOfferJson("777", "INACTIVE")));
    const publish::CreateResult unknown = Create();
    EXPECT_EQ(unknown.outcome, Outcome::Network);
    EXPECT_NE(unknown.message.find("Szkic 777 utworzony"), std::string::npos) << unknown.message;
    EXPECT_EQ(Count("PATCH", kOffer), 2U) << "one for each run";
}

}  // namespace
}  // namespace licytek::testing
