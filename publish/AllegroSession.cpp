#include "publish/AllegroSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "model/CaseFold.h"
#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "publish/RequestFlow.h"
#include "publish/Unchanged.h"
#include "publish/Wording.h"
#include "structured/AllegroExport.h"
#include "structured/TitleRules.h"

namespace licytek::publish {
namespace {

using nlohmann::json;

constexpr std::string_view kMediaType = "application/vnd.allegro.public.v1+json";
constexpr std::string_view kFormType = "application/x-www-form-urlencoded";
// Allegro takes pictures of a few megabytes; a file far larger is not a picture to send.
constexpr std::size_t kMaxPictureBytes = std::size_t{32} << 20;

Failure Cancelled(std::string what) {
    Failure failure{Outcome::Refused, "Przerwano: " + std::move(what), {}};
    failure.cancelled = true;
    failure.kind = FailureKind::Cancelled;
    return failure;
}

Failure NotSignedIn() {
    Failure failure{Outcome::SignedOut, {}, {}};
    failure.kind = FailureKind::NotSignedIn;
    failure.message = FailureSentence(failure, kCommandLineFront);
    return failure;
}

Failure BadInput(const std::string& offerId, std::string why) {
    Failure failure{Outcome::Refused, why, {}};
    failure.kind = FailureKind::BadInput;
    failure.offerId = offerId;
    failure.detail = std::move(why);
    return failure;
}

std::string_view ContentTypeOf(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF") {
        return "image/jpeg";
    }
    if (bytes.size() >= 8 && bytes.substr(0, 8) == "\x89PNG\r\n\x1A\n") {
        return "image/png";
    }
    if (bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WEBP") {
        return "image/webp";
    }
    return {};
}

// A file:// address or a path as a path on the disk: the scheme dropped, %XX decoded.
std::string DiskPath(std::string_view source, const std::string& projectFolder) {
    const std::string lower = AsciiLower(source.substr(0, 7));
    if (lower != "file://") {
        return source.starts_with("/") ? std::string(source)
                                       : projectFolder + "/" + std::string(source);
    }
    std::string path;
    for (std::size_t i = 7; i < source.size(); ++i) {
        const auto hex = [](char c) {
            return std::string_view("0123456789abcdef0123456789ABCDEF").find(c) % 16;
        };
        if (source[i] == '%' && i + 2 < source.size() &&
            std::isxdigit(static_cast<unsigned char>(source[i + 1])) != 0 &&
            std::isxdigit(static_cast<unsigned char>(source[i + 2])) != 0) {
            path += static_cast<char>(hex(source[i + 1]) * 16 + hex(source[i + 2]));
            i += 2;
        } else {
            path += source[i];
        }
    }
    return path;
}

bool IsOnAllegroImages(std::string_view address) {
    const std::string host = HostOf(address);
    return address.starts_with("https://") &&
           (host == "allegroimg.com" || host.ends_with(".allegroimg.com"));
}

// A picture of the description and what it takes to put it into the offer.
struct Picture {
    std::string source;     // as the description names it
    std::string key;        // for the picture memory
    std::string path;       // a local file, else empty
    std::string bytes;      // a local file's contents
    std::string_view type;  // a local file's media type
    std::string location;   // on allegroimg.com, once known
};

}  // namespace

struct AllegroSession::Impl {
    SessionSettings settings;
    Clock& clock;
    HttpClient http;
    PictureMemory memory;
    std::optional<Tokens> tokens;

    explicit Impl(SessionSettings s)
        : settings(std::move(s)),
          clock(settings.clock != nullptr ? *settings.clock : SystemClock()),
          http({settings.endpoints.auth, settings.endpoints.api, settings.endpoints.upload},
               settings.timeoutSeconds),
          memory(settings.dataFolder + "/pictures.json") {}

    std::string Basic() const { return BasicAuthorization(settings.keys.id, settings.keys.secret); }

    HttpResult SignInRequest(const std::string& path, const std::string& body) {
        HttpRequest request{"POST",
                            settings.endpoints.auth + path,
                            {"Content-Type: " + std::string(kFormType), "Accept: application/json"},
                            body,
                            Basic()};
        return http.Send(request);
    }

    // Every wait of the session: at most kLongestWait, shown, and ended by the cancel.
    bool Wait(Seconds seconds, const std::string& why, const PublishObserver* observer,
              const std::atomic<bool>* cancel) {
        seconds = std::clamp<Seconds>(seconds, 0, kLongestWait);
        if (observer != nullptr && observer->waiting && seconds > 0) {
            observer->waiting(seconds, why);
        }
        return clock.Wait(seconds, cancel);
    }

    std::optional<Failure> EnsureTokens() {
        if (!tokens) {
            auto stored = Stored();
            if (auto* failure = std::get_if<Failure>(&stored)) {
                return std::move(*failure);
            }
            tokens = std::get<std::optional<Tokens>>(std::move(stored));
        }
        if (!tokens) {
            return NotSignedIn();
        }
        if (NeedsRefresh(*tokens, clock.Now())) {
            return Refresh(tokens->access);
        }
        return std::nullopt;
    }

    // The pair the store holds now; a failure when it cannot be read or is not safe to use.
    std::variant<std::optional<Tokens>, Failure> Stored() {
        auto stored = settings.tokens->Read(settings.endpoints.StoreName());
        if (auto* problem = std::get_if<std::string>(&stored)) {
            return Failure{Outcome::Refused, *problem, {}};
        }
        return std::get<std::optional<Tokens>>(std::move(stored));
    }

