// A batch that sends each row's description to its offer: first with a scripted sender (the
// order, the put-off rows, a cancel), then through the fake Allegro over one session.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "SessionFixture.h"
#include "batch/AllegroSender.h"
#include "batch/Batch.h"
#include "support/TempDir.h"

namespace licytek::batch {
namespace {

using licytek::testing::ReadBytes;
using licytek::testing::TempDir;
using licytek::testing::WriteBytes;

// Answers each offer from a script, and records what it was asked and whether the row's page
// was already on the disk by then.
class ScriptedSender final : public OfferSender {
  public:
    explicit ScriptedSender(std::string outFolder) : outFolder_(std::move(outFolder)) {}

    SendAnswer Send(const std::string& offerId, const AuctionForm& form,
                    const std::vector<std::string>&, const std::atomic<bool>*) override {
        calls.push_back(offerId);
        pageWritten.push_back(
            std::filesystem::exists(outFolder_ + "/" + form.auctionHeader + ".html"));
        auto& answers = script[offerId];
        if (answers.empty()) {
            return {SendAnswer::Status::Sent, {}, "{\"body\":" + offerId + "}", false, {}, {}};
        }
        SendAnswer answer = answers.front();
        answers.erase(answers.begin());
        if (answer.cancelled && cancel != nullptr) {
            *cancel = true;
        }
        return answer;
    }

    std::map<std::string, std::vector<SendAnswer>> script;
    std::vector<std::string> calls;
    std::vector<bool> pageWritten;
    std::atomic<bool>* cancel = nullptr;

  private:
    std::string outFolder_;
};

struct Heard {
    std::vector<std::string> errors;
    std::vector<std::string> sent;
    std::vector<std::string> warnings;
    std::function<void(std::size_t sent)> onSent;
    BatchObserver Observer() {
        BatchObserver observer;
        observer.rowError = [this](const std::string& line) { errors.push_back(line); };
        observer.sent = [this](const std::string& line) {
            sent.push_back(line);
            if (onSent) {
                onSent(sent.size());
            }
        };
        observer.warning = [this](const std::string& line) { warnings.push_back(line); };
        return observer;
    }
};

// Rows named after their title (auctionHeader), which the scripted sender looks for on the disk.
std::string Sheet(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string csv = "plik;Nagłówek aukcji;Memo1;oferta\n";
    for (const auto& [name, offer] : rows) {
        csv += name + ";" + name + ";Opis " + name + ";" + offer + "\n";
    }
    return csv;
}

TEST(BatchSendTest, SendsWrittenRowsInOrderAndPutsBusyOffersAfterTheRest) {
    TempDir dir;
    WriteBytes(dir.File("o.csv"),
               Sheet({{"a", "11"}, {"b", ""}, {"c", "12x"}, {"d", " 13 "}, {"e", "14"}}));
    ScriptedSender sender(dir.File("out"));
    sender.script["13"] = {{SendAnswer::Status::Conflict, "zajęta.", {}, false, {}, {}}};
    sender.script["14"] = {
        {SendAnswer::Status::Failed, "Odmowa (Trace-Id: t1).", {}, false, {}, {}}};
    BatchOptions options;
    options.outFolder = dir.File("out");
    options.sender = &sender;
    Heard heard;
    const auto summary = RunBatch(dir.File("o.csv"), {}, "", options, heard.Observer());

    // One after another in row order, the busy one again after the others, each only once
    // its page is written; the row without a number and the bad one are never sent.
    EXPECT_EQ(sender.calls, (std::vector<std::string>{"11", "13", "14", "13"}));
    EXPECT_EQ(sender.pageWritten, (std::vector<bool>{true, true, true, true}));
    const std::string file = dir.File("o.csv");
    EXPECT_EQ(heard.sent,
              (std::vector<std::string>{
                  file + ":2: oferta 11: opis zaktualizowany",
                  file + ":5: oferta 13: zajęta. Ten wiersz zostanie wysłany ponownie później.",
                  file + ":5: oferta 13: opis zaktualizowany"}));
    EXPECT_EQ(heard.errors,
              (std::vector<std::string>{
                  file + ":4:oferta: numer oferty to same cyfry (jak w adresie oferty na "
                         "Allegro), nie „12x”",
                  file + ":6: oferta 14: Odmowa (Trace-Id: t1)."}));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/b.html")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/c.html")));
    EXPECT_EQ(summary.Line(),
              "4 oferty zapisane, 1 z błędami, 0 ostrzeżeń, 2 opisy wysłane, 1 z błędami");

    // Sending from a sheet that names no offers is a mistake, told before anything is written.
    WriteBytes(dir.File("bez.csv"), "plik;Memo1\ng;opis\n");
    const auto without = RunBatch(dir.File("bez.csv"), {}, "", options);
    ASSERT_TRUE(without.fatal);
    EXPECT_NE(without.fatal->find("brak kolumny „oferta”"), std::string::npos) << *without.fatal;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/g.html")));
}

