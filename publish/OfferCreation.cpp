#include "publish/OfferCreation.h"

#include <algorithm>

#include "model/PolishNumbers.h"
#include "structured/Description.h"

namespace licytek::publish {
namespace {

constexpr std::string_view kMediaType = "application/vnd.allegro.public.v1+json";
constexpr Seconds kOperationPollWait = 5;
constexpr int kMaxPolls = 360;  // half an hour at Allegro's usual five seconds
constexpr std::string_view kActivation = R"({"publication":{"status":"ACTIVE"}})";

std::string StatusWord(const std::string& status) {
    if (status == "INACTIVE") {
        return "szkic";
    }
    if (status == "ACTIVE") {
        return "aktywna";
    }
    if (status == "ACTIVATING") {
        return "w trakcie wystawiania";
    }
    return offer::ShownText(status, 20);
}

bool IsLive(const std::string& status) {
    return status == "ACTIVE" || status == "ACTIVATING";
}

// An offer's address under the API for its id, or the address Allegro pointed at.
std::string OfferPath(const std::string& offerId) {
    return "/sale/product-offers/" + offerId;
}

// One creation, step by step, filling in the result.
class Creation {
  public:
    Creation(OfferCatalogue& catalogue, PreparedOffer& prepared, const CreateOptions& options,
             const PublishObserver& observer, const std::atomic<bool>* cancel, CreateResult& result)
        : catalogue_(catalogue),
          session_(catalogue.session()),
          request_(prepared.request),
          options_(options),
          observer_(observer),
          cancel_(cancel),
          result_(result) {
        context_.category = prepared.category;
        context_.parameters = &request_.resolved.parameters;
        context_.productById = !request_.data.product.empty();
    }

    void Run() {
        if (!CheckSignature()) {
            return;
        }
        auto located =
            session_.PutPictures(request_.images, request_.description, options_.projectFolder,
                                 options_.dryRun, &observer_, cancel_);
        if (auto* failure = std::get_if<Failure>(&located)) {
            Fail(std::move(*failure));
            return;
        }
        request_.images = std::get<std::vector<std::string>>(std::move(located));
        if (const auto findings = structured::ValidateDescription(request_.description);
            !options_.dryRun && !findings.empty()) {
            Fail(Failure{Outcome::Refused,
                         "Opis po wysłaniu zdjęć nie spełnia wymagań Allegro: " +
                             findings.front().message + " Oferta nie została utworzona.",
                         {}});
            return;
        }
        auto body = BuildCreateBody(request_);
        if (auto* errors = std::get_if<std::vector<offer::OfferError>>(&body)) {
            for (const offer::OfferError& error : *errors) {
                AddError(PlaceError(error));
            }
            Fail(Failure{Outcome::BadUse, "Nic nie zostało wysłane do Allegro.", {}});
            return;
        }
        result_.body = std::get<std::string>(std::move(body));
        if (options_.dryRun) {
            result_.message = "Próba: nic nie zostało wysłane do Allegro.";
            return;
        }
        if (Stopped()) {
            return;
        }
        Post();
    }

  private:
    bool Stopped() {
        if (cancel_ != nullptr && cancel_->load()) {
            Fail(Failure{Outcome::Refused, {}, {}, true});
            return true;
        }
        return false;
    }

    // What the seller stopped leaves behind.
    std::string StoppedMessage() const {
        if (!result_.offerId.empty()) {
            return "Przerwano: szkic " + result_.offerId + " pozostaje w Allegro — " +
                   result_.offerPage + ".";
        }
        if (result_.posted) {
            return "Przerwano: Allegro mogło już utworzyć ofertę; sprawdź w Allegro przed "
                   "ponownym wystawieniem.";
        }
        return "Przerwano: oferta nie została utworzona.";
    }

    // The failure as the result; once the draft is there, it says that the draft stays.
    void Fail(Failure failure) {
        result_.failure = failure;
        result_.outcome = failure.outcome;
        result_.traceId = failure.traceId;
        result_.cancelled = failure.cancelled;
        result_.message = std::move(failure.message);
        if (failure.cancelled) {
            result_.message = StoppedMessage();
            return;
        }
        if (activating_) {
            result_.message = "Szkic " + result_.offerId + " utworzony — " + result_.offerPage +
                              ", ale nie został wystawiony: " + result_.message;
        }
    }