    // A new pair for the one whose access token `rejected` is, under a lock, so that another
    // program that refreshed meanwhile hands over its pair instead of both spending one, and
    // a logout meanwhile stays a logout: only the pair the store holds is refreshed, and the
    // new one is kept only while the store still holds the old one.
    // By value: the caller passes the very token that the look into the store replaces.
    // `rejected` is a copy: the caller's token is the one this replaces.
    std::optional<Failure> Refresh(
        std::string rejected) {  // NOLINT(performance-unnecessary-value-param)
        RefreshLock lock(settings.configFolder);
        const std::string environment = settings.endpoints.StoreName();
        auto stored = Stored();
        if (auto* failure = std::get_if<Failure>(&stored)) {
            return std::move(*failure);
        }
        tokens = std::get<std::optional<Tokens>>(std::move(stored));
        if (!tokens) {
            return NotSignedIn();  // signed out meanwhile
        }
        if (tokens->access != rejected && !NeedsRefresh(*tokens, clock.Now())) {
            return std::nullopt;  // another program refreshed meanwhile
        }
        const HttpResult result = SignInRequest("/auth/oauth/token", RefreshBody(tokens->refresh));
        if (const auto* failure = std::get_if<TransportFailure>(&result)) {
            return DescribeNoAnswer(Purpose::SignIn, failure->detail);
        }
        const auto& response = std::get<HttpResponse>(result);
        const std::string traceId = response.Header("Trace-Id");
        if (response.status == 200) {
            if (auto fresh = ParseTokens(response.body, clock.Now())) {
                return KeepRefreshed(std::move(*fresh));
            }
            return Failure{Outcome::Refused, std::string(kNoTokensMessage),
                           response.Header("Trace-Id")};
        }
        switch (JudgeRefreshRefusal(response.status, response.body)) {
            case RefreshRefusal::SessionOver: {
                tokens.reset();
                std::string message =
                    "Sesja Allegro wygasła albo została cofnięta. " + std::string(kSignInAgain);
                if (auto error = settings.tokens->Forget(environment)) {
                    message += " " + *error;
                }
                Failure ended{Outcome::SignedOut, std::move(message), traceId};
                ended.kind = FailureKind::SessionEnded;
                return ended;
            }
            case RefreshRefusal::KeysRefused: {
                const std::string code = OAuthError(response.body);
                return Failure{Outcome::BadUse,
                               "Allegro nie przyjęło klucza aplikacji tej kompilacji programu "
                               "(Client ID i Client Secret) przy odświeżaniu sesji" +
                                   (code.empty() ? "" : " (" + code + ")") +
                                   ". Dane logowania zostały zachowane.",
                               traceId};
            }
            case RefreshRefusal::Other:
                break;
        }
        return DescribeAnswer(Purpose::SignIn, "", response.status, response.body, traceId);
    }

    // Keeps a refreshed pair, unless the store no longer holds the pair it replaces: a
    // logout while the refresh was on its way (from the keyring's own window, say) stands,
    // and a sign-in meanwhile gave the pair to use.
    std::optional<Failure> KeepRefreshed(Tokens fresh) {
        const std::string spent = tokens->refresh;
        auto stored = Stored();
        if (auto* failure = std::get_if<Failure>(&stored)) {
            return std::move(*failure);
        }
        auto& now = std::get<std::optional<Tokens>>(stored);
        if (!now) {
            tokens.reset();
            return NotSignedIn();
        }
        if (now->refresh != spent) {
            tokens = std::move(now);
            return std::nullopt;
        }
        tokens = std::move(fresh);
        if (auto error = settings.tokens->Save(settings.endpoints.StoreName(), *tokens)) {
            return Failure{Outcome::Refused, *error, {}};
        }
        return std::nullopt;
    }

    // An API request with the session's token, under the one set of rules for trying again
    // (RequestFlow): refreshed once on invalid_token, waits on 429, GETs retried on 5xx and
    // on no answer, a request with a body never sent twice. `refreshOnForbidden`: a 403 too
    // may come from a token older than the account's rights.
    std::variant<HttpResponse, Failure, TransportFailure> Call(HttpRequest request,
                                                               const PublishObserver* observer,
                                                               const std::atomic<bool>* cancel,
                                                               bool refreshOnForbidden = false) {
        if (auto failure = EnsureTokens()) {
            return *failure;
        }
        request.headers.push_back("Accept: " + std::string(kMediaType));
        request.headers.push_back("Accept-Language: pl-PL");
        Request rules;
        rules.method = request.method;
        rules.url = request.url;
        rules.body = request.body;
        rules.refreshOnForbidden = refreshOnForbidden;
        RequestFlow flow(std::move(rules), RetryRules{});
        std::string sentToken;
        while (auto step = flow.Next(clock.Now())) {
            if (cancel != nullptr && cancel->load()) {
                return Cancelled("");
            }
            if (std::holds_alternative<Request>(*step)) {
                sentToken = tokens->access;
                request.authorization = "Bearer " + sentToken;
                HttpResult answer = http.Send(request, cancel);
                if (const auto* lost = std::get_if<TransportFailure>(&answer);
                    lost != nullptr && lost->kind == TransportError::Cancelled) {
                    return Cancelled("");
                }
                flow.OnAnswer(std::move(answer), clock.Now());
            } else if (const auto* wait = std::get_if<publish::Wait>(&*step)) {
                if (!Pause(*wait, observer, cancel)) {
                    return Cancelled("");
                }
            } else {
                flow.OnRefreshed(Refresh(sentToken));
            }
        }
        return std::visit(
            [](const auto& final) -> std::variant<HttpResponse, Failure, TransportFailure> {
                return final;
            },
            *flow.answer());
    }

