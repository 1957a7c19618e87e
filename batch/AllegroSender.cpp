#include "batch/AllegroSender.h"

#include <utility>

namespace licytek::batch {

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
            message +=
                " " + (finding.control.empty() ? "" : finding.control + ": ") + finding.message;
        }
    }
    if (result.conflictWait) {
        busyUntil_[offerId] = clock_.Now() + *result.conflictWait;
        return {SendAnswer::Status::Conflict, std::move(message), {}, false, {}};
    }
    const bool cancelled = cancel != nullptr && cancel->load() && !result.sentUpdate &&
                           result.message.starts_with("Przerwano");
    if (result.outcome == publish::Outcome::SignedOut ||
        result.outcome == publish::Outcome::BadUse) {
        stoppedBy_ = result.outcome;
        return {SendAnswer::Status::Stop, std::move(message), {}, false, {}};
    }
    return {SendAnswer::Status::Failed, std::move(message), {}, cancelled, result.warnings};
}

}  // namespace licytek::batch
