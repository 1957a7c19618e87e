#include "publish/AllegroSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "publish/Unchanged.h"
#include "structured/AllegroExport.h"
#include "structured/TitleRules.h"

namespace licytek::publish {
namespace {

using nlohmann::json;

constexpr std::string_view kMediaType = "application/vnd.allegro.public.v1+json";
constexpr std::string_view kFormType = "application/x-www-form-urlencoded";
constexpr int kMaxRetries = 3;
constexpr Seconds kTooManyRequestsWait = 60;
constexpr Seconds kOperationPollWait = 5;
constexpr Seconds kConflictWait = 10;
// Allegro takes pictures of a few megabytes; a file far larger is not a picture to send.
constexpr std::size_t kMaxPictureBytes = std::size_t{32} << 20;

Failure Cancelled(std::string what) {
    Failure failure{Outcome::Refused, "Przerwano: " + std::move(what), {}};
    failure.cancelled = true;
    return failure;
}

Failure NotSignedIn() {
    return Failure{
        Outcome::SignedOut, "Nie jesteś zalogowany do Allegro. " + std::string(kSignInAgain), {}};
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
    std::string lower(source.substr(0, 7));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
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
    std::optional<Failure> Refresh(std::string rejected) {
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
                return Failure{Outcome::SignedOut, std::move(message), traceId};
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

    // An API request with the session's token: refreshed once on invalid_token, waits on 429,
    // GETs retried on 5xx and on no answer. A request with a body is never sent twice here.
    // `refreshOnForbidden`: a 403 too may come from a token older than the account's rights,
    // so it is met with one refresh before it is taken as the answer.
    std::variant<HttpResponse, Failure, TransportFailure> Call(HttpRequest request,
                                                               const PublishObserver* observer,
                                                               const std::atomic<bool>* cancel,
                                                               bool refreshOnForbidden = false) {
        if (auto failure = EnsureTokens()) {
            return *failure;
        }
        request.headers.push_back("Accept: " + std::string(kMediaType));
        request.headers.push_back("Accept-Language: pl-PL");
        const bool isGet = request.method == "GET";
        bool refreshed = false;
        int retries = 0;
        int waits = 0;
        for (;;) {
            if (cancel != nullptr && cancel->load()) {
                return Cancelled("");
            }
            request.authorization = "Bearer " + tokens->access;
            HttpResult result = http.Send(request, cancel);
            if (auto* failure = std::get_if<TransportFailure>(&result)) {
                if (failure->kind == TransportError::Cancelled) {
                    return Cancelled("");
                }
                if (failure->kind == TransportError::Network && isGet && retries < kMaxRetries) {
                    if (!Wait(Seconds{1} << retries++, "ponowienie po błędzie sieci", observer,
                              cancel)) {
                        return Cancelled("");
                    }
                    continue;
                }
                return *failure;
            }
            auto& response = std::get<HttpResponse>(result);
            const bool forbidden = refreshOnForbidden && response.status == 403;
            if ((IsInvalidToken(response.status, response.body) || forbidden) && !refreshed) {
                refreshed = true;
                if (auto failure = Refresh(tokens->access)) {
                    return *failure;
                }
                continue;
            }
            if (response.status == 429 && waits < kMaxRetries) {
                ++waits;
                // Nothing goes out meanwhile: requests during the block prolong it.
                if (!Wait(RetryAfter(response.Header("Retry-After"), kTooManyRequestsWait),
                          "Allegro ogranicza liczbę zapytań", observer, cancel)) {
                    return Cancelled("");
                }
                continue;
            }
            if (response.status >= 500 && isGet && retries < kMaxRetries) {
                if (!Wait(Seconds{1} << retries++, "ponowienie po błędzie serwera Allegro",
                          observer, cancel)) {
                    return Cancelled("");
                }
                continue;
            }
            return std::move(response);
        }
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
                    message.append(error->message).append(" (").append(path);
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

std::string WhatWasSent(const PublishResult& result) {
    if (result.updateUncertain) {
        return "nie wiadomo, czy zmiana dotarła do Allegro; sprawdź ofertę na stronie Allegro.";
    }
    if (result.sentUpdate) {
        return "zmiana opisu została wysłana do Allegro; sprawdź ofertę na stronie Allegro.";
    }
    if (result.picturesUploaded > 0) {
        return "wysłano " + CountedNoun(result.picturesUploaded, "zdjęcie", "zdjęcia", "zdjęć") +
               " do Allegro, ale opis oferty nie został zmieniony.";
    }
    return "nic nie zostało wysłane do Allegro.";
}

// The gallery holds only Allegro's addresses, so the picture memory is the one link from a
// picture to its source: without it the next publish would add the same pictures to the
// gallery again. So nothing is sent while the memory cannot be kept on the disk.
Failure MemoryNotSaved(const std::string& error, bool uploaded) {
    return Failure{Outcome::Refused,
                   error +
                       ". Bez tej pamięci następne wysłanie dodałoby te same zdjęcia do "
                       "galerii jeszcze raz, więc zmiana opisu nie została wysłana." +
                       (uploaded ? "" : " Nic nie zostało wysłane do Allegro."),
                   {}};
}

// Whether an operation that ended so refused the change: the offer is as it was. Any other
// end leaves it unknown.
bool RefusedTheChange(long status) {
    return status == 400 || status == 422;
}

// The failure's message, followed by what already reached Allegro.
void Finish(PublishResult& result, const Failure& failure) {
    result.outcome = failure.outcome;
    result.traceId = failure.traceId;
    if (failure.cancelled) {
        result.message = "Przerwano: " + WhatWasSent(result);
        return;
    }
    result.message = failure.message;
    if (result.picturesUploaded > 0 || result.sentUpdate) {
        result.message += " Stan: " + WhatWasSent(result);
    }
}

}  // namespace

PublishResult AllegroSession::Publish(const std::string& offerId, const AuctionForm& form,
                                      const PublishOptions& options,
                                      const PublishObserver& observer,
                                      const std::atomic<bool>* cancel) {
    PublishResult result;
    Impl& impl = *impl_;
    result.offerPage = impl.settings.endpoints.OfferPage(offerId);
    if (!IsOfferId(offerId)) {
        Finish(result,
               Failure{Outcome::BadUse, "„" + offerId + "” nie jest numerem oferty Allegro.", {}});
        return result;
    }
    structured::ExportOptions exportOptions;
    exportOptions.withTerms = options.withTerms;
    exportOptions.acceptLocalPictures = true;
    structured::AllegroOffer exported = structured::ExportAllegro(form, exportOptions);
    result.findings = exported.findings;
    if (exported.HasErrors()) {
        Finish(result, Failure{Outcome::Refused,
                               "Opis nie spełnia wymagań Allegro; nic nie zostało wysłane do "
                               "Allegro.",
                               {}});
        return result;
    }

    if (auto refusal = options.title ? structured::TitleRefusal(exported.name) : std::nullopt) {
        Finish(result,
               Failure{Outcome::Refused, *refusal + " Nic nie zostało wysłane do Allegro.", {}});
        return result;
    }

    auto gathered = impl.GatherPictures(exported.images, options);
    if (auto* failure = std::get_if<Failure>(&gathered)) {
        Finish(result, *failure);
        return result;
    }
    std::vector<Picture>& pictures = std::get<std::vector<Picture>>(gathered);
    // Reading, each picture not yet on Allegro, the update, reading back; a dry run reads only.
    std::size_t steps = options.dryRun
                            ? 1
                            : 3 + static_cast<std::size_t>(std::count_if(
                                      pictures.begin(), pictures.end(),
                                      [](const Picture& p) { return p.location.empty(); }));
    std::size_t step = 0;
    const auto progress = [&](const std::string& what) {
        if (observer.progress) {
            observer.progress(++step, steps, what);
        }
    };

    progress("odczyt oferty " + offerId);
    auto current = impl.ReadOffer(impl.OfferUrl(offerId), offerId, &observer, cancel);
    if (auto* failure = std::get_if<Failure>(&current)) {
        Finish(result, *failure);
        return result;
    }
    const OfferState& before = std::get<OfferState>(current);
    const std::string memoryOffer = impl.MemoryOffer(offerId);
    for (Picture& picture : pictures) {
        if (!picture.location.empty()) {
            continue;
        }
        // A picture sent before is reused while the offer's gallery still holds it.
        if (auto location = impl.memory.Find(memoryOffer, picture.key);
            location && std::find(before.images.begin(), before.images.end(), *location) !=
                            before.images.end()) {
            picture.location = *location;
        }
    }

    UpdateRequest update{WithLocations(exported.description, pictures, true), before.images,
                         Locations(pictures), std::nullopt};
    if (options.title) {
        update.name = exported.name;
    }
    if (ChangesNothing(before, update)) {
        result.unchanged = true;
        result.message = "Oferta " + offerId + ": bez zmian — nic nie zostało wysłane do Allegro.";
        return result;
    }
    auto planned = BuildUpdateBody(update);
    if (auto* message = std::get_if<std::string>(&planned)) {
        Finish(result,
               Failure{Outcome::Refused, *message + " Nic nie zostało wysłane do Allegro.", {}});
        return result;
    }
    PublishPlan plan;
    plan.oldTitle = before.name;
    plan.newTitle = options.title ? exported.name : before.name;
    plan.sectionsBefore = before.sections;
    plan.sectionsAfter = exported.description.sections.size();
    plan.picturesBefore = before.images.size();
    plan.picturesAfter = std::get<UpdateBody>(planned).images.size();
    plan.bodyBytes = std::get<UpdateBody>(planned).json.size();
    for (const Picture& picture : pictures) {
        const auto sent = impl.memory.FindEverywhere(impl.MemoryOffer(""), picture.key);
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
    result.plan = plan;
    result.body = std::get<UpdateBody>(planned).json;
    if (observer.planned) {
        observer.planned(plan);
    }
    if (options.dryRun) {
        result.message = "Próba: nic nie zostało wysłane do Allegro.";
        return result;
    }

    std::size_t number = 0;
    const std::size_t toUpload = static_cast<std::size_t>(std::count_if(
        pictures.begin(), pictures.end(), [](const Picture& p) { return p.location.empty(); }));
    steps = 3 + toUpload;  // pictures remembered from before need no upload
    // Nothing goes out while the memory cannot be written: see MemoryNotSaved.
    if (auto error = toUpload > 0 ? impl.memory.Save() : std::nullopt) {
        Finish(result, MemoryNotSaved(*error, false));
        return result;
    }
    for (Picture& picture : pictures) {
        if (!picture.location.empty()) {
            continue;
        }
        progress("zdjęcie " + std::to_string(++number) + " z " + std::to_string(toUpload));
        if (cancel != nullptr && cancel->load()) {
            Finish(result, Cancelled(""));
            return result;
        }
        auto uploaded = impl.Upload(picture, offerId, &observer, cancel);
        if (auto* failure = std::get_if<Failure>(&uploaded)) {
            Finish(result, *failure);
            return result;
        }
        picture.location = std::get<std::string>(uploaded);
        ++result.picturesUploaded;
        if (!picture.path.empty()) {
            result.filesSent.push_back(picture.source);
        }
        impl.memory.Remember(memoryOffer, picture.key, picture.location);
        if (auto error = impl.memory.Save()) {
            Finish(result, MemoryNotSaved(*error, true));
            return result;
        }
    }

    update.description = WithLocations(exported.description, pictures, false);
    update.newImages = Locations(pictures);
    auto built = BuildUpdateBody(update);
    if (auto* message = std::get_if<std::string>(&built)) {
        Finish(result, Failure{Outcome::Refused, *message, {}});
        return result;
    }
    const UpdateBody& body = std::get<UpdateBody>(built);
    result.body = body.json;
    if (const auto findings = structured::ValidateDescription(update.description);
        !findings.empty()) {
        Finish(result, Failure{Outcome::Refused,
                               "Opis po wysłaniu zdjęć nie spełnia wymagań Allegro: " +
                                   findings.front().message,
                               {}});
        return result;
    }
    const std::string sentDescription = structured::DescriptionToJson(update.description);

    if (cancel != nullptr && cancel->load()) {
        Finish(result, Cancelled(""));
        return result;
    }
    progress("zmiana opisu oferty " + offerId);
    std::string readBackUrl = impl.OfferUrl(offerId);
    bool confirmedByReading = false;
    bool resent = false;
    int conflicts = 0;
    for (;;) {
        HttpRequest patch{"PATCH",
                          impl.OfferUrl(offerId),
                          {"Content-Type: " + std::string(kMediaType)},
                          body.json,
                          {}};
        auto answer = impl.Call(std::move(patch), &observer, cancel);
        if (auto* failure = std::get_if<Failure>(&answer)) {
            Finish(result, *failure);
            return result;
        }
        result.sentUpdate = true;
        const auto* transport = std::get_if<TransportFailure>(&answer);
        const auto* response = std::get_if<HttpResponse>(&answer);
        const bool unknown =
            (transport != nullptr && (transport->kind == TransportError::NotRepeated ||
                                      transport->kind == TransportError::TooLarge)) ||
            (response != nullptr && response->status >= 500);
        if (unknown) {
            // Whether it was applied is unknown: read the offer before anything else.
            auto check = impl.ReadOffer(impl.OfferUrl(offerId), offerId, &observer, cancel);
            if (auto* failure = std::get_if<Failure>(&check)) {
                result.updateUncertain = true;
                Finish(result, *failure);
                return result;
            }
            if (SameDescription(sentDescription, std::get<OfferState>(check).descriptionJson)) {
                confirmedByReading = true;
                break;
            }
            if (transport != nullptr && !resent) {
                resent = true;  // not applied, as the offer shows: sending it again is safe
                continue;
            }
            result.sentUpdate = false;  // the offer read back shows it was not applied
            Finish(result, response != nullptr
                               ? DescribeAnswer(Purpose::Update, offerId, response->status,
                                                response->body, response->Header("Trace-Id"))
                               : DescribeNoAnswer(Purpose::Update, transport->detail));
            return result;
        }
        if (transport != nullptr) {
            Finish(result, Impl::NoAnswer(Purpose::Update, *transport));
            result.sentUpdate = false;
            return result;
        }
        if (response->status == 409 && !options.waitOnConflict) {
            result.sentUpdate = false;  // refused: the offer is as it was
            result.conflictWait = RetryAfter(response->Header("Retry-After"), kConflictWait);
            Finish(result, DescribeAnswer(Purpose::Update, offerId, response->status,
                                          response->body, response->Header("Trace-Id")));
            return result;
        }
        if (response->status == 409 && conflicts < kMaxRetries) {
            ++conflicts;
            if (!impl.Wait(RetryAfter(response->Header("Retry-After"), kConflictWait),
                           "Allegro przetwarza poprzednią zmianę", &observer, cancel)) {
                result.sentUpdate = false;
                Finish(result, Cancelled(""));
                return result;
            }
            continue;
        }
        if (response->status == 200) {
            break;
        }
        if (response->status != 202) {
            result.sentUpdate = false;  // refused: the offer is as it was
            Finish(result, DescribeAnswer(Purpose::Update, offerId, response->status,
                                          response->body, response->Header("Trace-Id")));
            return result;
        }
        // Accepted: poll the operation until it points at the offer.
        std::string operation = impl.Resolve(response->Header("Location"));
        Seconds wait = RetryAfter(response->Header("Retry-After"), kOperationPollWait);
        std::string pendingTraceId = response->Header("Trace-Id");
        const Seconds pollingEnds = impl.clock.Now() + kOperationDeadline;
        for (;;) {
            const Seconds left = pollingEnds - impl.clock.Now();
            if (left <= 0) {
                Finish(result,
                       Failure{Outcome::Network,
                               "Allegro nie potwierdziło zmiany oferty " + offerId + " w ciągu " +
                                   std::to_string(kOperationDeadline / 60) + " minut.",
                               pendingTraceId});
                return result;
            }
            if (!impl.Wait(std::min(wait, left), "Allegro zapisuje zmianę", &observer, cancel)) {
                Finish(result, Cancelled(""));
                return result;
            }
            auto polled = impl.Call(HttpRequest{"GET", operation, {}, {}, {}}, &observer, cancel);
            if (auto* failure = std::get_if<Failure>(&polled)) {
                Finish(result, *failure);
                return result;
            }
            if (auto* lost = std::get_if<TransportFailure>(&polled)) {
                Finish(result, Impl::NoAnswer(Purpose::Update, *lost));
                return result;
            }
            const auto& state = std::get<HttpResponse>(polled);
            if (state.status == 202) {
                wait = RetryAfter(state.Header("Retry-After"), kOperationPollWait);
                pendingTraceId = state.Header("Trace-Id");
                continue;
            }
            if (state.status == 303 || state.status == 200) {
                if (const std::string location = state.Header("Location"); !location.empty()) {
                    readBackUrl = impl.Resolve(location);
                }
                break;
            }
            if (RefusedTheChange(state.status)) {
                result.sentUpdate = false;  // the offer is as it was
            } else {
                result.updateUncertain = true;
            }
            Finish(result, DescribeAnswer(Purpose::Update, offerId, state.status, state.body,
                                          state.Header("Trace-Id")));
            return result;
        }
        break;
    }

    progress("sprawdzenie oferty " + offerId);
    if (!confirmedByReading) {
        auto after = impl.ReadOffer(readBackUrl, offerId, &observer, nullptr);
        if (auto* failure = std::get_if<Failure>(&after)) {
            Finish(result, *failure);
            return result;
        }
        if (!SameDescription(sentDescription, std::get<OfferState>(after).descriptionJson)) {
            result.warnings.push_back("Opis odczytany z oferty " + offerId +
                                      " różni się od wysłanego; sprawdź ofertę na stronie "
                                      "Allegro.");
        }
    }
    result.outcome = Outcome::Done;
    result.message = "Oferta " + offerId + ": opis zaktualizowany — " + result.offerPage;
    return result;
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
    PublishOptions options;
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
