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

// No wait is longer than this, whatever the server asks for (Retry-After: 999999 would be
// eleven days): a seller who waits longer would rather try again later.
inline constexpr Seconds kLongestWait = 300;
// An accepted change (202) that Allegro has not applied after this long is no longer waited
// for: it was sent, and the seller checks the offer.
inline constexpr Seconds kOperationDeadline = 600;

// ---- Sign-in ------------------------------------------------------------------------------

struct DeviceCode {
    std::string userCode;
    std::string deviceCode;
    // verification_uri_complete, or else verification_uri, where the seller types the code
    std::string verificationAddress;
    Seconds expiresIn = 0;
    Seconds interval = 5;
};

// The answer of POST /auth/oauth/device, or a Polish message when it is not one. Numbers may
// come as strings ("5"); the interval is kept between 1 second and kLongestWait.
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
// What the seller reads when a token answer of status 200 holds no tokens.
inline constexpr std::string_view kNoTokensMessage =
    "Allegro odpowiedziało na logowanie bez tokenów dostępu. Spróbuj ponownie za chwilę.";

// An access token this close to its end is refreshed before it is used.
inline constexpr Seconds kRefreshMargin = 300;
bool NeedsRefresh(const Tokens& tokens, Seconds now);

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

// ---- The seller's account and offers -----------------------------------------------------

struct Account {
    std::string id;
    std::string login;
};

// The answer of GET /me; a field missing or of another type is empty.
Account ParseAccount(std::string_view body);

// Whether `id` is an offer's number: digits only.
bool IsOfferId(std::string_view id);

struct OfferSummary {
    std::string id;
    std::string name;
    std::string status;        // publication.status: ACTIVE, INACTIVE, ENDED ...
    std::string primaryImage;  // an https:// address, or empty
};

struct OfferPage {
    std::vector<OfferSummary> offers;
    std::size_t totalCount = 0;
    std::size_t listed = 0;  // entries on the page, unusable ones included
    // An entry that is no offer (no number), by its place in the whole list; the others go on.
    std::vector<std::string> problems;
};

// The answer of GET /sale/offers for the page that starts at `offset`, or a Polish message
// when it is no list. A missing or unusable totalCount counts the page's entries.
std::variant<OfferPage, std::string> ParseOfferPage(std::string_view body, std::size_t offset);

// The address of a picture uploaded with POST /sale/images, when the answer gives an https://
// address.
std::optional<std::string> ParseUploadedPicture(std::string_view body);

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

// The offer of GET /sale/product-offers/ID, or a Polish message. Every picture, of the gallery
// and of the description, must have an https:// address: anything else (a file:// address, a
// path) is refused, naming it, so that no such address reaches a sheet or an upload.
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

// Seconds from a Retry-After header (seconds only), or `fallback`; at most kLongestWait.
Seconds RetryAfter(std::string_view header, Seconds fallback);

}  // namespace licytek::publish
