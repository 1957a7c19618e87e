#include "publish/OfferCatalogue.h"

#include <set>

#include "model/FileIo.h"
#include "publish/TokenStore.h"
#include "publish/UntrustedJson.h"
#include "structured/Validation.h"

namespace licytek::publish {
namespace {

using nlohmann::json;

constexpr std::size_t kSettingsPage = 60;  // a page every one of these lists gives whole
constexpr std::size_t kMaxSettingsPages = 50;

bool IsPaged(SettingsList list) {
    return list != SettingsList::ShippingRates;
}

// Category ids are digits (a few are UUIDs); nothing else goes into an address or a file name.
bool IsCategoryId(std::string_view id) {
    return !id.empty() && id.size() <= 36 &&
           id.find_first_not_of("0123456789abcdefABCDEF-") == std::string_view::npos;
}

Failure NoAnswer(const std::string& what, const TransportFailure& failure) {
    if (failure.kind == TransportError::TooLarge) {
        return Failure{Outcome::Refused, what + ": odpowiedź Allegro jest za duża.", {}};
    }
    if (failure.kind == TransportError::UntrustedHost) {
        return Failure{Outcome::Refused,
                       what +
                           ": Allegro wskazało adres, pod który program nie wysyła danych "
                           "logowania.",
                       {}};
    }
    return Failure{
        Outcome::Network, what + ": brak połączenia z Allegro (" + failure.detail + ").", {}};
}

std::string AllegroSays(std::string_view body) {
    std::string said;
    for (const AllegroError& error : ParseAllegroErrors(body)) {
        said += said.empty() ? " Allegro: " : "; ";
        said += ErrorForSeller(error, {});
    }
    return said;
}

// "production", "sandbox", "custom-http---127-0-0-1-8080": the environment in a file name.
std::string EnvironmentTag(const Endpoints& endpoints) {
    std::string tag = endpoints.StoreName();
    for (char& c : tag) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            c = '-';
        }
    }
    return tag;
}

}  // namespace

Failure LookupFailure(const std::string& what, const HttpResponse& response) {
    Failure failure{Outcome::Refused, {}, response.Header("Trace-Id")};
    const long status = response.status;
    if (status == 401) {
        failure.outcome = Outcome::SignedOut;
        failure.message =
            "Sesja Allegro wygasła albo została cofnięta. " + std::string(kSignInAgain);
    } else if (status == 403) {
        failure.message = what +
                          ": Allegro odmówiło dostępu. Przez API oferty mogą wystawiać tylko "
                          "konta firmowe." +
                          AllegroSays(response.body);
    } else if (status == 429) {
        failure.message = what +
                          ": Allegro chwilowo ogranicza liczbę zapytań. Spróbuj ponownie "
                          "później.";
    } else if (status >= 500) {
        failure.outcome = Outcome::Network;
        failure.message = what + ": serwer Allegro nie działa poprawnie (kod " +
                          std::to_string(status) + "). Spróbuj ponownie później.";
    } else {
        failure.message = what + ": Allegro odpowiedziało kodem " + std::to_string(status) + "." +
                          AllegroSays(response.body);
    }
    return failure;
}

OfferCatalogue::OfferCatalogue(AllegroSession& session, std::string cacheFolder)
    : session_(session), cacheFolder_(std::move(cacheFolder)) {}

std::optional<std::string> OfferCatalogue::ProductPicture(const std::string& url,
                                                          const std::atomic<bool>* cancel) {
    constexpr long kPictureSeconds = 20;
    if (structured::ClassifyAddress(url) != structured::AddressKind::Https) {
        return std::nullopt;
    }
    if (!pictures_) {
        pictures_ = std::make_unique<HttpClient>(std::vector<std::string>{}, kPictureSeconds,
                                                 kMaxProductPictureBytes);
    }
    HttpRequest request;
    request.url = url;
    auto answer = pictures_->Send(request, cancel);
    auto* response = std::get_if<HttpResponse>(&answer);
    if (response == nullptr || response->status != 200 || response->body.empty()) {
        return std::nullopt;
    }
    return std::move(response->body);
}

