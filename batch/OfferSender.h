// What the batch asks of whoever sends a row's description to its Allegro offer. The batch
// knows nothing of the network: a front end gives it a sender (batch/AllegroSender.h over
// publish/), and tests give it a scripted one.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "model/AuctionForm.h"

namespace licytek::batch {

struct SendAnswer {
    enum class Status {
        Sent,      // done (in a dry run: the body is ready)
        Failed,    // this row failed; the next rows go on
        Conflict,  // the offer is busy with an earlier change: try this row again later
        Stop,      // no later row can be sent either (e.g. the session ended)
    };
    Status status = Status::Sent;
    std::string message;                // Polish, UTF-8: why it failed
    std::string body;                   // a dry run's update body
    bool cancelled = false;             // the cancel stopped it before anything reached the offer
    std::vector<std::string> warnings;  // Polish, UTF-8: e.g. the offer read back differs
    std::vector<std::string> filesSent = {};  // disk pictures uploaded, as the row names them
    // Sent, but with nothing sent: the offer already shows this description, title and
    // gallery (in a dry run: no body either).
    bool unchanged = false;
};

// A row's answer, handed back in the order the rows were handed over.
struct SentRow {
    std::size_t row = 0;
    std::string offerId;
    bool waiting = false;  // the row waits on Allegro: its answer comes later, on its own line
    SendAnswer answer;
};

class OfferSender {
  public:
    virtual ~OfferSender() = default;

    // Rows sent several at once: Hand each row over (it may wait for room among the rows in
    // flight), Take the answers ready so far, and TakeAll at the end. By default each row is
    // sent as it is handed over, through Send.
    virtual void Hand(std::size_t row, const std::string& offerId, const AuctionForm& form,
                      const std::vector<std::string>& diskPictures,
                      const std::atomic<bool>* cancel) {
        ready_.push_back({row, offerId, false, Send(offerId, form, diskPictures, cancel)});
    }
    virtual std::vector<SentRow> Take() { return std::exchange(ready_, {}); }
    virtual std::vector<SentRow> TakeAll() { return Take(); }

    // Sends the description of `form` to offer `offerId` (digits). Called on the batch's
    // thread, one row at a time, in the order of the rows. Of the pictures on the disk, only
    // `diskPictures` may be uploaded: those the row itself names. `cancel` is honoured between
    // requests.
    virtual SendAnswer Send(const std::string& offerId, const AuctionForm& form,
                            const std::vector<std::string>& diskPictures,
                            const std::atomic<bool>* cancel) = 0;

  protected:
    std::vector<SentRow> ready_;
};

}  // namespace licytek::batch
