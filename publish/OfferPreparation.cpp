#include "publish/OfferPreparation.h"

#include <algorithm>
#include <map>

#include "model/PolishNumbers.h"
#include "offer/OfferSignature.h"
#include "structured/AllegroExport.h"

namespace licytek::publish {
namespace {

using offer::OfferError;
using offer::OfferKey;

std::string KeyOf(OfferKey key) {
    return std::string(offer::KeyName(key));
}

PrepareProblem BadData(std::vector<OfferError> errors) {
    PrepareProblem problem;
    problem.failure = Failure{Outcome::BadUse, {}, {}};
    problem.errors = std::move(errors);
    return problem;
}

PrepareProblem Failed(Failure failure) {
    PrepareProblem problem;
    problem.failure = std::move(failure);
    return problem;
}

// The gallery: the description's pictures in order, then those of "zdjęcia" it lacks.
std::vector<std::string> Gallery(const std::vector<std::string>& description,
                                 const std::vector<std::string>& more) {
    std::vector<std::string> gallery = description;
    for (const std::string& picture : more) {
        if (std::find(gallery.begin(), gallery.end(), picture) == gallery.end()) {
            gallery.push_back(picture);
        }
    }
    return gallery;
}

// What needs no look-up: the title, the gallery's size and what activation asks for.
std::vector<OfferError> LocalErrors(const offer::OfferData& data, const std::string& title,
                                    std::size_t pictures, bool activate) {
    std::vector<OfferError> errors = CheckTitle(title);
    if (pictures == 0) {
        errors.push_back({KeyOf(OfferKey::Pictures),
                          "oferta potrzebuje co najmniej jednego zdjęcia: dodaj je do opisu albo "
                          "podaj w „zdjęcia”"});
    } else if (pictures > structured::kMaxOfferImages) {
        errors.push_back({KeyOf(OfferKey::Pictures),
                          "galeria miałaby " +
                              CountedNoun(pictures, "zdjęcie", "zdjęcia", "zdjęć") +
                              " (z opisu i z „zdjęcia”); Allegro przyjmuje najwyżej 16"});
    }
    if (activate) {
        for (OfferError& error : offer::CheckForActivation(data)) {
            errors.push_back(std::move(error));
        }
    }
    return errors;
}

std::string Money(const std::string& amount) {
    return amount + " zł";
}

std::string SellingLine(const offer::OfferData& data) {
    const offer::SellingFormat format = offer::EffectiveFormat(data);
    std::string line = "Sprzedaż: " + std::string(offer::SellingFormatLabel(format));
    if (format == offer::SellingFormat::Auction) {
        line += ", cena wywoławcza " + Money(data.startingPrice);
        if (!data.minimalPrice.empty()) {
            line += ", cena minimalna " + Money(data.minimalPrice);
        }
        if (!data.price.empty()) {
            line += ", kup teraz " + Money(data.price);
        }
    } else {
        line += ", cena " + (data.price.empty() ? std::string("nie podana") : Money(data.price));
    }
    line += ", " + std::to_string(offer::EffectiveQuantity(data)) + " szt., " +
            std::string(offer::DurationLabel(offer::EffectiveDuration(data)));
    if (data.republish.value_or(false)) {
        line += ", wznawiana";
    }
    return line;
}

// The preparation of one offer, step by step; each step leaves its fault in `problem`.
class Preparation {
  public:
    Preparation(OfferCatalogue& catalogue, const offer::OfferData& data,
                const PublishObserver* observer, const std::atomic<bool>* cancel)
        : catalogue_(catalogue), data_(data), observer_(observer), cancel_(cancel) {}

    // The category: the "kategoria", else the catalogue product's.
    std::optional<PrepareProblem> FindCategory(const std::string& title, PreparedOffer& out) {
        ResolvedOffer& resolved = out.request.resolved;
        resolved.categoryId = data_.category;
        if (!data_.product.empty()) {
            if (!data_.category.empty()) {
                return std::nullopt;
            }
            auto product = catalogue_.ProductById(data_.product, observer_, cancel_);
            if (auto* failure = std::get_if<Failure>(&product)) {
                return Failed(std::move(*failure));
            }
            out.product = std::get<CatalogueProduct>(std::move(product));
        } else if (!data_.ean.empty()) {
            if (!data_.category.empty()) {
                return std::nullopt;  // the catalogue is searched only when needed
            }
            auto found = catalogue_.ProductsByEan(data_.ean, observer_, cancel_);
            if (auto* failure = std::get_if<Failure>(&found)) {
                return Failed(std::move(*failure));
            }
            auto chosen = ChooseProduct(data_.ean, std::get<std::vector<CatalogueProduct>>(found));
            if (auto* problem = std::get_if<ProductProblem>(&chosen)) {
                PrepareProblem refused = BadData({problem->error});
                refused.failure.outcome = Outcome::Refused;
                return refused;
            }
            out.product = std::get<CatalogueProduct>(std::move(chosen));
        } else if (data_.category.empty()) {
            return Suggestions(title);
        } else {
            return std::nullopt;
        }
        resolved.categoryId = out.product->categoryId;
        if (resolved.categoryId.empty()) {
            return BadData({{KeyOf(OfferKey::Category),
                             "produkt z katalogu nie podaje kategorii; podaj „kategoria”"}});
        }
        fromProduct_ = true;
        return std::nullopt;
    }