// A JSON-lines file, as `allegro pull --all` writes one, names each row's files and offer by
// the keys "plik" and "oferta"; other unknown keys are still refused.
TEST(BatchSendTest, JsonLinesNameTheirFilesAndOffers) {
    TempDir dir;
    WriteBytes(dir.File("o.jsonl"),
               "{\"plik\": \"a\", \"oferta\": \"21\", \"Edit2\": \"a\"}\n"
               "{\"plik\": \"b\", \"Edit2\": \"b\"}\n"
               "{\"plik\": \"c\", \"oferta\": \"2x\", \"Edit2\": \"c\"}\n"
               "{\"plik\": \"d\", \"numer\": \"23\", \"Edit2\": \"d\"}\n");
    ScriptedSender sender(dir.File("out"));
    BatchOptions options;
    options.outFolder = dir.File("out");
    options.sender = &sender;
    Heard heard;
    const auto summary = RunBatch(dir.File("o.jsonl"), {}, "", options, heard.Observer());
    EXPECT_EQ(sender.calls, (std::vector<std::string>{"21"}));
    EXPECT_EQ(sender.pageWritten, (std::vector<bool>{true}));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/b.html")));
    EXPECT_EQ(summary.written, 2U);
    ASSERT_EQ(heard.errors.size(), 2U);
    EXPECT_NE(heard.errors[0].find(":3:oferta: numer oferty to same cyfry"), std::string::npos)
        << heard.errors[0];
    EXPECT_NE(heard.errors[1].find("nieznany klucz \"numer\""), std::string::npos)
        << heard.errors[1];
}

TEST(BatchSendTest, ACancelSendsNothingMoreAndNamesTheRowsNotSent) {
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < 6; ++i) {
        rows.emplace_back("r" + std::to_string(i), std::to_string(100 + i));
    }
    WriteBytes(dir.File("o.csv"), Sheet(rows));
    std::atomic<bool> cancel{false};
    ScriptedSender sender(dir.File("out"));
    sender.cancel = &cancel;
    sender.script["101"] = {{SendAnswer::Status::Failed, "Przerwano.", {}, true, {}, {}}};
    BatchOptions options;
    options.outFolder = dir.File("out");
    options.sender = &sender;
    Heard heard;
    BatchObserver observer = heard.Observer();
    observer.cancel = &cancel;
    const auto summary = RunBatch(dir.File("o.csv"), {}, "", options, observer);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(sender.calls, (std::vector<std::string>{"100", "101"}));
    ASSERT_FALSE(summary.notSent.empty());
    EXPECT_EQ(summary.notSent.front(), 3U);  // the row whose request was stopped
    ASSERT_FALSE(heard.errors.empty());
    EXPECT_NE(heard.errors.back().find("nie został"), std::string::npos) << heard.errors.back();
    EXPECT_NE(heard.errors.back().find("wiersze: 3"), std::string::npos) << heard.errors.back();
}

