// The seller's offers brought into Licytek: one offer as the form's texts, or every offer
// handed, in the list's order, to whatever keeps them (the batch's sheet).
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <variant>
#include <vector>

#include "publish/AllegroSession.h"
#include "publish/OfferRun.h"
#include "structured/OfferToForm.h"

namespace licytek::publish {

// The form's texts of the offer `offerId` (Windows-1250, CR LF), or a failure whose message
// begins with "Oferta ID: " when the offer cannot be read or the form cannot hold it.
std::variant<structured::PulledOffer, Failure> PullOneOffer(
    AllegroSession& session, const std::string& offerId, const PublishObserver* observer = nullptr,
    const std::atomic<bool>* cancel = nullptr);

// The same from an offer already read (or its failure).
std::variant<structured::PulledOffer, Failure> PulledFrom(std::variant<OfferState, Failure> read,
                                                          const std::string& offerId);

// A list that would go on further than this is cut here: a thousand pages of a hundred.
inline constexpr std::size_t kMaxOfferPages = 1000;

// The pages of the seller's list of offers, one after another: where the next one starts, and
// when the list is over. It is over at an empty page, at the total Allegro gives, when a page
// brings no offer not seen before (a server that gives the same page again, whatever total it
// claims), and after kMaxOfferPages pages.
class OfferPages {
  public:
    explicit OfferPages(OfferQuery first) : query_(std::move(first)) {}
    // The query for the next page, or nothing when the list is over.
    std::optional<OfferQuery> Next() const;
    // The page that the last query brought: answers its offers not seen before.
    std::vector<OfferSummary> Take(OfferPage page);
    // Whether the list was cut at kMaxOfferPages.
    bool Cut() const { return cut_; }
    // What the seller reads when it was.
    std::string CutMessage() const;

  private:
    OfferQuery query_;
    std::unordered_set<std::string> seen_;
    std::size_t pages_ = 0;
    bool over_ = false;
    bool cut_ = false;
};

// What the seller hears while every offer is pulled. Every callback may be empty.
struct PullAllObserver {
    // After each offer, read or failed: `done` of `total`.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // An offer that could not be pulled: the message names it ("Oferta ID: ...").
    std::function<void(const std::string& message)> failed;
    // Something the seller should know about the list or an offer ("Oferta ID: ...").
    std::function<void(const std::string& message)> warning;
    // A wait before the next request (a 429's Retry-After, a retry).
    std::function<void(Seconds seconds, const std::string& why)> waiting;
};

struct PullAllResult {
    std::size_t pulled = 0;  // offers handed on (all kept, when the run was not stopped)
    std::size_t failed = 0;  // offers reported through PullAllObserver::failed
    // Why the run stopped before the end (not signed in, the list could not be read, the
    // seller stopped it, what keeps the offers could not); nothing should be kept then.
    std::optional<Failure> stopped;
};

// Where each pulled offer goes, in the list's order: its number and the form's texts.
using PulledOfferSink =
    std::function<void(const std::string& offerId, const structured::PulledOffer& offer)>;

// Lists the offers that `filter` selects (its offset and limit are the function's own), reads
// them several at once (`run`: how many in flight), and hands each to `sink` in the list's
// order. A failed offer is reported and the rest go on; a failure that every further request
// would repeat (signed out, stopped) ends the run, and nothing more is handed on.
PullAllResult PullAllOffers(AllegroSession& session, const OfferQuery& filter,
                            const PulledOfferSink& sink, const PullAllObserver& observer = {},
                            const std::atomic<bool>* cancel = nullptr, const RunSettings& run = {},
                            Clock& clock = SystemClock());

// "120 z 340 ofert".
std::string PullProgressLine(std::size_t done, std::size_t total);

}  // namespace licytek::publish
