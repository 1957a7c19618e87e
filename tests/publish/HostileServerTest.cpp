// An Allegro that answers as no honest server would: pictures on the seller's own disk, endless
// nesting, lists and operations that never end, waits of eleven days, stalls, and control
// characters in its texts. The session and the tool must hold.
#include <chrono>
#include <fstream>
#include <thread>

#include "SessionFixture.h"
#include "ToolFixture.h"
#include "publish/PullOffers.h"

namespace licytek::testing {
namespace {

using publish::Outcome;
using Steady = std::chrono::steady_clock;

constexpr const char* kOfferPath = "/sale/product-offers/555";
constexpr const char* kDescription =
    R"({"sections":[{"items":[{"type":"TEXT","content":"<p>stary</p>"}]}]})";

FakeAnswer Answer(int status, std::string body = "{}",
                  std::vector<std::pair<std::string, std::string>> headers = {}) {
    return FakeAnswer{status, std::move(body), std::move(headers), false};
}

FakeAnswer Stalled(int milliseconds) {
    FakeAnswer answer = Answer(200);
    answer.stallMilliseconds = milliseconds;
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

// Sets `flag` once `ready` holds, as a seller pressing Ctrl+C at that moment.
std::jthread CancelWhen(std::atomic<bool>& flag, std::function<bool()> ready) {
    return std::jthread([&flag, ready = std::move(ready)](std::stop_token stop) {
        while (!stop.stop_requested() && !ready()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        flag = true;
    });
}

class HostileSessionTest : public SessionTest {
  protected:
    HostileSessionTest() { SignedIn(); }
    publish::PublishOptions options;
};

TEST_F(HostileSessionTest, AcceptedChangeNeverAppliedIsGivenUpAfterTenMinutes) {
    fake.Script("GET", kOfferPath, Answer(200, OfferJson("555", "Stary", {}, kDescription)));
    fake.Script("PATCH", kOfferPath, Answer(202, "", {{"Location", "/op/1"}}));
    fake.Script("GET", "/op/1", Answer(202, "", {{"Retry-After", "999999"}}));
    const auto pending = Session().Publish("555", Form("Opis"), options, {}, nullptr);
    EXPECT_EQ(pending.outcome, Outcome::Network);
    EXPECT_EQ(clock.waits, (std::vector<publish::Seconds>{5, 300, 295}));
    EXPECT_NE(pending.message.find("nie potwierdziło zmiany oferty 555 w ciągu 10 minut"),
              std::string::npos)
        << pending.message;
    EXPECT_NE(pending.message.find("zmiana opisu została wysłana"), std::string::npos);

    // An operation that ends in a refusal left the offer as it was.
    fake.Script("GET", "/op/1", Answer(422, R"({"errors":[{"userMessage":"Zły opis"}]})"));
    const auto refused = Session().Publish("555", Form("Opis"), options, {}, nullptr);
    EXPECT_EQ(refused.outcome, Outcome::Refused);
    EXPECT_FALSE(refused.sentUpdate);
    EXPECT_NE(refused.message.find("Zły opis"), std::string::npos) << refused.message;
    EXPECT_EQ(refused.message.find("została wysłana"), std::string::npos) << refused.message;
}

TEST_F(HostileSessionTest, LongRetryAfterIsCappedShownAndEndedByACancel) {
    fake.Script("GET", kOfferPath, Answer(429, "{}", {{"Retry-After", "999999"}}));
    fake.Script("GET", kOfferPath, Answer(200, OfferJson("555", "Stary", {}, kDescription)));
    std::vector<publish::Seconds> shown;
    publish::PublishObserver observer;
    observer.waiting = [&](publish::Seconds seconds, const std::string&) {
        shown.push_back(seconds);
    };
    options.dryRun = true;
    const auto waited = Session().Publish("555", Form("Opis"), options, observer, nullptr);
    ASSERT_EQ(waited.outcome, Outcome::Done) << waited.message;
    EXPECT_EQ(clock.waits, std::vector<publish::Seconds>{300});
    EXPECT_EQ(shown, std::vector<publish::Seconds>{300});

    fake.Script("GET", kOfferPath, Answer(429, "{}", {{"Retry-After", "999999"}}));
    std::atomic<bool> cancel{false};
    observer.waiting = [&](publish::Seconds, const std::string&) { cancel = true; };
    const auto stopped = Session().Publish("555", Form("Opis"), options, observer, &cancel);
    EXPECT_EQ(stopped.message, "Przerwano: nic nie zostało wysłane do Allegro.");
    EXPECT_EQ(fake.Requests("GET", kOfferPath).size(), 3u);  // nothing after the wait
}

TEST_F(HostileSessionTest, CancelCutsAStalledReadOrUploadWithinASecondButNotASentChange) {
    fake.Script("GET", kOfferPath, Stalled(20'000));
    std::atomic<bool> cancel{false};
    Steady::time_point cancelledAt;
    {
        auto pressed = CancelWhen(cancel, [&] { return !fake.Requests().empty(); });
        const auto read = Session().GetOffer("555", nullptr, &cancel);
        cancelledAt = Steady::now();
        ASSERT_TRUE(std::holds_alternative<publish::Failure>(read));
        EXPECT_TRUE(std::get<publish::Failure>(read).cancelled);
    }
    EXPECT_LT(SecondsSince(cancelledAt), 1.5);

    fake.Script("GET", kOfferPath, Answer(200, OfferJson("555", "Stary", {}, kDescription)));
    fake.Script("POST", "/sale/images", Stalled(20'000));
    cancel = false;
    const auto started = Steady::now();
    {
        auto pressed =
            CancelWhen(cancel, [&] { return !fake.Requests("POST", "/sale/images").empty(); });
        const auto upload = Session().Publish(
            "555", Form("Opis<img src=\"https://sklep.pl/b.png\">"), options, {}, &cancel);
        EXPECT_EQ(upload.message, "Przerwano: nic nie zostało wysłane do Allegro.");
    }
    EXPECT_LT(SecondsSince(started), 2.5);

    // A change whose body went out is not cut by the cancel: the timeout cuts it, and then
    // nobody knows whether Allegro applied it.
    fake.Script("PATCH", kOfferPath, Stalled(20'000));
    cancel = false;
    auto& session = SessionWithTimeout(1);
    {
        auto pressed =
            CancelWhen(cancel, [&] { return !fake.Requests("PATCH", kOfferPath).empty(); });
        const auto change = session.Publish("555", Form("Opis"), options, {}, &cancel);
        EXPECT_EQ(change.message,
                  "Przerwano: nie wiadomo, czy zmiana dotarła do Allegro; sprawdź ofertę na "
                  "stronie Allegro.");
        EXPECT_TRUE(change.sentUpdate);
    }
    EXPECT_EQ(fake.Requests("PATCH", kOfferPath).size(), 1u);
}

TEST_F(HostileSessionTest, MinorAnswersGetTheirOwnWords) {
    // A 403 on the list with an old token: one refresh, then the list.
    fake.Script("GET", "/sale/offers", Answer(403));
    fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[],"totalCount":0})"));
    fake.Script("POST", "/auth/oauth/token",
                Answer(200, R"({"access_token":"access-2","refresh_token":"refresh-2",)"
                            R"("expires_in":43199})"));
    ASSERT_TRUE(std::holds_alternative<publish::OfferPage>(Session().ListOffers({})));
    EXPECT_EQ(fake.Requests("GET", "/sale/offers").back().Header("Authorization"),
              "Bearer access-2");

    // A token answer of success without the tokens.
    fake.Script("POST", "/auth/oauth/device",
                Answer(200, R"({"device_code":"d","user_code":"abc","expires_in":60,)"
                            R"("verification_uri":"https://allegro.pl/skojarz"})"));
    fake.Script("POST", "/auth/oauth/token", Answer(200, R"({"token_type":"bearer"})"));
    const auto signIn = Session().SignIn(nullptr);
    ASSERT_TRUE(std::holds_alternative<publish::Failure>(signIn));
    EXPECT_EQ(std::get<publish::Failure>(signIn).message, publish::kNoTokensMessage);

    // A picture of 2 GB is too large, not "no picture".
    {
        std::ofstream huge(folder / "huge.jpg", std::ios::binary);
        huge << "\xFF\xD8\xFF\xE0";
    }
    std::filesystem::resize_file(folder / "huge.jpg", std::uintmax_t{2} << 30);
    options.projectFolder = folder.string();
    const auto tooLarge = Session().Publish("555", Form("Opis<img src=\"huge.jpg\">"), options);
    EXPECT_NE(tooLarge.message.find("ma ponad 32 MiB"), std::string::npos) << tooLarge.message;
    EXPECT_TRUE(fake.Requests("GET", kOfferPath).empty());
}

// ---- The tool ----------------------------------------------------------------------------

class HostileToolTest : public AllegroToolTest {
  protected:
    HostileToolTest() { SignIn(); }
};

TEST_F(HostileToolTest, ServerTextReachesTheTerminalEscapedAndListsThatRepeatEnd) {
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
    EXPECT_NE(json.out.find(R"(\u001b]0;x\u0007Rower \u202Egpj.exe)"), std::string::npos)
        << json.out;

    // Allegro's own message, in an error, is shown escaped too.
    fake.Script("GET", kOfferPath,
                Answer(403, "{\"errors\":[{\"userMessage\":\"\\u001b[31mPodaj has\\u0142o\"}]}"));
    const ToolRun refused = RunTool({"allegro", "pull", "555"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("\\x1B[31mPodaj hasło"), std::string::npos) << refused.err;
    for (const ToolRun* run : {&lines, &json, &refused}) {
        for (const std::string_view raw : {"\x1B", "\a", "\u202E"}) {
            EXPECT_EQ(run->out.find(raw), std::string::npos);
            EXPECT_EQ(run->err.find(raw), std::string::npos);
        }
    }
}

TEST_F(HostileToolTest, PullRefusesPicturesOffTheWebAndEndlessNestingNamingTheOffer) {
    const std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    fake.Script(
        "GET", kOfferPath,
        Answer(200, R"({"id":"555","name":"Rower","description":{"sections":)" + deep + "}}"));
    const ToolRun nested = RunTool({"allegro", "pull", "555"});
    EXPECT_EQ(nested.status, 1) << nested.err;  // not a crash
    EXPECT_NE(nested.err.find("Oferta 555"), std::string::npos) << nested.err;
    ToolRunOptions form;
    form.input = R"({"Edit2": "Rower", "Memo1": "Opis"})";
    const ToolRun dry = RunTool({"allegro", "publish", "555", "--dry-run", "-"}, form);
    EXPECT_EQ(dry.status, 1) << dry.err;

    fake.Script("GET", "/sale/offers",
                Answer(200, R"({"offers":[{"id":"555"},{"id":"556"}],"totalCount":-1})"));
    fake.Script("GET", kOfferPath,
                Answer(200, OfferJson("555", "Sekret", {},
                                      R"({"sections":[{"items":[{"type":"IMAGE",)"
                                      R"("url":"file:///root/secret.jpg"}]}]})")));
    fake.Script("GET", "/sale/product-offers/556",
                Answer(200, OfferJson("556", "Rower", {}, kDescription)));
    ToolRunOptions inFolder;
    inFolder.workingDirectory = folder.Path();
    const ToolRun sheet = RunTool({"allegro", "pull", "--all", "--out", "o.csv"}, inFolder);
    EXPECT_EQ(sheet.status, 1);
    EXPECT_EQ(sheet.out, "1 oferta zapisana w pliku o.csv, 1 z błędami\n");
    EXPECT_NE(sheet.err.find("Oferta 555: Allegro podało w opisie oferty zdjęcie o adresie "
                             "„file:///root/secret.jpg”"),
              std::string::npos)
        << sheet.err;
    std::ifstream written(folder.Path() / "o.csv");
    const std::string text((std::istreambuf_iterator<char>(written)), {});
    EXPECT_EQ(text.find("secret"), std::string::npos);
}

TEST_F(HostileToolTest, CtrlCEndsOffersAtOnceDuringAStalledPageOrALongWait) {
    fake.Script("GET", "/sale/offers", Stalled(20'000));
    Steady::time_point pressed;
    ToolRunOptions options;
    options.interruptWhen = [&](const ToolRun&) {
        pressed = Steady::now();
        return !fake.Requests("GET", "/sale/offers").empty();
    };
    const ToolRun stalled = RunTool({"allegro", "offers"}, options);
    EXPECT_EQ(stalled.status, 130) << stalled.err;
    EXPECT_LT(SecondsSince(pressed), 1.5);

    fake.Script("GET", "/sale/offers", Answer(429, "{}", {{"Retry-After", "999999"}}));
    options.interruptWhen = [&](const ToolRun& sofar) {
        pressed = Steady::now();
        return sofar.err.find("czekam 300 s") != std::string::npos;
    };
    const ToolRun waiting = RunTool({"allegro", "offers"}, options);
    EXPECT_EQ(waiting.status, 130) << waiting.err;
    EXPECT_LT(SecondsSince(pressed), 1.5);
}

}  // namespace
}  // namespace licytek::testing
