// A session against the fake Allegro, with a fake clock and the token file, the picture
// memory and the lock in a temporary folder: tests never sleep and never touch the home.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FakeAllegro.h"
#include "publish/AllegroSession.h"
#include "support/TempDir.h"

namespace licytek::testing {

class FakeClock final : public publish::Clock {
  public:
    publish::Seconds Now() override { return now.load(); }
    bool Wait(publish::Seconds seconds, const std::atomic<bool>* cancel) override {
        waits.push_back(seconds);
        now += seconds;
        return cancel == nullptr || !cancel->load();
    }
    std::atomic<long long> now{1'700'000'000};
    std::vector<publish::Seconds> waits;
};

// "Basic " + base64("test-client:test-secret"), worked out by hand.
inline constexpr const char* kBasic = "Basic dGVzdC1jbGllbnQ6dGVzdC1zZWNyZXQ=";
inline constexpr const char* kMedia = "application/vnd.allegro.public.v1+json";

class SessionTest : public ::testing::Test {
  protected:
    SessionTest();
    ~SessionTest() override;

    // Tokens as if signed in, valid for `seconds`.
    void SignedIn(long long seconds = 43200);
    publish::AllegroSession& Session();
    publish::AllegroSession& SessionWithTimeout(long seconds);

    TempDir scratch;  // the first member, so the last to go
    FakeAllegro fake;
    FakeClock clock;
    std::filesystem::path folder = scratch.Path();
    std::unique_ptr<publish::TokenStore> tokens;

  private:
    std::unique_ptr<publish::AllegroSession> session_;
};

}  // namespace licytek::testing
