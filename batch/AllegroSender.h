// The batch's sender over publish/: every row goes through one AllegroSession, so that the
// whole run talks to Allegro over one kept-alive connection. A separate library
// (batch_allegro), so that the batch itself stays free of the network.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "batch/OfferSender.h"
#include "publish/AllegroSession.h"
#include "publish/OfferRun.h"
#include "publish/Wording.h"

namespace licytek::batch {

class AllegroSender final : public OfferSender {
  public:
    // `session` and `clock` outlive the sender; `clock` is the session's. The observer shows
    // each row's steps and every wait (a 429 pauses the whole run, as nothing else goes out
    // meanwhile).
    AllegroSender(publish::AllegroSession& session, publish::Clock& clock,
                  publish::PublishOptions options, publish::PublishObserver observer = {});

    SendAnswer Send(const std::string& offerId, const AuctionForm& form,
                    const std::vector<std::string>& diskPictures,
                    const std::atomic<bool>* cancel) override;

    // Rows sent several at once over one run (publish/OfferRun.h) with these settings; a
    // busy offer's row waits its turn there while the others go on. Without it, Hand sends
    // one row after another through Send.
    void RunInParallel(publish::RunSettings settings) { parallel_ = std::move(settings); }
    void Hand(std::size_t row, const std::string& offerId, const AuctionForm& form,
              const std::vector<std::string>& diskPictures,
              const std::atomic<bool>* cancel) override;
    std::vector<SentRow> Take() override;
    std::vector<SentRow> TakeAll() override;
    // Words each failure for this front end (the command line's by default).
    void WordFor(const publish::FrontEnd& front) { front_ = &front; }
    // Keeps what each row's update would change (once its offer was read), for TakePlan.
    void KeepPlans() { keepPlans_ = true; }
    // The plan of a row whose answer was taken, once.
    std::optional<publish::PublishPlan> TakePlan(std::size_t row);

    // The requests the run made (for the benchmark).
    std::optional<publish::RunCounts> Counts() const;

    // What made the sending stop (not signed in, the session ended, keys refused, Allegro not
    // answering row after row), if it did.
    std::optional<publish::Outcome> StoppedBy() const { return stoppedBy_; }

  private:
    SendAnswer AnswerOf(const std::string& offerId, const publish::PublishResult& result,
                        bool cancelling);
    std::string MessageOf(const publish::PublishResult& result) const;
    void KeepPlan(std::size_t row, const publish::PublishResult& result);
    void Collect(const std::vector<publish::OfferRun::Line>& lines);

    publish::AllegroSession& session_;
    publish::Clock& clock_;
    publish::PublishOptions options_;
    publish::PublishObserver observer_;
    // Offers that answered 409, and when they may be tried again.
    std::map<std::string, publish::Seconds> busyUntil_;
    std::optional<publish::Outcome> stoppedBy_;
    int unanswered_ = 0;  // rows in a row that Allegro did not answer
    std::optional<publish::RunSettings> parallel_;
    const publish::FrontEnd* front_ = &publish::kCommandLineFront;
    bool keepPlans_ = false;
    std::map<std::size_t, publish::PublishPlan> plans_;  // by the batch's row
    std::optional<publish::PublishPlan> lastPlan_;       // of the row Send sent last
    std::unique_ptr<publish::OfferRun> run_;
    struct Handed {
        std::size_t row = 0;  // the batch's
        std::string offerId;
    };
    std::map<std::size_t, Handed> handed_;  // by the run's row
};

}  // namespace licytek::batch