    // Whether the offer may be created: none of the seller's live offers carries its signature.
    bool CheckSignature() {
        auto found = catalogue_.OffersWithSignature(request_.signature, &observer_, cancel_);
        if (auto* failure = std::get_if<Failure>(&found)) {
            Fail(std::move(*failure));
            return false;
        }
        const auto& offers = std::get<std::vector<SignedOffer>>(found);
        if (offers.empty()) {
            return true;
        }
        const SignedOffer& offer = offers.front();
        const std::string line =
            ExistingOfferLine(offer, request_.signature, session_.endpoints().OfferPage(offer.id));
        if (options_.dryRun) {
            result_.warnings.push_back(line);
            result_.foundOfferId = offer.id;
            return true;
        }
        result_.existing = true;
        result_.offerId = offer.id;
        result_.offerPage = session_.endpoints().OfferPage(offer.id);
        result_.status = offer.status;
        result_.message = line;
        return false;
    }

    bool Wait(Seconds seconds, const std::string& why) {
        if (observer_.waiting && seconds > 0) {
            observer_.waiting(seconds, why);
        }
        return session_.clock().Wait(seconds, cancel_);
    }

    std::variant<HttpResponse, Failure, TransportFailure> Send(const std::string& method,
                                                               const std::string& path,
                                                               std::string body = {}) {
        HttpRequest request{method, path, {}, std::move(body), {}};
        if (method != "GET") {
            request.headers.push_back("Content-Type: " + std::string(kMediaType));
        }
        return session_.CallApi(std::move(request), &observer_, cancel_);
    }

    void Post() {
        if (observer_.progress) {
            observer_.progress(1, 1, "tworzenie oferty");
        }
        auto answer = Send("POST", "/sale/product-offers", result_.body);
        if (auto* failure = std::get_if<Failure>(&answer)) {
            Fail(std::move(*failure));
            return;
        }
        result_.posted = true;
        if (auto* transport = std::get_if<TransportFailure>(&answer)) {
            FindAfterSilence(transport->detail);
            return;
        }
        const auto& response = std::get<HttpResponse>(answer);
        if (response.status >= 500) {
            FindAfterSilence("kod " + std::to_string(response.status));
            return;
        }
        if (response.status == 201 || response.status == 200) {
            auto created = ParseCreatedOffer(response.body);
            if (auto* offer = std::get_if<CreatedOffer>(&created)) {
                Created(*offer);
            } else {
                FindAfterSilence("nieczytelna odpowiedź");
            }
            return;
        }
        if (response.status == 202) {
            Accepted(response);
            return;
        }
        Refused(response, "Allegro nie utworzyło oferty");
    }

    // Allegro creates the offer meanwhile: its operation is polled, then the offer read.
    void Accepted(const HttpResponse& response) {
        const std::string location = response.Header("Location");
        bool lost = false;
        auto done = location.empty() ? std::nullopt
                                     : Poll(location, response, "Allegro zapisuje ofertę", lost);
        if (!done && !lost && !location.empty()) {
            return;  // refused or stopped: the result says so
        }
        std::string id = done ? OfferIdInAddress(*done) : std::string();
        if (id.empty()) {
            id = OfferIdInAddress(location);
        }
        if (!done || id.empty()) {
            FindAfterSilence(lost ? "brak odpowiedzi na pytanie o stan operacji"
                                  : "Allegro nie podało adresu operacji");
            return;
        }
        if (auto offer = Read(id)) {
            Created(*offer);
        }
    }

    // The operation of a 202 polled until it is done: the address it points at, or nothing
    // when it failed (the result says why) or when no answer came (`lost`, the result left).
    std::optional<std::string> Poll(const std::string& operation, const HttpResponse& accepted,
                                    const std::string& why, bool& lost) {
        Seconds wait = RetryAfter(accepted.Header("Retry-After"), kOperationPollWait);
        for (int poll = 0; poll < kMaxPolls; ++poll) {
            if (!Wait(wait, why)) {
                Stopped();
                return std::nullopt;
            }
            auto polled = Send("GET", operation);
            if (auto* failure = std::get_if<Failure>(&polled)) {
                Fail(std::move(*failure));
                return std::nullopt;
            }
            if (std::holds_alternative<TransportFailure>(polled)) {
                lost = true;
                return std::nullopt;
            }
            const auto& state = std::get<HttpResponse>(polled);
            if (state.status == 202) {
                wait = RetryAfter(state.Header("Retry-After"), kOperationPollWait);
                continue;
            }
            if (state.status == 303 || state.status == 200) {
                return state.Header("Location");
            }
            Refused(state, why + " — operacja się nie udała");
            return std::nullopt;
        }
        lost = true;  // still not done after half an hour
        return std::nullopt;
    }

