#include "batch/AllegroSender.h"

#include <string>
#include <utility>

namespace licytek::batch {
namespace {

// Each row that Allegro does not answer costs the retries and their timeouts; after this many
// in a row the rest would only cost the same.
constexpr int kUnansweredRowsToStop = 3;

}  // namespace

AllegroSender::AllegroSender(publish::AllegroSession& session, publish::Clock& clock,
                             publish::PublishOptions options, publish::PublishObserver observer)
    : session_(session),
      clock_(clock),
      options_(std::move(options)),
      observer_(std::move(observer)) {
    // A busy offer is the batch's to put off: the other rows go on meanwhile.
    options_.waitOnConflict = false;
}

SendAnswer AllegroSender::Send(const std::string& offerId, const AuctionForm& form,
                               const std::atomic<bool>* cancel) {
    if (auto busy = busyUntil_.find(offerId); busy != busyUntil_.end()) {
        const publish::Seconds left = busy->second - clock_.Now();
        busyUntil_.erase(busy);
        if (left > 0) {
            if (observer_.waiting) {
                observer_.waiting(left, "Allegro przetwarza poprzednią zmianę oferty " + offerId);
            }
            if (!clock_.Wait(left, cancel)) {
                return {SendAnswer::Status::Failed, "Przerwano.", {}, true, {}};
            }
        }
    }
    const publish::PublishResult result =
        session_.Publish(offerId, form, options_, observer_, cancel);
    if (result.outcome == publish::Outcome::Done) {
        return {SendAnswer::Status::Sent, {}, result.body, false, result.warnings};
    }
    std::string message = publish::FullMessage({result.outcome, result.message, result.traceId});
    for (const structured::Finding& finding : result.findings) {
        if (finding.severity == structured::Severity::Error) {
            // Appended piece by piece: GCC 12 takes " " + std::string for an overlapping copy
            // in a Release build (-Wrestrict).
            message += ' ';
            message += structured::FindingText(finding);
        }
    }
    if (result.conflictWait) {
        busyUntil_[offerId] = clock_.Now() + *result.conflictWait;
        return {SendAnswer::Status::Conflict, std::move(message), {}, false, {}};
    }
    const bool cancelled = cancel != nullptr && cancel->load() && !result.sentUpdate &&
                           result.message.starts_with("Przerwano");
    unanswered_ = result.outcome == publish::Outcome::Network ? unanswered_ + 1 : 0;
    if (unanswered_ >= kUnansweredRowsToStop) {
        stoppedBy_ = result.outcome;
        return {SendAnswer::Status::Stop,
                message + " Allegro nie odpowiada od " + std::to_string(unanswered_) +
                    " wierszy: dalsze opisy nie zostaną wysłane.",
                {},
                false,
                {}};
    }
    if (result.outcome == publish::Outcome::SignedOut ||
        result.outcome == publish::Outcome::BadUse) {
        stoppedBy_ = result.outcome;
        return {SendAnswer::Status::Stop, std::move(message), {}, false, {}};
    }
    return {SendAnswer::Status::Failed, std::move(message), {}, cancelled, result.warnings};
}

}  // namespace licytek::batch
