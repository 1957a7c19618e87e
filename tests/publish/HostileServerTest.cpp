// An Allegro that answers as no honest server would: pictures on the seller's own disk, endless
// nesting, lists and operations that never end, waits of eleven days, stalls, and control
// characters in its texts. The session and the tool must hold.
#include <chrono>
#include <fstream>
#include <thread>

#include "SessionFixture.h"
#include "ToolFixture.h"

namespace licytek::testing {
namespace {

using publish::Outcome;
using Steady = std::chrono::steady_clock;

constexpr const char* kOfferPath = "/sale/product-offers/555";
const std::string kOffer = OfferJson(
    "555", "Stary", {}, R"({"sections":[{"items":[{"type":"TEXT","content":"<p>a</p>"}]}]})");

FakeAnswer Answer(int status, std::string body = "{}",
                  std::vector<std::pair<std::string, std::string>> headers = {}) {
    return FakeAnswer{status, std::move(body), std::move(headers), false};
}

FakeAnswer Stalled() {
    FakeAnswer answer = Answer(200);
    answer.delayMilliseconds = 20'000;
    return answer;
}

AuctionForm Form(const std::string& memo) {
    AuctionForm form;
    form.auctionHeader = "Rower";
    form.itemDescription = memo;
    return form;
}

double SecondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

class HostileSessionTest : public SessionTest {
  protected:
    HostileSessionTest() { SignedIn(); }

    // Runs `send` while a seller presses Ctrl+C once the fake has the request `method path`;
    // answers how long `send` went on after that.
    double CancelledAt(const std::string& method, const std::string& path,
                       const std::function<void()>& send) {
        cancel = false;
        Steady::time_point pressed;
        std::jthread seller([&] {
            const auto giveUp = Steady::now() + std::chrono::seconds(10);
            while (fake.Requests(method, path).empty() && Steady::now() < giveUp) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            pressed = Steady::now();
            cancel = true;
        });
        send();
        seller.join();
        return SecondsSince(pressed);
    }

    publish::PublishOptions options;
    std::atomic<bool> cancel{false};
};

TEST_F(HostileSessionTest, AcceptedChangeNeverAppliedIsGivenUpAfterTenMinutes) {
    fake.Script("GET", kOfferPath, Answer(200, kOffer));
    fake.Script("PATCH", kOfferPath, Answer(202, "", {{"Location", "/op/1"}}));
    fake.Script("GET", "/op/1", Answer(202, "", {{"Retry-After", "999999"}}));
    const auto pending = Session().Publish("555", Form("Opis"), options);
    EXPECT_EQ(pending.outcome, Outcome::Network);
    EXPECT_EQ(clock.waits, (std::vector<publish::Seconds>{5, 300, 295}));
    EXPECT_NE(pending.message.find("nie potwierdziło zmiany oferty 555 w ciągu 10 minut. Stan: "
                                   "zmiana opisu została wysłana"),
              std::string::npos)
        << pending.message;

    // An operation that ends in a refusal left the offer as it was.
    fake.Script("GET", "/op/1", Answer(422, R"({"errors":[{"userMessage":"Zły opis"}]})"));
    const auto refused = Session().Publish("555", Form("Opis"), options);
    EXPECT_FALSE(refused.sentUpdate);
    EXPECT_EQ(refused.message, "Zmiana oferty 555: Allegro nie przyjęło danych. Allegro: Zły opis");
}

TEST_F(HostileSessionTest, CancelCutsAStalledReadOrUploadWithinASecondButNotASentChange) {
    fake.Script("GET", kOfferPath, Stalled());
    EXPECT_LT(CancelledAt("GET", kOfferPath,
                          [&] {
                              const auto read = Session().GetOffer("555", nullptr, &cancel);
                              EXPECT_TRUE(std::get<publish::Failure>(read).cancelled);
                          }),
              1.5);
    fake.Script("GET", kOfferPath, Answer(200, kOffer));
    fake.Script("POST", "/sale/images", Stalled());
    EXPECT_LT(CancelledAt("POST", "/sale/images",
                          [&] {
                              const auto upload = Session().Publish(
                                  "555", Form("Opis<img src=\"https://sklep.pl/b.png\">"), options,
                                  {}, &cancel);
                              EXPECT_EQ(upload.message,
                                        "Przerwano: nic nie zostało wysłane do Allegro.");
                          }),
              1.5);

    // A change whose body went out is not cut by the cancel: the timeout cuts it, and then
    // nobody knows whether Allegro applied it.
    fake.Script("PATCH", kOfferPath, Stalled());
    auto& session = SessionWithTimeout(1);
    CancelledAt("PATCH", kOfferPath, [&] {
        EXPECT_EQ(session.Publish("555", Form("Opis"), options, {}, &cancel).message,
                  "Przerwano: nie wiadomo, czy zmiana dotarła do Allegro; sprawdź ofertę na "
                  "stronie Allegro.");
    });
    EXPECT_EQ(fake.Requests("PATCH", kOfferPath).size(), 1u);
}

TEST_F(HostileSessionTest, MinorAnswersGetTheirOwnWords) {
    // A 403 on the list with an old token: one refresh, then the list.
    fake.Script("GET", "/sale/offers", Answer(403));
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[]})"));
    fake.Script("POST", "/auth/oauth/token",
                Answer(200, R"({"access_token":"access-2","refresh_token":"r","expires_in":9})"));
    ASSERT_TRUE(std::holds_alternative<publish::OfferPage>(Session().ListOffers({})));
    EXPECT_EQ(fake.Requests().back().Header("Authorization"), "Bearer access-2");

