// licytek-cli allegro run as a process against the fake Allegro, with its settings and data
// in a temporary folder and the environment put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FakeAllegro.h"
#include "ToolProcess.h"
#include "publish/TokenStore.h"

namespace licytek::testing {

class AllegroToolTest : public ::testing::Test {
  protected:
    AllegroToolTest() {
        Set("LICYTEK_ALLEGRO_URL", fake.Base());
        Set("LICYTEK_ALLEGRO_CLIENT_ID", "test-client");
        Set("LICYTEK_ALLEGRO_CLIENT_SECRET", "test-secret");
        Set("XDG_CONFIG_HOME", (folder.path() / "config").string());
        Set("XDG_DATA_HOME", (folder.path() / "data").string());
        Set("DBUS_SESSION_BUS_ADDRESS", "");  // the token file, never a real keyring
    }
    ~AllegroToolTest() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void SignIn() {
        auto store = publish::MakeFileTokenStore((folder.path() / "config" / "licytek").string());
        store->Save("custom " + fake.Base(),
                    publish::Tokens{"secret-access-token", "secret-refresh-token",
                                    std::int64_t{4'000'000'000}});
    }

    FakeAllegro fake;
    TemporaryDirectory folder;

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace licytek::testing