// Rows waiting for a writer and rows not yet read when the cancel came are named too, in a
// sheet as in JSON lines; a row without an offer is not.
TEST(BatchSendTest, ACancelNamesEveryRowNotSent) {
    std::vector<std::pair<std::string, std::string>> rows;
    std::string lines;
    for (int i = 0; i < 40; ++i) {
        const std::string offer = i == 10 ? "" : std::to_string(100 + i);
        rows.emplace_back("r" + std::to_string(i), offer);
        lines += R"({"plik": "r)" + std::to_string(i) + R"(", "oferta": ")" + offer + "\"}\n";
    }
    for (const bool sheet : {true, false}) {
        TempDir dir;
        const std::string input = dir.File(sheet ? "o.csv" : "o.jsonl");
        WriteBytes(input, sheet ? Sheet(rows) : lines);
        std::atomic<bool> cancel{false};
        ScriptedSender sender(dir.File("out"));
        sender.cancel = &cancel;
        sender.script["101"] = {{SendAnswer::Status::Failed, "Przerwano.", {}, true, {}}};
        BatchOptions options;
        options.outFolder = dir.File("out");
        options.sender = &sender;
        Heard heard;
        BatchObserver observer = heard.Observer();
        observer.cancel = &cancel;
        RunBatch(input, {}, "", options, observer);
        EXPECT_EQ(sender.calls, (std::vector<std::string>{"100", "101"}));
        ASSERT_FALSE(heard.errors.empty());
        // A sheet's row 1 is its header; JSON lines count from the first line.
        EXPECT_TRUE(heard.errors.back().starts_with(input + ": 38 opisów nie zostało wysłanych"))
            << heard.errors.back();
        EXPECT_NE(heard.errors.back().find(sheet ? "wiersze: 3–11, 13–41" : "wiersze: 2–10, 12–40"),
                  std::string::npos)
            << heard.errors.back();
    }
}

// ---- Through the fake Allegro ----------------------------------------------------------

using licytek::testing::OfferJson;
constexpr const char* kOldDescription =
    R"({"sections":[{"items":[{"type":"TEXT","content":"<p>stary</p>"}]}]})";

class BatchAllegroTest : public licytek::testing::SessionTest {
  protected:
    BatchAllegroTest() { SignedIn(); }

    void Offers(int first, int count) {
        for (int id = first; id < first + count; ++id) {
            const std::string path = "/sale/product-offers/" + std::to_string(id);
            fake.Script("GET", path,
                        {200, OfferJson(std::to_string(id), "Stary", {}, kOldDescription), {}});
            fake.Script("PATCH", path, {200, "{}", {}});
        }
    }

    BatchSummary Run(const std::string& csv, publish::PublishOptions publishOptions = {}) {
        WriteBytes(dir.File("o.csv"), csv);
        AllegroSender sender(Session(), clock, publishOptions, observer);
        BatchOptions options;
        options.outFolder = dir.File("out");
        options.format = OutputFormat::Allegro;
        options.sender = &sender;
        options.dryRun = publishOptions.dryRun;
        return RunBatch(dir.File("o.csv"), {}, "", options, heard.Observer());
    }

    std::vector<std::string> Patched() const {
        std::vector<std::string> paths;
        for (const auto& request : fake.Requests()) {
            if (request.method == "PATCH") {
                paths.push_back(request.path);
            }
        }
        return paths;
    }

    TempDir dir;
    Heard heard;
    publish::PublishObserver observer;
};

TEST_F(BatchAllegroTest, TwoHundredRowsGoOverOneConnectionInRowOrder) {
    Offers(1000, 200);
    std::vector<std::pair<std::string, std::string>> rows;
    std::vector<std::string> expected;
    for (int i = 0; i < 200; ++i) {
        rows.emplace_back("w" + std::to_string(i), std::to_string(1000 + i));
        expected.push_back("/sale/product-offers/" + std::to_string(1000 + i));
    }
    const auto summary = Run(Sheet(rows));
    EXPECT_EQ(summary.sent, 200U) << ::testing::PrintToString(heard.errors);
    EXPECT_EQ(Patched(), expected);
    EXPECT_EQ(Session().ConnectionsOpened(), 1);
    EXPECT_EQ(heard.sent.size(), 200U);
    // The fake still gives the old description when the offer is read back: each row says so.
    EXPECT_EQ(summary.Line(),
              "200 ofert zapisanych, 0 z błędami, 200 ostrzeżeń, 200 opisów "
              "wysłanych, 0 z błędami");
    ASSERT_EQ(heard.warnings.size(), 200U);
    EXPECT_EQ(heard.warnings[1], dir.File("o.csv") +
                                     ":3: oferta 1001: Opis odczytany z oferty 1001 różni się od "
                                     "wysłanego; sprawdź ofertę na stronie Allegro.");
}