    // The answer of a GET, or the failure that describes it.
    std::variant<HttpResponse, Failure> Get(const std::string& url, Purpose purpose,
                                            const std::string& offerId,
                                            const PublishObserver* observer = nullptr,
                                            const std::atomic<bool>* cancel = nullptr) {
        auto result =
            Call(HttpRequest{"GET", url, {}, {}, {}}, observer, cancel, purpose == Purpose::Offers);
        return Settle(std::move(result), purpose, offerId, 200);
    }

    std::variant<HttpResponse, Failure> Settle(
        std::variant<HttpResponse, Failure, TransportFailure> result, Purpose purpose,
        const std::string& offerId, long expected) {
        if (auto* failure = std::get_if<Failure>(&result)) {
            return std::move(*failure);
        }
        if (auto* transport = std::get_if<TransportFailure>(&result)) {
            return NoAnswer(purpose, *transport);
        }
        auto& response = std::get<HttpResponse>(result);
        if (response.status != expected && !(expected == 201 && response.status == 200)) {
            return DescribeAnswer(purpose, offerId, response.status, response.body,
                                  response.Header("Trace-Id"));
        }
        return std::move(response);
    }

    static Failure NoAnswer(Purpose purpose, const TransportFailure& failure) {
        switch (failure.kind) {
            case TransportError::TooLarge:
                return Failure{Outcome::Refused,
                               "Odpowiedź Allegro jest za duża (" + failure.detail + ").",
                               {}};
            case TransportError::UntrustedHost:
                return Failure{Outcome::Refused,
                               "Allegro wskazało adres, pod który program nie wysyła danych "
                               "logowania (" +
                                   failure.detail + ").",
                               {}};
            case TransportError::Cancelled:
                return Cancelled("");
            case TransportError::Network:
            case TransportError::NotRepeated:
                break;
        }
        return DescribeNoAnswer(purpose, failure.detail);
    }

    std::string OfferUrl(const std::string& offerId) const {
        return settings.endpoints.api + "/sale/product-offers/" + offerId;
    }

    // An address from a Location header: absolute as given, or a path on the API's host.
    std::string Resolve(const std::string& location) const {
        if (location.starts_with("http://") || location.starts_with("https://")) {
            return location;
        }
        return settings.endpoints.api + (location.starts_with("/") ? "" : "/") + location;
    }

    std::variant<OfferState, Failure> ReadOffer(const std::string& url, const std::string& offerId,
                                                const PublishObserver* observer,
                                                const std::atomic<bool>* cancel) {
        auto answer = Get(url, Purpose::ReadOffer, offerId, observer, cancel);
        if (auto* failure = std::get_if<Failure>(&answer)) {
            return std::move(*failure);
        }
        const auto& response = std::get<HttpResponse>(answer);
        auto offer = ParseOffer(response.body);
        if (auto* message = std::get_if<std::string>(&offer)) {
            return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
        }
        return std::get<OfferState>(std::move(offer));
    }

    // One wait of a flow, told to the observer; false when cancelled.
    bool Pause(const publish::Wait& wait, const PublishObserver* observer,
               const std::atomic<bool>* cancel) {
        return Wait(std::max<Seconds>(wait.until - clock.Now(), 0), WaitSentence(wait), observer,
                    cancel);
    }

    // ---- Pictures ----

    std::variant<std::vector<Picture>, Failure> GatherPictures(
        const std::vector<std::string>& sources, const PublishOptions& options) {
        std::vector<Picture> pictures;
        for (const std::string& source : sources) {
            Picture picture;
            picture.source = source;
            if (IsOnAllegroImages(source)) {
                picture.location = source;
            } else if (structured::IsLocalPictureSource(source)) {
                if (options.diskPictures &&
                    std::find(options.diskPictures->begin(), options.diskPictures->end(), source) ==
                        options.diskPictures->end()) {
                    return Failure{Outcome::Refused,
                                   "Zdjęcie z dysku „" + source +
                                       "” nie pochodzi z tego wiersza: wysyłane są tylko pliki, "
                                       "które wiersz sam wskazuje. Nic nie zostało wysłane do "
                                       "Allegro.",
                                   {}};
                }
                const std::string path = DiskPath(source, options.projectFolder);
                auto read = ReadFilePrefix(path, kMaxPictureBytes + 1);
                if (auto* error = std::get_if<FileError>(&read)) {
                    std::string message = "Zdjęcie „" + source + "”: ";
                    message.append(PolishMessage(*error)).append(" (").append(path);
                    message += "). Nic nie zostało wysłane do Allegro.";
                    return Failure{Outcome::Refused, std::move(message), {}};
                }
                picture.bytes = std::get<std::string>(std::move(read));
                picture.type = ContentTypeOf(picture.bytes);
                if (picture.bytes.size() > kMaxPictureBytes) {
                    return Failure{Outcome::Refused,
                                   "Plik „" + path + "” ma ponad " +
                                       std::to_string(kMaxPictureBytes >> 20) +
                                       " MiB: to za dużo na zdjęcie dla Allegro. Nic nie zostało "
                                       "wysłane do Allegro.",
                                   {}};
                }
                if (picture.type.empty()) {
                    return Failure{Outcome::Refused,
                                   "Plik „" + path +
                                       "” nie jest zdjęciem JPEG, PNG ani WebP, które Allegro "
                                       "przyjmuje. Nic nie zostało wysłane do Allegro.",
                                   {}};
                }
                picture.path = path;
                struct stat info {};
                ::stat(path.c_str(), &info);
                picture.key = "file " + path + " " + std::to_string(info.st_size) + " " +
                              std::to_string(info.st_mtim.tv_sec) + "." +
                              std::to_string(info.st_mtim.tv_nsec);
            } else {
                picture.key = "url " + source;
            }
            pictures.push_back(std::move(picture));
        }
        return pictures;
    }

