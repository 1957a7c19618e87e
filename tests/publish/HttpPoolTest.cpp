// The pool against the fake Allegro: requests at once over kept connections, a dropped PATCH
// never sent again, and cancelling.
#include "publish/HttpPool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeAllegro.h"

namespace licytek::testing {
namespace {

using namespace std::chrono_literals;
using namespace publish;
using Steady = std::chrono::steady_clock;

// Waits out `count` completions in all, by tag, or fails after five seconds.
std::map<HttpPool::Tag, HttpResult> Collect(HttpPool& pool, std::size_t count,
                                            std::map<HttpPool::Tag, HttpResult> results = {}) {
    const auto end = Steady::now() + 5s;
    while (results.size() < count && Steady::now() < end) {
        for (auto& completion : pool.Wait(100ms)) {
            EXPECT_TRUE(results.emplace(completion.tag, std::move(completion.result)).second);
        }
    }
    EXPECT_EQ(results.size(), count);
    return results;
}

long StatusOf(const HttpResult& result) {
    const auto* response = std::get_if<HttpResponse>(&result);
    return response != nullptr ? response->status : -1;
}

TransportError FailureOf(const HttpResult& result) {
    const auto* failure = std::get_if<TransportFailure>(&result);
    EXPECT_NE(failure, nullptr);
    return failure != nullptr ? failure->kind : TransportError::Network;
}

class HttpPoolTest : public ::testing::Test {
  protected:
    HttpRequest Get(const std::string& path) const {
        return {"GET", fake.Base() + path, {}, {}, {}};
    }
    HttpRequest Patch(const std::string& path) const {
        return {"PATCH",
                fake.Base() + path,
                {"Content-Type: application/json"},
                R"({"a":1})",
                "Bearer t"};
    }

    FakeAllegro fake;
};

TEST_F(HttpPoolTest, CarriesRequestsAtOnceOverConnectionsKeptAlive) {
    fake.Script("GET", "/slow", FakeAnswer{200, "{}", {}, false, 150});
    HttpPool pool({fake.Base()}, 4, 10);
    for (HttpPool::Tag tag = 0; tag < 16; ++tag) {
        pool.Submit(Get("/slow"), tag);
    }
    for (const auto& [tag, result] : Collect(pool, 16)) {
        EXPECT_EQ(StatusOf(result), 200) << tag;
    }
    EXPECT_EQ(fake.MostAtOnce(), 4);
    EXPECT_LE(fake.Connections(), 4u);
    EXPECT_EQ(pool.ConnectionsOpened(), static_cast<long>(fake.Connections()));
}

TEST_F(HttpPoolTest, KeepsTheClientsRulesForWhereAndHowOften) {
    fake.Script("GET", "/first", FakeAnswer{200, "{}", {}, false});
    fake.Script("PATCH", "/offer", FakeAnswer{0, "", {}, true});
    HttpPool pool({fake.Base()}, 1, 10);
    pool.Submit(Get("/first"), 1);
    EXPECT_EQ(StatusOf(Collect(pool, 1)[1]), 200);
    // On the kept connection, dropped with no answer: libcurl would send it again on its own.
    pool.Submit(Patch("/offer"), 2);
    EXPECT_EQ(FailureOf(Collect(pool, 1)[2]), TransportError::NotRepeated);
    EXPECT_EQ(fake.Requests("PATCH", "/offer").size(), 1u);

    HttpPool elsewhere({"https://api.allegro.pl"}, 1, 10);
    elsewhere.Submit(Patch("/offer"), 3);
    EXPECT_EQ(FailureOf(Collect(elsewhere, 1)[3]), TransportError::UntrustedHost);
    EXPECT_EQ(fake.Requests("PATCH", "/offer").size(), 1u);
}

TEST_F(HttpPoolTest, StopsAReadAtOnceButLetsAPatchWhoseBodyWentOutFinish) {
    fake.Script("GET", "/slow", FakeAnswer{200, "{}", {}, false, 5000});
    fake.Script("PATCH", "/offer", FakeAnswer{200, "{}", {}, false, 500});
    HttpPool pool({fake.Base()}, 4, 10);
    const auto started = Steady::now();
    pool.Submit(Get("/slow"), 1);
    pool.Submit(Patch("/offer"), 2);
    pool.Submit(Get("/slow"), 3, {.timeout = 200ms});
    std::map<HttpPool::Tag, HttpResult> early;  // the one that times out may end meanwhile
    while (fake.Requests().size() < 3 && Steady::now() - started < 2s) {
        for (auto& completion : pool.Wait(10ms)) {
            early.emplace(completion.tag, std::move(completion.result));
        }
    }
    EXPECT_EQ(pool.Cancel(1), HttpPool::CancelOutcome::Cancelled);
    EXPECT_EQ(pool.Cancel(2), HttpPool::CancelOutcome::Finishing);
    auto results = Collect(pool, 3, std::move(early));
    EXPECT_EQ(FailureOf(results[1]), TransportError::Cancelled);
    EXPECT_EQ(StatusOf(results[2]), 200);
    EXPECT_EQ(FailureOf(results[3]), TransportError::Network);  // its own time ran out
    EXPECT_LT(Steady::now() - started, 2s);                     // not the read's five

    // Another thread (a Stop button) ends a wait at once.
    std::thread stop([&pool] {
        std::this_thread::sleep_for(50ms);
        pool.Wake();
    });
    const auto waited = Steady::now();
    pool.Wait(5s);
    EXPECT_LT(Steady::now() - waited, 1s);
    stop.join();
}

}  // namespace
}  // namespace licytek::testing
