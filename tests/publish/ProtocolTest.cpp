// The protocol without the network: recorded answers in, the next step out.
#include <gtest/gtest.h>

#include "publish/Endpoints.h"
#include "publish/Protocol.h"
#include "structured/AllegroExport.h"

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
