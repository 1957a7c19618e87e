// A batch that creates each row's new offer, through the fake Allegro over one session: the
// look-ups shared by the whole run, one line a row, a rerun that creates nothing, a bad row
// alone, and the copy of the sheet with the offers' numbers.
#include <gtest/gtest.h>

#include <set>

#include "SessionFixture.h"
#include "batch/AllegroCreator.h"
#include "batch/Batch.h"
#include "support/TempDir.h"

namespace licytek::batch {
namespace {

using licytek::testing::FakeAnswer;
using licytek::testing::ProductOfferJson;
using licytek::testing::ReadBytes;
using licytek::testing::TempDir;
using licytek::testing::WriteBytes;

constexpr const char* kParameters = R"({"parameters": [
    {"id": "11323", "name": "Stan", "type": "dictionary", "required": true,
     "options": {"describesProduct": false},
     "dictionary": [{"id": "11323_1", "value": "Nowy"}, {"id": "11323_2", "value": "Używany"}]}]})";

FakeAnswer Answer(int status, std::string body) {
    return FakeAnswer{status, std::move(body), {}, false};
}

// A GTIN-13 "590123400NNNC" with its check digit: weights 1 and 3 from the left.
std::string Gtin(int number) {
    std::string digits =
        "590123400" + std::string(3 - std::to_string(number).size(), '0') + std::to_string(number);
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    }
    return digits + std::to_string((10 - sum % 10) % 10);
}

class BatchCreateTest : public licytek::testing::SessionTest {
  protected:
    BatchCreateTest() {
        SignedIn();
        fake.Script("GET", "/sale/shipping-rates",
                    Answer(200, R"({"shippingRates":[{"id":"r1","name":"Kurier"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/return-policies",
                    Answer(200, R"({"returnPolicies":[{"id":"z1","name":"default"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/implied-warranties",
                    Answer(200, R"({"impliedWarranties":[{"id":"i1","name":"Rękojmia"}]})"));
        fake.Script("GET", "/sale/categories/257931/parameters", Answer(200, kParameters));
        fake.Script("GET", "/sale/products", Answer(200, R"({"products":[{"id":"u1","name":"Rower",
                                   "category":{"id":"257931"}}]})"));
    }

    // Rows "w0" ... with the title, a picture already on Allegro and the offer data; each EAN
    // serves two rows, told apart by their "plik".
    static std::string Sheet(int rows) {
        std::string csv = "plik;Nagłówek aukcji;Memo1;ean;stan;cena;zdjęcia;oferta\n";
        for (int i = 0; i < rows; ++i) {
            csv += "w" + std::to_string(i) + ";Rower miejski numer " + std::to_string(i) +
                   ";Opis;" + Gtin(i / 2) + ";Nowy;1 299,00;https://a.allegroimg.com/s/r.jpg;\n";
        }
        return csv;
    }

    BatchSummary Run(const std::string& csv, bool dryRun = false) {
        WriteBytes(dir.File("o.csv"), csv);
        publish::OfferCatalogue catalogue(Session(), "");  // one for the run
        publish::CreateOptions createOptions;
        createOptions.dryRun = dryRun;
        AllegroCreator creator(catalogue, createOptions);
        BatchOptions options;
        options.outFolder = dir.File("out");
        options.overwrite = true;
        options.creator = &creator;
        options.dryRun = dryRun;
        lines.clear();
        errors.clear();
        BatchObserver observer;
        observer.sent = [this](const std::string& line) { lines.push_back(line); };
        observer.rowError = [this](const std::string& line) { errors.push_back(line); };
        return RunBatch(dir.File("o.csv"), {}, "", options, observer);
    }

    std::string Where(int row) const { return dir.File("o.csv") + ":" + std::to_string(row); }

    TempDir dir;
    std::vector<std::string> lines;
    std::vector<std::string> errors;
};

TEST_F(BatchCreateTest, AHundredRowsCreateAHundredDraftsAndARerunCreatesNone) {
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[],"totalCount":0})"));
    fake.Script("POST", "/sale/product-offers",
                Answer(201, ProductOfferJson("1000", "INACTIVE",
                                             R"([{"code":"X","path":"delivery.shippingRates",
                                                  "message":"Brak"}])")));
    fake.Script("POST", "/sale/product-offers",
                Answer(201, ProductOfferJson("1001", "INACTIVE",
                                             R"([{"code":"X","path":"a","message":"a"},
                                                 {"code":"Y","path":"b","message":"b"}])")));
    for (int id = 1002; id < 1100; ++id) {
        fake.Script("POST", "/sale/product-offers",
                    Answer(201, ProductOfferJson(std::to_string(id), "INACTIVE")));
    }
    const BatchSummary first = Run(Sheet(100));
    EXPECT_EQ(first.created, 100U) << ::testing::PrintToString(errors);
    EXPECT_EQ(first.createFailed, 0U);
    ASSERT_EQ(lines.size(), 100U);
    EXPECT_EQ(lines[0], Where(2) + ": szkic 1000 utworzony (1 uwaga)");
    EXPECT_EQ(lines[1], Where(3) + ": szkic 1001 utworzony (2 uwagi)");
    EXPECT_EQ(lines[99], Where(101) + ": szkic 1099 utworzony (0 uwag)");
    EXPECT_EQ(first.Line(),
              "100 ofert zapisanych, 0 z błędami, 0 ostrzeżeń, 100 szkiców utworzonych, 0 ofert "
              "wystawionych, 0 już w Allegro, 0 z błędami");
    // 50 distinct EANs, each searched once; the seller's lists and the parameters read once.
    const auto searches = fake.Requests("GET", "/sale/products");
    std::set<std::string> phrases;
    for (const auto& search : searches) {
        phrases.insert(search.Param("phrase"));
    }
    EXPECT_EQ(searches.size(), 50U);
    EXPECT_EQ(phrases.size(), 50U);
    EXPECT_EQ(fake.Requests("GET", "/sale/shipping-rates").size(), 1U);
    EXPECT_EQ(fake.Requests("GET", "/sale/categories/257931/parameters").size(), 1U);
    EXPECT_EQ(Session().ConnectionsOpened(), 1);
    // Every row its own signature, though two rows share each EAN.
    std::set<std::string> signatures;
    for (const auto& lookup : fake.Requests("GET", "/sale/offers")) {
        signatures.insert(lookup.Param("external.id"));
    }
    EXPECT_EQ(signatures.size(), 100U);

    // The rerun finds each row's offer by its signature and creates nothing.
    fake.Script("GET", "/sale/offers",
                Answer(200, R"({"offers":[{"id":"1000","publication":{"status":"INACTIVE"}}]})"));
    const std::size_t posts = fake.Requests("POST", "/sale/product-offers").size();
    const BatchSummary again = Run(Sheet(100));
    EXPECT_EQ(fake.Requests("POST", "/sale/product-offers").size(), posts);
    EXPECT_EQ(again.created, 0U);
    EXPECT_EQ(again.existing, 100U);
    ASSERT_EQ(lines.size(), 100U);
    EXPECT_TRUE(lines[0].starts_with(Where(2) + ": Oferta 1000 o sygnaturze")) << lines[0];
}

