// A signed-in conversation with Allegro over one kept-alive connection: sign-in step by
// step, the seller's account and offers, and the update of an offer's description with its
// pictures. Reusable for many publishes; not for use from two threads at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/AuctionForm.h"
#include "publish/Clock.h"
#include "publish/Endpoints.h"
#include "publish/Http.h"
#include "publish/PictureMemory.h"
#include "publish/Protocol.h"
#include "publish/TokenStore.h"
#include "publish/UpdateFlow.h"
#include "structured/Description.h"

namespace licytek::publish {

struct SessionSettings {
    Endpoints endpoints;
    ClientKeys keys;
    TokenStore* tokens = nullptr;  // outlives the session
    Clock* clock = nullptr;        // outlives the session; SystemClock() when null
    long timeoutSeconds = 30;
    std::string configFolder;  // the refresh lock lives here
    std::string dataFolder;    // the picture memory lives here
};

enum class OfferStatus { Any, Active, Inactive, Ended };

struct OfferQuery {
    OfferStatus status = OfferStatus::Any;
    std::string name;  // part of the title, or empty
    std::size_t offset = 0;
    std::size_t limit = 100;
};

struct PublishOptions {
    bool title = false;      // also set the offer's title to the form's auction header
    bool withTerms = false;  // the auction terms and shipping costs as two more sections
    bool dryRun = false;     // only GETs: read the offer and build the body, send nothing
    // On 409 (the offer busy with an earlier change) wait and send again; without it the
    // result says how long to wait (conflictWait), for a caller with other work meanwhile.
    bool waitOnConflict = true;
    std::string projectFolder = ".";  // relative picture paths start here
    // When given (a batch), the only pictures from the disk that may be uploaded: those that
    // the row itself names. Any other is refused, naming it, before anything is sent.
    std::optional<std::vector<std::string>> diskPictures;
};

struct PublishPlan;

// What the seller sees while a publish runs.
struct PublishObserver {
    // Once the offer was read, before anything is sent.
    std::function<void(const PublishPlan& plan)> planned;
    std::function<void(std::size_t step, std::size_t steps, const std::string& what)> progress;
    std::function<void(Seconds seconds, const std::string& why)> waiting;
};

// What the update will change, known before anything is sent.
struct PublishPlan {
    std::string oldTitle;
    std::string newTitle;  // the same as oldTitle unless PublishOptions::title
    std::size_t sectionsBefore = 0;
    std::size_t sectionsAfter = 0;
    std::size_t picturesBefore = 0;
    std::size_t picturesAfter = 0;
    std::size_t bodyBytes = 0;
    // How many of the form's pictures were sent to other offers before, and how many of its
    // pictures sent before (to any offer) this offer's gallery holds: some sent elsewhere and
    // none here suggests the form was made for another offer.
    std::size_t picturesSentElsewhere = 0;
    std::size_t sentPicturesInGallery = 0;
};

struct PublishResult {
    Outcome outcome = Outcome::Done;
    std::string message;  // Polish; for Done the final line
    std::string traceId;
    std::vector<structured::Finding> findings;  // the export's, for the seller
    std::optional<PublishPlan> plan;            // once the offer was read
    std::optional<OfferState> offer;            // the offer as read, before anything was sent
    std::string body;                           // the PATCH body (for a dry run)
    std::string offerPage;                      // https://allegro.pl/oferta/ID
    std::vector<std::string> warnings;          // e.g. the offer read back differs
    bool sentUpdate = false;                    // whether a PATCH went out
    // The PATCH went out but its answer did not come: whether Allegro applied it is unknown,
    // and the next publish reads the offer before anything else, as every publish does.
    bool updateUncertain = false;
    // Done without sending anything: the offer already shows this description, title and
    // gallery (see ChangesNothing).
    bool unchanged = false;
    std::size_t picturesUploaded = 0;
    std::vector<std::string> filesSent;   // pictures from the disk uploaded, as the form names them
    std::optional<Seconds> conflictWait;  // 409 without waitOnConflict: try again after this
    // Why it failed, as data for each front end to word (Wording.h); `message` is the command
    // line's wording of it.
    std::optional<Failure> failure;
};

// Puts a failure into the result: its outcome, what reached Allegro, and the command line's
// wording as `message` (without the Trace-Id, which `traceId` carries).
void ConcludeFailure(Failure failure, PublishResult& result);

// Whether the flow's request is its first upload (the picture memory is checked before it).
bool FirstUpload(const UpdateFlow& flow, const Request& request);

// One step of the sign-in for a front end that drives it: wait `waitSeconds` and poll again,
// or it is over (signed in, or a failure).
struct SignInStep {
    std::optional<Seconds> waitSeconds;
    std::optional<Account> account;  // signed in, tokens kept
    std::optional<Failure> failure;
};

class AllegroSession {
  public:
    explicit AllegroSession(SessionSettings settings);
    ~AllegroSession();
    AllegroSession(const AllegroSession&) = delete;
    AllegroSession& operator=(const AllegroSession&) = delete;

