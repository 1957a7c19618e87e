// The batch's creator of new offers over publish/: every row goes through one catalogue of
// look-ups over one session, so that the seller's lists and each category's parameters are
// read once, and each distinct EAN searched once, for the whole run. Beside AllegroSender in
// the batch_allegro library, so that the batch itself stays free of the network.
#pragma once

#include <optional>
#include <string>

#include "batch/OfferCreator.h"
#include "publish/OfferCreation.h"
#include "publish/Wording.h"

namespace licytek::batch {

class AllegroCreator final : public OfferCreator {
  public:
    // `catalogue` outlives the creator. `options` say whether to activate, whether to only
    // prepare the bodies, and where the pictures' relative paths start.
    AllegroCreator(publish::OfferCatalogue& catalogue, publish::CreateOptions options,
                   publish::PublishObserver observer = {});

    CreateAnswer Create(std::size_t row, const offer::OfferData& data, const AuctionForm& form,
                        const std::string& sheetFile, const std::atomic<bool>* cancel) override;

    // Words a failure to reach Allegro for this front end (the command line's by default).
    void WordFor(const publish::FrontEnd& front) { front_ = &front; }

    // What made the creating stop (not signed in, keys refused, Allegro not answering row
    // after row), if it did.
    std::optional<publish::Outcome> StoppedBy() const { return stoppedBy_; }

  private:
    CreateAnswer Failed(publish::Outcome outcome, const std::string& message, bool cancelled);
    std::string FailureMessage(const publish::CreateResult& result) const;

    publish::OfferCatalogue& catalogue_;
    publish::CreateOptions options_;
    publish::PublishObserver observer_;
    const publish::FrontEnd* front_ = &publish::kCommandLineFront;
    std::optional<publish::Outcome> stoppedBy_;
    int unanswered_ = 0;  // rows in a row that Allegro did not answer
};

}  // namespace licytek::batch