// A bad value fails its row alone, named by its column; a row naming its offer is not created;
// the copy of the sheet carries the numbers, beside the input and never over it.
TEST_F(BatchCreateTest, ABadRowFailsAloneAndTheSheetCopyCarriesTheNumbers) {
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[],"totalCount":0})"));
    fake.Script("POST", "/sale/product-offers", Answer(201, ProductOfferJson("501", "INACTIVE")));
    fake.Script("POST", "/sale/product-offers", Answer(201, ProductOfferJson("502", "INACTIVE")));
    std::string csv = Sheet(2);
    csv += "zly;Rower miejski numer zly;Opis;" + Gtin(7) + ";Nowy;tanio;;\n";
    csv += "stary;Rower miejski numer stary;Opis;" + Gtin(8) + ";Nowy;10;;77\n";
    const BatchSummary summary = Run(csv);
    EXPECT_EQ(summary.created, 2U);
    EXPECT_EQ(summary.failed, 1U);
    EXPECT_EQ(summary.existing, 1U);
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_TRUE(errors[0].starts_with(Where(4) + ":cena: ")) << errors[0];
    EXPECT_EQ(lines, (std::vector<std::string>{
                         Where(2) + ": szkic 501 utworzony (0 uwag)",
                         Where(3) + ": szkic 502 utworzony (0 uwag)",
                         Where(5) + ": oferta 77 jest już w kolumnie „oferta”; nie utworzono nowej",
                     }));
    EXPECT_EQ(fake.Requests("POST", "/sale/product-offers").size(), 2U);
    EXPECT_EQ(summary.offersSheet, dir.File("o.oferty.csv"));
    EXPECT_EQ(ReadBytes(dir.File("o.csv")), csv);
    const std::string copy = ReadBytes(dir.File("o.oferty.csv"));
    EXPECT_TRUE(
        copy.starts_with("\xEF\xBB\xBFplik;Nagłówek aukcji;Memo1;ean;stan;cena;zdjęcia;"
                         "oferta\nw0;Rower miejski numer 0;Opis;" +
                         Gtin(0) + ";Nowy;1 299,00;https://a.allegroimg.com/s/r.jpg;501\n"))
        << copy;
    EXPECT_NE(copy.find(";tanio;;\nstary;"), std::string::npos) << copy;
    EXPECT_TRUE(copy.ends_with(";Nowy;10;;77\n")) << copy;
}

TEST_F(BatchCreateTest, ADryRunWritesEachBodyBesideTheRowsFilesAndSendsNothing) {
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[],"totalCount":0})"));
    const BatchSummary summary = Run(Sheet(2), true);
    EXPECT_EQ(summary.created, 2U) << ::testing::PrintToString(errors);
    EXPECT_EQ(fake.Requests("POST", "/sale/product-offers").size(), 0U);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/w0.html")));
    const std::string body = ReadBytes(dir.File("out/w1.allegro-create.json"));
    EXPECT_NE(body.find("\"name\":\"Rower miejski numer 1\""), std::string::npos) << body;
    EXPECT_EQ(lines.back(), Where(3) + ": próba, oferta zapisana w " + dir.File("out") +
                                "/w1.allegro-create.json");
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.oferty.csv")));
}

// One sheet serves every job: a batch that does not create ignores the offer data's columns.
TEST(BatchOfferColumnsTest, APlainBatchReadsTheNewOffersExample) {
    TempDir dir;
    BatchOptions options;
    options.outFolder = dir.File("out");
    std::vector<std::string> errors;
    BatchObserver observer;
    observer.rowError = [&errors](const std::string& line) { errors.push_back(line); };
    const auto summary = RunBatch(LICYTEK_SOURCE_DIR "/instrukcja/przyklad-nowe-oferty.csv", {}, "",
                                  options, observer);
    EXPECT_EQ(summary.written, 3U);
    EXPECT_EQ(summary.failed, 0U) << ::testing::PrintToString(errors);
    EXPECT_FALSE(
        std::filesystem::exists(LICYTEK_SOURCE_DIR "/instrukcja/przyklad-nowe-oferty.oferty.csv"));
}

}  // namespace
}  // namespace licytek::batch