    // The parameters, when the offer names any ("stan" included).
    void ResolveCategoryParameters(PreparedOffer& out) {
        if (data_.condition.empty() && data_.parameters.empty()) {
            return;
        }
        auto parameters =
            catalogue_.CategoryParameters(out.request.resolved.categoryId, observer_, cancel_);
        if (auto* failure = std::get_if<Failure>(&parameters)) {
            failure_ = std::move(*failure);
            return;
        }
        out.category = std::get<std::vector<CategoryParameter>>(std::move(parameters));
        auto resolved = ResolveParameters(data_, out.category);
        if (auto* errors = std::get_if<std::vector<OfferError>>(&resolved)) {
            errors_.insert(errors_.end(), errors->begin(), errors->end());
            return;
        }
        out.request.resolved.parameters = std::get<ResolvedParameters>(std::move(resolved));
    }

    // The seller's terms by id: always the three Allegro would choose itself, so that its rule
    // is checked here; the optional ones only when named.
    void ResolveSettings(PreparedOffer& out) {
        if (failure_) {
            return;
        }
        ResolvedOffer& resolved = out.request.resolved;
        const std::pair<SettingsList, std::optional<std::string>*> wanted[] = {
            {SettingsList::ShippingRates, &resolved.shippingRatesId},
            {SettingsList::ReturnPolicies, &resolved.returnPolicyId},
            {SettingsList::ImpliedWarranties, &resolved.impliedWarrantyId},
            {SettingsList::Warranties, &resolved.warrantyId},
            {SettingsList::ResponsibleProducers, &resolved.responsibleProducerId},
            {SettingsList::ResponsiblePersons, &resolved.responsiblePersonId},
        };
        for (const auto& [list, target] : wanted) {
            const std::string& name = NameGiven(list);
            const bool optional = list == SettingsList::Warranties ||
                                  list == SettingsList::ResponsibleProducers ||
                                  list == SettingsList::ResponsiblePersons;
            if (optional && name.empty()) {
                continue;
            }
            auto settings = catalogue_.Settings(list, observer_, cancel_);
            if (auto* failure = std::get_if<Failure>(&settings)) {
                failure_ = std::move(*failure);
                return;
            }
            const auto& items = std::get<std::vector<NamedSetting>>(settings);
            auto id = ResolveSetting(list, name, items);
            if (auto* error = std::get_if<OfferError>(&id)) {
                errors_.push_back(std::move(*error));
                continue;
            }
            *target = std::get<std::optional<std::string>>(std::move(id));
            if (*target) {
                summary_.push_back(SettingLine(list, **target, items));
            }
        }
    }

    std::optional<PrepareProblem> Problem() {
        if (failure_) {
            return Failed(std::move(*failure_));
        }
        if (!errors_.empty()) {
            return BadData(std::move(errors_));
        }
        return std::nullopt;
    }

    void Describe(PreparedOffer& out, const std::string& title) {
        const CreateRequest& request = out.request;
        std::vector<std::string>& summary = out.summary;
        summary.push_back("Tytuł: " + offer::QuotedValue(title));
        summary.push_back("Kategoria: " + request.resolved.categoryId +
                          (fromProduct_ ? " (kategoria produktu z katalogu)" : ""));
        std::string product = "Produkt: ";
        if (!data_.product.empty()) {
            product += data_.product;
        } else if (!data_.ean.empty()) {
            product += "EAN " + data_.ean;
        } else {
            product += "bez produktu z katalogu (nazwa, kategoria i parametry z oferty)";
        }
        if (out.product && !out.product->name.empty()) {
            product += " — " + offer::QuotedValue(out.product->name);
        }
        summary.push_back(product);
        summary.push_back(SellingLine(data_));
        const ResolvedParameters& parameters = request.resolved.parameters;
        if (!parameters.product.empty() || !parameters.offer.empty()) {
            summary.push_back("Parametry: produktu " + std::to_string(parameters.product.size()) +
                              ", oferty " + std::to_string(parameters.offer.size()));
        }
        summary.insert(summary.end(), summary_.begin(), summary_.end());
        if (data_.handlingTime) {
            summary.push_back("Czas wysyłki: " +
                              std::string(offer::HandlingTimeLabel(*data_.handlingTime)));
        }
        if (data_.invoice) {
            summary.push_back("Faktura: " + std::string(offer::InvoiceLabel(*data_.invoice)));
        } else {
            out.notes.push_back(
                "faktura: nie podana — szkic dostanie domyślną Allegro („VAT”); przed "
                "wystawieniem podaj „faktura”");
        }
        summary.push_back("Zdjęcia w galerii: " + std::to_string(request.images.size()));
        summary.push_back("Sygnatura: " + request.signature);
        SafetyNotes(out);
    }

