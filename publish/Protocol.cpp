#include "publish/Protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "model/PolishNumbers.h"
#include "model/Utf8.h"
#include "publish/Wording.h"
#include "structured/JsonDepth.h"
#include "structured/Validation.h"

namespace licytek::publish {
namespace {

using nlohmann::json;

// Every answer goes through here: the depth is bounded before the library reads it.
std::optional<json> ParseJson(std::string_view body) {
    if (!structured::JsonDepthWithin(body)) {
        return std::nullopt;
    }
    json value = json::parse(body, nullptr, false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

std::string StringField(const json& object, const char* key) {
    if (object.is_object()) {
        if (auto it = object.find(key); it != object.end() && it->is_string()) {
            return it->get<std::string>();
        }
    }
    return {};
}

// The member `key` of `object`, or null when there is none.
const json& Member(const json& object, const char* key) {
    static const json kNone;
    if (object.is_object()) {
        if (auto it = object.find(key); it != object.end()) {
            return *it;
        }
    }
    return kNone;
}

// The member `key` of `object` when it is an array, else an empty one.
const json& ArrayMember(const json& object, const char* key) {
    static const json kEmpty = json::array();
    const json& member = Member(object, key);
    return member.is_array() ? member : kEmpty;
}

// A whole number of at least 0, also when it comes as a string of digits ("5") or with a
// fraction; `fallback` when it is missing, null, negative or of another type. Large numbers
// are cut, so that no time computed with them overflows.
Seconds NumberField(const json& object, const char* key, Seconds fallback) {
    constexpr Seconds kLargest = Seconds{1} << 32;
    const json& value = Member(object, key);
    if (value.is_number_unsigned()) {
        return static_cast<Seconds>(std::min<std::uint64_t>(value.get<std::uint64_t>(),
                                                            static_cast<std::uint64_t>(kLargest)));
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        return number < 0 ? fallback : std::min<Seconds>(number, kLargest);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!std::isfinite(number) || number < 0) {
            return fallback;
        }
        return number >= static_cast<double>(kLargest) ? kLargest : static_cast<Seconds>(number);
    }
    if (value.is_string()) {
        const auto& text = value.get_ref<const std::string&>();
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
            return fallback;
        }
        return text.size() > 10 ? kLargest : std::min<Seconds>(std::stoll(text), kLargest);
    }
    return fallback;
}

// An address for a message: at most a line's worth of it.
std::string Quoted(std::string_view address) {
    constexpr std::size_t kShown = 120;
    const std::string_view shown = Utf8Prefix(address, kShown);
    return "„" + std::string(shown) + (shown.size() < address.size() ? "…”" : "”");
}

bool IsHttpsAddress(std::string_view address) {
    return structured::ClassifyAddress(address) == structured::AddressKind::Https;
}

// The first picture of the offer whose address is not https://, as the seller reads it.
std::optional<std::string> PictureNotOnTheWeb(const json& offer) {
    for (const json& image : ArrayMember(offer, "images")) {
        const std::string url =
            image.is_string() ? image.get<std::string>() : StringField(image, "url");
        if (!url.empty() && !IsHttpsAddress(url)) {
            return "Allegro podało w galerii oferty zdjęcie o adresie " + Quoted(url) +
                   ", który nie jest adresem https://; program go nie użyje.";
        }
    }
    for (const json& section : ArrayMember(Member(offer, "description"), "sections")) {
        for (const json& item : ArrayMember(section, "items")) {
            if (StringField(item, "type") != "IMAGE") {
                continue;
            }
            const std::string url = StringField(item, "url");
            if (!url.empty() && !IsHttpsAddress(url)) {  // one without is the description's fault
                return "Allegro podało w opisie oferty zdjęcie o adresie " + Quoted(url) +
                       ", który nie jest adresem https://; program go nie użyje.";
            }
        }
    }
    return std::nullopt;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << 16 |
                           static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], kDigits[(n >> 6) & 63], kDigits[n & 63]};
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        unsigned n = static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) {
            n |= static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        }
        out += kDigits[n >> 18];
        out += kDigits[(n >> 12) & 63];
        out += rest == 2 ? kDigits[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// "description.sections[2].items[0].content" as "sekcja 3, element 1".
std::string PlaceOf(std::string_view path) {
    std::string place;
    const auto number = [&](std::string_view key) -> std::optional<unsigned long> {
        const std::size_t at = path.find(key);
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        const std::size_t start = at + key.size();
        const std::size_t end = path.find(']', start);
        try {
            return std::stoul(std::string(path.substr(start, end - start))) + 1;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    if (auto section = number("sections[")) {
        place = "sekcja " + std::to_string(*section);
        if (auto item = number("items[")) {
            place += ", element " + std::to_string(*item);
        }
    } else if (path.starts_with("images")) {
        place = "galeria zdjęć";
        if (auto image = number("images[")) {
            place += ", zdjęcie " + std::to_string(*image);
        }
    } else if (path == "name") {
        place = "tytuł";
    } else if (!path.empty()) {
        place = std::string(path);
    }
    return place;
}

// One error of Allegro's answer as the seller reads it: its place, then its message.
std::string ErrorText(const json& error) {
    std::string text = StringField(error, "userMessage");
    if (text.empty()) {
        text = StringField(error, "message");
    }
    if (text.empty()) {
        text = StringField(error, "code");
    }
    std::string place = PlaceOf(StringField(error, "path"));
    if (place.empty()) {
        return text;
    }
    return place.append(": ").append(text);
}

std::vector<std::string> ErrorTexts(const json& errors) {
    std::vector<std::string> texts;
    if (errors.is_array()) {
        for (const json& error : errors) {
            texts.push_back(ErrorText(error));
        }
    }
    return texts;
}

// Allegro's texts are shown to the seller: a few lines each, not megabytes.
constexpr std::size_t kMaxErrors = 20;
constexpr std::size_t kMaxErrorText = 1000;

std::string Bounded(std::string text) {
    const std::size_t kept = Utf8Prefix(text, kMaxErrorText).size();
    if (kept == text.size()) {
        return text;
    }
    text.resize(kept);
    return text + "…";
}

std::vector<std::pair<std::string, std::string>> Metadata(const json& error) {
    std::vector<std::pair<std::string, std::string>> metadata;
    const auto found = error.find("metadata");
    if (found == error.end() || !found->is_object()) {
        return metadata;
    }
    for (const auto& [key, value] : found->items()) {
        if (metadata.size() == kMaxErrors) {
            break;
        }
        if (value.is_string()) {
            metadata.emplace_back(Bounded(key), Bounded(value.get<std::string>()));
        } else if (value.is_number() || value.is_boolean()) {
            metadata.emplace_back(Bounded(key), value.dump());
        }
    }
    return metadata;
}

}  // namespace

std::string FormEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::variant<DeviceCode, std::string> ParseDeviceCode(std::string_view body) {
    const auto value = ParseJson(body);
    DeviceCode code;
    if (value) {
        code.userCode = StringField(*value, "user_code");
        code.deviceCode = StringField(*value, "device_code");
        code.verificationAddress = StringField(*value, "verification_uri_complete");
        if (code.verificationAddress.empty()) {
            // The page without the code in it: the seller types the code shown beside it.
            code.verificationAddress = StringField(*value, "verification_uri");
        }
        code.expiresIn = NumberField(*value, "expires_in", 0);
        code.interval = std::clamp<Seconds>(NumberField(*value, "interval", 5), 1, kLongestWait);
    }
    if (code.userCode.empty() || code.deviceCode.empty() ||
        !structured::IsUsableAddress(structured::ClassifyAddress(code.verificationAddress))) {
        return std::string("Allegro nie podało kodu logowania.");
    }
    return code;
}

std::string GroupUserCode(std::string_view userCode) {
    std::string grouped;
    for (std::size_t i = 0; i < userCode.size(); ++i) {
        if (i > 0 && i % 3 == 0) {
            grouped += ' ';
        }
        grouped += userCode[i];
    }
    return grouped;
}

std::optional<Tokens> ParseTokens(std::string_view body, Seconds now) {
    const auto value = ParseJson(body);
    if (!value) {
        return std::nullopt;
    }
    Tokens tokens{StringField(*value, "access_token"), StringField(*value, "refresh_token"),
                  now + NumberField(*value, "expires_in", 0)};
    if (tokens.access.empty() || tokens.refresh.empty()) {
        return std::nullopt;
    }
    return tokens;
}

bool NeedsRefresh(const Tokens& tokens, Seconds now) {
    return now + kRefreshMargin >= tokens.expiresAt;
}

std::string OAuthError(std::string_view body) {
    const auto value = ParseJson(body);
    std::string error = value ? StringField(*value, "error") : std::string();
    const bool plain = error.size() <= 64 &&
                       error.find_first_not_of("abcdefghijklmnopqrstuvwxyz_") == std::string::npos;
    return plain ? error : std::string();
}

RefreshRefusal JudgeRefreshRefusal(long status, std::string_view body) {
    if (status != 400 && status != 401) {
        return RefreshRefusal::Other;
    }
    return OAuthError(body) == "invalid_grant" ? RefreshRefusal::SessionOver
                                               : RefreshRefusal::KeysRefused;
}

DeviceFlow::DeviceFlow(DeviceCode code, Seconds started)
    : code_(std::move(code)), deadline_(started + code_.expiresIn), interval_(code_.interval) {}

DeviceFlow::Action DeviceFlow::First() const {
    // Never after the code has run out, however long the interval.
    return PollAt{std::min(deadline_ - code_.expiresIn + interval_, deadline_)};
}

Seconds DeviceFlow::SecondsLeft(Seconds now) const {
    return std::max<Seconds>(deadline_ - now, 0);
}

DeviceFlow::Action DeviceFlow::OnAnswer(long status, std::string_view body, Seconds now) {
    if (status == 200) {
        if (auto tokens = ParseTokens(body, now)) {
            return SignedIn{std::move(*tokens)};
        }
        return Stop::Failed;
    }
    if (status != 400) {
        return Stop::Failed;
    }
    const auto value = ParseJson(body);
    const std::string error = value ? StringField(*value, "error") : std::string();
    if (error == "access_denied") {
        return Stop::Denied;
    }
    if (error == "slow_down") {
        interval_ += 5;
    } else if (error != "authorization_pending") {
        return Stop::Expired;  // invalid_request, invalid_grant, expired_token ...
    }
    if (now + interval_ > deadline_) {
        return Stop::Expired;
    }
    return PollAt{now + interval_};
}

std::string DeviceRequestBody(std::string_view clientId) {
    return "client_id=" + FormEncoded(clientId);
}

std::string DevicePollBody(std::string_view deviceCode) {
    return "grant_type=" + FormEncoded("urn:ietf:params:oauth:grant-type:device_code") +
           "&device_code=" + FormEncoded(deviceCode);
}

std::string RefreshBody(std::string_view refreshToken) {
    return "grant_type=refresh_token&refresh_token=" + FormEncoded(refreshToken);
}

std::string BasicAuthorization(std::string_view id, std::string_view secret) {
    return "Basic " + Base64(std::string(id) + ":" + std::string(secret));
}

Account ParseAccount(std::string_view body) {
    const auto value = ParseJson(body);
    if (!value) {
        return {};
    }
    return Account{StringField(*value, "id"), StringField(*value, "login")};
}

bool IsOfferId(std::string_view id) {
    return !id.empty() && id.size() <= 32 &&
           id.find_first_not_of("0123456789") == std::string_view::npos;
}

std::variant<OfferPage, std::string> ParseOfferPage(std::string_view body, std::size_t offset) {
    const auto value = ParseJson(body);
    if (!value || !Member(*value, "offers").is_array()) {
        return std::string("Allegro podało listę ofert w nieznanej postaci.");
    }
    const json& entries = Member(*value, "offers");
    OfferPage page;
    for (const json& entry : entries) {
        ++page.listed;
        OfferSummary offer;
        offer.id = StringField(entry, "id");
        if (!IsOfferId(offer.id)) {
            page.problems.push_back(
                "Pozycja " + std::to_string(offset + page.listed) +
                " listy ofert: Allegro nie podało numeru oferty; pominięto ją.");
            continue;
        }
        offer.name = StringField(entry, "name");
        offer.status = StringField(Member(entry, "publication"), "status");
        offer.primaryImage = StringField(Member(entry, "primaryImage"), "url");
        if (!IsHttpsAddress(offer.primaryImage)) {
            offer.primaryImage.clear();
        }
        page.offers.push_back(std::move(offer));
    }
    page.totalCount = static_cast<std::size_t>(
        NumberField(*value, "totalCount", static_cast<Seconds>(page.listed)));
    return page;
}

std::optional<std::string> ParseUploadedPicture(std::string_view body) {
    const auto value = ParseJson(body);
    std::string location = value ? StringField(*value, "location") : std::string();
    if (!IsHttpsAddress(location)) {
        return std::nullopt;
    }
    return location;
}

std::variant<OfferState, std::string> ParseOffer(std::string_view body) {
    const auto value = ParseJson(body);
    if (!value || !value->is_object()) {
        return std::string("Allegro podało ofertę w nieznanej postaci.");
    }
    if (auto problem = PictureNotOnTheWeb(*value)) {
        return std::move(*problem);
    }
    OfferState offer;
    offer.id = StringField(*value, "id");
    offer.name = StringField(*value, "name");
    if (auto images = value->find("images"); images != value->end() && images->is_array()) {
        for (const json& image : *images) {
            std::string url =
                image.is_string() ? image.get<std::string>() : StringField(image, "url");
            if (!url.empty()) {
                offer.images.push_back(std::move(url));
            }
        }
    }
    if (auto description = value->find("description");
        description != value->end() && description->is_object()) {
        offer.descriptionJson = description->dump();
        if (auto sections = description->find("sections");
            sections != description->end() && sections->is_array()) {
            offer.sections = sections->size();
        }
    }
    if (auto validation = value->find("validation");
        validation != value->end() && validation->is_object() && validation->contains("errors")) {
        offer.validationErrors = ErrorTexts((*validation)["errors"]);
    }
    return offer;
}

std::variant<UpdateBody, std::string> BuildUpdateBody(const UpdateRequest& request) {
    UpdateBody body;
    for (const auto* list : {&request.currentImages, &request.newImages}) {
        for (const std::string& image : *list) {
            if (std::find(body.images.begin(), body.images.end(), image) == body.images.end()) {
                body.images.push_back(image);
            }
        }
    }
    if (body.images.size() > structured::kMaxOfferImages) {
        return "Galeria oferty miałaby " +
               CountedNoun(body.images.size(), "zdjęcie", "zdjęcia", "zdjęć") +
               " (w ofercie: " + std::to_string(request.currentImages.size()) +
               ", nowych z opisu: " +
               std::to_string(body.images.size() - request.currentImages.size()) +
               "), a Allegro przyjmuje najwyżej " + std::to_string(structured::kMaxOfferImages) +
               ". Usuń część zdjęć z opisu albo z galerii oferty.";
    }
    json images = json::array();
    for (const std::string& image : body.images) {
        images.push_back(image);
    }
    body.json = "{\"description\":" + structured::DescriptionToJson(request.description) +
                ",\"images\":" + images.dump();
    if (request.name) {
        body.json += ",\"name\":" + json(*request.name).dump();
    }
    body.json += "}";
    return body;
}

bool SameDescription(std::string_view sentDescriptionJson, std::string_view offerDescriptionJson) {
    const auto sent = ParseJson(sentDescriptionJson);
    const auto offer = ParseJson(offerDescriptionJson);
    return sent && offer && *sent == *offer;
}

std::vector<AllegroError> ParseAllegroErrors(std::string_view body) {
    std::vector<AllegroError> errors;
    const auto value = ParseJson(body);
    if (!value || !value->is_object()) {
        return errors;
    }
    const auto list = value->find("errors");
    if (list == value->end() || !list->is_array()) {
        return errors;
    }
    for (const json& entry : *list) {
        if (errors.size() == kMaxErrors) {
            break;
        }
        if (!entry.is_object()) {
            continue;
        }
        // Named fields: the struct's order is not the answer's, and all are strings.
        errors.push_back({.code = Bounded(StringField(entry, "code")),
                          .path = Bounded(StringField(entry, "path")),
                          .userMessage = Bounded(StringField(entry, "userMessage")),
                          .message = Bounded(StringField(entry, "message")),
                          .details = Bounded(StringField(entry, "details")),
                          .metadata = Metadata(entry)});
    }
    return errors;
}

std::optional<std::string> ParsePictureLocation(std::string_view body) {
    const auto value = ParseJson(body);
    std::string location = value ? StringField(*value, "location") : std::string();
    if (!location.starts_with("https://") ||
        location.find_first_of(" \t\r\n\"<>") != std::string::npos) {
        return std::nullopt;
    }
    return location;
}

std::string PlaceInOffer(std::string_view path) {
    return PlaceOf(path);
}

Failure DescribeAnswer(Purpose purpose, std::string_view offerId, long status,
                       std::string_view body, std::string_view traceId) {
    Failure failure;
    failure.traceId = traceId;
    failure.purpose = purpose;
    failure.offerId = offerId;
    failure.status = status;
    failure.errors = ParseAllegroErrors(body);
    failure.kind = FailureKind::Refused;
    if (status == 401 && purpose == Purpose::SignIn) {  // the Basic header itself was refused
        failure.kind = FailureKind::AppKeysRefused;
        failure.outcome = Outcome::BadUse;
    } else if (status == 401) {
        failure.kind = FailureKind::SessionEnded;
        failure.outcome = Outcome::SignedOut;
    } else if (status >= 500) {
        failure.kind = FailureKind::ServerError;
        failure.outcome = Outcome::Network;
    }
    failure.message = FailureSentence(failure, kCommandLineFront);
    return failure;
}

Failure DescribeNoAnswer(Purpose purpose, std::string_view detail) {
    Failure failure;
    failure.outcome = Outcome::Network;
    failure.kind = FailureKind::NoAnswer;
    failure.purpose = purpose;
    failure.detail = detail;
    failure.message = FailureSentence(failure, kCommandLineFront);
    return failure;
}

std::string FullMessage(const Failure& failure) {
    if (failure.traceId.empty()) {
        return failure.message;
    }
    return failure.message + " (Trace-Id: " + failure.traceId + ")";
}

bool IsInvalidToken(long status, std::string_view body) {
    if (status != 401) {
        return false;
    }
    const auto value = ParseJson(body);
    // Allegro names it "invalid_token"; a 401 without a body means the same.
    return !value || StringField(*value, "error") == "invalid_token" ||
           StringField(*value, "error").empty();
}

Seconds AskedRetryAfter(std::string_view header, Seconds fallback) {
    constexpr std::size_t kMostDigits = 9;  // more than thirty years: far past any cap
    if (header.empty() || header.find_first_not_of("0123456789") != std::string_view::npos) {
        return fallback;
    }
    if (header.size() > kMostDigits) {
        return 999'999'999;
    }
    return std::stoll(std::string(header));
}

Seconds RetryAfter(std::string_view header, Seconds fallback) {
    return std::min(AskedRetryAfter(header, fallback), kLongestWait);
}

}  // namespace licytek::publish
