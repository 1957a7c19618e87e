// Allegro's protocol without the network: the device sign-in as a state machine, the refresh
// decision, the update's body and the Polish message for each failure. Everything here is
// pure: it takes statuses, bodies and times and returns values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "structured/Description.h"

namespace licytek::publish {

// Seconds since the epoch.
using Seconds = std::int64_t;

// ---- Sign-in ------------------------------------------------------------------------------

struct DeviceCode {
    std::string userCode;
    std::string deviceCode;
    std::string verificationAddress;  // verification_uri_complete
    Seconds expiresIn = 0;
    Seconds interval = 5;
};

// The answer of POST /auth/oauth/device, or a Polish message when it is not one.
std::variant<DeviceCode, std::string> ParseDeviceCode(std::string_view body);

// "abcdefghi" as "abc def ghi".
std::string GroupUserCode(std::string_view userCode);

struct Tokens {
    std::string access;
    std::string refresh;
    Seconds expiresAt = 0;  // when the access token stops working
};

// The answer of POST /auth/oauth/token with status 200, received at `now`.
std::optional<Tokens> ParseTokens(std::string_view body, Seconds now);

// An access token this close to its end is refreshed before it is used.
inline constexpr Seconds kRefreshMargin = 300;
bool NeedsRefresh(const Tokens& tokens, Seconds now);

// What the token endpoint's refusal of a refresh means. Only invalid_grant says that the
// pair itself is over (run out, revoked, or spent elsewhere); any other 400 or 401 refused
// the program's keys or its request, and leaves the pair as good as it was.
enum class RefreshRefusal { SessionOver, KeysRefused, Other };
RefreshRefusal JudgeRefreshRefusal(long status, std::string_view body);
// The error code of a token endpoint's answer ("invalid_client"), when it is a plain one.
std::string OAuthError(std::string_view body);

// The device flow after the code was given: poll every `interval` seconds until the seller
// confirms, refuses, or the code runs out.
class DeviceFlow {
  public:
    struct PollAt {
        Seconds when;  // poll POST /auth/oauth/token at this time
    };
    struct SignedIn {
        Tokens tokens;
    };
    enum class Stop {
        Denied,   // the seller refused
        Expired,  // the code ran out or was used: sign in again from the start
        Failed,   // an answer that the flow does not know
    };
    using Action = std::variant<PollAt, SignedIn, Stop>;

    DeviceFlow(DeviceCode code, Seconds started);

    Action First() const;
    // The token endpoint answered `status` with `body` at `now`.
    Action OnAnswer(long status, std::string_view body, Seconds now);

    const DeviceCode& code() const { return code_; }
    Seconds SecondsLeft(Seconds now) const;
    Seconds interval() const { return interval_; }

  private:
    DeviceCode code_;
    Seconds deadline_;
    Seconds interval_;
};

// `text` percent-encoded for a form body or a query: all but letters, digits and "-._~".
std::string FormEncoded(std::string_view text);

// The form bodies of the token endpoint (client_id goes in the device request's body).
std::string DeviceRequestBody(std::string_view clientId);
std::string DevicePollBody(std::string_view deviceCode);
std::string RefreshBody(std::string_view refreshToken);
// "Basic base64(id:secret)".
std::string BasicAuthorization(std::string_view id, std::string_view secret);

// ---- The offer ----------------------------------------------------------------------------

// What the update needs to know of the offer as it is.
struct OfferState {
    std::string id;
    std::string name;
    std::vector<std::string> images;
    std::string descriptionJson;  // the "description" object as Allegro gave it, compact
    std::size_t sections = 0;
    // What Allegro itself finds wrong with the offer (validation.errors), each with its
    // place ("sekcja 2, element 1: ...") where Allegro names one.
    std::vector<std::string> validationErrors;
};

std::variant<OfferState, std::string> ParseOffer(std::string_view body);

struct UpdateRequest {
    structured::Description description;     // with the uploaded addresses in place
    std::vector<std::string> currentImages;  // the offer's gallery as it is
    std::vector<std::string> newImages;      // the description's pictures, uploaded
    std::optional<std::string> name;         // only when the title is to change
};

struct UpdateBody {
    std::string json;                 // {"description":..., "images":[...], "name":...}
    std::vector<std::string> images;  // the gallery it sets
};

// The PATCH body, or a Polish message when the gallery would exceed 16 pictures. The gallery
// is the current one followed by the new pictures it does not hold yet.
std::variant<UpdateBody, std::string> BuildUpdateBody(const UpdateRequest& request);

// Whether the offer read back carries the description that was sent.
bool SameDescription(std::string_view sentDescriptionJson, std::string_view offerDescriptionJson);

// ---- Failures -----------------------------------------------------------------------------

// How a piece of work ended, as the command-line tool's exit status.
enum class Outcome {
    Done = 0,
    Refused = 1,    // Allegro or a limit refused it
    BadUse = 2,     // wrong use, or no keys
    SignedOut = 3,  // not signed in, or the session expired
    Network = 4,    // no answer after the retries
};

struct Failure {
    Outcome outcome = Outcome::Refused;
    std::string message;     // Polish, one or more sentences, never a token
    std::string traceId;     // the answer's Trace-Id, for Allegro's support
    bool cancelled = false;  // the seller stopped it
};

inline constexpr std::string_view kSignInAgain = "Zaloguj się: licytek-cli allegro login";

// What the request was for, so that the message can say it.
enum class Purpose { SignIn, Account, Offers, ReadOffer, Picture, Update };

// The seller's message for an answer that is not a success.
Failure DescribeAnswer(Purpose purpose, std::string_view offerId, long status,
                       std::string_view body, std::string_view traceId);
// The same for no answer at all.
Failure DescribeNoAnswer(Purpose purpose, std::string_view detail);

// The message with its Trace-Id, as the seller reads it.
std::string FullMessage(const Failure& failure);

// Whether a 401 answer says that the access token is no longer valid.
bool IsInvalidToken(long status, std::string_view body);

// Seconds from a Retry-After header (seconds only), or `fallback`.
Seconds RetryAfter(std::string_view header, Seconds fallback);

}  // namespace licytek::publish
