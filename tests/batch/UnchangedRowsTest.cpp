// Sending a sheet back: a row whose offer already shows it sends nothing, is told as such and
// counted, in a dry run too; and characters outside Windows-1250 in a UTF-8 sheet stand as
// references in the texts the page shows as HTML text, and are refused elsewhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "SessionFixture.h"
#include "batch/AllegroSender.h"
#include "batch/Batch.h"
#include "support/TempDir.h"

namespace licytek::batch {
namespace {

using licytek::testing::OfferJson;
using licytek::testing::ReadBytes;
using licytek::testing::TempDir;
using licytek::testing::WriteBytes;

class UnchangedRowsTest : public licytek::testing::SessionTest {
  protected:
    UnchangedRowsTest() { SignedIn(); }

    BatchSummary Run(const std::string& csv, bool dryRun = false) {
        WriteBytes(dir.File("o.csv"), csv);
        publish::PublishOptions publishOptions;
        publishOptions.dryRun = dryRun;
        AllegroSender sender(Session(), clock, publishOptions);
        BatchOptions options;
        options.outFolder = dir.File(dryRun ? "dry" : "out");
        options.format = OutputFormat::Both;
        options.sender = &sender;
        options.dryRun = dryRun;
        BatchObserver observer;
        observer.sent = [this](const std::string& line) { sent.push_back(line); };
        observer.rowError = [this](const std::string& line) { errors.push_back(line); };
        return RunBatch(dir.File("o.csv"), {}, "", options, observer);
    }

    TempDir dir;
    std::vector<std::string> sent;
    std::vector<std::string> errors;
};

TEST_F(UnchangedRowsTest, ARowTheOfferShowsAlreadySendsNothingAndIsCounted) {
    // Offer 1 shows what row 2 makes, spelled otherwise; offer 2 has an old description.
    const std::string shown =
        nlohmann::json{
            {"sections",
             {{{"items",
                {{{"type", "TEXT"},
                  {"content", "<h1>Rower górski MTB</h1>\n<p>Mocna  <b>rama</b> </p>"}}}}}}}}
            .dump();
    fake.Script("GET", "/sale/product-offers/1",
                {200, OfferJson("1", "Rower górski MTB", {}, shown), {}, false});
    fake.Script(
        "GET", "/sale/product-offers/2",
        {200,
         OfferJson("2", "Kask", {},
                   R"({"sections":[{"items":[{"type":"TEXT","content":"<p>stary</p>"}]}]})"),
         {},
         false});
    fake.Script("PATCH", "/sale/product-offers/2", {200, "{}", {}, false});
    const std::string csv =
        "plik;oferta;Nagłówek aukcji;Opis przedmiotu\n"
        "a;1;Rower górski MTB;<p>Mocna <b>rama</b></p>\n"
        "b;2;Kask;<p>Nowy</p>\n";
    const std::string file = dir.File("o.csv");

    const BatchSummary dry = Run(csv, true);
    EXPECT_EQ(sent, (std::vector<std::string>{file + ":2: oferta 1: bez zmian",
                                              file + ":3: oferta 2: próba, zmiana zapisana w " +
                                                  dir.File("dry") + "/b.allegro-update.json"}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("dry/a.allegro-update.json")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("dry/a.html")));
    EXPECT_EQ(dry.Line(),
              "2 oferty zapisane, 0 z błędami, 0 ostrzeżeń, 1 zmiana opisu przygotowana "
              "(próba), 1 bez zmian, 0 z błędami");

    sent.clear();
    const BatchSummary summary = Run(csv);
    EXPECT_EQ(sent, (std::vector<std::string>{file + ":2: oferta 1: bez zmian",
                                              file + ":3: oferta 2: opis zaktualizowany"}));
    EXPECT_EQ(summary.unchanged, 1U);
    EXPECT_EQ(summary.sent, 1U);
    // The fake still gives offer 2's old description when it is read back: a warning.
    EXPECT_EQ(summary.Line(),
              "2 oferty zapisane, 0 z błędami, 1 ostrzeżenie, 1 opis wysłany, 1 bez zmian, 0 z "
              "błędami");
    for (const auto& request : fake.Requests()) {
        EXPECT_TRUE(request.method == "GET" || request.path == "/sale/product-offers/2")
            << request.method << " " << request.path;
    }
    EXPECT_EQ(fake.Requests("PATCH", "/sale/product-offers/2").size(), 1U);
}

TEST_F(UnchangedRowsTest, SheetCharactersOutsideTheCodePageBecomeReferencesInHtmlText) {
    WriteBytes(dir.File("o.csv"),
               "plik;Nagłówek aukcji;Opis przedmiotu;Edit35\n"
               "a;Płytki 30 m² ½ à ñ;<p>Wymiar 2×3 ✔</p>;\n"
               "b;Płytki;<p>x</p>;stop ✋\n");
    BatchOptions options;
    options.outFolder = dir.File("out");
    options.format = OutputFormat::Both;
    BatchObserver observer;
    observer.rowError = [this](const std::string& line) { errors.push_back(line); };
    const BatchSummary summary = RunBatch(dir.File("o.csv"), {}, "", options, observer);
    EXPECT_EQ(summary.written, 1U);
    const auto offer = nlohmann::json::parse(ReadBytes(dir.File("out/a.allegro.json")));
    EXPECT_EQ(offer["name"], "Płytki 30 m² ½ à ñ");
    EXPECT_EQ(offer["description"]["sections"][0]["items"][0]["content"],
              "<h1>Płytki 30 m² ½ à ñ</h1><p>Wymiar 2×3 ✔</p>");
    // The classic page holds the references, which the browser shows as the characters.
    EXPECT_NE(ReadBytes(dir.File("out/a.html")).find("P\xB3ytki 30 m&#178; &#189; &#224; &#241;"),
              std::string::npos);
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_EQ(errors[0].rfind(dir.File("o.csv") + ":3:Edit35: znak „✋”", 0), 0U) << errors[0];
}

}  // namespace
}  // namespace licytek::batch