  private:
    const std::string& NameGiven(SettingsList list) const {
        switch (list) {
            case SettingsList::ShippingRates:
                return data_.shippingRates;
            case SettingsList::ReturnPolicies:
                return data_.returnPolicy;
            case SettingsList::ImpliedWarranties:
                return data_.impliedWarranty;
            case SettingsList::Warranties:
                return data_.warranty;
            case SettingsList::ResponsibleProducers:
                return data_.responsibleProducer;
            case SettingsList::ResponsiblePersons:
                break;
        }
        return data_.responsiblePerson;
    }

    static std::string SettingLine(SettingsList list, const std::string& id,
                                   const std::vector<NamedSetting>& items) {
        std::string name;
        for (const NamedSetting& item : items) {
            if (item.id == id) {
                name = item.name;
            }
        }
        std::string line(offer::KeyName(SettingsKey(list)));
        line[0] = static_cast<char>(line[0] - 'a' + 'A');  // every key starts with a-z
        return line + ": " + (name.empty() ? id : offer::QuotedValue(name) + " (" + id + ")");
    }

    std::optional<PrepareProblem> Suggestions(const std::string& title) {
        auto suggested = catalogue_.MatchingCategories(title, observer_, cancel_);
        if (auto* failure = std::get_if<Failure>(&suggested)) {
            return Failed(std::move(*failure));
        }
        PrepareProblem problem = BadData({{KeyOf(OfferKey::Category),
                                           "podaj id kategorii (albo „ean” lub „produkt” z "
                                           "katalogu Allegro)"}});
        problem.suggestions = std::get<std::vector<CategorySuggestion>>(std::move(suggested));
        problem.errors.front().message += problem.suggestions.empty()
                                              ? "; Allegro nie proponuje kategorii dla tego tytułu"
                                              : "; Allegro proponuje dla tytułu:";
        return problem;
    }

    void SafetyNotes(PreparedOffer& out) const {
        const bool ownData = !data_.responsibleProducer.empty() ||
                             !data_.safetyInformation.empty() ||
                             data_.marketedBeforeGpsr.value_or(false);
        if (out.product && out.product->bringsSafetyData) {
            out.notes.push_back(
                ownData ? "produkt z katalogu ma dane bezpieczeństwa; oferta podaje własne"
                        : "produkt z katalogu ma dane bezpieczeństwa (producent, informacje o "
                          "bezpieczeństwie), które Allegro samo skopiuje do oferty");
        } else if (!ownData) {
            out.notes.push_back(
                "brak danych bezpieczeństwa produktu („producent”, „bezpieczeństwo” albo "
                "„przed 13.12.2024”)" +
                std::string(data_.product.empty() && data_.ean.empty()
                                ? "; Allegro wymaga ich przed wystawieniem"
                                : "; Allegro weźmie je z katalogu, jeśli produkt je ma"));
        }
    }

    OfferCatalogue& catalogue_;
    const offer::OfferData& data_;
    const PublishObserver* observer_;
    const std::atomic<bool>* cancel_;
    std::vector<OfferError> errors_;
    std::optional<Failure> failure_;
    std::vector<std::string> summary_;  // the seller's terms, as resolved
    bool fromProduct_ = false;
};

}  // namespace

std::variant<PreparedOffer, PrepareProblem> PrepareNewOffer(OfferCatalogue& catalogue,
                                                            const offer::OfferData& data,
                                                            const AuctionForm& form,
                                                            const PrepareOptions& options,
                                                            const PublishObserver* observer,
                                                            const std::atomic<bool>* cancel) {
    structured::ExportOptions exportOptions;
    exportOptions.acceptLocalPictures = true;
    structured::AllegroOffer exported = structured::ExportAllegro(form, exportOptions);
    if (exported.HasErrors()) {
        PrepareProblem problem =
            Failed(Failure{Outcome::Refused,
                           "Opis nie spełnia wymagań Allegro; nic nie zostało wysłane do Allegro.",
                           {}});
        problem.findings = std::move(exported.findings);
        return problem;
    }
    PreparedOffer out;
    out.findings = std::move(exported.findings);
    CreateRequest& request = out.request;
    request.data = data;
    request.title = exported.name;
    request.description = std::move(exported.description);
    request.images = Gallery(exported.images, data.pictures);
    request.signature = data.signature.empty()
                            ? offer::OfferSignature(data, request.title, options.sheetFile)
                            : data.signature;
    if (auto errors = LocalErrors(data, request.title, request.images.size(), options.activate);
        !errors.empty()) {
        return BadData(std::move(errors));
    }

    Preparation preparation(catalogue, data, observer, cancel);
    if (auto problem = preparation.FindCategory(request.title, out)) {
        problem->findings = std::move(out.findings);
        return std::move(*problem);
    }
    // Every fault of the parameters and the terms at once, so that one run shows them all.
    preparation.ResolveCategoryParameters(out);
    preparation.ResolveSettings(out);
    if (auto problem = preparation.Problem()) {
        return std::move(*problem);
    }
    auto body = BuildCreateBody(request);
    if (auto* errors = std::get_if<std::vector<OfferError>>(&body)) {
        return BadData(std::move(*errors));
    }
    preparation.Describe(out, request.title);
    return out;
}

}  // namespace licytek::publish
