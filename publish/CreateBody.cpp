#include "publish/CreateBody.h"

#include <nlohmann/json.hpp>

#include "model/PolishNumbers.h"
#include "model/Utf8.h"

namespace licytek::publish {
namespace {

using Json = nlohmann::ordered_json;
using offer::OfferError;

constexpr std::string_view kTitleControl = "Edit2";
constexpr std::size_t kMinTitleLength = 12;
constexpr std::size_t kMinTitleWords = 3;
constexpr std::size_t kMaxWordCharacters = 30;

std::vector<std::string> TitleWords(std::string_view title) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : title) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

Json Money(const std::string& amount) {
    return {{"amount", amount}, {"currency", "PLN"}};
}

Json Id(const std::string& id) {
    return {{"id", id}};
}

Json ParameterList(const std::vector<ResolvedParameter>& parameters) {
    Json list = Json::array();
    for (const ResolvedParameter& parameter : parameters) {
        Json one = {{"id", parameter.id}};
        if (parameter.isRange) {
            one["rangeValue"] = {{"from", parameter.from}, {"to", parameter.to}};
        } else if (!parameter.valuesIds.empty()) {
            one["valuesIds"] = parameter.valuesIds;
        } else {
            one["values"] = parameter.values;
        }
        list.push_back(std::move(one));
    }
    return list;
}

Json Product(const CreateRequest& request) {
    const offer::OfferData& data = request.data;
    const auto& parameters = request.resolved.parameters.product;
    Json product;
    if (!data.product.empty()) {
        product["id"] = data.product;
    } else if (!data.ean.empty()) {
        product["id"] = data.ean;
        product["idType"] = "GTIN";
    } else {
        // A used or one-off item: the product goes as data.
        product["name"] = request.title;
        product["category"] = Id(request.resolved.categoryId);
        product["parameters"] = ParameterList(parameters);
        product["images"] = request.images;
        return product;
    }
    if (!parameters.empty()) {
        product["parameters"] = ParameterList(parameters);
    }
    return product;
}

Json ProductSetEntry(const CreateRequest& request) {
    const offer::OfferData& data = request.data;
    const ResolvedOffer& resolved = request.resolved;
    Json entry = {{"product", Product(request)}};
    if (resolved.responsibleProducerId) {
        entry["responsibleProducer"] = {{"type", "ID"}, {"id", *resolved.responsibleProducerId}};
    }
    if (!data.safetyInformation.empty()) {
        entry["safetyInformation"] = {{"type", "TEXT"}, {"description", data.safetyInformation}};
    }
    if (resolved.responsiblePersonId) {
        entry["responsiblePerson"] = Id(*resolved.responsiblePersonId);
    }
    if (data.marketedBeforeGpsr) {
        entry["marketedBeforeGPSRObligation"] = *data.marketedBeforeGpsr;
    }
    return entry;
}

Json SellingMode(const offer::OfferData& data) {
    const offer::SellingFormat format = offer::EffectiveFormat(data);
    Json mode = {{"format", offer::SellingFormatCode(format)}};
    if (format == offer::SellingFormat::Auction) {
        if (!data.startingPrice.empty()) {
            mode["startingPrice"] = Money(data.startingPrice);
        }
        if (!data.minimalPrice.empty()) {
            mode["minimalPrice"] = Money(data.minimalPrice);
        }
    }
    if (!data.price.empty()) {
        mode["price"] = Money(data.price);
    }
    return mode;
}

Json Publication(const CreateRequest& request) {
    const offer::OfferData& data = request.data;
    Json publication = Json::object();
    // Until sold out is a Buy Now offer without a duration.
    if (const std::string_view duration = offer::DurationIso(offer::EffectiveDuration(data));
        !duration.empty()) {
        publication["duration"] = duration;
    }
    if (data.republish) {
        publication["republish"] = *data.republish;
    }
    if (!request.activate) {
        publication["status"] = "INACTIVE";
    }
    return publication;
}

Json Delivery(const CreateRequest& request) {
    Json delivery = Json::object();
    if (request.resolved.shippingRatesId) {
        delivery["shippingRates"] = Id(*request.resolved.shippingRatesId);
    }
    if (request.data.handlingTime) {
        delivery["handlingTime"] = offer::HandlingTimeIso(*request.data.handlingTime);
    }
    return delivery;
}

Json AfterSalesServices(const ResolvedOffer& resolved) {
    Json services = Json::object();
    if (resolved.returnPolicyId) {
        services["returnPolicy"] = Id(*resolved.returnPolicyId);
    }
    if (resolved.impliedWarrantyId) {
        services["impliedWarranty"] = Id(*resolved.impliedWarrantyId);
    }
    if (resolved.warrantyId) {
        services["warranty"] = Id(*resolved.warrantyId);
    }
    return services;
}

void PutIfAny(Json& body, const char* key, Json value) {
    if (!value.empty()) {
        body[key] = std::move(value);
    }
}

}  // namespace

