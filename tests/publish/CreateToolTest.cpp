// licytek-cli allegro create and its look-ups run as a process against the fake Allegro: what
// the seller reads, the exit statuses, and that bad offer data sends nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "ToolFixture.h"

namespace licytek::testing {
namespace {

using nlohmann::json;

FakeAnswer Answer(int status, std::string body) {
    return FakeAnswer{status, std::move(body), {}, false};
}

class CreateToolTest : public AllegroToolTest {
  protected:
    CreateToolTest() {
        SignIn();
        Write("rower.json",
              R"({"Edit2": "Rower miejski Kross Trans", "Memo1": "Opis<img src=\"rower.jpg\">"})");
        Write("rower.jpg", std::string("\xFF\xD8\xFF\xE0JFIF", 8));
        fake.Script("GET", "/sale/shipping-rates",
                    Answer(200, R"({"shippingRates":[{"id":"r1","name":"Kurier"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/return-policies",
                    Answer(200, R"({"returnPolicies":[{"id":"z1","name":"Zwroty"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/implied-warranties",
                    Answer(200, R"({"impliedWarranties":[{"id":"i1","name":"Rękojmia"}]})"));
        fake.Script("GET", "/sale/categories/257931/parameters",
                    Answer(200, R"({"parameters":[{"id":"11323","name":"Stan",
                        "type":"dictionary","dictionary":[{"id":"11323_1","value":"Nowy"}]}]})"));
        fake.Script("GET", "/sale/products",
                    Answer(200, R"({"products":[{"id":"u1","name":"Kross Trans",
                                   "category":{"id":"257931"}}]})"));
        fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[]})"));
    }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder.Path() / name, std::ios::binary) << text;
    }

    ToolRun Run(std::vector<std::string> args) {
        ToolRunOptions options;
        options.workingDirectory = folder.Path();
        args.insert(args.begin(), "allegro");
        return RunTool(args, options);
    }

    std::size_t Sent() const {
        std::size_t sent = 0;
        for (const RecordedRequest& request : fake.Requests()) {
            sent += request.method != "GET" ? 1U : 0U;
        }
        return sent;
    }
};

