#include "publish/OfferResolution.h"

#include <set>

#include "model/PolishNumbers.h"

namespace licytek::publish {
namespace {

using offer::LabelKey;
using offer::OfferError;
using offer::QuotedList;
using offer::QuotedValue;

bool IsOptional(SettingsList list) {
    return list == SettingsList::Warranties || list == SettingsList::ResponsibleProducers ||
           list == SettingsList::ResponsiblePersons;
}

// The names the seller knows the settings by (the id where one has no name).
std::vector<std::string> SettingNames(std::span<const NamedSetting> settings) {
    std::vector<std::string> names;
    for (const NamedSetting& setting : settings) {
        names.push_back(setting.name.empty() ? setting.id : setting.name);
    }
    return names;
}

std::vector<const NamedSetting*> NamedAs(std::span<const NamedSetting> settings,
                                         std::string_view name) {
    std::vector<const NamedSetting*> found;
    const std::string key = LabelKey(name);
    for (const NamedSetting& setting : settings) {
        if (LabelKey(setting.name) == key) {
            found.push_back(&setting);
        }
    }
    return found;
}

std::string SettingsOnAccount(SettingsList list, std::span<const NamedSetting> settings) {
    if (settings.empty()) {
        return "na koncie Allegro nie ma żadnych (" + std::string(SettingsTitle(list)) +
               "); dodaj je na allegro.pl";
    }
    const std::vector<std::string> names = SettingNames(settings);
    return std::string(SettingsTitle(list)) + " na koncie: " + QuotedList(names);
}

// The value of one parameter as the category takes it, or the Polish reason it does not.
class ValueResolver {
  public:
    explicit ValueResolver(const CategoryParameter& parameter) : parameter_(parameter) {}

    std::variant<ResolvedParameter, std::string> Resolve(const offer::ParameterValue& value) {
        ResolvedParameter resolved;
        resolved.id = parameter_.id;
        switch (parameter_.kind) {
            case ParameterKind::Dictionary:
                return Dictionary(value, resolved);
            case ParameterKind::Integer:
            case ParameterKind::Float:
                return Number(value, resolved);
            case ParameterKind::String:
            case ParameterKind::Other:
                break;
        }
        if (value.isRange && !parameter_.range) {
            return std::string("ten parametr nie przyjmuje zakresu");
        }
        resolved.values = value.values;
        resolved.isRange = value.isRange;
        resolved.from = value.from;
        resolved.to = value.to;
        return resolved;
    }

  private:
    std::variant<ResolvedParameter, std::string> Dictionary(const offer::ParameterValue& value,
                                                            ResolvedParameter& resolved) {
        if (value.isRange) {
            return std::string("to lista wartości, nie zakres");
        }
        if (value.values.size() > 1 && !parameter_.multipleChoices) {
            return std::string("ten parametr przyjmuje tylko jedną wartość");
        }
        for (const std::string& label : value.values) {
            const DictionaryEntry* entry = Entry(label);
            if (!entry) {
                std::vector<std::string> labels;
                for (const DictionaryEntry& allowed : parameter_.dictionary) {
                    labels.push_back(allowed.value);
                }
                return QuotedValue(label) +
                       ": nie ma takiej wartości; dozwolone: " + QuotedList(labels);
            }
            resolved.valuesIds.push_back(entry->id);
        }
        return resolved;
    }

    const DictionaryEntry* Entry(const std::string& label) const {
        const std::string key = LabelKey(label);
        for (const DictionaryEntry& entry : parameter_.dictionary) {
            if (LabelKey(entry.value) == key || entry.id == label) {
                return &entry;
            }
        }
        return nullptr;
    }

    std::variant<ResolvedParameter, std::string> Number(const offer::ParameterValue& value,
                                                        ResolvedParameter& resolved) {
        if (parameter_.range && !value.isRange) {
            return std::string("podaj zakres: {\"od\": …, \"do\": …} (w arkuszu „od 10 do 20”)");
        }
        if (!parameter_.range && value.isRange) {
            return std::string("ten parametr przyjmuje jedną liczbę, nie zakres");
        }
        if (!value.isRange && value.values.size() > 1) {
            return std::string("ten parametr przyjmuje tylko jedną liczbę");
        }
        std::string problem;
        auto number = [&](const std::string& text) {
            const auto normalized = offer::NormalizedNumber(text);
            if (!normalized) {
                problem = QuotedValue(text) + " nie jest liczbą (np. 12 albo 1,5)";
                return std::string();
            }
            if (parameter_.kind == ParameterKind::Integer &&
                normalized->find('.') != std::string::npos) {
                problem = QuotedValue(text) + " nie jest liczbą całkowitą";
            }
            return *normalized;
        };
        if (value.isRange) {
            resolved.isRange = true;
            resolved.from = number(value.from);
            resolved.to = problem.empty() ? number(value.to) : std::string();
        } else {
            resolved.values.push_back(number(value.values.front()));
        }
        if (!problem.empty()) {
            return problem;
        }
        return resolved;
    }

    const CategoryParameter& parameter_;
};

class ParameterResolver {
  public:
    explicit ParameterResolver(std::span<const CategoryParameter> category) : category_(category) {}

