// Sign-in, the token's refresh and where the tokens are kept, against the fake Allegro.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "SessionFixture.h"
#include "support/ChildProcess.h"

namespace licytek::testing {
namespace {

using publish::Outcome;

constexpr const char* kDevice =
    R"({"device_code":"dev-1","user_code":"cbt3zdu4g","expires_in":3600,"interval":5,)"
    R"("verification_uri_complete":"http://allegro/skojarz?code=cbt3zdu4g"})";

void ScriptToken(FakeAllegro& fake, int status, const std::string& body) {
    fake.Script("POST", "/auth/oauth/token", {status, body, {}, false});
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(SessionTest, DeviceFlowSignsInWithBasicPollsOnTheClockAndKeepsTokensPrivately) {
    fake.Script("POST", "/auth/oauth/device", {200, kDevice, {}, false});
    ScriptToken(fake, 400, R"({"error":"authorization_pending"})");
    ScriptToken(fake, 400, R"({"error":"slow_down"})");
    ScriptToken(fake, 200,
                R"({"access_token":"acc-XYZ","refresh_token":"ref-XYZ","expires_in":43199})");
    fake.Script("GET", "/me", {200, R"({"id":"42","login":"sklep_rowerowy"})", {}, false});

    std::string shownCode;
    auto account = Session().SignIn([&](const publish::DeviceFlow& flow) {
        shownCode = publish::GroupUserCode(flow.code().userCode);
    });
    ASSERT_TRUE(std::holds_alternative<publish::Account>(account))
        << std::get<publish::Failure>(account).message;
    EXPECT_EQ(std::get<publish::Account>(account).login, "sklep_rowerowy");
    EXPECT_EQ(shownCode, "cbt 3zd u4g");
    EXPECT_EQ(clock.waits, (std::vector<publish::Seconds>{5, 5, 10}));

    const auto device = fake.Requests("POST", "/auth/oauth/device");
    ASSERT_EQ(device.size(), 1u);
    EXPECT_EQ(device[0].Header("Authorization"), kBasic);
    EXPECT_EQ(device[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(device[0].body, "client_id=test-client");
    const auto polls = fake.Requests("POST", "/auth/oauth/token");
    ASSERT_EQ(polls.size(), 3u);
    for (const auto& poll : polls) {
        EXPECT_EQ(poll.Header("Authorization"), kBasic);
        EXPECT_EQ(poll.Param("grant_type"), "urn:ietf:params:oauth:grant-type:device_code");
        EXPECT_EQ(poll.Param("device_code"), "dev-1");
    }
    const auto me = fake.Requests("GET", "/me");
    ASSERT_EQ(me.size(), 1u);
    EXPECT_EQ(me[0].Header("Authorization"), "Bearer acc-XYZ");
    EXPECT_EQ(me[0].Header("Accept"), kMedia);
    EXPECT_EQ(me[0].Header("Accept-Language"), "pl-PL");

    const auto file = folder / "config" / "allegro.json";
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(Slurp(file).find("ref-XYZ"), std::string::npos);
}

TEST_F(SessionTest, RefusedAndRunOutCodesEndTheSignInAsSignedOut) {
    fake.Script("POST", "/auth/oauth/device", {200, kDevice, {}, false});
    ScriptToken(fake, 400, R"({"error":"access_denied"})");
    ScriptToken(fake, 400, R"({"error":"invalid_grant"})");
    auto denied = Session().SignIn(nullptr);
    ASSERT_TRUE(std::holds_alternative<publish::Failure>(denied));
    EXPECT_EQ(std::get<publish::Failure>(denied).outcome, Outcome::SignedOut);
    EXPECT_NE(std::get<publish::Failure>(denied).message.find("odrzucone"), std::string::npos);

    // A front end polls step by step; a used code is over.
    auto flow = std::get<publish::DeviceFlow>(Session().StartSignIn());
    const auto step = Session().PollSignIn(flow);
    ASSERT_TRUE(step.failure.has_value());
    EXPECT_NE(step.failure->message.find("wygasł"), std::string::npos);
    EXPECT_FALSE(Session().HasTokens());
}

TEST_F(SessionTest, RejectedTokenIsRefreshedOnceTheNewPairKeptAndTheRequestRepeated) {
    SignedIn();
    fake.Script("GET", "/me", {401, R"({"error":"invalid_token"})", {}, false});
    fake.Script("GET", "/me", {200, R"({"id":"42","login":"sklep"})", {}, false});
    ScriptToken(fake, 200,
                R"({"access_token":"access-2","refresh_token":"refresh-2",)"
                R"("expires_in":43199})");
    auto account = Session().WhoAmI();
    ASSERT_TRUE(std::holds_alternative<publish::Account>(account));
    const auto me = fake.Requests("GET", "/me");
    ASSERT_EQ(me.size(), 2u);
    EXPECT_EQ(me[0].Header("Authorization"), "Bearer access-1");
    EXPECT_EQ(me[1].Header("Authorization"), "Bearer access-2");
    const auto refresh = fake.Requests("POST", "/auth/oauth/token");
    ASSERT_EQ(refresh.size(), 1u);
    EXPECT_EQ(refresh[0].Header("Authorization"), kBasic);
    EXPECT_EQ(refresh[0].Param("grant_type"), "refresh_token");
    EXPECT_EQ(refresh[0].Param("refresh_token"), "refresh-1");
    const auto kept = tokens->Load("custom " + fake.Base());
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->refresh, "refresh-2");
}

TEST_F(SessionTest, ASecondProgramTakesThePairTheFirstRefreshedInsteadOfSpendingTheOldOne) {
    SignedIn();
    fake.Script("GET", "/me", {200, R"({"id":"42","login":"sklep"})", {}, false});
    auto& first = Session();
    ASSERT_TRUE(std::holds_alternative<publish::Account>(first.WhoAmI()));  // holds access-1
    // Meanwhile another program refreshed and kept the new pair.
    tokens->Save("custom " + fake.Base(),
                 publish::Tokens{"access-2", "refresh-2", clock.Now() + 43200});
    fake.Script("GET", "/me", {401, R"({"error":"invalid_token"})", {}, false});
    fake.Script("GET", "/me", {200, R"({"id":"42","login":"sklep"})", {}, false});
    ASSERT_TRUE(std::holds_alternative<publish::Account>(first.WhoAmI()));
    EXPECT_TRUE(fake.Requests("POST", "/auth/oauth/token").empty());
    EXPECT_EQ(fake.Requests("GET", "/me").back().Header("Authorization"), "Bearer access-2");
}

TEST_F(SessionTest, SpentRefreshTokenAsksToSignInAgainAndForgetsThePair) {
    SignedIn(60);  // within the refresh margin
    ScriptToken(fake, 400, R"({"error":"invalid_grant"})");
    auto account = Session().WhoAmI();
    ASSERT_TRUE(std::holds_alternative<publish::Failure>(account));
    EXPECT_EQ(std::get<publish::Failure>(account).outcome, Outcome::SignedOut);
    EXPECT_NE(std::get<publish::Failure>(account).message.find("licytek-cli allegro login"),
              std::string::npos);
    EXPECT_TRUE(fake.Requests("GET", "/me").empty());
    EXPECT_FALSE(tokens->Load("custom " + fake.Base()).has_value());
}

TEST(TokenFileTest, AnExistingFileOpenToOthersBecomesOwnerOnly) {
    const TempDir scratch;
    const std::filesystem::path& folder = scratch.Path();
    std::ofstream(folder / "allegro.json") << "{}";
    ::chmod((folder / "allegro.json").c_str(), 0644);
    auto store = publish::MakeFileTokenStore(folder.string());
    ASSERT_FALSE(store->Save("production", {"a", "r", 1}).has_value());
    struct stat info {};
    ASSERT_EQ(::stat((folder / "allegro.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(store->Load("production")->refresh, "r");
}

TEST_F(SessionTest, ARefreshRefusedForTheProgramsKeysKeepsTheTokens) {
    // A wrong secret, an unknown client, a request Allegro finds malformed: none of them
    // says anything of the seller's pair, which works again once the keys are right.
    const std::pair<int, std::string> refusals[] = {{401, R"({"error":"invalid_client"})"},
                                                    {401, ""},
                                                    {400, R"({"error":"invalid_client"})"},
                                                    {400, R"({"error":"invalid_request"})"}};
    for (const auto& [status, body] : refusals) {
        SignedIn(60);  // within the refresh margin
        ScriptToken(fake, status, body);
        auto account = SessionWithTimeout(10).WhoAmI();
        ASSERT_TRUE(std::holds_alternative<publish::Failure>(account)) << status << body;
        const auto& failure = std::get<publish::Failure>(account);
        EXPECT_EQ(failure.outcome, Outcome::BadUse) << body;
        EXPECT_NE(failure.message.find("klucza aplikacji"), std::string::npos) << failure.message;
        EXPECT_NE(failure.message.find("Dane logowania zostały zachowane"), std::string::npos);
        const auto kept = tokens->Load("custom " + fake.Base());
        ASSERT_TRUE(kept.has_value()) << status << body;
        EXPECT_EQ(kept->refresh, "refresh-1");
    }
    EXPECT_TRUE(fake.Requests("GET", "/me").empty());
}

// Forgets the pair once the fake has seen a refresh: a logout while the refresh is on its
// way, made where the program's lock does not reach (the keyring's own window, say).
class LogoutDuringRefresh final : public publish::TokenStore {
  public:
    LogoutDuringRefresh(publish::TokenStore& inner, const FakeAllegro& fake)
        : inner_(inner), fake_(fake) {}
    std::variant<std::optional<publish::Tokens>, std::string> Read(
        const std::string& environment) override {
        if (!fake_.Requests("POST", "/auth/oauth/token").empty()) {
            inner_.Forget(environment);
        }
        return inner_.Read(environment);
    }
    std::optional<std::string> Save(const std::string& environment,
                                    const publish::Tokens& tokens) override {
        return inner_.Save(environment, tokens);
    }
    std::optional<std::string> Forget(const std::string& environment) override {
        return inner_.Forget(environment);
    }
    std::optional<std::string> Warning() const override { return std::nullopt; }
    std::string Where() const override { return inner_.Where(); }

  private:
    publish::TokenStore& inner_;
    const FakeAllegro& fake_;
};

TEST_F(SessionTest, ALogoutMeanwhileIsNeverUndoneByARefresh) {
    const std::string environment = "custom " + fake.Base();
    SignedIn();
    fake.Script("GET", "/me", {200, R"({"id":"42","login":"sklep"})", {}, false});
    auto& running = Session();
    ASSERT_TRUE(std::holds_alternative<publish::Account>(running.WhoAmI()));  // holds access-1
    // The seller logs out in another program while a batch runs; the batch's token then
    // runs out.
    ASSERT_FALSE(tokens->Forget(environment).has_value());
    fake.Script("GET", "/me", {401, R"({"error":"invalid_token"})", {}, false});
    ScriptToken(fake, 200,
                R"({"access_token":"access-2","refresh_token":"refresh-2","expires_in":43199})");
    auto account = running.WhoAmI();
    ASSERT_TRUE(std::holds_alternative<publish::Failure>(account));
    EXPECT_EQ(std::get<publish::Failure>(account).outcome, Outcome::SignedOut);
    EXPECT_TRUE(fake.Requests("POST", "/auth/oauth/token").empty());
    EXPECT_FALSE(tokens->Load(environment).has_value());

    // The logout comes while the refresh is on its way: the new pair is not kept.
    SignedIn(60);
    auto plain = std::move(tokens);
    tokens = std::make_unique<LogoutDuringRefresh>(*plain, fake);
    account = SessionWithTimeout(10).WhoAmI();
    ASSERT_TRUE(std::holds_alternative<publish::Failure>(account));
    EXPECT_EQ(std::get<publish::Failure>(account).outcome, Outcome::SignedOut);
    EXPECT_EQ(fake.Requests("POST", "/auth/oauth/token").size(), 1u);
    EXPECT_FALSE(plain->Load(environment).has_value());
    EXPECT_EQ(Slurp(folder / "config" / "allegro.json").find("refresh-2"), std::string::npos);
    tokens = std::move(plain);
}

// Another account than root's and nobody's, for folders and files someone else owns.
constexpr uid_t kStranger = 4242;

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A folder (or, with `bytes`, a file) set up by root for `owner`.
void Make(const std::filesystem::path& path, uid_t owner, mode_t mode,
          const char* bytes = nullptr) {
    if (bytes != nullptr) {
        std::ofstream(path) << bytes;
    } else {
        std::filesystem::create_directories(path);
    }
    ASSERT_EQ(::lchown(path.c_str(), owner, owner), 0) << path;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// A neighbour on the same computer may own the settings folder, or plant a link or a file
// of their own in it: the tokens are then refused, naming the place, and nothing of theirs
// or the seller's is written. Run as nobody in a folder of its own: root passes every
// permission check, and only root can hand folders to another account.
TEST(TokenFileTest, TokensAreKeptOnlyWhereNobodyElseCanReachThem) {
    const auto nobody = Nobody();
    if (::geteuid() != 0 || !nobody) {
        GTEST_SKIP() << "needs root (to give folders to other accounts) and the user nobody";
    }
    const TempDir scratch;
    const std::filesystem::path base = scratch.Path();
    const uid_t user = nobody->uid;
    Make(base, user, 0700);
    Make(base / "cudzy", kStranger, 0777);  // $XDG_CONFIG_HOME of someone else
    Make(base / "b", user, 0700);
    Make(base / "b" / "licytek", kStranger, 0777);
    Make(base / "c", user, 0700);
    Make(base / "c" / "licytek", user, 0777);
    Make(base / "d" / "licytek", user, 0700);
    Make(base / "d", user, 0700);
    Make(base / "d" / "licytek" / "allegro.json", kStranger, 0666,
         R"({"production":{"access_token":"theirs","refresh_token":"theirs"}})");
    Make(base / "e" / "licytek", user, 0700);
    Make(base / "e", user, 0700);
    Make(base / "bashrc", user, 0644, "alias ll='ls -l'\n");
    ASSERT_EQ(::symlink("../../bashrc", (base / "e" / "licytek" / "allegro.json").c_str()), 0);
    ASSERT_EQ(::lchown((base / "e" / "licytek" / "allegro.json").c_str(), user, user), 0);

    const auto body = [&] {
        std::string report;
        const auto refused = [&](const std::string& folder, const std::string& named,
                                 const std::string& why) {
            auto store = publish::MakeFileTokenStore((base / folder).string());
            const auto saved = store->Save("production", {"a", "r", 1});
            if (!saved || saved->find(named) == std::string::npos ||
                saved->find(why) == std::string::npos) {
                report += folder + ": " + saved.value_or("saved") + "\n";
            }
            if (!std::holds_alternative<std::string>(store->Read("production"))) {
                report += folder + ": read\n";
            }
        };
        refused("cudzy/licytek", (base / "cudzy").string() + " należy do innego użytkownika",
                "UID 4242");
        refused("b/licytek", (base / "b" / "licytek").string() + " należy do innego", "4242");
        refused("c/licytek", (base / "c" / "licytek").string() + " mogą zmieniać inni", "0777");
        refused("d/licytek", (base / "d" / "licytek" / "allegro.json").string() + " należy do",
                "4242");
        refused("e/licytek", (base / "e" / "licytek" / "allegro.json").string(), "dowiązaniem");
        // Where all is the seller's own the tokens are kept, readable by the seller alone.
        auto own = publish::MakeFileTokenStore((base / "f" / "licytek").string());
        if (own->Save("production", {"a", "r", 1}) || !own->Load("production")) {
            report += "own folder refused\n";
        }
        return report;
    };
    const ChildEnd end = RunInChild([&] { return BecomeUser(*nobody); }, body);
    ASSERT_NE(end.exitCode, kChildCannotRun) << "cannot become nobody";
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_EQ(end.report, "");
    EXPECT_FALSE(std::filesystem::exists(base / "cudzy" / "licytek" / "allegro.json"));
    EXPECT_FALSE(std::filesystem::exists(base / "b" / "licytek" / "allegro.json"));
    EXPECT_FALSE(std::filesystem::exists(base / "c" / "licytek" / "allegro.json"));
    EXPECT_NE(Slurp(base / "d" / "licytek" / "allegro.json").find("theirs"), std::string::npos);
    EXPECT_EQ(Slurp(base / "bashrc"), "alias ll='ls -l'\n");
    EXPECT_TRUE(std::filesystem::is_symlink(base / "e" / "licytek" / "allegro.json"));
    const auto own = base / "f" / "licytek" / "allegro.json";
    EXPECT_EQ(ModeOf(own), 0600u);
    EXPECT_EQ(ModeOf(own.parent_path()), 0700u);
    struct stat info {};
    ASSERT_EQ(::stat(own.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, user);
}

// A token file others could read is closed as soon as the store opens, and the seller is
// told once; the tokens in it still work.
TEST(TokenFileTest, AFileOthersCouldReadIsClosedAtOnceWithANotice) {
    for (const mode_t loose : {mode_t{0644}, mode_t{0666}}) {
        const TempDir scratch;
        const auto file = scratch.Path() / "allegro.json";
        std::ofstream(file) << R"({"production":{"access_token":"a","refresh_token":"r"}})";
        ASSERT_EQ(::chmod(file.c_str(), loose), 0);
        auto store = publish::MakeFileTokenStore(scratch.Path().string());
        EXPECT_EQ(ModeOf(file), 0600u);
        const auto notices = store->TakeNotices();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0], "Plik " + file.string() +
                                  " z danymi logowania do Allegro był dostępny dla innych "
                                  "użytkowników (uprawnienia " +
                                  (loose == 0644 ? "0644" : "0666") +
                                  "); teraz jest dostępny tylko dla Ciebie.");
        EXPECT_TRUE(store->TakeNotices().empty());
        ASSERT_TRUE(store->Load("production").has_value());
        EXPECT_EQ(store->Load("production")->refresh, "r");
    }
}

}  // namespace
}  // namespace licytek::testing
