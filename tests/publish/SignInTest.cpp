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
    for (const auto& [status, body] :
         std::vector<std::pair<int, std::string>>{{401, R"({"error":"invalid_client"})"},
                                                  {401, ""},
                                                  {400, R"({"error":"invalid_request"})"}}) {
        SignedIn(60);  // within the refresh margin
        ScriptToken(fake, status, body);
        auto account = SessionWithTimeout(10).WhoAmI();
        ASSERT_TRUE(std::holds_alternative<publish::Failure>(account)) << body;
        const auto& failure = std::get<publish::Failure>(account);
        EXPECT_EQ(failure.outcome, Outcome::BadUse) << body;
        EXPECT_NE(failure.message.find("klucza aplikacji"), std::string::npos) << failure.message;
        ASSERT_TRUE(tokens->Load("custom " + fake.Base()).has_value()) << body;
    }
}

TEST_F(SessionTest, ALogoutWhileABatchRunsIsNotUndoneByItsRefresh) {
    SignedIn();
    fake.Script("GET", "/me", {200, R"({"id":"42","login":"sklep"})", {}, false});
    ASSERT_TRUE(std::holds_alternative<publish::Account>(Session().WhoAmI()));  // has access-1
    ASSERT_FALSE(tokens->Forget("custom " + fake.Base()));  // the logout, elsewhere
    fake.Script("GET", "/me", {401, R"({"error":"invalid_token"})", {}, false});
    ScriptToken(fake, 200,
                R"({"access_token":"access-2","refresh_token":"refresh-2","expires_in":43199})");
    auto account = Session().WhoAmI();
    ASSERT_TRUE(std::holds_alternative<publish::Failure>(account));
    EXPECT_EQ(std::get<publish::Failure>(account).outcome, Outcome::SignedOut);
    EXPECT_TRUE(fake.Requests("POST", "/auth/oauth/token").empty());
    EXPECT_FALSE(tokens->Load("custom " + fake.Base()).has_value());
}

// A folder of another user, one others may write, their file or a link planted in the
// folder: the tokens are refused, naming the place, and nothing is written. As nobody in a
// folder of its own, since root passes every permission check.
TEST(TokenFileTest, TokensAreKeptOnlyWhereNobodyElseCanReachThem) {
    const auto nobody = Nobody();
    if (::geteuid() != 0 || !nobody) {
        GTEST_SKIP() << "needs root (to give folders to another account) and the user nobody";
    }
    const TempDir scratch;
    const std::filesystem::path base = scratch.Path();
    const auto make = [](const std::filesystem::path& path, uid_t owner, mode_t mode) {
        std::filesystem::create_directories(path.parent_path());
        if (!path.has_extension()) {
            std::filesystem::create_directory(path);
        } else {
            std::ofstream(path) << "{}";
        }
        EXPECT_EQ(::lchown(path.c_str(), owner, owner) | ::chmod(path.c_str(), mode), 0) << path;
    };
    const uid_t user = nobody->uid;
    const uid_t stranger = 4242;
    for (const char* folder : {"", "a", "b", "c", "d"}) {
        make(base / folder, user, 0700);
    }
    make(base / "a" / "config", stranger, 0777);  // someone else's $XDG_CONFIG_HOME
    make(base / "b" / "licytek", user, 0777);
    make(base / "c" / "licytek" / "allegro.json", stranger, 0666);
    make(base / "c" / "licytek", user, 0700);
    make(base / "d" / "bashrc.sh", user, 0644);
    std::filesystem::create_directories(base / "d" / "licytek");
    std::filesystem::create_symlink("../bashrc.sh", base / "d" / "licytek" / "allegro.json");
    make(base / "d" / "licytek", user, 0700);

    const ChildEnd end = RunInChild(
        [&] { return BecomeUser(*nobody); },
        [&] {
            std::string report;
            for (const auto& [folder, named] : std::vector<std::pair<std::string, std::string>>{
                     {"a/config/licytek", "a/config należy do innego użytkownika (UID 4242)"},
                     {"b/licytek", "b/licytek mogą zmieniać inni użytkownicy (uprawnienia 0777)"},
                     {"c/licytek", "allegro.json należy do innego użytkownika (UID 4242)"},
                     {"d/licytek", "allegro.json jest dowiązaniem symbolicznym"}}) {
                auto store = publish::MakeFileTokenStore((base / folder).string());
                const auto saved = store->Save("production", {"a", "r", 1});
                if (!saved || saved->find(named) == std::string::npos ||
                    !std::holds_alternative<std::string>(store->Read("production"))) {
                    report += folder + ": " + saved.value_or("saved") + "\n";
                }
            }
            return report;
        });
    ASSERT_NE(end.exitCode, kChildCannotRun) << "cannot become nobody";
    EXPECT_EQ(end.report, "");
    EXPECT_FALSE(std::filesystem::exists(base / "a" / "config" / "licytek" / "allegro.json"));
    EXPECT_EQ(Slurp(base / "c" / "licytek" / "allegro.json") + Slurp(base / "d" / "bashrc.sh"),
              "{}{}");
}

}  // namespace
}  // namespace licytek::testing
