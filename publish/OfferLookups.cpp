#include "publish/OfferLookups.h"

#include "publish/UntrustedJson.h"
#include "structured/Validation.h"

namespace licytek::publish {
namespace {

using nlohmann::json;

// The array under `key` of the answer, or nothing when the answer holds none.
const json* ListOf(const std::optional<json>& answer, const char* key) {
    if (!answer) {
        return nullptr;
    }
    const json* list = Member(*answer, key);
    return list && list->is_array() ? list : nullptr;
}

std::string Unreadable(std::string_view what) {
    return "Allegro podało " + std::string(what) + " w postaci, której Licytek nie zna.";
}

struct SettingsListInfo {
    std::string_view path;
    const char* listKey;
    std::string_view title;
    std::string_view titleGenitive;  // "listę cenników dostawy"
    offer::OfferKey key;
};

const SettingsListInfo& InfoOf(SettingsList list) {
    static const SettingsListInfo kInfo[] = {
        {"/sale/shipping-rates", "shippingRates", "cenniki dostawy", "listę cenników dostawy",
         offer::OfferKey::ShippingRates},
        {"/after-sales-service-conditions/return-policies", "returnPolicies", "warunki zwrotów",
         "listę warunków zwrotów", offer::OfferKey::ReturnPolicy},
        {"/after-sales-service-conditions/implied-warranties", "impliedWarranties",
         "warunki reklamacji", "listę warunków reklamacji", offer::OfferKey::ImpliedWarranty},
        {"/after-sales-service-conditions/warranties", "warranties", "gwarancje", "listę gwarancji",
         offer::OfferKey::Warranty},
        {"/sale/responsible-producers", "responsibleProducers", "producenci odpowiedzialni",
         "listę producentów", offer::OfferKey::ResponsibleProducer},
        {"/sale/responsible-persons", "responsiblePersons", "osoby odpowiedzialne",
         "listę osób odpowiedzialnych", offer::OfferKey::ResponsiblePerson},
    };
    return kInfo[static_cast<std::size_t>(list)];
}

ParameterKind KindOf(const std::string& type) {
    if (type == "dictionary") {
        return ParameterKind::Dictionary;
    }
    if (type == "integer") {
        return ParameterKind::Integer;
    }
    if (type == "float") {
        return ParameterKind::Float;
    }
    return type == "string" ? ParameterKind::String : ParameterKind::Other;
}

CategoryParameter ReadParameter(const json& entry) {
    CategoryParameter parameter;
    parameter.id = Text(entry, "id");
    parameter.name = Text(entry, "name");
    parameter.kind = KindOf(Text(entry, "type"));
    parameter.unit = Text(entry, "unit");
    parameter.required = Flag(entry, "required");
    parameter.requiredForProduct = Flag(entry, "requiredForProduct");
    if (const json* options = Member(entry, "options")) {
        parameter.describesProduct = Flag(*options, "describesProduct");
    }
    if (const json* restrictions = Member(entry, "restrictions")) {
        parameter.multipleChoices = Flag(*restrictions, "multipleChoices");
        parameter.range = Flag(*restrictions, "range");
    }
    if (const json* dictionary = Member(entry, "dictionary");
        dictionary && dictionary->is_array()) {
        for (const json& value : *dictionary) {
            DictionaryEntry item{Text(value, "id"), Text(value, "value")};
            if (!item.id.empty() && !item.value.empty()) {
                parameter.dictionary.push_back(std::move(item));
            }
        }
    }
    return parameter;
}

// "A > B > C": the category's parents from the top, then the category.
std::string CategoryPath(const json& category) {
    std::vector<std::string> names;
    for (const json* at = &category; at && at->is_object() && names.size() <= kMaxAnswerDepth;
         at = Member(*at, "parent")) {
        names.push_back(Text(*at, "name"));
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (it->empty()) {
            continue;
        }
        path += path.empty() ? "" : " > ";
        path += *it;
    }
    return path;
}

bool HasSafetyData(const json& product) {
    const json* safety = Member(product, "productSafety");
    if (!safety || !safety->is_object()) {
        return false;
    }
    const json* producers = Member(*safety, "responsibleProducers");
    const json* information = Member(*safety, "safetyInformation");
    return (producers && producers->is_array() && !producers->empty()) ||
           (information && information->is_object() && !information->empty());
}

// A product's category path, "path": [{"name": "Sport"}, …] from the top, as " > " between.
std::string ProductCategoryPath(const json& category) {
    const json* steps = Member(category, "path");
    if (!steps || !steps->is_array()) {
        return CategoryPath(category);
    }
    std::string path;
    for (const json& step : *steps) {
        const std::string name = Text(step, "name");
        if (!name.empty()) {
            path += path.empty() ? "" : " > ";
            path += name;
        }
    }
    return path;
}

// The first picture with an https:// address; nothing else is fetched.
std::string FirstImage(const json& item) {
    const json* images = Member(item, "images");
    if (!images || !images->is_array()) {
        return {};
    }
    for (const json& image : *images) {
        std::string url = Text(image, "url");
        if (structured::ClassifyAddress(url) == structured::AddressKind::Https) {
            return url;
        }
    }
    return {};
}

CatalogueProduct ReadProduct(const json& item) {
    CatalogueProduct product;
    product.id = Text(item, "id");
    product.name = Text(item, "name");
    if (const json* category = Member(item, "category")) {
        product.categoryId = Text(*category, "id");
        product.categoryPath = ProductCategoryPath(*category);
    }
    product.imageUrl = FirstImage(item);
    product.bringsSafetyData = HasSafetyData(item);
    return product;
}

}  // namespace

std::string_view SettingsPath(SettingsList list) {
    return InfoOf(list).path;
}

std::string_view SettingsTitle(SettingsList list) {
    return InfoOf(list).title;
}

offer::OfferKey SettingsKey(SettingsList list) {
    return InfoOf(list).key;
}

std::variant<SettingsAnswer, std::string> ParseSettings(SettingsList list, std::string_view body) {
    const SettingsListInfo& info = InfoOf(list);
    const auto answer = ParseUntrusted(body);
    const json* items = ListOf(answer, info.listKey);
    if (!items) {
        return Unreadable(info.titleGenitive);
    }
    SettingsAnswer settings;
    for (const json& item : *items) {
        NamedSetting setting{Text(item, "id"), Text(item, "name")};
        if (!setting.id.empty()) {
            settings.items.push_back(std::move(setting));
        }
    }
    if (const json* total = Member(*answer, "totalCount"); total && total->is_number_unsigned()) {
        settings.totalCount = total->get<std::size_t>();
    }
    return settings;
}

std::variant<std::vector<CategorySuggestion>, std::string> ParseMatchingCategories(
    std::string_view body) {
    const auto answer = ParseUntrusted(body);
    const json* items = ListOf(answer, "matchingCategories");
    if (!items) {
        return Unreadable("propozycje kategorii");
    }
    std::vector<CategorySuggestion> suggestions;
    for (const json& item : *items) {
        CategorySuggestion suggestion{Text(item, "id"), Text(item, "name"), CategoryPath(item)};
        if (!suggestion.id.empty()) {
            suggestions.push_back(std::move(suggestion));
        }
    }
    return suggestions;
}

std::string_view ParameterKindName(ParameterKind kind) {
    switch (kind) {
        case ParameterKind::Dictionary:
            return "słownik";
        case ParameterKind::Integer:
            return "liczba całkowita";
        case ParameterKind::Float:
            return "liczba";
        case ParameterKind::String:
            return "tekst";
        case ParameterKind::Other:
            break;
    }
    return "inny";
}

std::variant<std::vector<CategoryParameter>, std::string> ParseCategoryParameters(
    std::string_view body) {
    const auto answer = ParseUntrusted(body);
    const json* items = ListOf(answer, "parameters");
    if (!items) {
        return Unreadable("parametry kategorii");
    }
    std::vector<CategoryParameter> parameters;
    for (const json& item : *items) {
        CategoryParameter parameter = ReadParameter(item);
        if (!parameter.id.empty() && !parameter.name.empty()) {
            parameters.push_back(std::move(parameter));
        }
    }
    return parameters;
}

std::variant<std::vector<CatalogueProduct>, std::string> ParseProducts(std::string_view body) {
    const auto answer = ParseUntrusted(body);
    const json* items = ListOf(answer, "products");
    if (!items) {
        return Unreadable("produkty z katalogu");
    }
    std::vector<CatalogueProduct> products;
    for (const json& item : *items) {
        CatalogueProduct product = ReadProduct(item);
        if (!product.id.empty()) {
            products.push_back(std::move(product));
        }
    }
    return products;
}

std::variant<CatalogueProduct, std::string> ParseProduct(std::string_view body) {
    const auto answer = ParseUntrusted(body);
    CatalogueProduct product = answer ? ReadProduct(*answer) : CatalogueProduct{};
    if (product.id.empty()) {
        return Unreadable("produkt z katalogu");
    }
    return product;
}

std::vector<std::string> FoundProductIds(std::string_view errorBody) {
    std::vector<std::string> ids;
    const auto answer = ParseUntrusted(errorBody);
    const json* errors = ListOf(answer, "errors");
    if (!errors) {
        return ids;
    }
    for (const json& error : *errors) {
        const json* metadata = Member(error, "metadata");
        const json* found = metadata ? Member(*metadata, "foundProductsIds") : nullptr;
        if (!found) {
            continue;
        }
        if (found->is_array()) {
            for (const json& id : *found) {
                if (id.is_string() && !id.get<std::string>().empty()) {
                    ids.push_back(id.get<std::string>());
                }
            }
        } else if (found->is_string()) {
            std::string_view list = found->get_ref<const std::string&>();
            while (!list.empty()) {
                const std::size_t comma = list.find(',');
                const std::string_view id = offer::TrimBlanks(list.substr(0, comma));
                if (!id.empty()) {
                    ids.emplace_back(id);
                }
                list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
            }
        }
    }
    return ids;
}

}  // namespace licytek::publish
