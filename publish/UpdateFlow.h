// The update of one offer's description (and title) as a flow without the network. It reads
// the offer, uploads each picture the offer lacks, sends the PATCH, waits out a 409, follows a
// 202 until Allegro confirms (for a bounded time), and after a PATCH that got no answer reads
// the offer before anything else: the PATCH goes again only when the offer shows it was not
// applied, and at most once. Every request goes through RequestFlow's rules.
//
// A driver runs it so, with its transport, clock, sign-in and picture memory:
//
//   UpdateFlow flow(std::move(order));
//   while (auto step = flow.Next(clock.Now())) {
//       if (auto* request = std::get_if<Request>(&*step)) {
//           flow.OnAnswer(http.Send(...request...), clock.Now());
//       } else if (auto* wait = std::get_if<Wait>(&*step)) {
//           pause.Take(*wait);  // a 429 holds every flow of the session
//           if (!clock.Wait(wait->until - clock.Now(), cancel)) flow.Cancel();
//       } else if (std::holds_alternative<RefreshSignIn>(*step)) {
//           flow.OnRefreshed(refresh());
//       } else if (auto* keep = std::get_if<UpdateFlow::Remember>(&*step)) {
//           flow.OnRemembered(remember(keep->key, keep->location));
//       }
//   }
//   const UpdateResult& result = flow.result();
//
// Many flows may run at once, each for another offer: each keeps its own counts, they share
// RetryRules as a value, and the driver keeps one SessionPause for all of them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "publish/Http.h"
#include "publish/Protocol.h"
#include "publish/RequestFlow.h"
#include "structured/Description.h"

namespace licytek::publish {

inline constexpr std::string_view kAllegroMediaType = "application/vnd.allegro.public.v1+json";

// Whether `id` can be an offer's number: digits only, at most 32 of them.
bool IsOfferNumber(std::string_view id);

// A picture of the description and what it takes to put it into the offer.
struct PictureToSend {
    std::string source;    // as the description names it
    std::string key;       // the picture memory's key
    std::string location;  // already on Allegro's picture servers, or empty
    // Where the picture went the last time (from the picture memory): used instead of an
    // upload while the offer's gallery still holds it.
    std::string remembered;
    std::string contentType;  // of the upload: the file's media type, or kAllegroMediaType
    std::string upload;       // the file's bytes, or {"url":"..."} for a web address
};

// Whether the offer as read already shows what the update would send (description, title,
// gallery), so that nothing is sent. `planned` names pictures not uploaded yet by their sources.
using UnchangedCheck = std::function<bool(
    const OfferState& offer, const structured::Description& planned, const UpdateBody& body)>;

struct UpdateOrder {
    std::string offerId;
    std::string api;                      // the REST API's base address
    std::string upload;                   // the picture upload's base address
    structured::Description description;  // its pictures named by their sources
    std::vector<PictureToSend> pictures;
    std::optional<std::string> name;  // only when the title is to change
    bool dryRun = false;              // read the offer and plan the body; send nothing
    // On 409 wait and send again; without it the failure carries retryAfter, for a caller
    // with other work meanwhile.
    bool waitOnConflict = true;
    UnchangedCheck unchanged;  // none: always send
};

struct UpdateRules {
    RetryRules retry;
    int conflicts = 3;          // 409s waited out before giving up
    Seconds conflictWait = 10;  // a 409 without Retry-After
    Seconds pollWait = 5;       // between looks at a 202's operation, without Retry-After
    // A change Allegro has not confirmed by then is given up.
    Seconds confirmWithin = Seconds{10} * 60;
};

// Where the flow is, for progress.
enum class UpdateStage { ReadOffer, Upload, Update, Confirm, Check, ReadBack };

struct UpdateResult {
    enum class End { Updated, Unchanged, DryRun, Failed };
    // The offer as read after the update, against what was sent.
    enum class ReadBack { Same, Differs, NotRead };

