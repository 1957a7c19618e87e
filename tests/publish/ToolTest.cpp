// licytek-cli allegro run as a process against the fake Allegro, with its settings and data
// in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "ToolFixture.h"

namespace licytek::testing {
namespace {

constexpr const char* kOfferPath = "/sale/product-offers/555";

ToolRunOptions WithInput(const std::string& input) {
    ToolRunOptions options;
    options.input = input;
    return options;
}

TEST_F(AllegroToolTest, OffersArePagedThroughAndPrintedAsLinesOrJson) {
    SignIn();
    const auto scriptPages = [this] {
        fake.Script(
            "GET", "/sale/offers",
            {200,
             R"({"offers":[{"id":"1","name":"Rower\tczerwony","publication":{"status":"ACTIVE"}},)"
             R"({"id":"2","name":"Kask","publication":{"status":"ENDED"}}],"count":2,"totalCount":3})",
             {},
             false});
        fake.Script(
            "GET", "/sale/offers",
            {200,
             R"({"offers":[{"id":"3","name":"Pompka","publication":{"status":"ACTIVE"},)"
             R"("primaryImage":{"url":"https://a.allegroimg.com/p"}}],"count":1,"totalCount":3})",
             {},
             false});
    };
    scriptPages();
    const ToolRun run = RunTool({"allegro", "offers", "--status", "active", "--name", "rower x"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"1\tACTIVE\tRower czerwony",
                                                        "2\tENDED\tKask", "3\tACTIVE\tPompka"}));
    const auto pages = fake.Requests("GET", "/sale/offers");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].Param("offset"), "0");
    EXPECT_EQ(pages[1].Param("offset"), "2");
    EXPECT_EQ(pages[1].Param("publication.status"), "ACTIVE");
    EXPECT_EQ(pages[1].Param("name"), "rower x");
    EXPECT_EQ(pages[0].Header("Authorization"), "Bearer secret-access-token");

    scriptPages();
    const ToolRun json = RunTool({"allegro", "offers", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(nlohmann::json::parse(lines[2])["primaryImage"], "https://a.allegroimg.com/p");
}

// A token file others could read is closed as soon as a command opens it, with a warning.
TEST_F(AllegroToolTest, ATokenFileOthersCouldReadIsClosedWithAWarning) {
    SignIn();
    const auto file = folder.Path() / "config" / "licytek" / "allegro.json";
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    fake.Script("GET", "/sale/offers", {200, R"({"offers":[],"totalCount":0})", {}, false});
    const ToolRun run = RunTool({"allegro", "offers"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "licytek-cli: uwaga: Plik " + file.string() +
                           " z danymi logowania do Allegro był dostępny dla innych użytkowników "
                           "(uprawnienia 0644); teraz jest dostępny tylko dla Ciebie.\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

// A logout that could not read or remove the tokens (here a folder in the file's place; a
// file of mode 000 fails the same read) says what failed and exits 1.
TEST_F(AllegroToolTest, LogoutSaysWhatItCouldNotRemoveAndFails) {
    const auto file = folder.Path() / "config" / "licytek" / "allegro.json";
    std::filesystem::create_directories(file);
    const ToolRun run = RunTool({"allegro", "logout"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "licytek-cli: Nie udało się odczytać danych logowania z " + file.string() +
                           ", więc nie zostały usunięte: brak dostępu do pliku\n");
}

TEST_F(AllegroToolTest, PublishPrintsTheChangeAndTheOffersAddressAndNeverAToken) {
    fake.Script("GET", kOfferPath,
                {200,
                 OfferJson("555", "Stary", {},
                           R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</p>"}]}]})"),
                 {},
                 false});
    fake.Script("PATCH", kOfferPath, {200, "{}", {}, false});
    const std::string form = R"({"Edit2": "Rower górski MTB", "Memo1": "Opis roweru"})";

    const ToolRun signedOut = RunTool({"allegro", "publish", "555", "-"}, WithInput(form));
    EXPECT_EQ(signedOut.status, 3);
    EXPECT_NE(signedOut.err.find("licytek-cli allegro login"), std::string::npos);

    SignIn();
    const ToolRun dry =
        RunTool({"allegro", "publish", "555", "--dry-run", "--title", "-"}, WithInput(form));
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(nlohmann::json::parse(dry.out)["name"], "Rower górski MTB");
    EXPECT_NE(dry.err.find("Tytuł: „Stary” → „Rower górski MTB”"), std::string::npos) << dry.err;
    EXPECT_TRUE(fake.Requests("PATCH", kOfferPath).empty());

    const ToolRun run = RunTool({"allegro", "publish", "555", "-"}, WithInput(form));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).back(),
              "Oferta 555: opis zaktualizowany — " + fake.Base() + "/oferta/555");
    EXPECT_NE(run.out.find("Sekcje opisu: 1 → 1"), std::string::npos) << run.out;

    fake.Script("PATCH", kOfferPath, {403, "{}", {}, false});
    const ToolRun refused = RunTool({"allegro", "publish", "555", "-"}, WithInput(form));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Trace-Id: trace-"), std::string::npos) << refused.err;

    // Once the offer holds what the form makes, publishing again sends nothing.
    const auto patched = nlohmann::json::parse(fake.Requests("PATCH", kOfferPath).front().body);
    fake.Script("GET", kOfferPath,
                {200, OfferJson("555", "Stary", {}, patched["description"].dump()), {}, false});
    const std::size_t patches = fake.Requests("PATCH", kOfferPath).size();
    const ToolRun same = RunTool({"allegro", "publish", "555", "-"}, WithInput(form));
    EXPECT_EQ(same.out, "Oferta 555: bez zmian — nic nie zostało wysłane do Allegro.\n");
    EXPECT_EQ(fake.Requests("PATCH", kOfferPath).size(), patches);

    for (const ToolRun* each : {&signedOut, &dry, &run, &refused}) {
        for (const std::string& text : {each->out, each->err}) {
            EXPECT_EQ(text.find("secret-access-token"), std::string::npos);
            EXPECT_EQ(text.find("secret-refresh-token"), std::string::npos);
        }
    }
    EXPECT_EQ(RunTool({"allegro", "publish", "abc", "-"}, WithInput(form)).status, 2);
}

}  // namespace
}  // namespace licytek::testing
