// Publishing 200 descriptions one after another through one session, against the fake
// Allegro answering each request after a set delay: the cost per request above the fake's
// own answer time, and the number of connections opened (one, kept alive).
// Usage: publish_bench [DELAY_MS]   exit status 1 when a request costs 10 ms or more above it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FakeAllegro.h"
#include "TypicalForm.h"
#include "publish/AllegroSession.h"
#include "support/TempDir.h"

namespace {

using namespace licytek;

constexpr int kOffers = 200;
constexpr double kBudgetMs = 10.0;

}  // namespace

int main(int argc, char** argv) {
    const int delayMs = argc > 1 ? std::atoi(argv[1]) : 5;
    const testing::TempDir scratch;
    const std::filesystem::path& folder = scratch.Path();

    testing::FakeAllegro fake;
    fake.SetDelayMicroseconds(delayMs * 1000);
    const std::string description =
        R"({"sections":[{"items":[{"type":"TEXT","content":"<p>stary opis</p>"}]}]})";
    for (int i = 0; i < kOffers; ++i) {
        const std::string path = "/sale/product-offers/" + std::to_string(100000 + i);
        fake.Script("GET", path,
                    {200,
                     testing::OfferJson(std::to_string(100000 + i), "Rower", {}, description),
                     {},
                     false});
        fake.Script("PATCH", path, {200, "{}", {}, false});
    }

    auto tokens = publish::MakeFileTokenStore((folder / "config").string());
    const auto endpoints = std::get<publish::Endpoints>(
        publish::ChooseEndpoints(false, [&](const char* name) -> std::optional<std::string> {
            return std::string(name) == "LICYTEK_ALLEGRO_URL" ? std::optional(fake.Base())
                                                              : std::nullopt;
        }));
    tokens->Save(endpoints.StoreName(), {"bench-access", "bench-refresh", 4'000'000'000});
    publish::SessionSettings settings;
    settings.endpoints = endpoints;
    settings.keys = {"bench-client", "bench-secret"};
    settings.tokens = tokens.get();
    settings.configFolder = (folder / "config").string();
    settings.dataFolder = (folder / "data").string();
    publish::MakeFolders(settings.dataFolder);
    publish::AllegroSession session(std::move(settings));

    const AuctionForm form = bench::TypicalForm(
        "<b>Rower g\xF3rski</b> w bardzo dobrym stanie.\r\n<ul><li>rama 19 cali</li>"
        "<li>hamulce tarczowe</li></ul>");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kOffers; ++i) {
        const auto result = session.Publish(std::to_string(100000 + i), form, {}, {}, nullptr);
        if (result.outcome != publish::Outcome::Done) {
            std::fprintf(stderr, "publish %d failed: %s\n", i, result.message.c_str());
            return 1;
        }
    }
    const double totalMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto requests = static_cast<double>(fake.Requests().size());
    const double overheadMs = (totalMs - requests * delayMs) / requests;
    std::printf(
        "publish: %d offers, %.0f requests in %.0f ms with %d ms answers: %.2f ms per request "
        "above the answer time, %ld connection(s)\n",
        kOffers, requests, totalMs, delayMs, overheadMs, session.ConnectionsOpened());
    return overheadMs < kBudgetMs && session.ConnectionsOpened() == 1 ? 0 : 1;
}
