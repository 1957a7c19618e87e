// The process's environment pointed at a fake Allegro, with the settings, data and token file
// in a test's folder, and put back as it was afterwards: for the tool run as a process and for
// the window, which open their sessions from the environment.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FakeAllegro.h"
#include "publish/TokenStore.h"

namespace licytek::testing {

class FakeEnvironment {
  public:
    FakeEnvironment(const FakeAllegro& fake, std::filesystem::path folder)
        : base_(fake.Base()), folder_(std::move(folder)) {
        Set("LICYTEK_ALLEGRO_URL", base_);
        Set("LICYTEK_ALLEGRO_CLIENT_ID", "test-client");
        Set("LICYTEK_ALLEGRO_CLIENT_SECRET", "test-secret");
        Set("XDG_CONFIG_HOME", (folder_ / "config").string());
        Set("XDG_DATA_HOME", (folder_ / "data").string());
        Set("XDG_CACHE_HOME", (folder_ / "cache").string());
        Set("DBUS_SESSION_BUS_ADDRESS", "");  // the token file, never a real keyring
    }
    ~FakeEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    FakeEnvironment(const FakeEnvironment&) = delete;
    FakeEnvironment& operator=(const FakeEnvironment&) = delete;

    // Tokens as if signed in.
    void SignIn() const {
        auto store = publish::MakeFileTokenStore((folder_ / "config" / "licytek").string());
        store->Save("custom " + base_,
                    publish::Tokens{"secret-access-token", "secret-refresh-token",
                                    std::int64_t{4'000'000'000}});
    }

  private:
    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::string base_;
    std::filesystem::path folder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace licytek::testing