    std::variant<std::string, Failure> Upload(const Picture& picture, const std::string& offerId,
                                              const PublishObserver* observer,
                                              const std::atomic<bool>* cancel) {
        HttpRequest request{"POST", settings.endpoints.upload + "/sale/images", {}, {}, {}};
        request.cutAfterBody = true;  // an upload changes no offer
        if (!picture.path.empty()) {
            request.headers.push_back("Content-Type: " + std::string(picture.type));
            request.body = picture.bytes;
        } else {
            request.headers.push_back("Content-Type: " + std::string(kMediaType));
            request.body = json{{"url", picture.source}}.dump();
        }
        auto answer =
            Settle(Call(std::move(request), observer, cancel), Purpose::Picture, offerId, 201);
        if (auto* failure = std::get_if<Failure>(&answer)) {
            failure->message += " (zdjęcie „" + picture.source + "”)";
            return std::move(*failure);
        }
        const auto& response = std::get<HttpResponse>(answer);
        if (auto location = ParseUploadedPicture(response.body)) {
            return std::move(*location);
        }
        return Failure{Outcome::Refused,
                       "Allegro nie podało adresu wysłanego zdjęcia „" + picture.source + "”.",
                       response.Header("Trace-Id")};
    }

    // Whether the form's pictures went to other offers, and whether this gallery holds any
    // of them: the send dialog asks before replacing an unrelated offer's description.
    void CountRememberedPictures(const UpdateOrder& order, const OfferState& before,
                                 PublishPlan& plan) const {
        const std::string memoryOffer = MemoryOffer(order.offerId);
        for (const PictureToSend& picture : order.pictures) {
            const auto sent = memory.FindEverywhere(MemoryOffer(""), picture.key);
            const auto elsewhere = [&](const auto& entry) { return entry.first != memoryOffer; };
            const auto inGallery = [&](const auto& entry) {
                return std::find(before.images.begin(), before.images.end(), entry.second) !=
                       before.images.end();
            };
            if (std::any_of(sent.begin(), sent.end(), elsewhere)) {
                ++plan.picturesSentElsewhere;
            }
            if (std::any_of(sent.begin(), sent.end(), inGallery)) {
                ++plan.sentPicturesInGallery;
            }
        }
    }

    std::string MemoryOffer(const std::string& offerId) const {
        return settings.endpoints.StoreName() + " " + offerId;
    }
};

// ---- AllegroSession ------------------------------------------------------------------------

AllegroSession::AllegroSession(SessionSettings settings)
    : impl_(std::make_unique<Impl>(std::move(settings))) {}

AllegroSession::~AllegroSession() = default;

long AllegroSession::ConnectionsOpened() const {
    return impl_->http.ConnectionsOpened();
}

std::variant<DeviceFlow, Failure> AllegroSession::StartSignIn() {
    const HttpResult result =
        impl_->SignInRequest("/auth/oauth/device", DeviceRequestBody(impl_->settings.keys.id));
    if (const auto* failure = std::get_if<TransportFailure>(&result)) {
        return Impl::NoAnswer(Purpose::SignIn, *failure);
    }
    const auto& response = std::get<HttpResponse>(result);
    if (response.status != 200) {
        return DescribeAnswer(Purpose::SignIn, "", response.status, response.body,
                              response.Header("Trace-Id"));
    }
    auto code = ParseDeviceCode(response.body);
    if (auto* message = std::get_if<std::string>(&code)) {
        return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
    }
    return DeviceFlow(std::get<DeviceCode>(std::move(code)), impl_->clock.Now());
}

