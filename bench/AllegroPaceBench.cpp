// licytek-cli against a fake Allegro that answers as slowly as Allegro does: a GET after
// 150 ms, a PATCH after 600 ms, and one PATCH in ten with 202 and "Retry-After: 1", its
// operation done a second later. Two runs of the whole tool as a child process:
//   pull --all of OFFERS offers into a sheet, and
//   batch --publish of a sheet of OFFERS rows, each with a changed description.
// For each: the time, the requests a row, the most requests in any 60 s, the child's peak
// memory, and the checks: every row (or offer of the sheet) in its order, no offer in two
// requests at once, at most 2,000 requests in any 60 s.
// Usage: allegro_pace_bench LICYTEK_CLI [OFFERS]
// Exit status 1 when the pull takes over 40 s, the send over 120 s, or a check fails.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "FakeAllegro.h"
#include "FakeEnvironment.h"
#include "support/TempDir.h"

namespace {

using licytek::testing::FakeAnswer;
using licytek::testing::RecordedRequest;
using nlohmann::json;

constexpr int kGetMilliseconds = 150;
constexpr int kPatchMilliseconds = 600;
constexpr long long kOperationMicroseconds = 1'000'000;  // a 202's change is done after this
constexpr long long kMinute = 60'000'000;                // in the fake's stamps (µs)
constexpr std::size_t kMostPerMinute = 2000;
constexpr double kPullSeconds = 40;
constexpr double kSendSeconds = 120;
constexpr std::string_view kOffers = "/sale/product-offers/";

long long SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string OfferId(int index) {
    return std::to_string(17'000'000'000LL + index);
}

// The offer's id in a path under /sale/product-offers/, else empty.
std::string OfferOf(const std::string& path) {
    if (!path.starts_with(kOffers)) {
        return {};
    }
    const std::string rest = path.substr(kOffers.size());
    return rest.substr(0, rest.find('/'));
}

std::string OldDescription(int index) {
    const std::string name = "Rower górski " + std::to_string(index);
    json text{{"type", "TEXT"},
              {"content", "<h2>" + name +
                              "</h2><p>Rower w bardzo dobrym stanie, regularnie serwisowany, "
                              "gotowy do jazdy. Odbiór osobisty albo wysyłka kurierem.</p>"
                              "<ul><li>rama 19 cali, aluminiowa</li><li>hamulce tarczowe "
                              "hydrauliczne</li><li>koła 29 cali</li></ul>"}};
    json terms{{"type", "TEXT"},
               {"content",
                "<p>Wysyłka w ciągu 24 godzin. Faktura VAT. Zwrot w ciągu 14 "
                "dni.</p>"}};
    return json{{"sections", {{{"items", {text}}}, {{"items", {terms}}}}}}.dump();
}

// The seller's offers as Allegro keeps them: read, changed, and a 202's operation.
class Shop {
  public:
    explicit Shop(int offers) : count_(offers) {
        for (int i = 0; i < offers; ++i) {
            descriptions_[OfferId(i)] = OldDescription(i);
        }
    }

    // Called under the fake's lock, at the request's arrival.
    FakeAnswer Answer(const RecordedRequest& request) {
        const long long now = SteadyMicroseconds();
        if (request.method == "GET" && request.path == "/sale/offers") {
            return Later(kGetMilliseconds, 200, ListPage(request));
        }
        const std::string id = OfferOf(request.path);
        const auto offer = descriptions_.find(id);
        if (offer == descriptions_.end()) {
            return Later(kGetMilliseconds, 404,
                         R"({"errors":[{"code":"NOT_FOUND","message":"no offer"}]})");
        }
        const bool operation = request.path.find("/operations/") != std::string::npos;
        if (request.method == "GET" && operation) {
            if (now < ready_[id]) {
                return Later(kGetMilliseconds, 202, "", {{"Retry-After", "1"}});
            }
            return Later(kGetMilliseconds, 303, "", {{"Location", std::string(kOffers) + id}});
        }
        if (request.method == "GET") {
            return Later(kGetMilliseconds, 200, OfferBody(id, offer->second));
        }
        if (request.method != "PATCH") {
            return Later(kGetMilliseconds, 405, "{}");
        }
        const json body = json::parse(request.body, nullptr, false);
        if (!body.is_object() || !body.contains("description")) {
            return Later(kPatchMilliseconds, 422, R"({"errors":[{"code":"BAD"}]})");
        }
        offer->second = body["description"].dump();
        // One in ten is applied later, as Allegro does with some changes.
        if (++patches_ % 10 == 0) {
            ready_[id] = now + kPatchMilliseconds * 1000LL + kOperationMicroseconds;
            return Later(kPatchMilliseconds, 202, "",
                         {{"Location", std::string(kOffers) + id + "/operations/op-" + id},
                          {"Retry-After", "1"}});
        }
        return Later(kPatchMilliseconds, 200, OfferBody(id, offer->second));
    }

  private:
    static FakeAnswer Later(int milliseconds, int status, std::string body,
                            std::vector<std::pair<std::string, std::string>> headers = {}) {
        FakeAnswer answer;
        answer.status = status;
        answer.body = std::move(body);
        answer.headers = std::move(headers);
        answer.delayMilliseconds = milliseconds;
        return answer;
    }

    static std::string OfferBody(const std::string& id, const std::string& description) {
        return licytek::testing::OfferJson(id, "Rower górski " + id, {}, description);
    }

    std::string ListPage(const RecordedRequest& request) const {
        const int offset = std::atoi(request.Param("offset").c_str());
        const int limit = std::clamp(std::atoi(request.Param("limit").c_str()), 1, 1000);
        json offers = json::array();
        for (int i = std::max(offset, 0); i < std::min(offset + limit, count_); ++i) {
            offers.push_back({{"id", OfferId(i)},
                              {"name", "Rower górski " + OfferId(i)},
                              {"publication", {{"status", "ACTIVE"}}}});
        }
        return json{{"offers", offers}, {"count", offers.size()}, {"totalCount", count_}}.dump();
    }

    int count_;
    int patches_ = 0;
    std::map<std::string, std::string> descriptions_;
    std::map<std::string, long long> ready_;  // a 202's operation is done from then on
};

// The child's time, peak memory and exit status.
struct ChildRun {
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

ChildRun RunChild(const std::vector<std::string>& args, const std::string& out,
                  const std::string& err) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0) {
            ::_exit(127);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ChildRun run;
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) {
        return run;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// The most requests that arrived within any 60 s.
std::size_t MostInAMinute(const std::vector<RecordedRequest>& requests) {
    std::vector<long long> times;
    times.reserve(requests.size());
    for (const RecordedRequest& request : requests) {
        times.push_back(request.clock);
    }
    std::sort(times.begin(), times.end());
    std::size_t most = 0;
    std::size_t first = 0;
    for (std::size_t last = 0; last < times.size(); ++last) {
        while (times[last] - times[first] >= kMinute) {
            ++first;
        }
        most = std::max(most, last - first + 1);
    }
    return most;
}

// Offers that got a request while an earlier one of theirs had not been answered.
std::size_t OffersInTwoAtOnce(const std::vector<RecordedRequest>& requests) {
    std::map<std::string, std::vector<const RecordedRequest*>> byOffer;
    for (const RecordedRequest& request : requests) {
        if (const std::string id = OfferOf(request.path); !id.empty()) {
            byOffer[id].push_back(&request);
        }
    }
    std::size_t offers = 0;
    for (auto& [id, list] : byOffer) {
        std::sort(list.begin(), list.end(),
                  [](const auto* a, const auto* b) { return a->clock < b->clock; });
        for (std::size_t i = 1; i < list.size(); ++i) {
            if (list[i]->clock < list[i - 1]->answered) {
                ++offers;
                break;
            }
        }
    }
    return offers;
}

// Whether the sheet holds the offers in the list's order, each once. (Strings here are built
// in steps: GCC 12 takes "x" + std::string for an overlapping copy, -Wrestrict.)
bool SheetInOrder(const std::string& sheet, int offers) {
    std::size_t at = 0;
    for (int i = 0; i < offers; ++i) {
        std::string cell(";");
        cell.append(OfferId(i)).append(";");
        at = sheet.find(cell, at);
        if (at == std::string::npos) {
            return false;
        }
    }
    return true;
}

// Whether each row's first line came in row order (rows 2 …), and how many were updated.
struct RowLines {
    bool inOrder = true;
    int updated = 0;
};
RowLines ReadRowLines(const std::string& text, const std::string& sheet, int rows) {
    RowLines lines;
    int expected = 2;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with(sheet + ":")) {
            continue;
        }
        const int row = std::atoi(line.c_str() + sheet.size() + 1);
        if (row == expected) {
            ++expected;
        } else if (row > expected || row < 2) {
            lines.inOrder = false;  // a row before its predecessors
        }
        if (line.find("opis zaktualizowany") != std::string::npos) {
            ++lines.updated;
        }
    }
    lines.inOrder = lines.inOrder && expected == rows + 2;
    return lines;
}

struct Figures {
    double seconds = 0;
    double requestsPerRow = 0;
    std::size_t mostInAMinute = 0;
    double peakMegabytes = 0;
};

Figures Measure(const ChildRun& run, const std::vector<RecordedRequest>& requests, int rows) {
    return {run.seconds, static_cast<double>(requests.size()) / rows, MostInAMinute(requests),
            static_cast<double>(run.peakKilobytes) / 1024};
}

bool Report(const char* what, const Figures& figures, double limit,
            const std::vector<std::pair<const char*, bool>>& checks) {
    bool good = figures.seconds <= limit;
    std::printf(
        "%s: %.1f s (at most %.0f), %.2f requests a row, at most %zu requests in 60 s, "
        "peak memory %.1f MB\n",
        what, figures.seconds, limit, figures.requestsPerRow, figures.mostInAMinute,
        figures.peakMegabytes);
    for (const auto& [name, held] : checks) {
        std::printf("  %s: %s\n", name, held ? "yes" : "NO");
        good = good && held;
    }
    return good;
}

int Run(int argc, char** argv) {
    const std::string tool = std::filesystem::absolute(argv[1]).string();
    const int offers = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 1000;
    const licytek::testing::TempDir scratch;
    const std::filesystem::path& folder = scratch.Path();

    licytek::testing::FakeAllegro fake;
    Shop shop(offers);
    fake.StampWith(SteadyMicroseconds);
    fake.AnswerOthersWith([&shop](const RecordedRequest& request) { return shop.Answer(request); });
    licytek::testing::FakeEnvironment environment(fake, folder);
    environment.SignIn();
    ::unsetenv("LICYTEK_ALLEGRO_PARALLEL");  // the default is what is measured

    // 1. Every offer into a sheet.
    const std::string pulled = (folder / "oferty.csv").string();
    const ChildRun pull = RunChild({tool, "allegro", "pull", "--all", "--out", pulled},
                                   (folder / "pull.out").string(), (folder / "pull.err").string());
    const auto pullRequests = fake.Requests();
    const bool pullDone = pull.status == 0;
    if (!pullDone) {
        std::fprintf(stderr, "pull --all ended with %d:\n%s", pull.status,
                     licytek::testing::ReadBytes((folder / "pull.err").string()).c_str());
    }
    const bool pullGood = Report(
        "pull --all", Measure(pull, pullRequests, offers), kPullSeconds,
        {{"exit status 0", pullDone},
         {"every offer in the sheet, in the list's order",
          SheetInOrder(licytek::testing::ReadBytes(pulled), offers)},
         {"no offer in two requests at once", OffersInTwoAtOnce(pullRequests) == 0},
         {"at most 2,000 requests in any 60 s", MostInAMinute(pullRequests) <= kMostPerMinute}});

    // 2. A sheet of changed descriptions sent back.
    std::string sheet = "\xEF\xBB\xBFplik;oferta;Opis przedmiotu\n";
    for (int i = 0; i < offers; ++i) {
        sheet.append("r").append(std::to_string(i)).append(";").append(OfferId(i));
        sheet.append(";<b>Rower górski ").append(std::to_string(i));
        sheet.append(
            "</b> po przeglądzie, nowe opony.<ul><li>rama 19 cali</li><li>hamulce "
            "tarczowe</li></ul>\n");
    }
    const std::string sent = (folder / "zmiany.csv").string();
    licytek::testing::WriteBytes(sent, sheet);
    const std::size_t before = fake.Requests().size();
    const ChildRun send = RunChild({tool, "batch", "--publish", "--format", "allegro", sent,
                                    "--out", (folder / "opisy").string()},
                                   (folder / "send.out").string(), (folder / "send.err").string());
    auto sendRequests = fake.Requests();
    sendRequests.erase(sendRequests.begin(),
                       sendRequests.begin() + static_cast<std::ptrdiff_t>(before));
    const std::string told = licytek::testing::ReadBytes((folder / "send.err").string());
    const RowLines lines = ReadRowLines(told, sent, offers);
    if (send.status != 0) {
        std::fprintf(stderr, "batch --publish ended with %d; its last lines:\n%s", send.status,
                     told.substr(told.size() > 2000 ? told.size() - 2000 : 0).c_str());
    }
    const bool sendGood = Report(
        "batch --publish", Measure(send, sendRequests, offers), kSendSeconds,
        {{"exit status 0", send.status == 0},
         {"every row updated", lines.updated == offers},
         {"every row's first line in row order", lines.inOrder},
         {"no offer in two requests at once", OffersInTwoAtOnce(sendRequests) == 0},
         {"at most 2,000 requests in any 60 s", MostInAMinute(sendRequests) <= kMostPerMinute}});
    return pullGood && sendGood ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: allegro_pace_bench LICYTEK_CLI [OFFERS]\n");
        return 2;
    }
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "allegro_pace_bench: %s\n", error.what());
        return 1;
    }
}
