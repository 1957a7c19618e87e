#include "publish/Pacer.h"

#include <algorithm>

namespace licytek::publish {
namespace {

constexpr Milliseconds kMinute = 60'000;
constexpr Milliseconds kShortestPause = 1'000;  // a 429 always slows the run down

// The gap between two starts that keeps any minute at or under `perMinute`.
Milliseconds SpacingFor(int perMinute) {
    const Milliseconds count = std::max(perMinute, 1);
    return (kMinute + count - 1) / count;
}

}  // namespace

std::variant<int, std::string> ChooseParallel(const EnvironmentReader& environment) {
    const std::optional<std::string> value = environment("LICYTEK_ALLEGRO_PARALLEL");
    if (!value || value->empty()) {
        return kDefaultParallel;
    }
    const bool digits =
        value->size() <= 2 && value->find_first_not_of("0123456789") == std::string::npos;
    const int number = digits ? std::stoi(*value) : 0;
    if (number < 1 || number > kMostParallel) {
        const std::string shown = value->size() > 20 ? value->substr(0, 20) + "…" : *value;
        return "LICYTEK_ALLEGRO_PARALLEL musi być liczbą zapytań naraz od 1 do " +
               std::to_string(kMostParallel) + " (jest „" + shown + "”).";
    }
    return number;
}

Pacer::Pacer(PaceLimits limits)
    : limits_(limits),
      all_{SpacingFor(limits.perMinute)},
      kinds_{Lane{SpacingFor(limits.writesPerMinute)}, Lane{SpacingFor(limits.offerReadsPerMinute)},
             Lane{}} {}

std::optional<Milliseconds> Pacer::NextStart(RequestKind kind, Milliseconds now) const {
    if (inFlight_ >= limits_.inFlight) {
        return std::nullopt;
    }
    return std::max({now, pausedUntil_, all_.next, kinds_[static_cast<std::size_t>(kind)].next});
}

void Pacer::Started(RequestKind kind, Milliseconds now) {
    ++inFlight_;
    all_.next = now + all_.spacing;
    Lane& lane = kinds_[static_cast<std::size_t>(kind)];
    lane.next = now + lane.spacing;
}

void Pacer::Finished(Milliseconds startedAt, long status, Seconds retryAfter, Milliseconds now) {
    inFlight_ = std::max(inFlight_ - 1, 0);
    // A request sent before the last block was noticed belongs to that block.
    if (status != 429 || startedAt <= blockNoticed_) {
        return;
    }
    const Milliseconds asked =
        retryAfter > limits_.longestPause / 1000 ? limits_.longestPause : retryAfter * 1000;
    pausedUntil_ =
        std::max(pausedUntil_, now + std::clamp(asked, kShortestPause, limits_.longestPause));
    blockNoticed_ = now;
}

void OfferTurns::Join(const std::string& offerId, std::size_t row) {
    waiting_[offerId].push_back(row);
}

bool OfferTurns::HasTurn(const std::string& offerId, std::size_t row) const {
    const auto it = waiting_.find(offerId);
    return it != waiting_.end() && it->second.front() == row;
}

void OfferTurns::Leave(const std::string& offerId, std::size_t row) {
    const auto it = waiting_.find(offerId);
    if (it == waiting_.end()) {
        return;
    }
    auto& rows = it->second;
    rows.erase(std::remove(rows.begin(), rows.end(), row), rows.end());
    if (rows.empty()) {
        waiting_.erase(it);
    }
}

}  // namespace licytek::publish