    void Add(const CategoryParameter& parameter, const offer::ParameterValue& value,
             const std::string& key) {
        if (!used_.insert(parameter.id).second) {
            errors_.push_back({key, "parametr " + QuotedValue(parameter.name) +
                                        " jest już podany (stan podaje się kluczem „stan”)"});
            return;
        }
        auto resolved = ValueResolver(parameter).Resolve(value);
        if (auto* problem = std::get_if<std::string>(&resolved)) {
            errors_.push_back({key, std::move(*problem)});
            return;
        }
        auto& list = parameter.describesProduct ? out_.product : out_.offer;
        list.push_back(std::get<ResolvedParameter>(std::move(resolved)));
    }

    const CategoryParameter* Find(std::string_view name) const {
        const std::string key = LabelKey(name);
        for (const CategoryParameter& parameter : category_) {
            if (parameter.id == name || LabelKey(parameter.name) == key) {
                return &parameter;
            }
        }
        return nullptr;
    }

    const CategoryParameter* Condition() const {
        for (const CategoryParameter& parameter : category_) {
            if (parameter.id == kConditionParameterId) {
                return &parameter;
            }
        }
        return Find("Stan");
    }

    void Fail(std::string key, std::string message) {
        errors_.push_back({std::move(key), std::move(message)});
    }

    std::string AllowedNames() const {
        std::vector<std::string> names;
        for (const CategoryParameter& parameter : category_) {
            names.push_back(parameter.name);
        }
        return QuotedList(names, 60);
    }

    std::variant<ResolvedParameters, std::vector<OfferError>> Result() {
        if (!errors_.empty()) {
            return std::move(errors_);
        }
        return std::move(out_);
    }

  private:
    std::span<const CategoryParameter> category_;
    ResolvedParameters out_;
    std::vector<OfferError> errors_;
    std::set<std::string> used_;
};

}  // namespace

std::variant<std::optional<std::string>, OfferError> ResolveSetting(
    SettingsList list, std::string_view wanted, std::span<const NamedSetting> settings) {
    const std::string key(offer::KeyName(SettingsKey(list)));
    wanted = offer::TrimBlanks(wanted);
    if (!wanted.empty()) {
        for (const NamedSetting& setting : settings) {
            if (setting.id == wanted) {
                return std::optional<std::string>(setting.id);
            }
        }
        const auto named = NamedAs(settings, wanted);
        if (named.size() == 1) {
            return std::optional<std::string>(named.front()->id);
        }
        if (named.size() > 1) {
            std::vector<std::string> ids;
            ids.reserve(named.size());
            for (const NamedSetting* setting : named) {
                ids.push_back(setting->id);
            }
            return OfferError{key, "kilka ma nazwę " + QuotedValue(wanted) +
                                       "; podaj id jednego z nich: " + QuotedList(ids)};
        }
        return OfferError{key, QuotedValue(wanted) + ": nie ma takiej nazwy; " +
                                   SettingsOnAccount(list, settings)};
    }
    if (IsOptional(list)) {
        return std::optional<std::string>();
    }
    // Allegro's own rule for an offer that names none.
    if (settings.size() == 1) {
        return std::optional<std::string>(settings.front().id);
    }
    if (const auto named = NamedAs(settings, "default"); named.size() == 1) {
        return std::optional<std::string>(named.front()->id);
    }
    if (settings.empty()) {
        return OfferError{key, SettingsOnAccount(list, settings)};
    }
    return OfferError{key,
                      "podaj nazwę jednego z nich (Allegro wybiera sam tylko jedyny albo "
                      "nazwany „default”); " +
                          SettingsOnAccount(list, settings)};
}

std::variant<ResolvedParameters, std::vector<OfferError>> ResolveParameters(
    const offer::OfferData& data, std::span<const CategoryParameter> category) {
    ParameterResolver resolver(category);
    if (!data.condition.empty()) {
        const std::string key(offer::KeyName(offer::OfferKey::Condition));
        if (const CategoryParameter* condition = resolver.Condition()) {
            resolver.Add(*condition, {"Stan", {data.condition}, false, {}, {}}, key);
        } else {
            resolver.Fail(key, "ta kategoria nie ma parametru „Stan”");
        }
    }
    for (const offer::ParameterValue& value : data.parameters) {
        const std::string key = offer::ParameterKey(value.name);
        if (const CategoryParameter* parameter = resolver.Find(value.name)) {
            resolver.Add(*parameter, value, key);
        } else {
            resolver.Fail(
                key, "w tej kategorii nie ma takiego parametru; są: " + resolver.AllowedNames());
        }
    }
    return resolver.Result();
}

std::variant<CatalogueProduct, ProductProblem> ChooseProduct(
    std::string_view ean, std::span<const CatalogueProduct> found) {
    const std::string key(offer::KeyName(offer::OfferKey::Ean));
    if (found.size() == 1) {
        return found.front();
    }
    if (found.empty()) {
        return ProductProblem{
            ProductProblem::Kind::NotFound,
            {key, "w katalogu Allegro nie ma produktu o EAN " + std::string(ean) +
                      "; żeby wystawić przedmiot bez produktu z katalogu, usuń „ean” i podaj "
                      "„kategoria”"}};
    }
    std::string list;
    for (const CatalogueProduct& product : found) {
        list += list.empty() ? "" : "; ";
        list += product.id + " " + QuotedValue(product.name) + " (kategoria " +
                (product.categoryId.empty() ? "?" : product.categoryId) + ")";
    }
    return ProductProblem{ProductProblem::Kind::Several,
                          {key, "ten EAN ma w katalogu Allegro " +
                                    CountedNoun(found.size(), "produkt", "produkty", "produktów") +
                                    "; podaj UUID wybranego w „produkt”: " + list}};
}

}  // namespace licytek::publish
