// Sending a form into an offer, against the fake Allegro: the requests it sends, the gallery
// it leaves, and how it meets each kind of refusal.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "SessionFixture.h"
#include "publish/PullOffers.h"
#include "structured/Description.h"

namespace licytek::testing {
namespace {

using nlohmann::json;
using publish::Outcome;

constexpr const char* kOfferPath = "/sale/product-offers/555";
constexpr const char* kOldDescription =
    R"({"sections":[{"items":[{"type":"TEXT","content":"<p>stary opis</p>"}]}]})";
constexpr const char* kGallery = "https://a.allegroimg.com/s/gallery1.jpg";

FakeAnswer Answer(int status, std::string body = "{}",
                  std::vector<std::pair<std::string, std::string>> headers = {}) {
    return FakeAnswer{status, std::move(body), std::move(headers), false};
}

std::string OldOffer() {
    return OfferJson("555", "Stary tytuł", {kGallery}, kOldDescription);
}

// The offer as a PATCH body leaves it.
std::string OfferAfter(const std::string& patchBody) {
    const json patch = json::parse(patchBody);
    return OfferJson("555", "Stary tytuł", patch["images"].get<std::vector<std::string>>(),
                     patch["description"].dump());
}

AuctionForm Form(const std::string& memo) {
    AuctionForm form;
    form.auctionHeader = "Rower g\xF3rski";  // Windows-1250; too short a title to send
    form.itemDescription = memo;
    return form;
}

class PublishTest : public SessionTest {
  protected:
    PublishTest() {
        SignedIn();
        std::filesystem::create_directories(folder / "project" / "zdjecia");
        std::ofstream(folder / "project" / "zdjecia" / "rower.jpg", std::ios::binary)
            << std::string(
                   "\xFF\xD8\xFF\xE0"
                   "JFIF-bytes",
                   14);
        options.projectFolder = (folder / "project").string();
    }

    publish::PublishResult Publish(const AuctionForm& form) {
        return Session().Publish("555", form, options, {}, nullptr);
    }

    std::vector<std::string> Sequence() const {
        std::vector<std::string> sequence;
        for (const auto& request : fake.Requests()) {
            sequence.push_back(request.method + " " + request.path);
        }
        return sequence;
    }