std::vector<OfferError> CheckTitle(std::string_view utf8Title) {
    std::vector<OfferError> errors;
    const std::string control(kTitleControl);
    const std::size_t length = structured::TitleLength(utf8Title);
    if (length < kMinTitleLength || length > structured::kMaxTitleLength) {
        errors.push_back({control, "tytuł ma " + CountedNoun(length, "znak", "znaki", "znaków") +
                                       "; Allegro przyjmuje od 12 do 75"});
    }
    const std::vector<std::string> words = TitleWords(utf8Title);
    if (words.size() < kMinTitleWords) {
        errors.push_back({control, "tytuł ma " +
                                       CountedNoun(words.size(), "słowo", "słowa", "słów") +
                                       "; Allegro wymaga co najmniej 3"});
    }
    for (const std::string& word : words) {
        if (const std::size_t characters = Utf8CharacterCount(word);
            characters > kMaxWordCharacters) {
            errors.push_back({control, "słowo " + offer::QuotedValue(word) + " ma " +
                                           CountedNoun(characters, "znak", "znaki", "znaków") +
                                           "; Allegro przyjmuje najwyżej 30 w jednym słowie"});
        }
    }
    return errors;
}

std::variant<std::string, std::vector<OfferError>> BuildCreateBody(const CreateRequest& request) {
    std::vector<OfferError> errors = CheckTitle(request.title);
    if (request.images.size() > structured::kMaxOfferImages) {
        errors.push_back({std::string(offer::KeyName(offer::OfferKey::Pictures)),
                          "galeria miałaby " +
                              CountedNoun(request.images.size(), "zdjęcie", "zdjęcia", "zdjęć") +
                              " (z opisu i z „zdjęcia”); Allegro przyjmuje najwyżej 16"});
    }
    if (!errors.empty()) {
        return errors;
    }
    const offer::OfferData& data = request.data;
    Json body;
    body["name"] = request.title;
    if (!request.resolved.categoryId.empty()) {
        body["category"] = Id(request.resolved.categoryId);
    }
    body["productSet"] = Json::array({ProductSetEntry(request)});
    if (!request.resolved.parameters.offer.empty()) {
        body["parameters"] = ParameterList(request.resolved.parameters.offer);
    }
    body["sellingMode"] = SellingMode(data);
    body["stock"] = {{"available", offer::EffectiveQuantity(data)}, {"unit", "UNIT"}};
    PutIfAny(body, "publication", Publication(request));
    PutIfAny(body, "delivery", Delivery(request));
    PutIfAny(body, "afterSalesServices", AfterSalesServices(request.resolved));
    if (data.invoice) {
        body["payments"] = {{"invoice", offer::InvoiceCode(*data.invoice)}};
    }
    if (!request.signature.empty()) {
        body["external"] = Id(request.signature);
    }
    if (!request.images.empty()) {
        body["images"] = request.images;
    }
    // The description writer always gives well-formed JSON; an empty one stands in otherwise.
    Json description =
        Json::parse(structured::DescriptionToJson(request.description), nullptr, false);
    body["description"] =
        description.is_discarded() ? Json{{"sections", Json::array()}} : description;
    return body.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace licytek::publish