SignInStep AllegroSession::PollSignIn(DeviceFlow& flow) {
    const HttpResult result =
        impl_->SignInRequest("/auth/oauth/token", DevicePollBody(flow.code().deviceCode));
    if (const auto* failure = std::get_if<TransportFailure>(&result)) {
        return SignInStep{{}, {}, Impl::NoAnswer(Purpose::SignIn, *failure)};
    }
    const auto& response = std::get<HttpResponse>(result);
    const Seconds now = impl_->clock.Now();
    const DeviceFlow::Action action = flow.OnAnswer(response.status, response.body, now);
    if (const auto* poll = std::get_if<DeviceFlow::PollAt>(&action)) {
        return SignInStep{std::max<Seconds>(poll->when - now, 0), {}, {}};
    }
    if (const auto* signedIn = std::get_if<DeviceFlow::SignedIn>(&action)) {
        impl_->tokens = signedIn->tokens;
        if (auto error = impl_->settings.tokens->Save(impl_->settings.endpoints.StoreName(),
                                                      signedIn->tokens)) {
            return SignInStep{{}, {}, Failure{Outcome::Refused, *error, {}}};
        }
        auto account = WhoAmI();
        if (auto* failure = std::get_if<Failure>(&account)) {
            return SignInStep{{}, {}, std::move(*failure)};
        }
        return SignInStep{{}, std::get<Account>(std::move(account)), {}};
    }
    const std::string traceId = response.Header("Trace-Id");
    switch (std::get<DeviceFlow::Stop>(action)) {
        case DeviceFlow::Stop::Denied:
            return SignInStep{{},
                              {},
                              Failure{Outcome::SignedOut,
                                      "Logowanie zostało odrzucone na stronie Allegro.", traceId}};
        case DeviceFlow::Stop::Expired:
            return SignInStep{{},
                              {},
                              Failure{Outcome::SignedOut,
                                      "Kod logowania wygasł albo został już użyty. "
                                      "Zaloguj się od nowa: licytek-cli allegro login",
                                      traceId}};
        case DeviceFlow::Stop::Failed:
            if (response.status == 200) {  // an answer of success without the tokens
                return SignInStep{
                    {}, {}, Failure{Outcome::Refused, std::string(kNoTokensMessage), traceId}};
            }
            break;
    }
    return SignInStep{
        {}, {}, DescribeAnswer(Purpose::SignIn, "", response.status, response.body, traceId)};
}

std::variant<Account, Failure> AllegroSession::SignIn(
    const std::function<void(const DeviceFlow&)>& shown, const std::atomic<bool>* cancel) {
    auto started = StartSignIn();
    if (auto* failure = std::get_if<Failure>(&started)) {
        return std::move(*failure);
    }
    DeviceFlow& flow = std::get<DeviceFlow>(started);
    Seconds wait = std::get<DeviceFlow::PollAt>(flow.First()).when - impl_->clock.Now();
    for (;;) {
        if (shown) {
            shown(flow);
        }
        if (!impl_->clock.Wait(std::clamp<Seconds>(wait, 0, kLongestWait), cancel)) {
            return Cancelled("logowanie nie zostało dokończone.");
        }
        SignInStep step = PollSignIn(flow);
        if (step.account) {
            return std::move(*step.account);
        }
        if (step.failure) {
            return std::move(*step.failure);
        }
        wait = step.waitSeconds.value_or(flow.interval());
    }
}

std::optional<Failure> AllegroSession::SignOut() {
    impl_->tokens.reset();
    // Under the refresh lock: a refresh running elsewhere either ends before the tokens go,
    // or finds them gone and keeps nothing.
    RefreshLock lock(impl_->settings.configFolder);
    if (auto error = impl_->settings.tokens->Forget(impl_->settings.endpoints.StoreName())) {
        return Failure{Outcome::Refused, *error, {}};
    }
    return std::nullopt;
}

bool AllegroSession::HasTokens() {
    return impl_->tokens || impl_->settings.tokens->Load(impl_->settings.endpoints.StoreName());
}

std::variant<Account, Failure> AllegroSession::WhoAmI() {
    auto answer = impl_->Get(impl_->settings.endpoints.api + "/me", Purpose::Account, "");
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    return ParseAccount(std::get<HttpResponse>(answer).body);
}

