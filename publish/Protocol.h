// Allegro's protocol without the network: the device sign-in as a state machine, the refresh
// decision, the update's body and the Polish message for each failure. Everything here is
// pure: it takes statuses, bodies and times and returns values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// The address of a picture in the answer of POST /sale/images; only an https:// address.
std::optional<std::string> ParsePictureLocation(std::string_view body);

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

// What the request was for, so that the message can say it.
enum class Purpose { SignIn, Account, Offers, ReadOffer, Picture, Update };

// One error of Allegro's answer, as Allegro gave it (server text: show it escaped).
struct AllegroError {
    std::string code;
    std::string path;         // "description.sections[2].items[0].content", or empty
    std::string userMessage;  // Polish, for the seller; may be empty
    std::string message;      // English, for developers
    std::string details{};
    std::vector<std::pair<std::string, std::string>> metadata{};

    bool operator==(const AllegroError&) const = default;
};

// The `errors` of an answer's body; nothing when there are none or the body is no JSON.
// Read defensively: wrong types are absent, depth and count are bounded.
std::vector<AllegroError> ParseAllegroErrors(std::string_view body);

// "description.sections[2].items[0].content" as "sekcja 3, element 1", "images[0]" as
// "galeria zdjęć, zdjęcie 1", "name" as "tytuł"; any other path as it is.
std::string PlaceInOffer(std::string_view path);

// What kind of failure it is; each front end words it for itself from this and the fields.
enum class FailureKind {
    Other,             // said by `message` alone
    NotSignedIn,       // no tokens for this environment
    SessionEnded,      // the tokens expired or were revoked
    AppKeysRefused,    // Allegro refused the program's own keys
    Refused,           // Allegro answered with a refusal: `status`, `errors`
    ServerError,       // Allegro answered 5xx, also after the retries
    NoAnswer,          // no answer, also after the retries: `detail`
    TooLarge,          // Allegro's answer was over the size cap
    UntrustedAddress,  // Allegro pointed at an address that gets no credentials
    BadAnswer,         // an answer the program cannot read: `detail`
    BadInput,          // refused here before it was sent: `detail` says why
    NotSaved,          // the picture memory could not be saved: `detail`
    Unconfirmed,       // the change was accepted, and Allegro had not confirmed it in time
    UnknownIfArrived,  // the change went out unanswered, and the offer could not be read
    Cancelled,         // the seller stopped it
};

// Where the update of the offer's description stands at Allegro.
enum class UpdateSent {
    No,         // not sent, or refused: the offer is as it was
    Sent,       // accepted, not confirmed yet
    Confirmed,  // applied, as Allegro or the offer read back says
    Unknown,    // the body went out and no answer came
};

// What already reached Allegro when the work ended.
struct Reached {
    std::size_t picturesUploaded = 0;
    UpdateSent update = UpdateSent::No;
};

struct Failure {
    Outcome outcome = Outcome::Refused;
    std::string message;     // Polish, one or more sentences, never a token
    std::string traceId;     // the answer's Trace-Id, for Allegro's support
    bool cancelled = false;  // the seller stopped it
    // The same as data, for the front ends to word (see FailureText.h).
    FailureKind kind = FailureKind::Other;
    Purpose purpose = Purpose::Update;
    // (Each with an initializer, so that the older three-field initializations stay valid.)
    std::string offerId{};
    long status = 0;                      // Allegro's status, when it answered
    std::vector<AllegroError> errors{};   // Allegro's own errors
    std::string detail{};                 // the transport's words, or why input was refused
    std::string picture{};                // the picture concerned, as the description names it
    Reached reached{};                    // what already reached Allegro
    std::optional<Seconds> retryAfter{};  // a 409 or 429 not waited out: try after this
};

inline constexpr std::string_view kSignInAgain = "Zaloguj się: licytek-cli allegro login";

// The failure for an answer that is not a success: its kind, Allegro's errors as data, and
// `message` worded for the command line.
Failure DescribeAnswer(Purpose purpose, std::string_view offerId, long status,
                       std::string_view body, std::string_view traceId);
// The same for no answer at all (`detail`: the transport's words).
Failure DescribeNoAnswer(Purpose purpose, std::string_view detail);

// The message with its Trace-Id, as the seller reads it.
std::string FullMessage(const Failure& failure);

// Whether a 401 answer says that the access token is no longer valid.
bool IsInvalidToken(long status, std::string_view body);

// Seconds from a Retry-After header (seconds only), or `fallback`; at most kLongestWait.
Seconds RetryAfter(std::string_view header, Seconds fallback);

}  // namespace licytek::publish
