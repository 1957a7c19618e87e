#include "batch/AllegroSender.h"

#include "publish/Wording.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <variant>

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
                               const std::vector<std::string>& diskPictures,
                               const std::atomic<bool>* cancel) {
    if (auto busy = busyUntil_.find(offerId); busy != busyUntil_.end()) {
        const publish::Seconds left = busy->second - clock_.Now();
        busyUntil_.erase(busy);
        if (left > 0) {
            if (observer_.waiting) {
                observer_.waiting(left, "Allegro przetwarza poprzednią zmianę oferty " + offerId);
            }
            if (!clock_.Wait(left, cancel)) {
                return {SendAnswer::Status::Failed, "Przerwano.", {}, true, {}, {}};
            }
        }
    }
    publish::PublishOptions options = options_;
    options.diskPictures = diskPictures;
    const publish::PublishResult result =
        session_.Publish(offerId, form, options, observer_, cancel);
    lastPlan_ = result.plan;
    return AnswerOf(offerId, result, cancel != nullptr && cancel->load());
}

std::string AllegroSender::MessageOf(const publish::PublishResult& result) const {
    if (result.failure) {
        return publish::FailureText(*result.failure, *front_);
    }
    return publish::FullMessage({result.outcome, result.message, result.traceId});
}

void AllegroSender::KeepPlan(std::size_t row, const publish::PublishResult& result) {
    if (keepPlans_ && result.plan) {
        plans_[row] = *result.plan;
    }
}

std::optional<publish::PublishPlan> AllegroSender::TakePlan(std::size_t row) {
    auto plan = plans_.extract(row);
    return plan.empty() ? std::nullopt : std::optional(std::move(plan.mapped()));
}

SendAnswer AllegroSender::AnswerOf(const std::string& offerId, const publish::PublishResult& result,
                                   bool cancelling) {
    if (result.outcome == publish::Outcome::Done) {
        unanswered_ = 0;
        return {SendAnswer::Status::Sent, {}, result.body, false, result.warnings, result.filesSent,
                result.unchanged};
    }
    std::string message = MessageOf(result);
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
        return {SendAnswer::Status::Conflict, std::move(message), {}, false, {}, result.filesSent};
    }
    // Stopped before anything reached the offer: the row is named among those not sent.
    const bool cancelled = cancelling && result.failure &&
                           result.failure->kind == publish::FailureKind::Cancelled &&
                           result.failure->reached.update == publish::UpdateSent::No;
    unanswered_ = result.outcome == publish::Outcome::Network ? unanswered_ + 1 : 0;
    if (unanswered_ >= kUnansweredRowsToStop) {
        stoppedBy_ = result.outcome;
        return {SendAnswer::Status::Stop,
                message + " Allegro nie odpowiada od " + std::to_string(unanswered_) +
                    " wierszy: dalsze opisy nie zostaną wysłane.",
                {},
                false,
                {},
                result.filesSent};
    }
    if (result.outcome == publish::Outcome::SignedOut ||
        result.outcome == publish::Outcome::BadUse) {
        stoppedBy_ = result.outcome;
        return {SendAnswer::Status::Stop, std::move(message), {}, false, {}, result.filesSent};
    }
    return {SendAnswer::Status::Failed,
            std::move(message),
            {},
            cancelled,
            result.warnings,
            result.filesSent};
}

// ---- Several rows at once ------------------------------------------------------------------

namespace {

// A row that ended before anything went out (a description Allegro would refuse, a picture
// that cannot be read): it keeps its place in the run's order.
class EndedWork final : public publish::RowWork {
  public:
    explicit EndedWork(publish::PublishResult result) : result_(std::move(result)) {}
    std::optional<publish::UpdateFlow::Step> Next(publish::Seconds /*now*/) override {
        return std::nullopt;
    }
    void OnAnswer(publish::HttpResult /*answer*/, publish::Seconds /*now*/) override {}
    void OnRefreshed(std::optional<publish::Failure> /*failure*/) override {}
    void OnRemembered(std::optional<std::string> /*error*/) override {}
    void Cancel() override {}
    void Stop(publish::Failure /*failure*/) override {}
    const publish::PublishResult& result() const { return result_; }

  private:
    publish::PublishResult result_;
};

constexpr std::chrono::milliseconds kPumpSlice{100};

}  // namespace

void AllegroSender::Hand(std::size_t row, const std::string& offerId, const AuctionForm& form,
                         const std::vector<std::string>& diskPictures,
                         const std::atomic<bool>* cancel) {
    if (!parallel_) {
        lastPlan_.reset();
        OfferSender::Hand(row, offerId, form, diskPictures, cancel);
        if (keepPlans_ && lastPlan_) {
            plans_[row] = *lastPlan_;
        }
        return;
    }
    if (!run_) {
        options_.waitOnConflict = true;  // a busy offer's row waits in the run, the others go on
        if (observer_.waiting && !parallel_->waiting) {
            parallel_->waiting = [this](const publish::Wait& wait) {
                observer_.waiting(wait.seconds, publish::WaitSentence(wait));
            };
        }
        run_ = std::make_unique<publish::OfferRun>(session_, clock_, *parallel_, cancel);
    }
    while (!run_->HasRoom() && !run_->Done() && !run_->Cancelled()) {
        Collect(run_->Pump(kPumpSlice));
    }
    publish::PublishOptions options = options_;
    options.diskPictures = diskPictures;
    auto prepared = session_.PrepareUpdate(offerId, form, options);
    std::unique_ptr<publish::RowWork> work;
    if (auto* order = std::get_if<publish::UpdateOrder>(&prepared)) {
        work = std::make_unique<publish::UpdateWork>(std::move(*order));
    } else {
        work = std::make_unique<EndedWork>(std::get<publish::PublishResult>(std::move(prepared)));
    }
    if (run_->Cancelled()) {
        work->Cancel();
    }
    handed_.emplace(run_->Add(offerId, std::move(work)), Handed{row, offerId});
    Collect(run_->Pump(std::chrono::milliseconds(0)));
}

void AllegroSender::Collect(const std::vector<publish::OfferRun::Line>& lines) {
    for (const auto& line : lines) {
        const auto handed = handed_.find(line.row);
        if (handed == handed_.end()) {
            continue;
        }
        SentRow sent{handed->second.row, handed->second.offerId, line.work == nullptr, {}};
        if (line.work != nullptr) {
            handed_.erase(handed);
            publish::PublishResult result;
            if (const auto* update = dynamic_cast<const publish::UpdateWork*>(line.work.get())) {
                result = session_.ResultOf(update->order(), update->result());
            } else {
                result = static_cast<const EndedWork&>(*line.work).result();
            }
            KeepPlan(sent.row, result);
            sent.answer = AnswerOf(sent.offerId, result, run_->Cancelled());
            if (sent.answer.status == SendAnswer::Status::Stop) {
                run_->Cancel();  // every later row would fail alike
            }
        }
        ready_.push_back(std::move(sent));
    }
}

std::vector<SentRow> AllegroSender::Take() {
    return OfferSender::Take();
}

std::vector<SentRow> AllegroSender::TakeAll() {
    while (run_ && !run_->Done()) {
        Collect(run_->Pump(kPumpSlice));
    }
    return OfferSender::Take();
}

std::optional<publish::RunCounts> AllegroSender::Counts() const {
    return run_ ? std::optional(run_->Counts()) : std::nullopt;
}

}  // namespace licytek::batch
