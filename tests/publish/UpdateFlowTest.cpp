// The update of an offer and the rules for trying again, without a server: each table is the
// steps the flow must take, in order, with Allegro's recorded answer to each request.
#include <gtest/gtest.h>

#include "FakeAllegro.h"
#include "publish/UpdateFlow.h"
#include "publish/Wording.h"

namespace licytek::publish {
namespace {

using testing::OfferJson;
using End = UpdateResult::End;
using ReadBack = UpdateResult::ReadBack;

constexpr const char* kApi = "https://api.test";
constexpr const char* kUploadBase = "https://upload.test";
constexpr const char* kRead = "GET /sale/product-offers/555";
constexpr const char* kPatch = "PATCH /sale/product-offers/555";
constexpr const char* kOld =
    R"({"sections":[{"items":[{"type":"TEXT","content":"<p>Stary</p>"}]}]})";
constexpr const char* kNew =
    R"({"sections":[{"items":[{"type":"TEXT","content":"<p>Opis</p>"}]}]})";
constexpr const char* kGallery = "https://a.allegroimg.com/g1";

// A step as the tables write it, an answer, a failure of the refresh, or of the memory.
using Reply = std::variant<std::monostate, HttpResponse, TransportFailure, Failure, std::string>;
struct Row {
    std::string step;
    Reply reply{};
    bool cancelFirst = false;  // the seller cancels before this step is answered
};

HttpResponse Answer(long status, std::string body = {},
                    std::vector<std::pair<std::string, std::string>> headers = {}) {
    headers.emplace_back("Trace-Id", "t" + std::to_string(status));
    return HttpResponse{status, std::move(headers), std::move(body)};
}
std::string Offer(const char* description, std::vector<std::string> images = {kGallery}) {
    return OfferJson("555", "Rower", images, description);
}
const TransportFailure kDropped{TransportError::NotRepeated, "połączenie zerwane"};
const TransportFailure kRefused{TransportError::Network, "Connection refused"};

UpdateOrder TextOrder() {
    UpdateOrder order;
    order.offerId = "555";
    order.api = kApi;
    order.upload = kUploadBase;
    order.description.sections.push_back({{{structured::ItemType::Text, "<p>Opis</p>"}}});
    return order;
}

std::string StepText(const UpdateFlow::Step& step) {
    if (const auto* request = std::get_if<Request>(&step)) {
        std::string path = request->url;
        for (const std::string_view base : {kApi, kUploadBase}) {
            if (path.starts_with(base)) {
                path.erase(0, base.size());
            }
        }
        return request->method + " " + path;
    }
    if (const auto* wait = std::get_if<Wait>(&step)) {
        return "wait " + std::to_string(wait->seconds) + (wait->sessionWide ? " session" : "");
    }
    if (const auto* remember = std::get_if<UpdateFlow::Remember>(&step)) {
        return "remember " + remember->location;
    }
    return "refresh";
}

// Runs the flow through the table from time 1000; the clock moves only by the waits.
UpdateResult Drive(UpdateFlow& flow, const std::vector<Row>& rows, Seconds* elapsed = nullptr) {
    Seconds now = 1000;
    std::size_t at = 0;
    while (auto step = flow.Next(now)) {
        if (at == rows.size()) {
            ADD_FAILURE() << "a step past the table: " << StepText(*step);
            break;
        }
        const Row& row = rows[at++];
        EXPECT_EQ(StepText(*step), row.step) << "row " << at;
        if (row.cancelFirst) {
            flow.Cancel();
        }
        if (const auto* wait = std::get_if<Wait>(&*step)) {
            now = wait->until;
        } else if (std::holds_alternative<RefreshSignIn>(*step)) {
            const auto* failure = std::get_if<Failure>(&row.reply);
            flow.OnRefreshed(failure ? std::optional(*failure) : std::nullopt);
        } else if (std::holds_alternative<UpdateFlow::Remember>(*step)) {
            const auto* error = std::get_if<std::string>(&row.reply);
            flow.OnRemembered(error ? std::optional(*error) : std::nullopt);
        } else if (const auto* lost = std::get_if<TransportFailure>(&row.reply)) {
            flow.OnAnswer(*lost, now);
        } else {
            flow.OnAnswer(std::get<HttpResponse>(row.reply), now);
        }
    }
    EXPECT_EQ(at, rows.size()) << "the flow ended before the table did";
    if (elapsed != nullptr) {
        *elapsed = now - 1000;
    }
    return flow.result();
}

UpdateResult Drive(UpdateOrder order, const std::vector<Row>& rows, Seconds* elapsed = nullptr) {
    UpdateFlow flow(std::move(order));
    return Drive(flow, rows, elapsed);
}

TEST(UpdateFlowTest, UploadsOnlyMissingPicturesAndTakesTheOfferFromThePatchAnswer) {
    UpdateOrder order = TextOrder();
    auto& items = order.description.sections[0].items;
    items.insert(items.begin(), {structured::ItemType::Image, "a.jpg"});
    order.description.sections.push_back({{{structured::ItemType::Image, "b.jpg"}}});
    order.pictures = {{"a.jpg", "file a", "", "", "image/jpeg", "\xFF\xD8\xFF"},
                      {"b.jpg", "file b", "", kGallery, "image/jpeg", "\xFF\xD8\xFF"}};
    const std::string sent =
        R"({"sections":[{"items":[{"type":"IMAGE","url":"https://a.allegroimg.com/up1"},)"
        R"({"type":"TEXT","content":"<p>Opis</p>"}]},)"
        R"({"items":[{"type":"IMAGE","url":"https://a.allegroimg.com/g1"}]}]})";
    UpdateFlow flow(order);
    // b.jpg was sent before and the gallery still holds it: only a.jpg goes up.
    const UpdateResult updated = Drive(
        flow, {{kRead, Answer(200, Offer(kOld))},
               {"POST /sale/images", Answer(201, R"({"location":"https://a.allegroimg.com/up1"})")},
               {"remember https://a.allegroimg.com/up1"},
               {kPatch, Answer(200, Offer(sent.c_str()))}});
    EXPECT_EQ(updated.end, End::Updated);
    EXPECT_EQ(updated.readBack, ReadBack::Same);
    EXPECT_EQ(updated.reached.picturesUploaded, 1U);
    EXPECT_EQ(updated.reached.update, UpdateSent::Confirmed);
    EXPECT_EQ(updated.body, R"({"description":)" + sent +
                                R"(,"images":["https://a.allegroimg.com/g1",)"
                                R"("https://a.allegroimg.com/up1"]})");

    // A picture address that is no https:// address is not taken into the offer.
    order.pictures[1].remembered.clear();
    const UpdateResult local =
        Drive(order, {{kRead, Answer(200, Offer(kOld))},
                      {"POST /sale/images", Answer(201, R"({"location":"file:///etc/passwd"})")}});
    ASSERT_TRUE(local.failure);
    EXPECT_EQ(local.failure->kind, FailureKind::BadAnswer);
    EXPECT_EQ(local.failure->picture, "a.jpg");

    // A memory that cannot be saved stops it before the PATCH.
    const UpdateResult unsaved =
        Drive(order,
              {{kRead, Answer(200, Offer(kOld))},
               {"POST /sale/images", Answer(201, R"({"location":"https://a.allegroimg.com/up1"})")},
               {"remember https://a.allegroimg.com/up1", std::string("Dysk pełny.")}});
    ASSERT_TRUE(unsaved.failure);
    EXPECT_EQ(unsaved.failure->kind, FailureKind::NotSaved);
    EXPECT_EQ(unsaved.reached.picturesUploaded, 1U);
    EXPECT_EQ(unsaved.reached.update, UpdateSent::No);
}

TEST(UpdateFlowTest, AnUnchangedOfferOrADryRunSendsNothingAfterTheRead) {
    UpdateOrder order = TextOrder();
    order.pictures = {{"a.jpg", "file a", "", "", "image/jpeg", "\xFF\xD8\xFF"}};
    order.description.sections[0].items.push_back({structured::ItemType::Image, "a.jpg"});
    std::string seenBody;
    order.unchanged = [&](const OfferState& offer, const structured::Description&,
                          const UpdateBody& body) {
        seenBody = body.json;
        return SameDescription(offer.descriptionJson, kOld);
    };
    EXPECT_EQ(Drive(order, {{kRead, Answer(200, Offer(kOld))}}).end, End::Unchanged);
    EXPECT_NE(seenBody.find(R"("url":"a.jpg")"), std::string::npos);  // not uploaded yet
    order.unchanged = nullptr;
    order.dryRun = true;
    const UpdateResult dry = Drive(order, {{kRead, Answer(200, Offer(kOld))}});
    EXPECT_EQ(dry.end, End::DryRun);
    EXPECT_EQ(dry.reached.picturesUploaded, 0U);
}

TEST(UpdateFlowTest, AnAcceptedChangeIsFollowedUntilConfirmedThenReadWhereAllegroPoints) {
    const auto accepted =
        Answer(202, {}, {{"Location", "/sale/product-offer-operations/op1"}, {"Retry-After", "3"}});
    const UpdateResult result =
        Drive(TextOrder(), {{kRead, Answer(200, Offer(kOld))},
                            {kPatch, accepted},
                            {"wait 3"},
                            {"GET /sale/product-offer-operations/op1", Answer(202)},
                            {"wait 5"},
                            {"GET /sale/product-offer-operations/op1",
                             Answer(303, {}, {{"Location", "/sale/product-offers/555?v=2"}})},
                            {"GET /sale/product-offers/555?v=2", Answer(200, Offer(kNew))}});
    EXPECT_EQ(result.end, End::Updated);
    EXPECT_EQ(result.readBack, ReadBack::Same);
    EXPECT_EQ(result.reached.update, UpdateSent::Confirmed);

    // An operation that ends in a refusal: Allegro did not apply the change.
    const UpdateResult refused =
        Drive(TextOrder(), {{kRead, Answer(200, Offer(kOld))},
                            {kPatch, accepted},
                            {"wait 3"},
                            {"GET /sale/product-offer-operations/op1", Answer(422, "{}")}});
    EXPECT_EQ(refused.failure->kind, FailureKind::Refused);
    EXPECT_EQ(refused.reached.update, UpdateSent::No);
}

TEST(UpdateFlowTest, AChangeNeverConfirmedIsGivenUpAfterTenMinutesWithoutABusyLoop) {
    std::vector<Row> rows = {
        {kRead, Answer(200, Offer(kOld))},
        {kPatch, Answer(202, {}, {{"Location", "/op"}, {"Retry-After", "7"}})}};
    // "Retry-After: 0" would poll as fast as the network goes: a second at least.
    const auto never = Answer(202, {}, {{"Retry-After", "0"}});
    rows.push_back({"wait 7"});
    rows.push_back({"GET /op", never});
    for (int look = 0; look < 593; ++look) {
        rows.push_back({"wait 1"});
        rows.push_back({"GET /op", never});
    }
    Seconds elapsed = 0;
    const UpdateResult result = Drive(TextOrder(), rows, &elapsed);
    EXPECT_EQ(elapsed, 600);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, FailureKind::Unconfirmed);
    EXPECT_EQ(result.reached.update, UpdateSent::Sent);
    EXPECT_EQ(CommandLineText(*result.failure),
              "Allegro nie potwierdziło zmiany oferty 555 w ciągu 10 minut. Stan: zmiana opisu "
              "została wysłana do Allegro; sprawdź ofertę na stronie Allegro.");
}

TEST(UpdateFlowTest, ABusyOfferIsWaitedOutAndReadBeforeItIsSentAgainWithinABound) {
    const auto busy = Answer(409, "{}", {{"Retry-After", "3"}});
    const UpdateResult later = Drive(TextOrder(), {{kRead, Answer(200, Offer(kOld))},
                                                   {kPatch, busy},
                                                   {"wait 3"},
                                                   {kRead, Answer(200, Offer(kOld))},
                                                   {kPatch, Answer(200, Offer(kNew))}});
    EXPECT_EQ(later.end, End::Updated);

    std::vector<Row> rows = {{kRead, Answer(200, Offer(kOld))}, {kPatch, busy}};
    for (int again = 0; again < 3; ++again) {
        rows.insert(rows.end(), {{"wait 3"}, {kRead, Answer(200, Offer(kOld))}, {kPatch, busy}});
    }
    const UpdateResult beyond = Drive(TextOrder(), rows);
    ASSERT_TRUE(beyond.failure);
    EXPECT_EQ(beyond.failure->status, 409);
    EXPECT_EQ(beyond.failure->retryAfter, 3);
    EXPECT_EQ(beyond.reached.update, UpdateSent::No);

    UpdateOrder impatient = TextOrder();
    impatient.waitOnConflict = false;
    EXPECT_EQ(
        Drive(impatient, {{kRead, Answer(200, Offer(kOld))}, {kPatch, busy}}).failure->retryAfter,
        3);
}

TEST(UpdateFlowTest, APatchWithoutAnAnswerIsReadFirstAndSentAgainOnlyOnceWhenNotApplied) {
    const Row read = {kRead, Answer(200, Offer(kOld))};
    const UpdateResult applied =
        Drive(TextOrder(), {read, {kPatch, kDropped}, {kRead, Answer(200, Offer(kNew))}});
    EXPECT_EQ(applied.end, End::Updated);
    EXPECT_EQ(applied.reached.update, UpdateSent::Confirmed);

    const UpdateResult resent =
        Drive(TextOrder(), {read, {kPatch, kDropped}, read, {kPatch, Answer(200, Offer(kNew))}});
    EXPECT_EQ(resent.end, End::Updated);

    // The offer cannot be read (after the GET's own retries): whether it arrived is unknown.
    const UpdateResult unknown = Drive(TextOrder(), {read,
                                                     {kPatch, kDropped},
                                                     {kRead, kRefused},
                                                     {"wait 1"},
                                                     {kRead, kRefused},
                                                     {"wait 2"},
                                                     {kRead, kRefused},
                                                     {"wait 4"},
                                                     {kRead, kRefused}});
    ASSERT_TRUE(unknown.failure);
    EXPECT_EQ(unknown.failure->kind, FailureKind::UnknownIfArrived);
    EXPECT_EQ(CommandLineText(*unknown.failure),
              "Zmiana oferty 555: Allegro nie odpowiedziało na zmianę (połączenie zerwane), a "
              "potem nie udało się odczytać oferty. Stan: nie wiadomo, czy zmiana dotarła do "
              "Allegro; sprawdź ofertę na stronie Allegro.");

    // A 5xx is no answer either: read, once more, read, and then it is the server's failure.
    const UpdateResult failing =
        Drive(TextOrder(), {read, {kPatch, Answer(503)}, read, {kPatch, Answer(503)}, read});
    ASSERT_TRUE(failing.failure);
    EXPECT_EQ(failing.failure->kind, FailureKind::ServerError);
    EXPECT_EQ(failing.reached.update, UpdateSent::No);

    // Refused before it went out at all: nothing to read.
    EXPECT_EQ(Drive(TextOrder(), {read, {kPatch, kRefused}}).failure->kind, FailureKind::NoAnswer);
}

TEST(UpdateFlowTest, CancelStopsBeforeTheNextRequestAndSaysWhatReachedAllegro) {
    const Row read = {kRead, Answer(200, Offer(kOld))};
    const UpdateResult early = Drive(TextOrder(), {{kRead, Answer(200, Offer(kOld)), true}});
    ASSERT_TRUE(early.failure);
    EXPECT_EQ(early.failure->kind, FailureKind::Cancelled);
    EXPECT_EQ(CommandLineText(*early.failure), "Przerwano: nic nie zostało wysłane do Allegro.");

    // The body went out and the driver cut the wait for its answer: no read, unknown.
    const UpdateResult cut = Drive(TextOrder(), {read, {kPatch, kDropped, true}});
    EXPECT_EQ(cut.failure->kind, FailureKind::Cancelled);
    EXPECT_EQ(cut.reached.update, UpdateSent::Unknown);

    // A PATCH let finish is what it is.
    EXPECT_EQ(Drive(TextOrder(), {read, {kPatch, Answer(200, Offer(kNew)), true}}).end,
              End::Updated);
    const UpdateResult waiting =
        Drive(TextOrder(),
              {read, {kPatch, Answer(202, {}, {{"Location", "/op"}})}, {"wait 5", {}, true}});
    EXPECT_EQ(waiting.failure->kind, FailureKind::Cancelled);
    EXPECT_EQ(waiting.reached.update, UpdateSent::Sent);
}

TEST(RetryRulesTest, ARefusedTokenIsRefreshedOnceAndATooLongWaitIsCapped) {
    const auto expired = Answer(401, R"({"error":"invalid_token"})");
    const Row read = {kRead, Answer(200, Offer(kOld))};
    EXPECT_EQ(Drive(TextOrder(),
                    {read, {kPatch, expired}, {"refresh"}, {kPatch, Answer(200, Offer(kNew))}})
                  .end,
              End::Updated);
    const UpdateResult ended =
        Drive(TextOrder(), {{kRead, expired}, {"refresh"}, {kRead, expired}});
    EXPECT_EQ(ended.failure->kind, FailureKind::SessionEnded);
    Failure gone;
    gone.kind = FailureKind::NotSignedIn;
    EXPECT_EQ(Drive(TextOrder(), {{kRead, expired}, {"refresh", gone}}).failure->kind,
              FailureKind::NotSignedIn);

    // Eleven days asked, five minutes waited, by the whole session; the pause does not add up.
    const auto limited = Answer(429, {}, {{"Retry-After", "999999"}});
    UpdateFlow flow(TextOrder());
    ASSERT_EQ(StepText(*flow.Next(1000)), kRead);
    flow.OnAnswer(limited, 1000);
    const Wait wait = std::get<Wait>(*flow.Next(1000));
    EXPECT_EQ(wait.until, 1300);
    EXPECT_EQ(wait.asked, 999999);
    EXPECT_TRUE(wait.sessionWide);
    SessionPause pause;
    pause.Take(wait);
    pause.Take(Wait{1200, 200, 200, WaitReason::TooManyRequests, true});
    EXPECT_EQ(pause.until(), 1300);
    EXPECT_EQ(WaitSentence(wait),
              "Allegro ogranicza liczbę zapytań (Allegro prosiło o 999999 s, to za długo); "
              "wstrzymane są wszystkie zapytania");
}

TEST(RetryRulesTest, AGetIsRetriedWithGrowingPausesAndARequestWithABodyNever) {
    const UpdateResult read = Drive(TextOrder(), {{kRead, Answer(500)},
                                                  {"wait 1"},
                                                  {kRead, Answer(502)},
                                                  {"wait 2"},
                                                  {kRead, Answer(503)},
                                                  {"wait 4"},
                                                  {kRead, Answer(503)}});
    EXPECT_EQ(read.failure->kind, FailureKind::ServerError);
    EXPECT_EQ(read.failure->status, 503);

    UpdateOrder order = TextOrder();
    order.pictures = {{"a.jpg", "file a", "", "", "image/jpeg", "\xFF\xD8\xFF"}};
    order.description.sections[0].items.push_back({structured::ItemType::Image, "a.jpg"});
    const UpdateResult upload =
        Drive(order, {{kRead, Answer(200, Offer(kOld))}, {"POST /sale/images", Answer(500)}});
    EXPECT_EQ(upload.failure->kind, FailureKind::ServerError);
    EXPECT_EQ(upload.failure->picture, "a.jpg");
}

TEST(FailureTextTest, AllegrosErrorsAreDataAndEachFrontEndWordsThem) {
    const std::string body =
        R"({"errors":[{"code":"VALIDATION_ERROR","message":"Forbidden tag","userMessage":)"
        R"("Niedozwolony znacznik","path":"description.sections[2].items[0].content",)"
        R"("details":null,"metadata":{"tag":"script","n":2,"x":[1]}},)"
        R"({"code":"E2","message":"Image too small","userMessage":null,"path":5},)"
        R"(7,{"code":null}]})";
    Failure failure = DescribeAnswer(Purpose::Update, "555", 422, body, "tr-1");
    ASSERT_EQ(failure.errors.size(), 3U);
    EXPECT_EQ(failure.errors[0].code, "VALIDATION_ERROR");
    EXPECT_EQ(failure.errors[0].userMessage, "Niedozwolony znacznik");
    EXPECT_EQ(failure.errors[0].metadata,
              (std::vector<std::pair<std::string, std::string>>{{"n", "2"}, {"tag", "script"}}));
    EXPECT_EQ(failure.errors[1].path, "");
    failure.reached.picturesUploaded = 2;
    EXPECT_EQ(CommandLineText(failure),
              "Zmiana oferty 555: Allegro nie przyjęło danych. Allegro: sekcja 3, element 1: "
              "Niedozwolony znacznik; Allegro (po angielsku): Image too small Stan: wysłano 2 "
              "zdjęcia do Allegro, ale opis oferty nie został zmieniony. (Trace-Id: tr-1)");
    EXPECT_EQ(WindowText(failure),
              "Zmiana oferty 555: Allegro nie przyjęło danych.\nAllegro:\n• sekcja 3, element 1: "
              "Niedozwolony znacznik\nAllegro (po angielsku):\n• Image too small\nStan: wysłano 2 "
              "zdjęcia do Allegro, ale opis oferty nie został zmieniony. (Trace-Id: tr-1)");

    Failure signedOut;
    signedOut.kind = FailureKind::NotSignedIn;
    EXPECT_EQ(CommandLineText(signedOut),
              "Nie jesteś zalogowany do Allegro. Zaloguj się: licytek-cli allegro login");
    EXPECT_EQ(WindowText(signedOut),
              "Nie jesteś zalogowany do Allegro. Zaloguj się w oknie „Wyślij do Allegro…”");

    // Nested past any answer of Allegro's: no errors, and no crash.
    const std::string deep =
        R"({"errors":)" + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_TRUE(ParseAllegroErrors(deep).empty());
    EXPECT_TRUE(ParseAllegroErrors("not json").empty());
}

}  // namespace
}  // namespace licytek::publish