    std::optional<CreatedOffer> Read(const std::string& offerId) {
        auto answer = Send("GET", OfferPath(offerId));
        if (auto* failure = std::get_if<Failure>(&answer)) {
            Fail(std::move(*failure));
            return std::nullopt;
        }
        const std::string page = session_.endpoints().OfferPage(offerId);
        if (auto* lost = std::get_if<TransportFailure>(&answer)) {
            Fail(Failure{Outcome::Network,
                         "Oferta " + offerId + " — " + page +
                             ": brak odpowiedzi Allegro przy jej odczycie (" + lost->detail +
                             "); sprawdź ją na allegro.pl.",
                         {}});
            return std::nullopt;
        }
        const auto& response = std::get<HttpResponse>(answer);
        if (response.status != 200) {
            Failure failure = LookupFailure("Odczyt oferty " + offerId + " — " + page, response);
            Fail(std::move(failure));
            return std::nullopt;
        }
        auto offer = ParseCreatedOffer(response.body);
        if (auto* message = std::get_if<std::string>(&offer)) {
            Fail(Failure{Outcome::Refused, "Oferta " + offerId + " — " + page + ": " + *message,
                         response.Header("Trace-Id")});
            return std::nullopt;
        }
        return std::get<CreatedOffer>(std::move(offer));
    }

    // The POST got no answer: it is never sent again; the offer is looked for by signature.
    void FindAfterSilence(const std::string& detail) {
        auto found = catalogue_.OffersWithSignature(request_.signature, &observer_, nullptr);
        const auto* offers = std::get_if<std::vector<SignedOffer>>(&found);
        if (!offers || offers->empty()) {
            Unknown("brak odpowiedzi Allegro na utworzenie oferty (" + detail + ")");
            return;
        }
        if (auto offer = Read(offers->front().id)) {
            notes_.push_back(
                "Allegro nie odpowiedziało na utworzenie oferty, ale "
                "oferta o sygnaturze " +
                offer::QuotedValue(request_.signature) + " jest w Allegro: " + offer->id);
            Created(*offer);
        }
    }

    void Unknown(const std::string& why) {
        result_.outcome = Outcome::Network;
        result_.message = "Oferta: " + why +
                          ": nie wiadomo, czy oferta powstała; sprawdź w Allegro przed ponownym "
                          "wystawieniem. Ponowne uruchomienie szuka oferty o sygnaturze " +
                          offer::QuotedValue(request_.signature) +
                          ", ale lista ofert Allegro bywa opóźniona, więc może jej jeszcze nie "
                          "znaleźć.";
    }

    void Refused(const HttpResponse& response, const std::string& what) {
        const std::vector<AllegroError> errors = ParseAllegroErrors(response.body);
        if (HasErrorCode(errors, "MultipleProductsFoundException")) {
            AddError(SeveralProducts(response.body));
        } else {
            for (const AllegroError& error : errors) {
                AddError(PlaceError(error, context_));
            }
        }
        Failure failure{Outcome::Refused, what + " (kod " + std::to_string(response.status) + ").",
                        response.Header("Trace-Id")};
        failure.status = response.status;
        failure.kind = FailureKind::Refused;
        failure.errors = errors;
        if (response.status == 401) {
            failure.kind = FailureKind::SessionEnded;
            failure.outcome = Outcome::SignedOut;
            failure.message =
                "Sesja Allegro wygasła albo została cofnięta. " + std::string(kSignInAgain);
        } else if (response.status == 403) {
            failure.message += " Przez API oferty mogą wystawiać tylko konta firmowe.";
        } else if (response.status == 429) {
            failure.message += " Allegro chwilowo ogranicza liczbę zapytań; spróbuj później.";
        }
        Fail(std::move(failure));
    }

    // The products Allegro found for the EAN, told apart by one search of the catalogue.
    PlacedError SeveralProducts(const std::string& body) {
        const std::vector<std::string> ids = FoundProductIds(body);
        std::vector<CatalogueProduct> found;
        if (!request_.data.ean.empty()) {
            auto searched = catalogue_.ProductsByEan(request_.data.ean, &observer_, cancel_);
            if (auto* products = std::get_if<std::vector<CatalogueProduct>>(&searched)) {
                for (const CatalogueProduct& product : *products) {
                    if (ids.empty() || std::find(ids.begin(), ids.end(), product.id) != ids.end()) {
                        found.push_back(product);
                    }
                }
            }
        }
        if (found.size() < 2) {  // the search did not tell them apart: the ids alone
            found.clear();
            for (const std::string& id : ids) {
                found.push_back({id, {}, {}, false});
            }
        }
        if (found.size() < 2) {
            return PlaceError(offer::OfferError{
                std::string(offer::KeyName(offer::OfferKey::Ean)),
                "ten EAN ma w katalogu Allegro kilka produktów; podaj UUID wybranego w "
                "„produkt” (licytek-cli allegro products --ean " +
                    request_.data.ean + ")"});
        }
        auto chosen = ChooseProduct(request_.data.ean, found);
        return PlaceError(std::get<ProductProblem>(chosen).error);
    }