TEST_F(CreateToolTest, ADryRunPrintsTheBodyWithPicturesAtTheirSourceAndSendsNothing) {
    Write("rower.oferta.json", R"({"ean": "5901234123457", "stan": "nowy", "cena": "1 299,00",
        "liczba sztuk": 2, "czas wysyłki": "2 dni", "zdjęcia": "https://sklep.pl/b.jpg"})");
    const ToolRun run = Run({"create", "rower.json", "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json body = json::parse(run.out);
    EXPECT_EQ(body["name"], "Rower miejski Kross Trans");
    EXPECT_EQ(body["category"]["id"], "257931");  // the product's, searched by its EAN
    EXPECT_EQ(body["productSet"][0]["product"],
              json::parse(R"({"id": "5901234123457", "idType": "GTIN"})"));
    EXPECT_EQ(body["parameters"], json::parse(R"([{"id": "11323", "valuesIds": ["11323_1"]}])"));
    EXPECT_EQ(body["sellingMode"]["price"]["amount"], "1299.00");
    EXPECT_EQ(body["stock"]["available"], 2);
    EXPECT_EQ(body["delivery"], json::parse(R"({"shippingRates": {"id": "r1"},
                                                "handlingTime": "P2D"})"));
    EXPECT_EQ(body["images"], json::parse(R"(["rower.jpg", "https://sklep.pl/b.jpg"])"));
    EXPECT_NE(body["description"].dump().find(R"("url":"rower.jpg")"), std::string::npos);
    EXPECT_EQ(body["publication"]["status"], "INACTIVE");
    EXPECT_EQ(body["external"]["id"].get<std::string>().substr(0, 4), "LTK-");
    EXPECT_NE(run.err.find("Kategoria: 257931 (kategoria produktu z katalogu)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("faktura: nie podana"), std::string::npos);
    EXPECT_EQ(Sent(), 0U);
    EXPECT_EQ(fake.Requests("GET", "/sale/offers")[0].Param("external.id"), body["external"]["id"]);
}

TEST_F(CreateToolTest, BadOfferDataIsExitTwoNamingEachKeyWithNothingSent) {
    Write("rower.oferta.json", R"({"cena": "tanio", "ean": "5901234123458", "kolor": "czarny"})");
    const ToolRun local = Run({"create", "rower.json"});
    EXPECT_EQ(local.status, 2);
    for (const char* key : {"rower.oferta.json: cena: ", "rower.oferta.json: ean: ", "„kolor”"}) {
        EXPECT_NE(local.err.find(key), std::string::npos) << key << "\n" << local.err;
    }
    EXPECT_TRUE(fake.Requests().empty());

    // Names that only Allegro's lists tell apart: still exit 2, before any offer is sent.
    Write("rower.oferta.json", R"({"kategoria": "257931", "stan": "jak nowy",
                                   "cennik dostawy": "Poczta"})");
    const ToolRun looked = Run({"create", "rower.json", "--activate"});
    EXPECT_EQ(looked.status, 2);
    EXPECT_NE(looked.err.find("faktura: "), std::string::npos) << looked.err;  // for activation
    Write("rower.oferta.json", R"({"kategoria": "257931", "stan": "jak nowy",
                                   "cennik dostawy": "Poczta", "faktura": "bez VAT"})");
    const ToolRun resolved = Run({"create", "rower.json", "--activate"});
    EXPECT_EQ(resolved.status, 2);
    EXPECT_NE(resolved.err.find("stan: „jak nowy”: nie ma takiej wartości; dozwolone: „Nowy”"),
              std::string::npos)
        << resolved.err;
    EXPECT_NE(resolved.err.find("cennik dostawy: „Poczta”: nie ma takiej nazwy"),
              std::string::npos);
    EXPECT_EQ(Sent(), 0U);

    Write("rower.oferta.json", R"({"cena": "10"})");  // no category, no product
    fake.Script("GET", "/sale/matching-categories",
                Answer(200, R"({"matchingCategories":[{"id":"257931","name":"Miejskie",
                               "parent":{"id":"3","name":"Rowery"}}]})"));
    const ToolRun suggested = Run({"create", "rower.json"});
    EXPECT_EQ(suggested.status, 2);
    EXPECT_NE(suggested.err.find("  257931\tRowery > Miejskie\n"), std::string::npos)
        << suggested.err;
    EXPECT_EQ(Sent(), 0U);
}

TEST_F(CreateToolTest, AnAuctionIsCreatedAsADraftAndTheLookupsPrintTheirLists) {
    Write("zapis.oferta.json", R"({"kategoria": "257931", "format": "licytacja",
        "cena wywoławcza": "10", "czas trwania": "3 dni", "faktura": "bez VAT",
        "sygnatura": "aukcja-1"})");
    ASSERT_EQ(RunTool({"project", "save", (folder.Path() / "rower.json").string(),
                       (folder.Path() / "zapis.ltk").string()})
                  .status,
              0);
    fake.Script("POST", "/sale/images",
                Answer(201, R"({"location":"https://a.allegroimg.com/s/up1"})"));
    fake.Script("POST", "/sale/product-offers",
                Answer(201, ProductOfferJson("777", "INACTIVE", R"([{"path":"stock",
                    "userMessage":"Popraw liczbę"}])")));
    const ToolRun run = Run({"create", "--project", "zapis.ltk"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Szkic 777 utworzony — " + fake.Base() + "/oferta/777\n");
    EXPECT_NE(run.err.find("uwaga: liczba sztuk: Popraw liczbę"), std::string::npos) << run.err;
    const auto posts = fake.Requests("POST", "/sale/product-offers");
    ASSERT_EQ(posts.size(), 1U);
    const json body = json::parse(posts[0].body);
    EXPECT_EQ(body["sellingMode"], json::parse(R"({"format": "AUCTION",
        "startingPrice": {"amount": "10.00", "currency": "PLN"}})"));
    EXPECT_EQ(body["publication"], json::parse(R"({"duration": "P3D", "status": "INACTIVE"})"));
    EXPECT_EQ(body["payments"]["invoice"], "WITHOUT_VAT");
    EXPECT_EQ(body["stock"]["available"], 1);
    EXPECT_EQ(body["productSet"][0]["product"]["name"], "Rower miejski Kross Trans");

    fake.Script("GET", "/sale/matching-categories",
                Answer(200, R"({"matchingCategories":[{"id":"257931","name":"Miejskie",
                               "parent":{"id":"3","name":"Rowery"}}]})"));
    EXPECT_EQ(Run({"categories", "rower miejski"}).out, "257931\tRowery > Miejskie\n");
    const ToolRun parameters = Run({"parameters", "257931", "--required"});
    EXPECT_EQ(parameters.out, "");  // "Stan" is not required in this category
    const ToolRun products = Run({"products", "--ean", "5901234123457"});
    EXPECT_EQ(products.out, "u1\tKross Trans\t257931\n");
    EXPECT_EQ(Run({"products", "--ean", "5901234123458"}).status, 2);

    fake.Script("GET", "/sale/shipping-rates", Answer(403, "{}"));
    const ToolRun settings = Run({"settings"});
    EXPECT_EQ(settings.status, 3);
    EXPECT_NE(settings.err.find("Zaloguj się ponownie"), std::string::npos) << settings.err;
}

}  // namespace
}  // namespace licytek::testing