    // ---- Sign-in: StartSignIn, then PollSignIn after each wait it asks for.
    std::variant<DeviceFlow, Failure> StartSignIn();
    SignInStep PollSignIn(DeviceFlow& flow);
    // The whole sign-in with the clock's waits; `shown` gets the code once.
    std::variant<Account, Failure> SignIn(const std::function<void(const DeviceFlow&)>& shown,
                                          const std::atomic<bool>* cancel = nullptr);
    // Forgets the tokens of this environment.
    std::optional<Failure> SignOut();
    bool HasTokens();

    // ---- The seller's account and offers (need tokens).
    std::variant<Account, Failure> WhoAmI();
    // The observer hears of waits (a 429's Retry-After, retries); `cancel` stops them.
    std::variant<OfferPage, Failure> ListOffers(const OfferQuery& query,
                                                const PublishObserver* observer = nullptr,
                                                const std::atomic<bool>* cancel = nullptr);
    std::variant<OfferState, Failure> GetOffer(const std::string& offerId,
                                               const PublishObserver* observer = nullptr,
                                               const std::atomic<bool>* cancel = nullptr);

    // Sends the form's structured description (and title, when asked) to the offer: reads
    // it, uploads the pictures, updates it, waits for Allegro to apply it and reads it back.
    // `cancel` is honoured at safe points, and the result then says what was sent.
    PublishResult Publish(const std::string& offerId, const AuctionForm& form,
                          const PublishOptions& options, const PublishObserver& observer = {},
                          const std::atomic<bool>* cancel = nullptr);

    // ---- The pieces of Publish, for a driver that runs many updates at once (OfferRun.h).
    // The update's order for the flow, or the result when it cannot start (bad description,
    // a picture that cannot be read).
    std::variant<UpdateOrder, PublishResult> PrepareUpdate(const std::string& offerId,
                                                           const AuctionForm& form,
                                                           const PublishOptions& options);
    PublishResult ResultOf(const UpdateOrder& order, const UpdateResult& update) const;
    // Loads the tokens and refreshes them when they run out soon; a failure when there are none.
    std::optional<Failure> EnsureSignedIn();
    // The access token now; empty when not signed in.
    std::string AccessToken() const;
    // A refresh after `rejected` was refused; nothing to do when another request refreshed it
    // meanwhile, so that a run spends one refresh however many requests were refused.
    std::optional<Failure> RefreshAfter(const std::string& rejected);
    // Keeps an uploaded picture in the picture memory and saves it; the error when it cannot.
    std::optional<std::string> RememberPicture(const std::string& offerId, const std::string& key,
                                               const std::string& location);
    // Before the first upload: nothing goes out while the picture memory cannot be written,
    // as without it the next update would add the same pictures to the gallery again.
    std::optional<Failure> CheckPictureMemory(const std::string& offerId);
    // A flow's request as the transport sends it, with the session's headers and token.
    static HttpRequest ToHttp(const Request& request, const std::string& accessToken);
    // ---- For the look-ups and the creation of new offers (OfferCatalogue, CreateOffer).
    // One request of the REST API with the session's token: refreshed when needed, a 429's
    // Retry-After waited, a GET retried on 5xx and on no answer, a request with a body never
    // sent twice. `request.url` is a path under the API's address ("/sale/offers?...") or an
    // address Allegro gave (a Location). The answer comes whatever its status; a Failure when
    // there are no tokens or they could not be refreshed; a TransportFailure when none came.
    std::variant<HttpResponse, Failure, TransportFailure> CallApi(
        HttpRequest request, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    // The pictures at `sources` (files relative to `projectFolder`, and web addresses) put on
    // Allegro's picture server as Publish puts them, and their addresses there put in place
    // of the sources in `description`: each source's address, in order. With `dryRun` the
    // files are only checked and nothing is sent: each picture keeps its source.
    std::variant<std::vector<std::string>, Failure> PutPictures(
        const std::vector<std::string>& sources, structured::Description& description,
        const std::string& projectFolder, bool dryRun, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    const Endpoints& endpoints() const;
    Clock& clock();

    long ConnectionsOpened() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The session for the process's environment: endpoints (`sandbox` or LICYTEK_ALLEGRO_URL),
// keys, timeout, the token store and folders, and `clock` (the system's when null). A failure
// says what is missing (exit 2).
struct SessionParts {
    std::unique_ptr<TokenStore> tokens;
    std::unique_ptr<AllegroSession> session;
    Endpoints endpoints;
};
std::variant<SessionParts, Failure> OpenSession(bool sandbox, Clock* clock = nullptr);

}  // namespace licytek::publish
