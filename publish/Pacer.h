// How a run paces its requests to Allegro, without the network: how many at once, how many a
// minute, one pause for the whole run after a 429, and the rows naming one offer one after
// another. Everything here is pure: it takes times and answers and returns decisions.
//
// Allegro's limit per application is shared by every installation, and requests sent during a
// block prolong it; so a run stays well below the seller's own limits and stops at once when
// Allegro says so.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>

#include "publish/Clock.h"
#include "publish/Endpoints.h"

namespace licytek::publish {

inline constexpr int kDefaultParallel = 8;
inline constexpr int kMostParallel = 16;

// LICYTEK_ALLEGRO_PARALLEL: how many requests a run keeps in flight, else 8; a Polish message
// when it is not a whole number from 1 to 16.
std::variant<int, std::string> ChooseParallel(
    const EnvironmentReader& environment = ReadProcessEnvironment);

enum class RequestKind {
    Write,      // PATCH or POST
    OfferRead,  // GET of one offer
    OtherRead,  // any other GET
};

struct PaceLimits {
    int inFlight = kDefaultParallel;
    int perMinute = 2000;                 // every request of the run
    int writesPerMinute = 2489;           // below Allegro's 2,490 PATCH/POST a minute
    int offerReadsPerMinute = 3499;       // below Allegro's 3,500 GETs of one offer a minute
    Milliseconds longestPause = 180'000;  // a Retry-After is cut to this
};

// Requests are spread evenly (one every 30 ms at 2,000 a minute), so that no 60 seconds ever
// hold more than the limit and the run never bursts.
class Pacer {
  public:
    explicit Pacer(PaceLimits limits = {});

    // When a request of `kind` may start: `now` or later; nothing while the run has as many in
    // flight as it may (a completion frees a place).
    std::optional<Milliseconds> NextStart(RequestKind kind, Milliseconds now) const;
    // A request of `kind` went out at `now`.
    void Started(RequestKind kind, Milliseconds now);
    // The request that went out at `startedAt` ended at `now` with `status` (0: no answer).
    // A 429 pauses the whole run for `retryAfter`, once for all the requests that were already
    // in flight when it came.
    void Finished(Milliseconds startedAt, long status, Seconds retryAfter, Milliseconds now);

    // Until when the run waits after a 429 (in the past when it does not).
    Milliseconds PausedUntil() const { return pausedUntil_; }
    int InFlight() const { return inFlight_; }

  private:
    struct Lane {
        Milliseconds spacing = 0;
        Milliseconds next = std::numeric_limits<Milliseconds>::min();
    };
    PaceLimits limits_;
    Lane all_;
    std::array<Lane, 3> kinds_;  // by RequestKind; other GETs have only the run's limit
    int inFlight_ = 0;
    Milliseconds pausedUntil_ = std::numeric_limits<Milliseconds>::min();
    Milliseconds blockNoticed_ = std::numeric_limits<Milliseconds>::min();
};

// One offer is changed by one row at a time: rows naming the same offer take turns in row
// order. Holds only the rows that joined and have not left.
class OfferTurns {
  public:
    // Row `row` will work on `offerId`; rows join in row order.
    void Join(const std::string& offerId, std::size_t row);
    // Whether every earlier row naming the offer has left.
    bool HasTurn(const std::string& offerId, std::size_t row) const;
    // The row is done with the offer (or given up before its turn).
    void Leave(const std::string& offerId, std::size_t row);

  private:
    std::unordered_map<std::string, std::deque<std::size_t>> waiting_;
};

}  // namespace licytek::publish