    publish::PublishOptions options;
};

TEST_F(PublishTest, UploadsLocalAndWebPicturesAndLaterPublishesLeaveTheSameGallery) {
    AuctionForm form = Form(
        "Opis roweru<img src=\"zdjecia/rower.jpg\"><img src=\"https://sklep.pl/b.png\">"
        "<img src=\"https://a.allegroimg.com/s/own.jpg\">");
    form.auctionHeader += " MTB";
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("POST", "/sale/images",
                Answer(201, R"({"location":"https://a.allegroimg.com/s/up1","expiresAt":"x"})"));
    fake.Script("POST", "/sale/images",
                Answer(201, R"({"location":"https://a.allegroimg.com/s/up2","expiresAt":"x"})"));
    fake.Script("PATCH", kOfferPath, Answer(200, "{}"));
    options.title = true;
    auto first = Publish(form);
    ASSERT_EQ(first.outcome, Outcome::Done) << first.message;
    EXPECT_EQ(first.message, "Oferta 555: opis zaktualizowany — " + fake.Base() + "/oferta/555");

    const auto uploads = fake.Requests("POST", "/sale/images");
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[0].Header("Content-Type"), "image/jpeg");
    EXPECT_EQ(uploads[0].body, std::string("\xFF\xD8\xFF\xE0"
                                           "JFIF-bytes",
                                           14));
    EXPECT_EQ(uploads[0].Header("Authorization"), "Bearer access-1");
    EXPECT_EQ(uploads[1].Header("Content-Type"), kMedia);
    EXPECT_EQ(json::parse(uploads[1].body), json({{"url", "https://sklep.pl/b.png"}}));

    const auto patches = fake.Requests("PATCH", kOfferPath);
    ASSERT_EQ(patches.size(), 1u);
    EXPECT_EQ(patches[0].Header("Content-Type"), kMedia);
    EXPECT_EQ(patches[0].Header("Accept"), kMedia);
    const json body = json::parse(patches[0].body);
    EXPECT_EQ(body["name"], "Rower górski MTB");
    const std::vector<std::string> gallery = {kGallery, "https://a.allegroimg.com/s/up1",
                                              "https://a.allegroimg.com/s/up2",
                                              "https://a.allegroimg.com/s/own.jpg"};
    EXPECT_EQ(body["images"].get<std::vector<std::string>>(), gallery);
    EXPECT_TRUE(structured::ValidateDescriptionJson(body["description"].dump()).empty());
    EXPECT_EQ(body["description"]["sections"][0]["items"][1],
              json({{"type", "IMAGE"}, {"url", "https://a.allegroimg.com/s/up1"}}));

    // Allegro now holds what the first publish set: the same form again, its pictures known
    // through the picture memory, sends nothing at all.
    fake.Script("GET", kOfferPath, Answer(200, OfferAfter(patches[0].body)));
    fake.Script("PATCH", kOfferPath, Answer(200, "{}"));
    options.title = false;
    auto second = Publish(form);
    ASSERT_EQ(second.outcome, Outcome::Done) << second.message;
    EXPECT_TRUE(second.unchanged);
    EXPECT_EQ(second.message, "Oferta 555: bez zmian — nic nie zostało wysłane do Allegro.");
    EXPECT_EQ(fake.Requests("POST", "/sale/images").size(), 2u);
    EXPECT_EQ(fake.Requests("PATCH", kOfferPath).size(), 1u);

    // Another text goes out with the same gallery.
    AuctionForm changed = form;
    changed.itemDescription.insert(0, "Nowy ");
    auto third = Publish(changed);
    ASSERT_EQ(third.outcome, Outcome::Done) << third.message;
    EXPECT_FALSE(third.unchanged);
    EXPECT_EQ(fake.Requests("POST", "/sale/images").size(), 2u);
    const auto again = fake.Requests("PATCH", kOfferPath);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(json::parse(again[1].body)["images"].get<std::vector<std::string>>(), gallery);
    EXPECT_FALSE(json::parse(again[1].body).contains("name"));
}

// An offer pulled into the form and sent back untouched sends nothing, title or not, dry run
// or not, though Allegro spells it otherwise; a new title or a picture missing from the
// gallery is a change.
TEST_F(PublishTest, PulledOfferSentBackUntouchedSendsNothing) {
    const std::string second = "https://a.allegroimg.com/s/gallery2.jpg";
    const json description = {
        {"sections",
         {{{"items",
            {{{"type", "TEXT"},
              {"content", "<p><b>mocna</b> <b>rama</b></p><ul><li>26 </li></ul>"}},
             {{"type", "IMAGE"}, {"url", kGallery}}}}},
          {{"items", {{{"type", "IMAGE"}, {"url", second}}}}}}}};
    const auto serve = [&](std::vector<std::string> gallery) {
        fake.Script("GET", kOfferPath,
                    Answer(200, OfferJson("555", "Rower MTB 26 m²", gallery, description.dump())));
    };
    serve({kGallery, second});
    AuctionForm form;
    structured::PutIntoForm(
        std::get<structured::PulledOffer>(publish::PullOneOffer(Session(), "555")), form);
    for (const int variant : {0, 1, 2, 3}) {
        options.title = variant / 2 == 1;
        options.dryRun = variant % 2 == 1;
        const auto result = Publish(form);
        EXPECT_TRUE(result.unchanged) << variant << result.message;
        EXPECT_EQ(result.message, "Oferta 555: bez zmian — nic nie zostało wysłane do Allegro.");
    }
    EXPECT_EQ(Sequence(), std::vector<std::string>(5, "GET /sale/product-offers/555"));

    options.dryRun = false;
    fake.Script("PATCH", kOfferPath, Answer(200, "{}"));
    AuctionForm renamed = form;
    renamed.auctionHeader += " nowy";
    EXPECT_FALSE(Publish(renamed).unchanged);
    serve({kGallery});
    options.title = false;
    EXPECT_FALSE(Publish(form).unchanged);
    const auto patches = fake.Requests("PATCH", kOfferPath);
    ASSERT_EQ(patches.size(), 2u);
    EXPECT_EQ(json::parse(patches[0].body)["name"], "Rower MTB 26 m² nowy");
    EXPECT_EQ(json::parse(patches[1].body)["images"], json({kGallery, second}));
    EXPECT_TRUE(fake.Requests("POST", "/sale/images").empty());
}

// A title that Allegro's rules refuse is refused before anything is read or uploaded. The
// other tests send the same form without its title, which these rules leave alone.
TEST_F(PublishTest, TitleRulesRefuseBeforeAnyPictureIsUploaded) {
    options.title = true;
    const auto refused = Publish(Form("Opis<img src=\"zdjecia/rower.jpg\">"));
    EXPECT_EQ(refused.outcome, Outcome::Refused);
    EXPECT_EQ(refused.message,
              "Tytuł „Rower górski” ma 2 słowa, a Allegro przyjmuje tytuł od 3 słów. Nic nie "
              "zostało wysłane do Allegro.");
    EXPECT_TRUE(fake.Requests().empty());
}

TEST_F(PublishTest, DryRunOnlyReadsAndTooManyPicturesStopBeforeAnythingIsSent) {
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    options.dryRun = true;
    auto dry = Publish(Form("Opis<img src=\"https://sklep.pl/b.png\">"));
    ASSERT_EQ(dry.outcome, Outcome::Done) << dry.message;
    ASSERT_TRUE(dry.plan.has_value());
    EXPECT_EQ(dry.plan->picturesBefore, 1u);
    EXPECT_EQ(dry.plan->picturesAfter, 2u);
    EXPECT_EQ(dry.plan->sectionsBefore, 1u);
    EXPECT_EQ(json::parse(dry.body)["images"][1], "https://sklep.pl/b.png");
    EXPECT_EQ(Sequence(), std::vector<std::string>{"GET /sale/product-offers/555"});

    options.dryRun = false;
    std::string pictures;
    for (int i = 0; i < 16; ++i) {  // 1 in the gallery + 16 new
        pictures += "<img src=\"https://sklep.pl/" + std::to_string(i) + ".jpg\">";
    }
    auto tooMany = Publish(Form("Opis" + pictures));
    EXPECT_EQ(tooMany.outcome, Outcome::Refused);
    EXPECT_NE(tooMany.message.find("17 zdjęć"), std::string::npos);
    for (const auto& request : fake.Requests()) {
        EXPECT_EQ(request.method, "GET");
    }
}

// A picture file that cannot be read is told in the Polish of the sentence around it.
TEST_F(PublishTest, AnUnreadablePictureFileIsToldInPolishAndNothingIsSent) {
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    std::filesystem::create_directories(folder / "project" / "folder.jpg");
    const std::pair<std::string, std::string> kCases[] = {
        {"zdjecia/brak.jpg", "Zdjęcie „zdjecia/brak.jpg”: nie ma takiego pliku ("},
        {"folder.jpg", "Zdjęcie „folder.jpg”: brak dostępu do pliku ("},
    };
    for (const auto& [picture, told] : kCases) {
        const auto result = Publish(Form("Opis<img src=\"" + picture + "\">"));
        EXPECT_EQ(result.outcome, Outcome::Refused);
        EXPECT_EQ(result.message.rfind(told, 0), 0u) << result.message;
        EXPECT_NE(result.message.find("Nic nie zostało wysłane do Allegro."), std::string::npos);
    }
    for (const auto& request : fake.Requests()) {
        EXPECT_EQ(request.method, "GET");
    }
}

TEST_F(PublishTest, CtrlCBeforeTheUpdateSaysThePicturesWentButTheOfferIsUnchanged) {
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("POST", "/sale/images",
                Answer(201, R"({"location":"https://a.allegroimg.com/u"})"));
    std::atomic<bool> cancel{false};
    publish::PublishObserver observer;
    observer.progress = [&](std::size_t, std::size_t, const std::string& what) {
        cancel = what.starts_with("zmiana");
    };
    auto result = Session().Publish("555", Form("Opis<img src=\"https://sklep.pl/b.png\">"),
                                    options, observer, &cancel);
    EXPECT_EQ(result.message,
              "Przerwano: wysłano 1 zdjęcie do Allegro, ale opis oferty nie został zmieniony.");
    EXPECT_TRUE(fake.Requests("PATCH", kOfferPath).empty());
}

// Without the picture memory the next publish would add the same pictures to the gallery
// again: when it cannot be saved, the update is not sent.
TEST_F(PublishTest, APictureMemoryThatCannotBeSavedStopsBeforeTheUpdate) {
    const AuctionForm form = Form("Opis<img src=\"zdjecia/rower.jpg\">");
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("POST", "/sale/images",
                Answer(201, R"({"location":"https://a.allegroimg.com/u"})"));
    // The disk fills up once the picture went: a limit on file sizes stands in for it.
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{64, before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto full = Publish(form);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(full.message,
              "Nie udało się zapisać " + (folder / "data" / "pictures.json").string() +
                  ": dysk jest pełny. Bez tej pamięci następne wysłanie dodałoby te same "
                  "zdjęcia do galerii jeszcze raz, więc zmiana opisu nie została "
                  "wysłana. Stan: wysłano 1 zdjęcie do Allegro, ale opis oferty "
                  "nie został zmieniony.");
    EXPECT_TRUE(fake.Requests("PATCH", kOfferPath).empty());
}

TEST_F(PublishTest, AcceptedUpdateIsFollowedThroughItsOperationToTheOffer) {
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script(
        "PATCH", kOfferPath,
        Answer(202, "",
               {{"Location", "/sale/product-offers/555/operations/op1"}, {"Retry-After", "3"}}));
    fake.Script("GET", "/sale/product-offers/555/operations/op1",
                Answer(202, "", {{"Retry-After", "2"}}));
    fake.Script("GET", "/sale/product-offers/555/operations/op1",
                Answer(303, "", {{"Location", fake.Base() + "/sale/product-offers/555?x=1"}}));
    auto result = Publish(Form("Opis"));
    ASSERT_EQ(result.outcome, Outcome::Done) << result.message;
    EXPECT_EQ(Sequence(),
              (std::vector<std::string>{
                  "GET /sale/product-offers/555", "PATCH /sale/product-offers/555",
                  "GET /sale/product-offers/555/operations/op1",
                  "GET /sale/product-offers/555/operations/op1", "GET /sale/product-offers/555"}));
    EXPECT_EQ(fake.Requests().back().target, "/sale/product-offers/555?x=1");
    EXPECT_EQ(clock.waits, (std::vector<publish::Seconds>{3, 2}));
}

TEST_F(PublishTest, ConflictsAreRetriedAndNothingIsSentWhileAllegroLimitsRequests) {
    fake.Script("GET", kOfferPath, Answer(429, "{}", {{"Retry-After", "30"}}));
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("PATCH", kOfferPath, Answer(409, "{}"));
    fake.Script("PATCH", kOfferPath, Answer(409, "{}"));
    fake.Script("PATCH", kOfferPath, Answer(200, "{}"));
    auto result = Publish(Form("Opis"));
    ASSERT_EQ(result.outcome, Outcome::Done) << result.message;
    const auto requests = fake.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_GE(requests[1].clock - requests[0].clock, 30);  // nothing during the wait
    EXPECT_EQ(fake.Requests("PATCH", kOfferPath).size(), 3u);
}

TEST_F(PublishTest, DroppedUpdateIsCheckedByReadingTheOfferBeforeItIsSentAgain) {
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("PATCH", kOfferPath, FakeAnswer{0, "", {}, true});
    fake.Script("PATCH", kOfferPath, Answer(200, "{}"));
    auto result = Publish(Form("Opis"));
    ASSERT_EQ(result.outcome, Outcome::Done) << result.message;
    // libcurl on its own would send the PATCH again at once on a new connection.
    EXPECT_EQ(Sequence(), (std::vector<std::string>{
                              "GET /sale/product-offers/555", "PATCH /sale/product-offers/555",
                              "GET /sale/product-offers/555", "PATCH /sale/product-offers/555",
                              "GET /sale/product-offers/555"}));
}

TEST_F(PublishTest, RefusalsGetTheirMessageAndStatusWithTheTraceId) {
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("PATCH", kOfferPath,
                Answer(422, R"({"errors":[{"code":"VALIDATION_ERROR","message":"bad",)"
                            R"("path":"description.sections[0].items[0].content",)"
                            R"("userMessage":"Opis zawiera niedozwolony znacznik."}]})"));
    auto invalid = Publish(Form("Opis"));
    EXPECT_EQ(invalid.outcome, Outcome::Refused);
    EXPECT_NE(invalid.message.find("oferty 555"), std::string::npos) << invalid.message;
    EXPECT_NE(invalid.message.find("sekcja 1, element 1: Opis zawiera niedozwolony znacznik."),
              std::string::npos)
        << invalid.message;
    EXPECT_EQ(invalid.traceId, "trace-2");

    fake.Script("PATCH", kOfferPath, Answer(403, "{}"));
    auto forbidden = Publish(Form("Opis"));
    EXPECT_EQ(forbidden.outcome, Outcome::Refused);
    EXPECT_NE(forbidden.message.find("konta firmowe"), std::string::npos);

    fake.Script("GET", "/sale/product-offers/556", Answer(404, "{}"));
    auto missing = Session().Publish("556", Form("Opis"), options, {}, nullptr);
    EXPECT_EQ(missing.outcome, Outcome::Refused);
    EXPECT_NE(missing.message.find("Oferta 556 nie istnieje"), std::string::npos);
}

TEST_F(PublishTest, ServerErrorsOnReadingAreRetriedWithGrowingPauses) {
    fake.Script("GET", kOfferPath, Answer(503));
    fake.Script("GET", kOfferPath, Answer(502));
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("PATCH", kOfferPath, Answer(200, "{}"));
    auto result = Publish(Form("Opis"));
    ASSERT_EQ(result.outcome, Outcome::Done) << result.message;
    EXPECT_EQ(clock.waits, (std::vector<publish::Seconds>{1, 2}));

    fake.Script("GET", "/sale/product-offers/556", Answer(500));
    auto broken = Session().Publish("556", Form("Opis"), options, {}, nullptr);
    EXPECT_EQ(broken.outcome, Outcome::Network);
    EXPECT_EQ(fake.Requests("GET", "/sale/product-offers/556").size(), 4u);
}

TEST_F(PublishTest, TokenNeverLeavesForAnotherHostAndHugeAnswersAreRefused) {
    FakeAllegro other;
    const std::string otherBase = "http://localhost:" + std::to_string(other.Port());
    fake.Script("GET", kOfferPath, Answer(200, OldOffer()));
    fake.Script("PATCH", kOfferPath,
                Answer(202, "", {{"Location", otherBase + "/operations/op1"}}));
    auto redirected = Publish(Form("Opis"));
    EXPECT_EQ(redirected.outcome, Outcome::Refused);
    EXPECT_TRUE(other.Requests().empty());
    EXPECT_EQ(redirected.message.find("access-1"), std::string::npos);

    fake.Script("GET", "/sale/product-offers/557",
                Answer(200, std::string((std::size_t{16} << 20) + 10, ' ')));
    auto huge = Session().Publish("557", Form("Opis"), options, {}, nullptr);
    EXPECT_EQ(huge.outcome, Outcome::Refused);
    EXPECT_NE(huge.message.find("za duża"), std::string::npos);
}

}  // namespace
}  // namespace licytek::testing