TEST_F(BatchAllegroTest, A429PausesTheRunAndA409RowIsSentAfterTheOthers) {
    // Offer 1 is read only after a 429; offer 2 is busy at first.
    fake.Script("GET", "/sale/product-offers/1", {429, "{}", {{"Retry-After", "30"}}});
    fake.Script("PATCH", "/sale/product-offers/2", {409, "{}", {{"Retry-After", "20"}}});
    Offers(1, 3);
    std::vector<std::string> waits;
    observer.waiting = [&waits](publish::Seconds seconds, const std::string& why) {
        waits.push_back(std::to_string(seconds) + " " + why);
    };
    const auto summary = Run(Sheet({{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    EXPECT_EQ(summary.sent, 3U) << ::testing::PrintToString(heard.errors);
    EXPECT_EQ(Patched(),
              (std::vector<std::string>{"/sale/product-offers/1", "/sale/product-offers/2",
                                        "/sale/product-offers/3", "/sale/product-offers/2"}));
    const auto requests = fake.Requests();
    ASSERT_GE(requests.size(), 2U);
    EXPECT_EQ(requests[1].clock - requests[0].clock, 30);  // nothing went out during the wait
    ASSERT_FALSE(waits.empty());
    EXPECT_EQ(waits.front(),
              "30 Allegro ogranicza liczbę zapytań; wstrzymane są wszystkie zapytania");
    // The busy offer is tried again only once its 20 seconds have passed.
    const auto patches = fake.Requests("PATCH", "/sale/product-offers/2");
    ASSERT_EQ(patches.size(), 2U);
    EXPECT_GE(patches[1].clock - patches[0].clock, 20);
    EXPECT_EQ(Session().ConnectionsOpened(), 1);
}

// A row whose offer already shows it (in another spelling; "½" in the sheet is "&#189;" in the
// form and "½" again on Allegro) sends nothing and is told and counted as such.
TEST_F(BatchAllegroTest, ARowTheOfferShowsAlreadySendsNothing) {
    const std::string shown =
        nlohmann::json{{"sections",
                        {{{"items",
                           {{{"type", "TEXT"},
                             {"content", "<h1>Płytki ½ m²</h1>\n<p>Opis  <b>A</b> </p>"}}}}}}}}
            .dump();
    fake.Script("GET", "/sale/product-offers/1", {200, OfferJson("1", "x", {}, shown), {}});
    Offers(2, 1);
    const auto summary =
        Run("plik;oferta;Nagłówek aukcji;Memo1\na;1;Płytki ½ m²;Opis <b>A</b>\n"
            "b;2;b;Opis b\n");
    const std::string file = dir.File("o.csv");
    EXPECT_EQ(heard.sent, (std::vector<std::string>{file + ":2: oferta 1: bez zmian",
                                                    file + ":3: oferta 2: opis zaktualizowany"}));
    EXPECT_EQ(Patched(), std::vector<std::string>{"/sale/product-offers/2"});
    EXPECT_EQ(summary.Line(),
              "2 oferty zapisane, 0 z błędami, 1 ostrzeżenie, 1 opis wysłany, 1 "
              "bez zmian, 0 z błędami");
}

TEST_F(BatchAllegroTest, AllegroSilentRowAfterRowStopsTheSending) {
    for (int id = 1; id <= 3; ++id) {
        fake.Script("GET", "/sale/product-offers/" + std::to_string(id), {0, "", {}, true});
    }
    Offers(4, 1);
    const auto summary = Run(Sheet({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}));
    EXPECT_TRUE(summary.sendingStopped);
    EXPECT_EQ(summary.sendFailed, 3U);
    EXPECT_EQ(summary.sent, 0U);
    EXPECT_TRUE(fake.Requests("GET", "/sale/product-offers/4").empty());
    // Then, if the last row was read by then, a line that names it as not sent.
    ASSERT_GE(heard.errors.size(), 3U);
    EXPECT_NE(heard.errors[2].find("dalsze opisy nie zostaną wysłane"), std::string::npos)
        << heard.errors[2];
}

TEST_F(BatchAllegroTest, ADryRunOnlyReadsAndWritesEachBodyWithItsRowWholeOrNotAtAll) {
    Offers(7, 1);  // offer 8 is not scripted: the fake answers 404
    publish::PublishOptions dry;
    dry.dryRun = true;
    const auto summary = Run(Sheet({{"a", "7"}, {"b", "8"}, {"c", ""}}), dry);
    for (const auto& request : fake.Requests()) {
        EXPECT_EQ(request.method, "GET") << request.path;
    }
    const auto body = nlohmann::json::parse(ReadBytes(dir.File("out/a.allegro-update.json")));
    EXPECT_EQ(body["description"]["sections"][0]["items"][0]["content"], "<h1>a</h1><p>Opis a</p>");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/b.allegro.json")));  // its offer failed
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/c.allegro.json")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/c.allegro-update.json")));
    ASSERT_EQ(heard.errors.size(), 1U);
    EXPECT_TRUE(heard.errors[0].starts_with(dir.File("o.csv") + ":3: oferta 8: Oferta 8 nie "))
        << heard.errors[0];
    EXPECT_EQ(summary.Line(),
              "2 oferty zapisane, 1 z błędami, 0 ostrzeżeń, 1 zmiana opisu "
              "przygotowana (próba), 0 z błędami");
}

// A file leaves the disk only because a row asks for it, and the row says which files went.
TEST_F(BatchAllegroTest, OnlyDiskPicturesTheRowNamesAreUploadedAndItsLineNamesThem) {
    WriteBytes(dir.File("rower.jpg"), "\xFF\xD8\xFF\xE0rower");
    WriteBytes(dir.File("logo.jpg"), "\xFF\xD8\xFF\xE0logo");
    // The second row keeps the template's description, and so its picture.
    WriteBytes(dir.File("o.csv"), "plik;Memo1;oferta\na;Opis<img src=rower.jpg>;1\nb;;2\n");
    Offers(1, 2);
    fake.Script("POST", "/sale/images", {201, R"({"location":"https://a.allegroimg.com/u1"})", {}});
    AuctionForm templateForm;
    templateForm.itemDescription = "Szablon<img src=\"logo.jpg\">";
    publish::PublishOptions publishOptions;
    publishOptions.projectFolder = dir.Path().string();
    AllegroSender sender(Session(), clock, publishOptions, observer);
    BatchOptions options;
    options.outFolder = dir.File("out");
    options.sender = &sender;
    RunBatch(dir.File("o.csv"), templateForm, "", options, heard.Observer());
    const auto uploads = fake.Requests("POST", "/sale/images");
    ASSERT_EQ(uploads.size(), 1U);
    EXPECT_EQ(uploads[0].body, "\xFF\xD8\xFF\xE0rower");
    EXPECT_EQ(heard.sent, std::vector<std::string>{dir.File("o.csv") +
                                                   ":2: oferta 1: opis zaktualizowany, wysłano "
                                                   "pliki: rower.jpg"});
    ASSERT_EQ(heard.errors.size(), 1U);
    EXPECT_NE(heard.errors[0].find(":3: oferta 2: Zdjęcie z dysku „logo.jpg” nie pochodzi z tego "
                                   "wiersza"),
              std::string::npos)
        << heard.errors[0];
}

// ---- Several rows at once ------------------------------------------------------------------

// Time as it passes: the run waits on its pool in real time.
class PassingClock final : public publish::Clock {
  public:
    publish::Seconds Now() override { return 1'700'000'000 + Steady() / 1000; }
    publish::Milliseconds Steady() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool Wait(publish::Seconds seconds, const std::atomic<bool>* cancel) override {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        return cancel == nullptr || !cancel->load();
    }
};

class BatchRunTest : public BatchAllegroTest {
  protected:
    ~BatchRunTest() override { fake.StampWith({}); }  // `passing` goes before the fake

    BatchSummary RunParallel(const std::string& csv, int parallel,
                             const std::atomic<bool>* cancel = nullptr, bool dryRun = false) {
        WriteBytes(dir.File("o.csv"), csv);
        publish::PublishOptions publishOptions;
        publishOptions.dryRun = dryRun;
        AllegroSender sender(Session(), passing, publishOptions, observer);
        publish::RunSettings settings;
        settings.parallel = parallel;
        sender.RunInParallel(settings);
        BatchOptions options;
        options.outFolder = dir.File("out");
        options.format = OutputFormat::Allegro;
        options.sender = &sender;
        options.dryRun = dryRun;
        BatchObserver heardObserver = heard.Observer();
        heardObserver.cancel = cancel;
        return RunBatch(dir.File("o.csv"), {}, "", options, heardObserver);
    }

    // The row numbers of the lines, in the order they came.
    static std::vector<int> RowsOf(const std::vector<std::string>& lines, const std::string& file) {
        std::vector<int> rows;
        for (const std::string& line : lines) {
            rows.push_back(std::stoi(line.substr(file.size() + 1)));
        }
        return rows;
    }

    PassingClock passing;
};

// Several requests in flight, the rows told in their order, two rows of one offer one after
// the other, and a 429 that holds the whole run once.
TEST_F(BatchRunTest, RowsGoSeveralAtOnceInRowOrderOneOfferAtATime) {
    Offers(1, 12);
    fake.Script("GET", "/sale/product-offers/5", {429, "{}", {{"Retry-After", "1"}}});
    fake.Script("GET", "/sale/product-offers/5",
                {200, OfferJson("5", "Stary", {}, kOldDescription), {}});
    // Longer than the pacer's spacing of starts (30 ms), so that requests overlap.
    fake.SetDelayMicroseconds(80'000);
    fake.StampWith([this] { return passing.Steady(); });
    std::vector<std::pair<std::string, std::string>> rows;
    for (int id = 1; id <= 12; ++id) {
        rows.emplace_back("w" + std::to_string(id), std::to_string(id));
    }
    rows.emplace_back("again", "3");  // row 14 names the offer of row 4
    const auto summary = RunParallel(Sheet(rows), 4);

    EXPECT_EQ(summary.sent, 13U) << ::testing::PrintToString(heard.errors);
    EXPECT_GT(fake.MostAtOnce(), 1);
    EXPECT_LE(fake.MostAtOnce(), 4);
    std::vector<int> told = RowsOf(heard.sent, dir.File("o.csv"));
    EXPECT_EQ(told, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    // Row 14 began on offer 3 only once row 4 was done with it: read, update, read back.
    std::vector<std::string> methods;
    for (const auto& request : fake.Requests()) {
        if (request.path == "/sale/product-offers/3") {
            methods.push_back(request.method);
        }
    }
    EXPECT_EQ(methods, (std::vector<std::string>{"GET", "PATCH", "GET", "GET", "PATCH", "GET"}));
    // The 429 answered offer 5's second read (Offers scripted the first). Nothing began from
    // just after its answer (80 ms after it arrived; the margin is for a busy machine) until
    // the second it asked for was over; those already in flight were let be.
    const auto reads = fake.Requests("GET", "/sale/product-offers/5");
    ASSERT_EQ(reads.size(), 3U);
    const long long answered = reads[1].clock + 80;
    for (const auto& request : fake.Requests()) {
        EXPECT_FALSE(request.clock > answered + 100 && request.clock < answered + 1000)
            << request.method << " " << request.path << " " << request.clock - answered;
    }
    EXPECT_GE(reads[2].clock, answered + 1000);
}

// A 202's "Retry-After: 1" is a whole second from the answer, although the flows count time
// in whole seconds: the run must not poll the operation as soon as the next second begins.
TEST_F(BatchRunTest, AnAcceptedChangeIsPolledOnlyAfterTheSecondItAsksFor) {
    fake.Script("GET", "/sale/product-offers/1",
                {200, OfferJson("1", "Stary", {}, kOldDescription), {}});
    fake.Script(
        "PATCH", "/sale/product-offers/1",
        {202, "", {{"Location", "/sale/product-offers/1/operations/op1"}, {"Retry-After", "1"}}});
    fake.Script("GET", "/sale/product-offers/1/operations/op1",
                {303, "", {{"Location", "/sale/product-offers/1"}}});
    fake.StampWith([this] { return passing.Steady(); });
    const auto summary = RunParallel(Sheet({{"w1", "1"}}), 4);

    EXPECT_EQ(summary.sent, 1U) << ::testing::PrintToString(heard.errors);
    const auto patches = fake.Requests("PATCH", "/sale/product-offers/1");
    const auto polls = fake.Requests("GET", "/sale/product-offers/1/operations/op1");
    ASSERT_EQ(patches.size(), 1U);
    ASSERT_EQ(polls.size(), 1U);
    EXPECT_GE(polls[0].clock - patches[0].answered, 990);
}

// A dry run reads several offers at once, tells its rows in their order, and writes each
// body with its row's files when the answer comes: a row whose body file is in the way writes
// nothing at all.
TEST_F(BatchRunTest, ADryRunReadsSeveralAtOnceAndWritesEachRowWhole) {
    Offers(1, 8);
    fake.SetDelayMicroseconds(80'000);
    std::vector<std::pair<std::string, std::string>> rows;
    for (int id = 1; id <= 8; ++id) {
        rows.emplace_back("w" + std::to_string(id), std::to_string(id));
    }
    std::filesystem::create_directories(dir.File("out"));
    WriteBytes(dir.File("out/w5.allegro-update.json"), "kept");
    const auto summary = RunParallel(Sheet(rows), 4, nullptr, true);

    for (const auto& request : fake.Requests()) {
        EXPECT_EQ(request.method, "GET") << request.path;
    }
    EXPECT_GT(fake.MostAtOnce(), 1);
    EXPECT_EQ(RowsOf(heard.sent, dir.File("o.csv")), (std::vector<int>{2, 3, 4, 5, 7, 8, 9}));
    EXPECT_EQ(heard.sent[0], dir.File("o.csv") + ":2: oferta 1: próba, zmiana zapisana w " +
                                 dir.File("out") + "/w1.allegro-update.json");
    EXPECT_EQ(ReadBytes(dir.File("out/w5.allegro-update.json")), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/w5.allegro.json")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/w8.allegro-update.json")));
    ASSERT_EQ(heard.errors.size(), 1U);
    EXPECT_TRUE(heard.errors[0].starts_with(dir.File("o.csv") + ":6: ")) << heard.errors[0];
    EXPECT_EQ(summary.Line(),
              "7 ofert zapisanych, 1 z błędami, 0 ostrzeżeń, 7 zmian opisu przygotowanych "
              "(próba), 0 z błędami");
}

// A cancel sends nothing new and names every row with files that was not sent.
TEST_F(BatchRunTest, ACancelNamesEveryRowNotSent) {
    Offers(1, 30);
    fake.SetDelayMicroseconds(20'000);
    std::vector<std::pair<std::string, std::string>> rows;
    for (int id = 1; id <= 30; ++id) {
        rows.emplace_back("w" + std::to_string(id), std::to_string(id));
    }
    std::atomic<bool> cancel{false};
    heard.onSent = [&cancel](std::size_t count) { cancel = cancel || count >= 3; };
    const auto summary = RunParallel(Sheet(rows), 4, &cancel);

    EXPECT_TRUE(summary.cancelled);
    EXPECT_GE(summary.sent, 3U);
    EXPECT_LT(summary.sent, 30U);
    // Every row is either sent or named; none is both, none is lost.
    std::vector<int> sent = RowsOf(heard.sent, dir.File("o.csv"));
    std::set<std::size_t> named(summary.notSent.begin(), summary.notSent.end());
    named.insert(summary.notReached.begin(), summary.notReached.end());
    EXPECT_EQ(sent.size() + named.size() + summary.sendFailed, 30U)
        << ::testing::PrintToString(heard.errors);
    for (const int row : sent) {
        EXPECT_EQ(named.count(static_cast<std::size_t>(row)), 0U) << row;
    }
    EXPECT_LE(fake.Requests("PATCH", "/sale/product-offers/30").size(), 0U);
}

}  // namespace
}  // namespace licytek::batch
