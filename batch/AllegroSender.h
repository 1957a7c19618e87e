// The batch's sender over publish/: every row goes through one AllegroSession, so that the
// whole run talks to Allegro over one kept-alive connection. A separate library
// (batch_allegro), so that the batch itself stays free of the network.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "batch/OfferSender.h"
#include "publish/AllegroSession.h"

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

    // What made the sending stop (not signed in, the session ended, keys refused, Allegro not
    // answering row after row), if it did.
    std::optional<publish::Outcome> StoppedBy() const { return stoppedBy_; }

  private:
    publish::AllegroSession& session_;
    publish::Clock& clock_;
    publish::PublishOptions options_;
    publish::PublishObserver observer_;
    // Offers that answered 409, and when they may be tried again.
    std::map<std::string, publish::Seconds> busyUntil_;
    std::optional<publish::Outcome> stoppedBy_;
    int unanswered_ = 0;  // rows in a row that Allegro did not answer
};

}  // namespace licytek::batch
