// The protocol without the network: recorded answers in, the next step out.
#include <gtest/gtest.h>

#include "publish/Endpoints.h"
#include "publish/Protocol.h"
#include "publish/PullOffers.h"
#include "structured/AllegroExport.h"
#include "structured/JsonDepth.h"

namespace licytek::publish {
namespace {

constexpr const char* kPending = R"({"error":"authorization_pending"})";

DeviceCode Code() {
    return std::get<DeviceCode>(ParseDeviceCode(
        R"({"device_code":"dev-1","user_code":"cbt3zdu4g","expires_in":60,"interval":5,)"
        R"("verification_uri":"https://allegro.pl/skojarz-aplikacje",)"
        R"("verification_uri_complete":"https://allegro.pl/skojarz-aplikacje?code=cbt3zdu4g"})"));
}

Seconds PollTime(const DeviceFlow::Action& action) {
    return std::get<DeviceFlow::PollAt>(action).when;
}

TEST(DeviceFlowTest, PollsEveryIntervalSlowsDownByFiveAndEndsWithTokens) {
    DeviceFlow flow(Code(), 1000);
    EXPECT_EQ(PollTime(flow.First()), 1005);
    EXPECT_EQ(PollTime(flow.OnAnswer(400, kPending, 1005)), 1010);
    EXPECT_EQ(PollTime(flow.OnAnswer(400, R"({"error":"slow_down"})", 1010)), 1020);
    EXPECT_EQ(PollTime(flow.OnAnswer(400, kPending, 1020)), 1030);
    const auto done = flow.OnAnswer(
        200, R"({"access_token":"A","refresh_token":"R","expires_in":43199,"token_type":"bearer"})",
        1030);
    const Tokens& tokens = std::get<DeviceFlow::SignedIn>(done).tokens;
    EXPECT_EQ(tokens.access, "A");
    EXPECT_EQ(tokens.refresh, "R");
    EXPECT_EQ(tokens.expiresAt, 1030 + 43199);
    EXPECT_EQ(GroupUserCode("cbt3zdu4g"), "cbt 3zd u4g");
}

TEST(DeviceFlowTest, StopsOnRefusalOnAUsedCodeAndWhenTheCodeRunsOut) {
    DeviceFlow denied(Code(), 1000);
    EXPECT_EQ(
        std::get<DeviceFlow::Stop>(denied.OnAnswer(400, R"({"error":"access_denied"})", 1005)),
        DeviceFlow::Stop::Denied);
    DeviceFlow used(Code(), 1000);
    EXPECT_EQ(
        std::get<DeviceFlow::Stop>(used.OnAnswer(400, R"({"error":"invalid_request"})", 1005)),
        DeviceFlow::Stop::Expired);
    DeviceFlow late(Code(), 1000);
    EXPECT_EQ(std::get<DeviceFlow::Stop>(late.OnAnswer(400, kPending, 1057)),
              DeviceFlow::Stop::Expired);
    DeviceFlow broken(Code(), 1000);
    EXPECT_EQ(std::get<DeviceFlow::Stop>(broken.OnAnswer(200, "{}", 1005)),
              DeviceFlow::Stop::Failed);
    EXPECT_FALSE(std::holds_alternative<DeviceCode>(ParseDeviceCode(R"({"user_code":"x"})")));
}

TEST(RefreshTest, RefreshesFiveMinutesBeforeTheEnd) {
    const Tokens tokens{"A", "R", 10'000};
    EXPECT_FALSE(NeedsRefresh(tokens, 10'000 - 301));
    EXPECT_TRUE(NeedsRefresh(tokens, 10'000 - 300));
    EXPECT_TRUE(NeedsRefresh(tokens, 20'000));
}

TEST(UpdateBodyTest, KeepsTheGalleryAddsNewPicturesOnceAndRefusesOverSixteen) {
    structured::Description description;
    description.sections.push_back({{{structured::ItemType::Image, "https://a.allegroimg.com/n1"},
                                     {structured::ItemType::Text, "<p>Opis</p>"}}});
    UpdateRequest request{description,
                          {"https://a.allegroimg.com/old", "https://a.allegroimg.com/n1"},
                          {"https://a.allegroimg.com/n1", "https://a.allegroimg.com/n2",
                           "https://a.allegroimg.com/n2"},
                          std::string("Rower \"Kross\"")};
    const auto body = std::get<UpdateBody>(BuildUpdateBody(request));
    EXPECT_EQ(body.json,
              R"({"description":{"sections":[{"items":[{"type":"IMAGE","url":)"
              R"("https://a.allegroimg.com/n1"},{"type":"TEXT","content":"<p>Opis</p>"}]}]},)"
              R"("images":["https://a.allegroimg.com/old","https://a.allegroimg.com/n1",)"
              R"("https://a.allegroimg.com/n2"],"name":"Rower \"Kross\""})");

    request.name.reset();
    request.newImages.clear();
    for (int i = 0; i < 15; ++i) {
        request.newImages.push_back("https://a.allegroimg.com/p" + std::to_string(i));
    }
    const auto refused = BuildUpdateBody(request);  // 2 + 15 = 17
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_NE(std::get<std::string>(refused).find("17 zdjęć"), std::string::npos);
    request.newImages.pop_back();
    EXPECT_TRUE(std::holds_alternative<UpdateBody>(BuildUpdateBody(request)));
}

TEST(FailureTest, NamesTheOfferThePlaceAllegrosMessageAndTheTraceId) {
    const Failure invalid = DescribeAnswer(
        Purpose::Update, "1234", 422,
        R"({"errors":[{"code":"X","message":"m","path":"description.sections[2].items[0].content",)"
        R"("userMessage":"Niedozwolony znacznik"}]})",
        "abc-1");
    EXPECT_EQ(invalid.outcome, Outcome::Refused);
    EXPECT_EQ(FullMessage(invalid),
              "Zmiana oferty 1234: Allegro nie przyjęło danych. Allegro: sekcja 3, element 1: "
              "Niedozwolony znacznik (Trace-Id: abc-1)");
    const Failure forbidden = DescribeAnswer(Purpose::Update, "1234", 403, "", "t");
    EXPECT_NE(forbidden.message.find("konta firmowe"), std::string::npos);
    EXPECT_NE(DescribeAnswer(Purpose::ReadOffer, "77", 404, "", "").message.find("Oferta 77"),
              std::string::npos);
    EXPECT_EQ(DescribeAnswer(Purpose::Offers, "", 401, "", "").outcome, Outcome::SignedOut);
    EXPECT_EQ(DescribeAnswer(Purpose::Offers, "", 503, "", "").outcome, Outcome::Network);
    EXPECT_EQ(DescribeNoAnswer(Purpose::Offers, "timeout").outcome, Outcome::Network);
    EXPECT_EQ(RetryAfter("7", 60), 7);
    EXPECT_EQ(RetryAfter("Wed, 21 Oct 2015 07:28:00 GMT", 60), 60);
}

TEST(EndpointsTest, OneBaseReplacesAllHostsAndPlainHttpOnlyOnLoopback) {
    const auto with = [](std::string url) {
        return [url](const char* name) -> std::optional<std::string> {
            if (std::string(name) == "LICYTEK_ALLEGRO_URL") {
                return url;
            }
            return std::nullopt;
        };
    };
    const auto sandbox = std::get<Endpoints>(ChooseEndpoints(true, with("")));
    EXPECT_EQ(sandbox.api, "https://api.allegro.pl.allegrosandbox.pl");
    EXPECT_EQ(sandbox.OfferPage("5"), "https://allegro.pl.allegrosandbox.pl/oferta/5");
    const auto local = std::get<Endpoints>(ChooseEndpoints(false, with("http://[::1]:8080/")));
    EXPECT_EQ(local.auth, "http://[::1]:8080");
    EXPECT_EQ(local.upload, "http://[::1]:8080");
    EXPECT_TRUE(std::holds_alternative<std::string>(
        ChooseEndpoints(false, with("http://allegro.example:8080"))));
    EXPECT_TRUE(
        std::holds_alternative<std::string>(ChooseEndpoints(false, with("ftp://127.0.0.1"))));
}

std::string OfferWithPicture(const std::string& url) {
    return R"({"id":"5","description":{"sections":[{"items":[{"type":"IMAGE","url":")" + url +
           R"("}]}]}})";
}

TEST(HostileAnswerTest, FieldsOfAnotherTypeAreAbsentPicturesOffTheWebAndDeepNestingRefused) {
    // null or a number where a string belongs: absent, never the library's exception.
    const auto offer = std::get<OfferState>(
        ParseOffer(R"({"id":5,"name":null,"images":[{"url":null},7,"https://a.allegroimg.com/1"],)"
                   R"("validation":{"errors":[null,{"userMessage":3}]}})"));
    EXPECT_EQ(offer.name, "");
    EXPECT_EQ(offer.images, std::vector<std::string>{"https://a.allegroimg.com/1"});
    for (const std::string url : {"file:///root/secret.jpg", "/root/secret.jpg", "../../etc/shadow",
                                  "http://a.allegroimg.com/x.jpg"}) {
        const auto refused = ParseOffer(OfferWithPicture(url));
        ASSERT_TRUE(std::holds_alternative<std::string>(refused)) << url;
        EXPECT_NE(std::get<std::string>(refused).find("„" + url + "”"), std::string::npos);
    }
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseOffer(R"({"images":["/etc/passwd"]})")));
    EXPECT_FALSE(ParseUploadedPicture(R"({"location":"file:///root/a.jpg"})"));

    // 100,000 nested arrays (200 KB) are refused before anything reads them recursively.
    const std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    EXPECT_TRUE(std::holds_alternative<std::string>(
        ParseOffer(R"({"id":"5","description":{"sections":)" + deep + "}}")));
    EXPECT_TRUE(std::holds_alternative<structured::Finding>(
        structured::DescriptionFromJson(R"({"sections":)" + deep + "}")));
    // Brackets in strings do not count, past an escaped quote or backslash either.
    EXPECT_TRUE(structured::JsonDepthWithin(R"(["\"[[["])", 1));
    EXPECT_FALSE(structured::JsonDepthWithin(R"(["\\",[[]]])", 2));

    // A bad entry of the list is told by its place; the others go on.
    const auto page = std::get<OfferPage>(ParseOfferPage(
        R"({"offers":[{"id":5},{"id":"7","primaryImage":{"url":"file:///a.jpg"}}],"totalCount":-4})",
        200));
    EXPECT_EQ(page.offers.at(0).primaryImage, "");
    EXPECT_EQ(page.totalCount, 2u);  // a negative total counts the page
    EXPECT_EQ(page.problems, std::vector<std::string>{"Pozycja 201 listy ofert: Allegro nie podało "
                                                      "numeru oferty; pominięto ją."});
}

TEST(HostileAnswerTest, SignInNumbersAsStringsAndEveryWaitBounded) {
    EXPECT_EQ(ParseTokens(R"({"access_token":"A","refresh_token":"R","expires_in":"3600"})", 1000)
                  ->expiresAt,
              4600);
    // No verification_uri_complete: the page where the seller types the code.
    const auto code = std::get<DeviceCode>(
        ParseDeviceCode(R"({"device_code":"d","user_code":"abc","expires_in":"60",)"
                        R"("interval":"900","verification_uri":"https://allegro.pl/skojarz"})"));
    EXPECT_EQ(code.verificationAddress, "https://allegro.pl/skojarz");
    // An interval longer than the code's life polls when the code ends, not after.
    EXPECT_EQ(PollTime(DeviceFlow(code, 1000).First()), 1060);
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseDeviceCode(
        R"({"device_code":"d","user_code":"abc","verification_uri":"javascript:alert"})")));
    EXPECT_EQ(RetryAfter("999999", 60), kLongestWait);
    EXPECT_EQ(RetryAfter("99999999999999999999999", 60), kLongestWait);
}

TEST(HostileAnswerTest, ListWithNewOffersOnEveryPageIsCutAfterAThousandPages) {
    OfferPages endless(OfferQuery{});
    std::size_t pages = 0;
    for (; endless.Next() && pages < 5000; ++pages) {
        endless.Take(OfferPage{{{std::to_string(pages), "", "", ""}}, std::size_t{1} << 60, 1, {}});
    }
    EXPECT_EQ(pages, 1000u);
    EXPECT_TRUE(endless.Cut());
}

}  // namespace
}  // namespace licytek::publish

namespace licytek::structured {
namespace {

TEST(LocalPicturesTest, PicturesFromTheDiskPassWithANoteOnlyWhenTheCallerUploadsThem) {
    for (const char* local : {"/home/ja/rower.jpg", "file:///home/ja/rower.jpg",
                              "zdjecia/rower 1.jpg", "FILE:///x.png"}) {
        EXPECT_TRUE(IsLocalPictureSource(local)) << local;
    }
    for (const char* web :
         {"https://x/a.jpg", "http://x/a.jpg", "//x/a.jpg", "data:image/png,1", "", "a\nb.jpg"}) {
        EXPECT_FALSE(IsLocalPictureSource(web)) << web;
    }
    AuctionForm form;
    form.auctionHeader = "Rower";
    form.itemDescription = "Opis<img src=\"zdjecia/rower.jpg\">";
    EXPECT_TRUE(ExportAllegro(form).HasErrors());
    const AllegroOffer offer =
        ExportAllegro(form, {.withTerms = false, .acceptLocalPictures = true});
    EXPECT_FALSE(offer.HasErrors());
    EXPECT_EQ(offer.images, std::vector<std::string>{"zdjecia/rower.jpg"});
    ASSERT_FALSE(offer.findings.empty());
    EXPECT_NE(offer.findings.back().message.find("zostanie wysłane do Allegro"), std::string::npos);
}

}  // namespace
}  // namespace licytek::structured
