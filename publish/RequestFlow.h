// One request to Allegro under the rules for trying again, without the network: it takes the
// answers and the clock and says what to do next (send, wait, refresh the sign-in) until the
// answer is final. Every request of the program goes through these rules:
//   401 invalid_token -> one refresh of the sign-in, then the request once more;
//   429               -> the whole session waits Retry-After (capped), a few times at most;
//   5xx or no answer  -> a GET again after growing pauses, a few times at most;
// and a request with a body is never sent again blind: its lost answer is final here, and
// the caller (the update's flow) reads the offer before it decides.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "publish/Http.h"
#include "publish/Protocol.h"

namespace licytek::publish {

struct RetryRules {
    int refreshes = 1;           // 401 invalid_token: refreshes of the sign-in per request
    int throttled = 3;           // 429s waited out per request before it is given up
    Seconds throttledWait = 60;  // a 429 without Retry-After
    int retries = 3;             // a GET with 5xx or no answer, sent again
    Seconds firstPause = 1;      // and the pauses before it double: 1, 2, 4 s
    Seconds longestWait = Seconds{5} * 60;  // no wait is longer, whatever Allegro asks for
};

// A request to make. The driver adds Accept, Accept-Language and the Bearer token.
struct Request {
    std::string method = "GET";  // GET, POST or PATCH
    std::string url;
    std::string contentType;  // of the body; empty without one
    std::string_view body;    // held by the flow: valid until its next OnAnswer, Cancel or Stop
    Purpose purpose = Purpose::ReadOffer;
    // A GET or a picture upload may be cut on cancel; an update whose body went out is let
    // finish (within the timeout), else its result is unknown.
    bool safeToCancel = true;
    // A 403 may come from a token older than the account's rights (the list of offers): it
    // too is met with the one refresh before it is taken as the answer.
    bool refreshOnForbidden = false;
};

enum class WaitReason {
    TooManyRequests,  // 429: session-wide
    ServerError,      // a GET's 5xx, before it goes again
    NoAnswer,         // a GET without an answer, before it goes again
    Busy,             // 409: the offer is busy with an earlier change
    Processing,       // 202: Allegro is applying the change
};

struct Wait {
    Seconds until = 0;    // go on at this time
    Seconds seconds = 0;  // how long, as decided
    Seconds asked = 0;    // what Allegro asked for; more than `seconds` when it was capped
    WaitReason reason = WaitReason::Processing;
    bool sessionWide = false;  // every request of the session waits until `until`
};

// The access token was refused: refresh the sign-in (once for all flows that ask for the same
// token), then tell the flow with OnRefreshed.
struct RefreshSignIn {};

// The one pause of a session after 429s: the driver holds one for all its flows, and sends
// nothing while it holds. Overlapping 429s extend it to the latest end; they never add up.
class SessionPause {
  public:
    void Take(const Wait& wait);
    bool Holds(Seconds now) const { return now < until_; }
    Seconds until() const { return until_; }

  private:
    Seconds until_ = 0;
};

// A failure of the transport as a Failure: no answer, an answer too large, an untrusted address.
Failure DescribeLost(Purpose purpose, std::string_view offerId, const TransportFailure& lost);

class RequestFlow {
  public:
    using Step = std::variant<Request, Wait, RefreshSignIn>;
    // The answer the rules leave: Allegro's, the transport's failure, or the refresh's failure.
    using Final = std::variant<HttpResponse, TransportFailure, Failure>;

    // `first`: a wait before the request goes out at all (a 409's or a 202's).
    RequestFlow(Request request, const RetryRules& rules, std::optional<Wait> first = {});

    // What to do at `now`; nothing once the answer is final.
    std::optional<Step> Next(Seconds now) const;
    void OnAnswer(HttpResult answer, Seconds now);
    // After RefreshSignIn: nothing when a fresh token is ready, else why not.
    void OnRefreshed(std::optional<Failure> failure);

    const Final* answer() const { return answer_ ? &*answer_ : nullptr; }
    const Request& request() const { return request_; }

  private:
    void WaitFor(Seconds now, Seconds asked, WaitReason reason, bool sessionWide);

    Request request_;
    RetryRules rules_;
    std::optional<Wait> wait_;
    bool refreshing_ = false;
    int refreshed_ = 0;
    int throttled_ = 0;
    int retried_ = 0;
    std::optional<Final> answer_;
};

}  // namespace licytek::publish