    End end = End::Failed;
    std::optional<Failure> failure;  // when Failed; its `reached` is `reached` below
    Reached reached;
    std::optional<OfferState> before;  // the offer as first read
    std::string body;                  // the PATCH body: as sent, or as planned
    ReadBack readBack = ReadBack::NotRead;
    std::vector<std::string> filesSent;  // pictures from the disk uploaded, by their sources
};

class UpdateFlow {
  public:
    // Keep the uploaded picture in the picture memory now, then OnRemembered: an upload that
    // cannot be remembered stops the update before the PATCH, or the next one would add the
    // same picture to the gallery again.
    struct Remember {
        std::string key;
        std::string location;
    };
    using Step = std::variant<Request, Wait, RefreshSignIn, Remember>;

    explicit UpdateFlow(UpdateOrder order, const UpdateRules& rules = {});
    // A request given out refers to the flow's own body: the flow stays where it was made
    // (keep many in a std::deque or behind pointers).
    UpdateFlow(const UpdateFlow&) = delete;
    UpdateFlow& operator=(const UpdateFlow&) = delete;

    // The next step at `now`; nothing once the result is known. The same step comes again
    // until it is answered, and a Request given out must be answered by OnAnswer, even after
    // Cancel (with the driver's own TransportFailure when it cut the request or never sent it).
    std::optional<Step> Next(Seconds now);
    void OnAnswer(HttpResult answer, Seconds now);
    void OnRefreshed(std::optional<Failure> failure);
    void OnRemembered(std::optional<std::string> error);
    // Stops at the next safe point: nothing new goes out; a request in flight is answered first.
    void Cancel();
    // Ends the flow with the driver's own failure (no tokens, ...), with what reached Allegro.
    void Stop(Failure failure);

    const UpdateResult& result() const { return result_; }
    UpdateStage stage() const { return stage_; }
    std::size_t uploadNumber() const { return uploadNumber_; }  // 1 for the first upload
    std::size_t uploadsPlanned() const { return uploadsPlanned_; }

  private:
    using Final = RequestFlow::Final;

    std::string OfferUrl() const;
    std::string Resolve(const std::string& location) const;
    void Start(UpdateStage stage, Request request, std::optional<Wait> first = {});
    void Settle();
    std::variant<OfferState, Failure> OfferFrom(const Final& answer) const;
    std::variant<UpdateBody, std::string> Build(bool placeholders,
                                                structured::Description& description) const;

    void OnRead(const Final& answer);
    void Plan();
    void NextUpload();
    void OnUpload(const Final& answer);
    void StartPatch();
    void OnPatch(const Final& answer);
    void Lost(long status, std::string detail, std::string traceId);
    void OnConflict(const HttpResponse& response);
    void OnCheck(const Final& answer);
    void StartConfirm(Seconds asked);
    void OnConfirm(const Final& answer);
    void StartReadBack(const std::string& url, std::optional<Wait> first = {});
    void OnReadBack(const Final& answer);

    void Finish(UpdateResult::End end,
                UpdateResult::ReadBack readBack = UpdateResult::ReadBack::NotRead);
    void Fail(Failure failure);
    Failure Made(FailureKind kind, Outcome outcome, Purpose purpose, std::string detail) const;
    Failure Described(const Final& answer, Purpose purpose) const;

    UpdateOrder order_;
    UpdateRules rules_;
    UpdateResult result_;
    bool done_ = false;
    bool cancelled_ = false;
    bool inFlight_ = false;
    Seconds now_ = 0;
    UpdateStage stage_ = UpdateStage::ReadOffer;
    std::optional<RequestFlow> call_;
    std::optional<Remember> remember_;

    std::vector<std::string> gallery_;  // the offer's gallery as last read
    std::size_t picture_ = 0;           // the picture being uploaded
    std::size_t uploadNumber_ = 0;
    std::size_t uploadsPlanned_ = 0;
    std::string body_;             // the PATCH body, as the request's body refers to it
    std::string sentDescription_;  // its description, to compare the offer with
    int conflicts_ = 0;
    bool afterConflict_ = false;  // the check after a 409, not after a lost answer
    bool resent_ = false;         // the PATCH went once more after a lost answer
    long lostStatus_ = 0;         // the lost answer: a 5xx, or the transport's words
    std::string lostDetail_;
    std::string lostTraceId_;
    std::string operation_;  // a 202's Location
    Seconds deadline_ = 0;   // for Allegro's confirmation
};

}  // namespace licytek::publish
