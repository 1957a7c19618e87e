// What the batch asks of whoever creates a row's new offer on Allegro. The batch knows nothing
// of the network: a front end gives it a creator (batch/AllegroCreator.h over publish/), and
// tests give it a scripted one.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "model/AuctionForm.h"
#include "offer/OfferData.h"

namespace licytek::batch {

struct CreateAnswer {
    enum class Status {
        Created,    // a draft (in a dry run: the body is ready)
        Activated,  // the draft was activated (or Allegro is activating it)
        Existing,   // an offer with the row's signature is there already: nothing created
        Failed,     // this row failed; the next rows go on
        Stop,       // no later row can be created either (e.g. the session ended)
    };
    CreateAnswer() = default;
    CreateAnswer(Status status_, std::string offerId_, std::string message_)
        : status(status_), offerId(std::move(offerId_)), message(std::move(message_)) {}

    Status status = Status::Created;
    std::string offerId;
    // Polish, UTF-8: why it failed, or the line of an existing offer.
    std::string message;
    // Bad offer data, each under its key: the row names the column.
    std::vector<offer::OfferError> errors;
    std::vector<std::string> warnings;  // Polish, UTF-8: the draft's gaps, notes
    std::size_t gaps = 0;               // Allegro's validation errors of the draft
    std::string body;                   // a dry run's create body
    bool cancelled = false;
    bool activating = false;  // Activated, but Allegro is still checking it (up to 2 hours)
};

class OfferCreator {
  public:
    virtual ~OfferCreator() = default;
    // Creates the offer of `form` and its offer data for the sheet's `row`. `sheetFile` is the
    // row's "plik" (part of the signature made for it). Called on the batch's thread, one row
    // at a time, in the order of the rows. `cancel` is honoured between requests.
    virtual CreateAnswer Create(std::size_t row, const offer::OfferData& data,
                                const AuctionForm& form, const std::string& sheetFile,
                                const std::atomic<bool>* cancel) = 0;
};

}  // namespace licytek::batch