    // A token answer of success without the tokens.
    fake.Script("POST", "/auth/oauth/device",
                Answer(200, R"({"device_code":"d","user_code":"abc","expires_in":60,)"
                            R"("verification_uri":"https://allegro.pl/skojarz"})"));
    fake.Script("POST", "/auth/oauth/token", Answer(200, R"({"token_type":"bearer"})"));
    const auto signIn = Session().SignIn(nullptr);
    EXPECT_EQ(std::get<publish::Failure>(signIn).message, publish::kNoTokensMessage);

    // A picture of 2 GB is too large, not "no picture".
    std::ofstream(folder / "huge.jpg", std::ios::binary) << "\xFF\xD8\xFF\xE0";
    std::filesystem::resize_file(folder / "huge.jpg", std::uintmax_t{2} << 30);
    options.projectFolder = folder.string();
    const auto tooLarge = Session().Publish("555", Form("<img src=\"huge.jpg\">"), options);
    EXPECT_NE(tooLarge.message.find("ma ponad 32 MiB"), std::string::npos) << tooLarge.message;
}

// ---- The tool ----------------------------------------------------------------------------

class HostileToolTest : public AllegroToolTest {
  protected:
    HostileToolTest() { SignIn(); }
};

TEST_F(HostileToolTest, ServerTextReachesTheTerminalEscapedAndAListThatRepeatsEnds) {
    // The same page for ever, with a total that never comes.
    fake.Script("GET", "/sale/offers",
                Answer(200,
                       "{\"offers\":[{\"id\":\"1\",\"name\":\"\\u001b]0;x\\u0007Rower "
                       "\\u202egpj.exe\",\"publication\":{\"status\":\"\\u001b[2J\"}},"
                       "{\"id\":null}],\"totalCount\":99999999999}"));
    const ToolRun lines = RunTool({"allegro", "offers"});
    EXPECT_EQ(lines.status, 1);  // the entry without a number
    EXPECT_EQ(lines.out, "1\t\\x1B[2J\t\\x1B]0;x\\x07Rower U+202Egpj.exe\n");
    EXPECT_NE(lines.err.find("Pozycja 2 listy ofert"), std::string::npos) << lines.err;
    EXPECT_EQ(fake.Requests("GET", "/sale/offers").size(), 2u);
    const ToolRun json = RunTool({"allegro", "offers", "--json"});
    EXPECT_NE(json.out.find(R"(\u001b]0;x\u0007Rower \u202Egpj.exe)"), std::string::npos);
    // Allegro's own message, in an error, too.
    fake.Script("GET", kOfferPath,
                Answer(403, "{\"errors\":[{\"userMessage\":\"\\u001b[31mPodaj has\\u0142o\"}]}"));
    const ToolRun refused = RunTool({"allegro", "pull", "555"});
    EXPECT_NE(refused.err.find("\\x1B[31mPodaj hasło"), std::string::npos) << refused.err;
    for (const ToolRun* run : {&lines, &json, &refused}) {
        for (const std::string_view raw : {"\x1B", "\a", "\u202E"}) {
            EXPECT_EQ((run->out + run->err).find(raw), std::string::npos);
        }
    }
}

TEST_F(HostileToolTest, PullAllRefusesAnOfferWithAPictureOffTheWebAndGoesOn) {
    fake.Script("GET", "/sale/offers",
                Answer(200, R"({"offers":[{"id":"555"},{"id":"556"}],"totalCount":-1})"));
    fake.Script("GET", kOfferPath,
                Answer(200, OfferJson("555", "Sekret", {},
                                      R"({"sections":[{"items":[{"type":"IMAGE",)"
                                      R"("url":"file:///root/secret.jpg"}]}]})")));
    fake.Script("GET", "/sale/product-offers/556", Answer(200, kOffer));
    ToolRunOptions inFolder;
    inFolder.workingDirectory = folder.Path();
    const ToolRun sheet = RunTool({"allegro", "pull", "--all", "--out", "o.csv"}, inFolder);
    EXPECT_EQ(sheet.out, "1 oferta zapisana w pliku o.csv, 1 z błędami\n");
    EXPECT_NE(sheet.err.find("Oferta 555: Allegro podało w opisie oferty zdjęcie o adresie "
                             "„file:///root/secret.jpg”"),
              std::string::npos)
        << sheet.err;
}

TEST_F(HostileToolTest, OffersShowsALongWaitCappedAndCtrlCEndsIt) {
    fake.Script("GET", "/sale/offers", Answer(429, "{}", {{"Retry-After", "999999"}}));
    Steady::time_point pressed;
    ToolRunOptions options;
    options.interruptWhen = [&](const ToolRun& sofar) {
        pressed = Steady::now();
        return sofar.err.find("czekam 300 s: Allegro ogranicza") != std::string::npos;
    };
    const ToolRun waiting = RunTool({"allegro", "offers"}, options);
    EXPECT_EQ(waiting.status, 130) << waiting.err;
    EXPECT_LT(SecondsSince(pressed), 1.5);
}

}  // namespace
}  // namespace licytek::testing