    void Created(const CreatedOffer& offer) {
        result_.offerId = offer.id;
        result_.offerPage = session_.endpoints().OfferPage(offer.id);
        result_.status = offer.status;
        SetGaps(offer.validationErrors);
        if (!options_.activate || offer.status != "INACTIVE") {
            Finished();
            return;
        }
        if (!result_.placedWarnings.empty()) {
            result_.outcome = Outcome::Refused;
            result_.message =
                "Szkic " + offer.id + " utworzony — " + result_.offerPage +
                ", ale nie został wystawiony: Allegro wskazało w nim " +
                CountedNoun(result_.placedWarnings.size(), "brak", "braki", "braków") +
                ". Uzupełnij szkic na allegro.pl i tam go wystaw.";
            return;
        }
        if (!Stopped()) {
            Activate(offer.id);
        }
    }

    void Activate(const std::string& offerId) {
        activating_ = true;
        if (observer_.progress) {
            observer_.progress(1, 1, "wystawianie oferty " + offerId);
        }
        auto answer = Send("PATCH", OfferPath(offerId), std::string(kActivation));
        if (auto* failure = std::get_if<Failure>(&answer)) {
            Fail(std::move(*failure));
            return;
        }
        const auto* response = std::get_if<HttpResponse>(&answer);
        if (response == nullptr || response->status >= 500) {
            ReadAfterActivation(true);
            return;
        }
        if (response->status == 202) {
            bool lost = false;
            const std::string location = response->Header("Location");
            if (!location.empty() && !Poll(location, *response, "Allegro wystawia ofertę", lost) &&
                !lost) {
                return;
            }
            ReadAfterActivation(lost || location.empty());
            return;
        }
        if (response->status != 200) {
            Refused(*response, "Allegro nie wystawiło oferty");
            return;
        }
        ReadAfterActivation(false);
    }

    void ReadAfterActivation(bool unanswered) {
        const std::string offerId = result_.offerId;
        auto offer = Read(offerId);
        if (!offer) {
            return;
        }
        result_.status = offer->status;
        if (IsLive(offer->status)) {
            Finished();
            return;
        }
        if (unanswered) {
            Fail(Failure{Outcome::Network,
                         "Allegro nie odpowiedziało na wystawienie; sprawdź szkic na "
                         "allegro.pl.",
                         {}});
            return;
        }
        SetGaps(offer->validationErrors);
        Fail(Failure{Outcome::Refused,
                     "Allegro go nie wystawiło (stan: " + StatusWord(offer->status) + ").",
                     {}});
    }

    void AddError(PlacedError error) {
        result_.errors.push_back(error.line);
        result_.placedErrors.push_back(std::move(error));
    }

    // What Allegro finds missing in the draft, instead of what it found before, after the
    // notes of this creation.
    void SetGaps(const std::vector<AllegroError>& gaps) {
        result_.warnings = notes_;
        result_.placedWarnings.clear();
        for (const AllegroError& gap : gaps) {
            PlacedError placed = PlaceError(gap, context_);
            result_.warnings.push_back(placed.line);
            result_.placedWarnings.push_back(std::move(placed));
        }
    }

    void Finished() {
        result_.outcome = Outcome::Done;
        const std::string& id = result_.offerId;
        if (result_.status == "ACTIVE") {
            result_.message = "Oferta " + id + " wystawiona";
        } else if (result_.status == "ACTIVATING") {
            result_.message = "Oferta " + id + ": Allegro ją sprawdza (do 2 godzin)";
        } else if (result_.status == "INACTIVE") {
            result_.message = "Szkic " + id + " utworzony — " + result_.offerPage;
        } else {
            result_.message = "Oferta " + id + " utworzona (stan: " + StatusWord(result_.status) +
                              ") — " + result_.offerPage;
        }
    }

    OfferCatalogue& catalogue_;
    AllegroSession& session_;
    CreateRequest& request_;
    const CreateOptions& options_;
    const PublishObserver& observer_;
    const std::atomic<bool>* cancel_;
    CreateResult& result_;
    ErrorContext context_;
    std::vector<std::string> notes_;  // warnings that are no gaps of the draft
    bool activating_ = false;         // the draft exists; what fails now is its activation
};

}  // namespace

std::string ExistingOfferLine(const SignedOffer& offer, const std::string& signature,
                              const std::string& offerPage) {
    return "Oferta " + offer.id + " o sygnaturze " + offer::QuotedValue(signature) +
           " już jest w Allegro (" + StatusWord(offer.status) + ") — " + offerPage +
           "; nie utworzono drugiej.";
}

CreateResult CreateOffer(OfferCatalogue& catalogue, PreparedOffer prepared,
                         const CreateOptions& options, const PublishObserver& observer,
                         const std::atomic<bool>* cancel) {
    CreateResult result;
    Creation(catalogue, prepared, options, observer, cancel, result).Run();
    return result;
}

}  // namespace licytek::publish