std::variant<OfferPage, Failure> AllegroSession::ListOffers(const OfferQuery& query,
                                                            const PublishObserver* observer,
                                                            const std::atomic<bool>* cancel) {
    std::string url = impl_->settings.endpoints.api +
                      "/sale/offers?limit=" + std::to_string(query.limit) +
                      "&offset=" + std::to_string(query.offset);
    switch (query.status) {
        case OfferStatus::Active:
            url += "&publication.status=ACTIVE";
            break;
        case OfferStatus::Inactive:
            url += "&publication.status=INACTIVE";
            break;
        case OfferStatus::Ended:
            url += "&publication.status=ENDED";
            break;
        case OfferStatus::Any:
            break;
    }
    if (!query.name.empty()) {
        url += "&name=" + FormEncoded(query.name);
    }
    auto answer = impl_->Get(url, Purpose::Offers, "", observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    const auto& response = std::get<HttpResponse>(answer);
    auto page = ParseOfferPage(response.body, query.offset);
    if (auto* message = std::get_if<std::string>(&page)) {
        return Failure{Outcome::Refused, std::move(*message), response.Header("Trace-Id")};
    }
    return std::get<OfferPage>(std::move(page));
}

std::variant<OfferState, Failure> AllegroSession::GetOffer(const std::string& offerId,
                                                           const PublishObserver* observer,
                                                           const std::atomic<bool>* cancel) {
    if (!IsOfferId(offerId)) {
        return Failure{Outcome::BadUse, "„" + offerId + "” nie jest numerem oferty Allegro.", {}};
    }
    return impl_->ReadOffer(impl_->OfferUrl(offerId), offerId, observer, cancel);
}

namespace {

// Puts the uploaded addresses in place of the sources the description names.
structured::Description WithLocations(structured::Description description,
                                      const std::vector<Picture>& pictures, bool placeholders) {
    for (structured::Section& section : description.sections) {
        for (structured::Item& item : section.items) {
            if (item.type != structured::ItemType::Image) {
                continue;
            }
            for (const Picture& picture : pictures) {
                if (picture.source == item.content) {
                    item.content = picture.location.empty() && placeholders ? picture.source
                                                                            : picture.location;
                }
            }
        }
    }
    return description;
}

std::vector<std::string> Locations(const std::vector<Picture>& pictures) {
    std::vector<std::string> locations;
    locations.reserve(pictures.size());
    for (const Picture& picture : pictures) {
        locations.push_back(picture.location.empty() ? picture.source : picture.location);
    }
    return locations;
}

}  // namespace

namespace {

// The offer's gallery as the body would set it: the count the plan shows.
std::size_t GalleryCount(const std::string& body) {
    const json value = json::parse(body, nullptr, false);
    if (value.is_object() && value.contains("images") && value["images"].is_array()) {
        return value["images"].size();
    }
    return 0;
}

PublishPlan PlanOf(const OfferState& before, const std::string& body,
                   const std::optional<std::string>& newTitle, std::size_t sectionsAfter) {
    PublishPlan plan;
    plan.oldTitle = before.name;
    plan.newTitle = newTitle.value_or(before.name);
    plan.sectionsBefore = before.sections;
    plan.sectionsAfter = sectionsAfter;
    plan.picturesBefore = before.images.size();
    plan.picturesAfter = GalleryCount(body);
    plan.bodyBytes = body.size();
    return plan;
}

// Tells the observer of the plan once and of each step as the flow reaches it: the reading,
// each upload, the update, and one look at the offer afterwards.
class StepTeller {
  public:
    // What the picture memory knows of the plan's pictures, filled in by the session.
    using MemoryCounts = std::function<void(const OfferState& before, PublishPlan& plan)>;

    StepTeller(const PublishObserver& observer, const UpdateOrder& order, MemoryCounts counts)
        : observer_(observer),
          counts_(std::move(counts)),
          offerId_(order.offerId),
          title_(order.name),
          sections_(order.description.sections.size()),
          steps_(order.dryRun ? 1 : 3) {}

    void Tell(const UpdateFlow& flow) {
        const UpdateResult& result = flow.result();
        // An offer that would not change gets no plan: nothing is sent.
        if (!planned_ && result.before && !result.body.empty() &&
            result.end != UpdateResult::End::Unchanged) {
            planned_ = true;
            steps_ += flow.uploadsPlanned();
            if (observer_.planned) {
                PublishPlan plan = PlanOf(*result.before, result.body, title_, sections_);
                counts_(*result.before, plan);
                observer_.planned(plan);
            }
        }
        const std::size_t mark = Mark(flow);
        if (mark == told_) {
            return;
        }
        told_ = mark;
        if (observer_.progress) {
            observer_.progress(++step_, steps_, What(flow));
        }
    }

  private:
    // Each step's own number, so that each is told once.
    static std::size_t Mark(const UpdateFlow& flow) {
        switch (flow.stage()) {
            case UpdateStage::ReadOffer:
                return 1;
            case UpdateStage::Upload:
                return 1 + flow.uploadNumber();
            case UpdateStage::Update:
                return 1000000;
            case UpdateStage::Confirm:
            case UpdateStage::Check:
            case UpdateStage::ReadBack:
                return 1000001;
        }
        return 0;
    }

    std::string What(const UpdateFlow& flow) const {
        switch (flow.stage()) {
            case UpdateStage::ReadOffer:
                return "odczyt oferty " + offerId_;
            case UpdateStage::Upload:
                return "zdjęcie " + std::to_string(flow.uploadNumber()) + " z " +
                       std::to_string(flow.uploadsPlanned());
            case UpdateStage::Update:
                return "zmiana opisu oferty " + offerId_;
            case UpdateStage::Confirm:
            case UpdateStage::Check:
            case UpdateStage::ReadBack:
                break;
        }
        return "sprawdzenie oferty " + offerId_;
    }

    const PublishObserver& observer_;
    MemoryCounts counts_;
    std::string offerId_;
    std::optional<std::string> title_;
    std::size_t sections_;
    std::size_t steps_;
    std::size_t step_ = 0;
    std::size_t told_ = 0;
    bool planned_ = false;
};

}  // namespace

bool FirstUpload(const UpdateFlow& flow, const Request& request) {
    return request.purpose == Purpose::Picture && flow.uploadNumber() == 1 &&
           flow.stage() == UpdateStage::Upload;
}

std::variant<UpdateOrder, PublishResult> AllegroSession::PrepareUpdate(
    const std::string& offerId, const AuctionForm& form, const PublishOptions& options) {
    Impl& impl = *impl_;
    PublishResult refused;
    refused.offerPage = impl.settings.endpoints.OfferPage(offerId);
    structured::ExportOptions exportOptions;
    exportOptions.withTerms = options.withTerms;
    exportOptions.acceptLocalPictures = true;
    structured::AllegroOffer exported = structured::ExportAllegro(form, exportOptions);
    refused.findings = exported.findings;
    if (exported.HasErrors()) {
        ConcludeFailure(BadInput(offerId,
                                 "Opis nie spełnia wymagań Allegro; nic nie zostało "
                                 "wysłane do Allegro."),
                        refused);
        return refused;
    }
    if (auto refusal = options.title ? structured::TitleRefusal(exported.name) : std::nullopt) {
        ConcludeFailure(BadInput(offerId, *refusal + " Nic nie zostało wysłane do Allegro."),
                        refused);
        return refused;
    }
    auto gathered = impl.GatherPictures(exported.images, options);
    if (auto* failure = std::get_if<Failure>(&gathered)) {
        failure->kind = FailureKind::BadInput;
        failure->offerId = offerId;
        failure->detail = failure->message;
        ConcludeFailure(std::move(*failure), refused);
        return refused;
    }
    UpdateOrder order;
    order.offerId = offerId;
    order.api = impl.settings.endpoints.api;
    order.upload = impl.settings.endpoints.upload;
    order.description = std::move(exported.description);
    const std::string memoryOffer = impl.MemoryOffer(offerId);
    for (Picture& gatheredPicture : std::get<std::vector<Picture>>(gathered)) {
        PictureToSend picture;
        picture.source = gatheredPicture.source;
        picture.key = gatheredPicture.key;
        picture.location = gatheredPicture.location;
        if (!gatheredPicture.path.empty()) {
            picture.contentType = gatheredPicture.type;
            picture.upload = std::move(gatheredPicture.bytes);
        } else {
            picture.contentType = kAllegroMediaType;
            picture.upload = json{{"url", gatheredPicture.source}}.dump();
        }
        if (picture.location.empty()) {
            picture.remembered = impl.memory.Find(memoryOffer, picture.key).value_or("");
        }
        order.pictures.push_back(std::move(picture));
    }
    if (options.title) {
        order.name = exported.name;
    }
    order.unchanged = [name = order.name](const OfferState& offer,
                                          const structured::Description& planned,
                                          const UpdateBody& body) {
        return ChangesNothing(offer, UpdateRequest{planned, offer.images, body.images, name});
    };
    order.dryRun = options.dryRun;
    order.waitOnConflict = options.waitOnConflict;
    return order;
}

PublishResult AllegroSession::ResultOf(const UpdateOrder& order, const UpdateResult& update) const {
    PublishResult result;
    result.offerPage = impl_->settings.endpoints.OfferPage(order.offerId);
    result.body = update.body;
    result.picturesUploaded = update.reached.picturesUploaded;
    result.sentUpdate = update.reached.update != UpdateSent::No;
    result.updateUncertain = update.reached.update == UpdateSent::Unknown;
    result.filesSent = update.filesSent;
    result.offer = update.before;
    if (update.before) {
        result.plan =
            PlanOf(*update.before, update.body, order.name, order.description.sections.size());
        impl_->CountRememberedPictures(order, *update.before, *result.plan);
    }
    switch (update.end) {
        case UpdateResult::End::Updated:
            result.message =
                "Oferta " + order.offerId + ": opis zaktualizowany — " + result.offerPage;
            if (update.readBack == UpdateResult::ReadBack::Differs) {
                result.warnings.push_back("Opis odczytany z oferty " + order.offerId +
                                          " różni się od wysłanego; sprawdź ofertę na stronie "
                                          "Allegro.");
            }
            break;
        case UpdateResult::End::Unchanged:
            result.unchanged = true;
            result.message =
                "Oferta " + order.offerId + ": bez zmian — nic nie zostało wysłane do Allegro.";
            break;
        case UpdateResult::End::DryRun:
            result.message = "Próba: nic nie zostało wysłane do Allegro.";
            break;
        case UpdateResult::End::Failed:
            ConcludeFailure(update.failure.value_or(Failure{}), result);
            break;
    }
    return result;
}

void ConcludeFailure(Failure failure, PublishResult& result) {
    result.outcome = failure.outcome;
    result.traceId = failure.traceId;
    result.picturesUploaded = failure.reached.picturesUploaded;
    result.sentUpdate = failure.reached.update != UpdateSent::No;
    result.updateUncertain = failure.reached.update == UpdateSent::Unknown;
    if (failure.kind == FailureKind::Refused && failure.status == 409) {
        result.conflictWait = failure.retryAfter;
    }
    Failure untraced = failure;
    untraced.traceId.clear();  // the front ends add it where they show it
    result.message = CommandLineText(untraced);
    result.failure = std::move(failure);
}

std::optional<Failure> AllegroSession::EnsureSignedIn() {
    return impl_->EnsureTokens();
}

std::optional<Failure> AllegroSession::RefreshAfter(const std::string& rejected) {
    if (impl_->tokens && impl_->tokens->access != rejected) {
        return std::nullopt;  // refreshed meanwhile: the new token serves every request
    }
    return impl_->Refresh(rejected);
}

std::string AllegroSession::AccessToken() const {
    return impl_->tokens ? impl_->tokens->access : std::string();
}

std::optional<std::string> AllegroSession::RememberPicture(const std::string& offerId,
                                                           const std::string& key,
                                                           const std::string& location) {
    impl_->memory.Remember(impl_->MemoryOffer(offerId), key, location);
    return impl_->memory.Save();
}

std::optional<Failure> AllegroSession::CheckPictureMemory(const std::string& offerId) {
    auto error = impl_->memory.Save();
    if (!error) {
        return std::nullopt;
    }
    Failure failure{Outcome::Refused, {}, {}};
    failure.kind = FailureKind::NotSaved;
    failure.purpose = Purpose::Picture;
    failure.offerId = offerId;
    failure.detail = std::move(*error);
    failure.message = FailureSentence(failure, kCommandLineFront);
    return failure;
}

HttpRequest AllegroSession::ToHttp(const Request& request, const std::string& accessToken) {
    HttpRequest http{request.method,
                     request.url,
                     {"Accept: " + std::string(kAllegroMediaType), "Accept-Language: pl-PL"},
                     std::string(request.body),
                     accessToken.empty() ? std::string() : "Bearer " + accessToken};
    if (!request.contentType.empty()) {
        http.headers.push_back("Content-Type: " + request.contentType);
    }
    // A GET or a picture upload changes no offer, so a cancel may cut it at any point.
    http.cutAfterBody = request.safeToCancel;
    return http;
}

PublishResult AllegroSession::Publish(const std::string& offerId, const AuctionForm& form,
                                      const PublishOptions& options,
                                      const PublishObserver& observer,
                                      const std::atomic<bool>* cancel) {
    auto prepared = PrepareUpdate(offerId, form, options);
    if (auto* refused = std::get_if<PublishResult>(&prepared)) {
        return std::move(*refused);
    }
    const UpdateOrder& order = std::get<UpdateOrder>(prepared);
    Impl& impl = *impl_;
    UpdateFlow flow(order);
    if (auto failure = impl.EnsureTokens()) {
        flow.Stop(std::move(*failure));
    }
    StepTeller teller(observer, order, [&](const OfferState& before, PublishPlan& plan) {
        impl.CountRememberedPictures(order, before, plan);
    });
    while (auto step = flow.Next(impl.clock.Now())) {
        teller.Tell(flow);
        const bool stopping = cancel != nullptr && cancel->load();
        if (auto* request = std::get_if<Request>(&*step)) {
            if (stopping) {
                flow.Cancel();
                flow.OnAnswer(TransportFailure{TransportError::Cancelled, {}}, impl.clock.Now());
            } else if (auto unsaved = FirstUpload(flow, *request) ? CheckPictureMemory(offerId)
                                                                  : std::nullopt) {
                flow.Stop(std::move(*unsaved));
            } else {
                HttpResult answer = impl.http.Send(ToHttp(*request, AccessToken()), cancel);
                if (const auto* lost = std::get_if<TransportFailure>(&answer);
                    lost != nullptr && lost->kind == TransportError::Cancelled) {
                    flow.Cancel();  // cut by the seller: not a lost connection
                }
                flow.OnAnswer(std::move(answer), impl.clock.Now());
            }
        } else if (auto* wait = std::get_if<Wait>(&*step)) {
            if (stopping || !impl.Pause(*wait, &observer, cancel)) {
                flow.Cancel();
            }
        } else if (auto* keep = std::get_if<UpdateFlow::Remember>(&*step)) {
            flow.OnRemembered(RememberPicture(offerId, keep->key, keep->location));
        } else if (stopping) {
            flow.Cancel();
        } else {
            flow.OnRefreshed(RefreshAfter(AccessToken()));
        }
    }
    teller.Tell(flow);  // a dry run's plan
    return ResultOf(order, flow.result());
}

std::variant<HttpResponse, Failure, TransportFailure> AllegroSession::CallApi(
    HttpRequest request, const PublishObserver* observer, const std::atomic<bool>* cancel) {
    request.url = impl_->Resolve(request.url);
    return impl_->Call(std::move(request), observer, cancel);
}

std::variant<std::vector<std::string>, Failure> AllegroSession::PutPictures(
    const std::vector<std::string>& sources, structured::Description& description,
    const std::string& projectFolder, bool dryRun, const PublishObserver* observer,
    const std::atomic<bool>* cancel) {
    PublishOptions options;  // a new offer's pictures: any file the description names
    options.projectFolder = projectFolder;
    auto gathered = impl_->GatherPictures(sources, options);
    if (auto* failure = std::get_if<Failure>(&gathered)) {
        return std::move(*failure);
    }
    auto& pictures = std::get<std::vector<Picture>>(gathered);
    for (Picture& picture : pictures) {
        if (dryRun || !picture.location.empty()) {
            continue;
        }
        if (cancel != nullptr && cancel->load()) {
            return Cancelled("");
        }
        auto uploaded = impl_->Upload(picture, "", observer, cancel);
        if (auto* failure = std::get_if<Failure>(&uploaded)) {
            return std::move(*failure);
        }
        picture.location = std::get<std::string>(std::move(uploaded));
    }
    description = WithLocations(std::move(description), pictures, dryRun);
    return Locations(pictures);
}

const Endpoints& AllegroSession::endpoints() const {
    return impl_->settings.endpoints;
}

Clock& AllegroSession::clock() {
    return impl_->clock;
}

std::variant<SessionParts, Failure> OpenSession(bool sandbox, Clock* clock) {
    auto endpoints = ChooseEndpoints(sandbox);
    if (auto* message = std::get_if<std::string>(&endpoints)) {
        return Failure{Outcome::BadUse, *message, {}};
    }
    SessionParts parts;
    parts.endpoints = std::get<Endpoints>(std::move(endpoints));
    auto keys = ChooseKeys(parts.endpoints);
    if (!keys) {
        return Failure{Outcome::BadUse, std::string(kNoKeysMessage), {}};
    }
    parts.tokens = MakeTokenStore();
    SessionSettings settings;
    settings.endpoints = parts.endpoints;
    settings.keys = *keys;
    settings.tokens = parts.tokens.get();
    settings.clock = clock;
    settings.timeoutSeconds = ChooseTimeoutSeconds();
    settings.configFolder = ConfigFolder();
    settings.dataFolder = DataFolder();
    MakeFolders(settings.dataFolder);
    parts.session = std::make_unique<AllegroSession>(std::move(settings));
    return parts;
}

}  // namespace licytek::publish