std::variant<HttpResponse, Failure> OfferCatalogue::Get(const std::string& path,
                                                        const std::string& what,
                                                        const PublishObserver* observer,
                                                        const std::atomic<bool>* cancel) {
    auto answer = session_.CallApi(HttpRequest{"GET", path, {}, {}, {}}, observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    if (auto* transport = std::get_if<TransportFailure>(&answer)) {
        return NoAnswer(what, *transport);
    }
    return std::get<HttpResponse>(std::move(answer));
}

std::variant<std::vector<NamedSetting>, Failure> OfferCatalogue::Settings(
    SettingsList list, const PublishObserver* observer, const std::atomic<bool>* cancel) {
    std::lock_guard lock(mutex_);
    if (const auto kept = settings_.find(list); kept != settings_.end()) {
        return kept->second;
    }
    const std::string what = "Odczyt ustawień sprzedaży (" + std::string(SettingsTitle(list)) + ")";
    std::vector<NamedSetting> all;
    std::set<std::string> seen;
    for (std::size_t page = 0, offset = 0; page < kMaxSettingsPages; ++page) {
        std::string path(SettingsPath(list));
        if (IsPaged(list)) {
            path += "?limit=" + std::to_string(kSettingsPage) + "&offset=" + std::to_string(offset);
        }
        auto answer = Get(path, what, observer, cancel);
        if (auto* failure = std::get_if<Failure>(&answer)) {
            return std::move(*failure);
        }
        const auto& response = std::get<HttpResponse>(answer);
        if (response.status == 403) {
            return Failure{Outcome::SignedOut,
                           what +
                               ": Allegro odmówiło dostępu — logowanie programu nie obejmuje "
                               "odczytu ustawień sprzedaży (uprawnienie "
                               "allegro:api:sale:settings:read). Zaloguj się ponownie: "
                               "licytek-cli allegro login",
                           response.Header("Trace-Id")};
        }
        if (response.status != 200) {
            return LookupFailure(what, response);
        }
        auto parsed = ParseSettings(list, response.body);
        if (auto* message = std::get_if<std::string>(&parsed)) {
            return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
        }
        const auto& settings = std::get<SettingsAnswer>(parsed);
        std::size_t added = 0;
        for (const NamedSetting& setting : settings.items) {
            if (seen.insert(setting.id).second) {
                all.push_back(setting);
                ++added;
            }
        }
        // The next page starts after what was read, should Allegro give fewer than asked. A
        // list ends with its last page, or when a page brings nothing new.
        offset += settings.items.size();
        const bool more = settings.totalCount ? offset < *settings.totalCount : added > 0;
        if (!IsPaged(list) || added == 0 || !more) {
            break;
        }
    }
    settings_[list] = all;
    return all;
}

std::variant<std::vector<CategorySuggestion>, Failure> OfferCatalogue::MatchingCategories(
    const std::string& title, const PublishObserver* observer, const std::atomic<bool>* cancel) {
    std::lock_guard lock(mutex_);
    if (const auto kept = suggestions_.find(title); kept != suggestions_.end()) {
        return kept->second;
    }
    const std::string what = "Odczyt propozycji kategorii";
    auto answer =
        Get("/sale/matching-categories?name=" + FormEncoded(title), what, observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    const auto& response = std::get<HttpResponse>(answer);
    if (response.status != 200) {
        return LookupFailure(what, response);
    }
    auto parsed = ParseMatchingCategories(response.body);
    if (auto* message = std::get_if<std::string>(&parsed)) {
        return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
    }
    return suggestions_[title] = std::get<std::vector<CategorySuggestion>>(std::move(parsed));
}

std::variant<std::vector<CategoryParameter>, Failure> OfferCatalogue::CategoryParameters(
    const std::string& categoryId, const PublishObserver* observer,
    const std::atomic<bool>* cancel) {
    std::lock_guard lock(mutex_);
    if (!IsCategoryId(categoryId)) {
        return Failure{
            Outcome::BadUse,
            "kategoria: " + offer::QuotedValue(categoryId) + " nie jest numerem kategorii Allegro",
            {}};
    }
    if (const auto kept = parameters_.find(categoryId); kept != parameters_.end()) {
        return kept->second;
    }
    if (auto kept = KeptParameters(categoryId)) {
        return parameters_[categoryId] = std::move(*kept);
    }
    const std::string what = "Odczyt parametrów kategorii " + categoryId;
    auto answer = Get("/sale/categories/" + categoryId + "/parameters", what, observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    const auto& response = std::get<HttpResponse>(answer);
    if (response.status == 404) {
        return Failure{Outcome::BadUse,
                       "kategoria: Allegro nie zna kategorii " + categoryId +
                           " (listę kategorii dla tytułu poda licytek-cli allegro categories)",
                       response.Header("Trace-Id")};
    }
    if (response.status != 200) {
        return LookupFailure(what, response);
    }
    auto parsed = ParseCategoryParameters(response.body);
    if (auto* message = std::get_if<std::string>(&parsed)) {
        return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
    }
    KeepParameters(categoryId, response.body);
    return parameters_[categoryId] = std::get<std::vector<CategoryParameter>>(std::move(parsed));
}

std::variant<std::vector<CatalogueProduct>, Failure> OfferCatalogue::ProductsByEan(
    const std::string& ean, const PublishObserver* observer, const std::atomic<bool>* cancel) {
    std::lock_guard lock(mutex_);
    if (const auto kept = searches_.find(ean); kept != searches_.end()) {
        return kept->second;
    }
    const std::string what = "Wyszukanie EAN " + ean + " w katalogu Allegro";
    std::variant<std::vector<CatalogueProduct>, Failure> result;
    auto answer = Get("/sale/products?phrase=" + FormEncoded(ean) + "&mode=GTIN&language=pl-PL",
                      what, observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        result = std::move(*failure);
    } else if (const auto& response = std::get<HttpResponse>(answer); response.status != 200) {
        result = LookupFailure(what, response);
    } else {
        auto parsed = ParseProducts(response.body);
        if (auto* message = std::get_if<std::string>(&parsed)) {
            result = Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
        } else {
            result = std::get<std::vector<CatalogueProduct>>(std::move(parsed));
        }
    }
    // Kept even when it failed, so that the EAN is not searched again this run; a search the
    // seller stopped may run again.
    if (const auto* failure = std::get_if<Failure>(&result); !failure || !failure->cancelled) {
        searches_[ean] = result;
    }
    return result;
}

std::variant<CatalogueProduct, Failure> OfferCatalogue::ProductById(
    const std::string& productId, const PublishObserver* observer,
    const std::atomic<bool>* cancel) {
    std::lock_guard lock(mutex_);
    if (!offer::IsUuid(productId)) {
        return Failure{Outcome::BadUse,
                       "produkt: " + offer::QuotedValue(productId) +
                           " nie jest identyfikatorem produktu (UUID)",
                       {}};
    }
    if (const auto kept = products_.find(productId); kept != products_.end()) {
        return kept->second;
    }
    const std::string what = "Odczyt produktu " + productId + " z katalogu Allegro";
    auto answer = Get("/sale/products/" + productId + "?language=pl-PL", what, observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    const auto& response = std::get<HttpResponse>(answer);
    if (response.status == 404) {
        return Failure{Outcome::Refused, "produkt: w katalogu Allegro nie ma produktu " + productId,
                       response.Header("Trace-Id")};
    }
    if (response.status != 200) {
        return LookupFailure(what, response);
    }
    auto parsed = ParseProduct(response.body);
    if (auto* message = std::get_if<std::string>(&parsed)) {
        return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
    }
    return products_[productId] = std::get<CatalogueProduct>(std::move(parsed));
}

std::variant<std::vector<SignedOffer>, Failure> OfferCatalogue::OffersWithSignature(
    const std::string& signature, const PublishObserver* observer,
    const std::atomic<bool>* cancel) {
    std::lock_guard lock(mutex_);
    const std::string what = "Wyszukanie oferty o sygnaturze " + offer::QuotedValue(signature);
    auto answer = Get("/sale/offers?external.id=" + FormEncoded(signature) + "&limit=1000", what,
                      observer, cancel);
    if (auto* failure = std::get_if<Failure>(&answer)) {
        return std::move(*failure);
    }
    const auto& response = std::get<HttpResponse>(answer);
    if (response.status != 200) {
        return LookupFailure(what, response);
    }
    auto parsed = ParseOffersBySignature(response.body);
    if (auto* message = std::get_if<std::string>(&parsed)) {
        return Failure{Outcome::Refused, *message, response.Header("Trace-Id")};
    }
    return std::get<std::vector<SignedOffer>>(std::move(parsed));
}

// ---- The categories' parameters on disk ----------------------------------------------------

std::string OfferCatalogue::ParametersFile(const std::string& categoryId) const {
    return cacheFolder_ + "/parametry-kategorii/" + EnvironmentTag(session_.endpoints()) + "-" +
           categoryId + ".json";
}

// The parameters kept on disk when the file is whole, of this category and environment, and
// younger than a day; anything else is ignored and read again from Allegro.
std::optional<std::vector<CategoryParameter>> OfferCatalogue::KeptParameters(
    const std::string& categoryId) {
    if (cacheFolder_.empty()) {
        return std::nullopt;
    }
    auto read = ReadFilePrefix(ParametersFile(categoryId), kMaxAnswerBytes + 4096);
    const auto* bytes = std::get_if<std::string>(&read);
    const auto kept = bytes ? ParseUntrusted(*bytes) : std::nullopt;
    if (!kept || Text(*kept, "category") != categoryId ||
        Text(*kept, "environment") != session_.endpoints().StoreName()) {
        return std::nullopt;
    }
    const json* fetched = Member(*kept, "fetchedAt");
    const Seconds now = session_.clock().Now();
    if (!fetched || !fetched->is_number_integer() || fetched->get<Seconds>() > now ||
        now - fetched->get<Seconds>() >= kParametersKeptFor) {
        return std::nullopt;
    }
    auto parsed = ParseCategoryParameters(Text(*kept, "answer"));
    auto* parameters = std::get_if<std::vector<CategoryParameter>>(&parsed);
    if (!parameters) {
        return std::nullopt;
    }
    return std::move(*parameters);
}

// Allegro's own answer is kept, so that reading it back goes through the same careful reader.
void OfferCatalogue::KeepParameters(const std::string& categoryId, const std::string& answer) {
    if (cacheFolder_.empty()) {
        return;
    }
    const json kept = {{"category", categoryId},
                       {"environment", session_.endpoints().StoreName()},
                       {"fetchedAt", session_.clock().Now()},
                       {"answer", answer}};
    MakeFolders(cacheFolder_ + "/parametry-kategorii");
    // The cache only saves look-ups: a file that cannot be written is read again next time.
    (void)WriteFileAtomically(ParametersFile(categoryId),
                              kept.dump(-1, ' ', false, json::error_handler_t::replace),
                              Flush::Later);
}

}  // namespace licytek::publish
