#include "publish/CreateAnswers.h"

#include <optional>

#include "publish/UntrustedJson.h"

namespace licytek::publish {
namespace {

using nlohmann::json;
using offer::OfferKey;

AllegroError ReadError(const json& entry) {
    AllegroError error;
    error.code = Text(entry, "code");
    error.message = Text(entry, "message");
    error.userMessage = Text(entry, "userMessage");
    error.path = Text(entry, "path");
    return error;
}

std::vector<AllegroError> ReadErrorList(const json* list) {
    std::vector<AllegroError> errors;
    if (list && list->is_array()) {
        for (const json& entry : *list) {
            if (entry.is_object()) {
                errors.push_back(ReadError(entry));
            }
        }
    }
    return errors;
}

// The number inside the first "[N]" after `at` in the path, when there is one.
std::optional<std::size_t> IndexAfter(std::string_view path, std::size_t at) {
    const std::size_t open = path.find('[', at);
    const std::size_t close = path.find(']', open);
    if (open == std::string_view::npos || close == std::string_view::npos || close == open + 1 ||
        close - open > 4) {
        return std::nullopt;
    }
    std::size_t index = 0;
    for (const char c : path.substr(open + 1, close - open - 1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    return index;
}

// "description.sections[1].items[0]" as "opis, sekcja 2, element 1".
std::string DescriptionPlace(std::string_view path) {
    std::string place = "opis";
    const std::size_t sections = path.find("sections[");
    if (const auto section =
            sections == std::string_view::npos ? std::nullopt : IndexAfter(path, sections)) {
        place += ", sekcja " + std::to_string(*section + 1);
        const std::size_t items = path.find("items[", sections);
        if (const auto item =
                items == std::string_view::npos ? std::nullopt : IndexAfter(path, items)) {
            place += ", element " + std::to_string(*item + 1);
        }
    }
    return place;
}

std::string_view Key(OfferKey key) {
    return offer::KeyName(key);
}

// The offer data's key for a path of the create body; empty when none fits.
std::string KeyOfPath(std::string_view path, bool productById) {
    struct Prefix {
        std::string_view path;
        OfferKey key;
    };
    // Longer prefixes first: "sellingMode.price" must not take "sellingMode.startingPrice".
    static constexpr Prefix kPrefixes[] = {
        {"productSet[0].responsibleProducer", OfferKey::ResponsibleProducer},
        {"productSet[0].responsiblePerson", OfferKey::ResponsiblePerson},
        {"productSet[0].safetyInformation", OfferKey::Safety},
        {"productSet[0].marketedBeforeGPSRObligation", OfferKey::MarketedBeforeGpsr},
        {"sellingMode.startingPrice", OfferKey::StartingPrice},
        {"sellingMode.minimalPrice", OfferKey::MinimalPrice},
        {"sellingMode.price", OfferKey::Price},
        {"sellingMode", OfferKey::Format},
        {"stock", OfferKey::Quantity},
        {"publication.duration", OfferKey::Duration},
        {"publication.republish", OfferKey::Republish},
        {"delivery.shippingRates", OfferKey::ShippingRates},
        {"delivery.handlingTime", OfferKey::HandlingTime},
        {"afterSalesServices.returnPolicy", OfferKey::ReturnPolicy},
        {"afterSalesServices.impliedWarranty", OfferKey::ImpliedWarranty},
        {"afterSalesServices.warranty", OfferKey::Warranty},
        {"payments.invoice", OfferKey::Invoice},
        {"category", OfferKey::Category},
        {"external", OfferKey::Signature},
        {"images", OfferKey::Pictures},
    };
    for (const Prefix& prefix : kPrefixes) {
        if (path.starts_with(prefix.path)) {
            return std::string(Key(prefix.key));
        }
    }
    if (path.starts_with("productSet")) {
        return std::string(Key(productById ? OfferKey::Product : OfferKey::Ean));
    }
    if (path == "name") {
        return "Edit2";
    }
    if (path.starts_with("description")) {
        return DescriptionPlace(path);
    }
    return {};
}

bool IsParameterPath(std::string_view path) {
    return path.starts_with("parameters") || path.starts_with("productSet[0].product.parameters");
}

std::string NameOf(const ErrorContext& context, std::string_view id) {
    for (const CategoryParameter& parameter : context.category) {
        if (parameter.id == id) {
            return parameter.name;
        }
    }
    return {};
}

// The names of the parameters an error concerns: the one its path points at by index in the
// body sent, else those whose ids its message names ("Missing required parameters: 3786, 17448").
std::vector<std::string> ParameterNames(const AllegroError& error, const ErrorContext& context) {
    std::vector<std::string> names;
    const bool product = error.path.starts_with("productSet");
    if (context.parameters != nullptr) {
        const auto& sent = product ? context.parameters->product : context.parameters->offer;
        const std::size_t at = error.path.find("parameters");
        if (const auto index = IndexAfter(error.path, at); index && *index < sent.size()) {
            const std::string name = NameOf(context, sent[*index].id);
            names.push_back(name.empty() ? sent[*index].id : name);
            return names;
        }
    }
    for (const std::string* text : {&error.message, &error.userMessage}) {
        std::string digits;
        for (std::size_t i = 0; i <= text->size(); ++i) {
            const char c = i < text->size() ? (*text)[i] : ' ';
            if (c >= '0' && c <= '9') {
                digits += c;
                continue;
            }
            if (std::string name = NameOf(context, digits); !name.empty()) {
                names.push_back(std::move(name));
            }
            digits.clear();
        }
        if (!names.empty()) {
            break;
        }
    }
    return names;
}

std::string ParameterKeyOf(const AllegroError& error, const ErrorContext& context) {
    const std::vector<std::string> names = ParameterNames(error, context);
    if (names.empty()) {
        return std::string(Key(OfferKey::Parameters));
    }
    if (names.size() == 1) {
        return "parametr " + offer::QuotedValue(names.front());
    }
    return "parametry " + offer::QuotedList(names);
}

}  // namespace

bool HasErrorCode(std::span<const AllegroError> errors, std::string_view code) {
    for (const AllegroError& error : errors) {
        const std::string_view own = error.code;
        if (own == code || (own.ends_with(code) && own.size() > code.size() &&
                            own[own.size() - code.size() - 1] == '.')) {
            return true;
        }
    }
    return false;
}

std::variant<CreatedOffer, std::string> ParseCreatedOffer(std::string_view body) {
    const auto answer = ParseUntrusted(body);
    CreatedOffer offer;
    if (answer) {
        offer.id = Text(*answer, "id");
        if (const json* publication = Member(*answer, "publication")) {
            offer.status = Text(*publication, "status");
        }
        if (const json* validation = Member(*answer, "validation")) {
            offer.validationErrors = ReadErrorList(Member(*validation, "errors"));
        }
    }
    if (offer.id.empty() || offer.id.size() > 32 ||
        offer.id.find_first_not_of("0123456789") != std::string::npos) {
        return std::string("Allegro podało utworzoną ofertę w postaci, której Licytek nie zna.");
    }
    return offer;
}

std::string OfferIdInAddress(std::string_view address) {
    constexpr std::string_view kOffers = "/sale/product-offers/";
    const std::size_t at = address.find(kOffers);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = address.substr(at + kOffers.size());
    const std::string_view id = rest.substr(0, rest.find_first_not_of("0123456789"));
    return id.size() <= 32 ? std::string(id) : std::string();
}

std::variant<std::vector<SignedOffer>, std::string> ParseOffersBySignature(std::string_view body) {
    const auto answer = ParseUntrusted(body);
    const json* offers = answer ? Member(*answer, "offers") : nullptr;
    if (!offers || !offers->is_array()) {
        return std::string("Allegro podało listę ofert w postaci, której Licytek nie zna.");
    }
    std::vector<SignedOffer> found;
    for (const json& entry : *offers) {
        SignedOffer offer{Text(entry, "id"), {}};
        if (const json* publication = Member(entry, "publication")) {
            offer.status = Text(*publication, "status");
        }
        if (!offer.id.empty() && (offer.status == "INACTIVE" || offer.status == "ACTIVE" ||
                                  offer.status == "ACTIVATING")) {
            found.push_back(std::move(offer));
        }
    }
    return found;
}

std::string ErrorForSeller(const AllegroError& error, const ErrorContext& context) {
    constexpr std::size_t kShownCharacters = 500;
    // Words Allegro wrote only for developers are introduced as its own, in English.
    const bool english = error.userMessage.empty() && !error.message.empty();
    std::string text = english ? error.message : error.userMessage;
    text = offer::ShownText(text.empty() ? error.code : text, kShownCharacters);
    if (english) {
        text = "Allegro (po angielsku): " + text;
    }
    std::string key;
    if (IsParameterPath(error.path) ||
        HasErrorCode(std::span(&error, 1), "MissingRequiredParameters")) {
        key = ParameterKeyOf(error, context);
    } else if (HasErrorCode(std::span(&error, 1), "MultipleProductsFoundException") ||
               HasErrorCode(std::span(&error, 1), "ProductNotFoundException")) {
        key = Key(context.productById ? OfferKey::Product : OfferKey::Ean);
    } else {
        key = KeyOfPath(error.path, context.productById);
    }
    return key.empty() ? text : key + ": " + text;
}

}  // namespace licytek::publish
