#include "SessionFixture.h"

namespace licytek::testing {

SessionTest::SessionTest() {
    tokens = publish::MakeFileTokenStore((folder / "config").string());
    fake.StampWith([this] { return clock.Now(); });
}

SessionTest::~SessionTest() {
    fake.StampWith({});  // the clock goes before the fake
    session_.reset();
}

void SessionTest::SignedIn(long long seconds) {
    tokens->Save("custom " + fake.Base(),
                 publish::Tokens{"access-1", "refresh-1", clock.Now() + seconds});
}

publish::AllegroSession& SessionTest::SessionWithTimeout(long seconds) {
    const auto endpoints = std::get<publish::Endpoints>(
        publish::ChooseEndpoints(false, [this](const char* name) -> std::optional<std::string> {
            if (std::string(name) == "LICYTEK_ALLEGRO_URL") {
                return fake.Base();
            }
            return std::nullopt;
        }));
    publish::SessionSettings settings;
    settings.endpoints = endpoints;
    settings.keys = {"test-client", "test-secret"};
    settings.tokens = tokens.get();
    settings.clock = &clock;
    settings.timeoutSeconds = seconds;
    settings.configFolder = (folder / "config").string();
    settings.dataFolder = (folder / "data").string();
    publish::MakeFolders(settings.dataFolder);
    session_ = std::make_unique<publish::AllegroSession>(std::move(settings));
    return *session_;
}

publish::AllegroSession& SessionTest::Session() {
    return session_ ? *session_ : SessionWithTimeout(10);
}

}  // namespace licytek::testing
