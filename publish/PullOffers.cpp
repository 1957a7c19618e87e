#include "publish/PullOffers.h"

#include <chrono>
#include <memory>

#include "publish/OfferRun.h"
#include "publish/Wording.h"

#include <utility>
#include <vector>

#include "model/PolishNumbers.h"

namespace licytek::publish {
namespace {

constexpr std::size_t kPageSize = 100;

// A failure that names the offer, whatever part of the program described it.
Failure NamingOffer(Failure failure, const std::string& offerId) {
    if (failure.offerId != offerId || !NamesOffer(failure)) {
        failure.message = "Oferta " + offerId + ": " + failure.message;
    }
    return failure;
}

// Every offer the filter selects, page by page. An entry that is no offer is reported and
// counted as failed; a list cut short is warned of.
std::variant<std::vector<OfferSummary>, Failure> ListAll(
    AllegroSession& session, const OfferQuery& filter, const PullAllObserver& observer,
    const PublishObserver& waits, const std::atomic<bool>* cancel, PullAllResult& result) {
    OfferQuery first = filter;
    first.offset = 0;
    first.limit = kPageSize;
    OfferPages pages(std::move(first));
    std::vector<OfferSummary> offers;
    while (const auto query = pages.Next()) {
        if (cancel != nullptr && cancel->load()) {
            Failure failure{Outcome::Refused, {}, {}};
            failure.cancelled = true;
            return failure;
        }
        auto page = session.ListOffers(*query, &waits, cancel);
        if (auto* failure = std::get_if<Failure>(&page)) {
            return std::move(*failure);
        }
        auto& listed = std::get<OfferPage>(page);
        for (const std::string& problem : listed.problems) {
            ++result.failed;
            if (observer.failed) {
                observer.failed(problem);
            }
        }
        for (OfferSummary& offer : pages.Take(std::move(listed))) {
            offers.push_back(std::move(offer));
        }
    }
    if (pages.Cut() && observer.warning) {
        observer.warning(pages.CutMessage());
    }
    return offers;
}

// A failure that every further request would repeat.
bool EndsTheRun(const Failure& failure) {
    return failure.cancelled || failure.outcome == Outcome::SignedOut ||
           failure.outcome == Outcome::BadUse;
}

// The failure that ended a run, which wrote nothing.
Failure Stopped(Failure failure) {
    if (failure.cancelled) {
        failure.message = "Przerwano: nic nie zostało zapisane.";
    }
    return failure;
}

}  // namespace

std::variant<structured::PulledOffer, Failure> PullOneOffer(AllegroSession& session,
                                                            const std::string& offerId,
                                                            const PublishObserver* observer,
                                                            const std::atomic<bool>* cancel) {
    return PulledFrom(session.GetOffer(offerId, observer, cancel), offerId);
}

std::variant<structured::PulledOffer, Failure> PulledFrom(std::variant<OfferState, Failure> read,
                                                          const std::string& offerId) {
    if (auto* failure = std::get_if<Failure>(&read)) {
        return NamingOffer(std::move(*failure), offerId);
    }
    const OfferState& offer = std::get<OfferState>(read);
    auto description = structured::DescriptionFromJson(offer.descriptionJson);
    if (auto* finding = std::get_if<structured::Finding>(&description)) {
        return NamingOffer(Failure{Outcome::Refused, finding->message, {}}, offerId);
    }
    auto pulled = structured::PullOffer(offer.name, std::get<structured::Description>(description));
    if (auto* finding = std::get_if<structured::Finding>(&pulled)) {
        return NamingOffer(Failure{Outcome::Refused, finding->message, {}}, offerId);
    }
    return std::get<structured::PulledOffer>(std::move(pulled));
}

std::optional<OfferQuery> OfferPages::Next() const {
    if (over_) {
        return std::nullopt;
    }
    return query_;
}

std::vector<OfferSummary> OfferPages::Take(OfferPage page) {
    ++pages_;
    std::vector<OfferSummary> fresh;
    for (OfferSummary& offer : page.offers) {
        if (seen_.insert(offer.id).second) {
            fresh.push_back(std::move(offer));
        }
    }
    query_.offset += page.listed;
    over_ = page.listed == 0 || fresh.empty() || query_.offset >= page.totalCount;
    if (!over_ && pages_ >= kMaxOfferPages) {
        over_ = cut_ = true;
    }
    return fresh;
}

std::string OfferPages::CutMessage() const {
    return "Lista ofert nie skończyła się po " + GroupedNumber(kMaxOfferPages) +
           " stronach: wzięto z niej " + CountedNoun(seen_.size(), "ofertę", "oferty", "ofert") +
           ".";
}

PullAllResult PullAllOffers(AllegroSession& session, const OfferQuery& filter,
                            const PulledOfferSink& sink, const PullAllObserver& observer,
                            const std::atomic<bool>* cancel, const RunSettings& run, Clock& clock) {
    PullAllResult result;
    PublishObserver waits;
    waits.waiting = observer.waiting;
    auto listed = ListAll(session, filter, observer, waits, cancel, result);
    if (auto* failure = std::get_if<Failure>(&listed)) {
        result.stopped = Stopped(std::move(*failure));
        return result;
    }
    const auto& offers = std::get<std::vector<OfferSummary>>(listed);
    if (observer.progress) {
        observer.progress(0, offers.size());  // the count shows before the first offer comes
    }
    // The offers are read several at once and handed on in the list's order.
    RunSettings settings = run;
    settings.waiting = [&observer](const Wait& wait) {
        if (observer.waiting) {
            observer.waiting(wait.seconds, WaitSentence(wait));
        }
    };
    OfferRun reads(session, clock, std::move(settings), cancel);
    std::size_t next = 0;
    std::size_t done = 0;
    std::size_t handed = 0;
    while (done < offers.size()) {
        while (next < offers.size() && reads.HasRoom()) {
            const std::string& id = offers[next++].id;
            reads.Add(id, std::make_unique<ReadWork>(
                              session.endpoints().api + "/sale/product-offers/" + id,
                              Purpose::ReadOffer));
        }
        for (auto& line : reads.Pump(std::chrono::milliseconds(100))) {
            if (line.work == nullptr) {
                continue;
            }
            const OfferSummary& listedOffer = offers[line.row];
            auto pulled = PulledFrom(
                OfferFromRead(static_cast<const ReadWork&>(*line.work).result(), listedOffer.id),
                listedOffer.id);
            ++done;
            if (auto* failure = std::get_if<Failure>(&pulled)) {
                if (EndsTheRun(*failure)) {
                    reads.Cancel();
                    result.stopped = Stopped(std::move(*failure));
                    continue;  // the reads in flight end first
                }
                ++result.failed;
                if (observer.failed) {
                    observer.failed(failure->message);
                }
            } else if (!result.stopped) {
                ++handed;
                sink(listedOffer.id, std::get<structured::PulledOffer>(pulled));
            }
            if (observer.progress) {
                observer.progress(done, offers.size());
            }
        }
        if (reads.Done() && (reads.Cancelled() || result.stopped)) {
            break;
        }
    }
    if (result.stopped || reads.Cancelled()) {
        if (!result.stopped) {
            Failure cancelled{Outcome::Refused, {}, {}};
            cancelled.cancelled = true;
            cancelled.kind = FailureKind::Cancelled;
            result.stopped = Stopped(std::move(cancelled));
        }
        return result;
    }
    result.pulled = handed;
    return result;
}

std::string PullProgressLine(std::size_t done, std::size_t total) {
    return CountOutOf(done, total, "oferty", "ofert");
}

}  // namespace licytek::publish
