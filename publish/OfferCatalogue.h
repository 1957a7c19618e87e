// The look-ups a new offer needs, through a signed-in session, each answer kept for the run:
// the seller's own settings, the categories Allegro suggests for a title, a category's
// parameters (also on disk for a day), the catalogue's products for an EAN or by id, and the
// seller's offers that carry a signature (never kept: they change as offers are created).
// One catalogue serves a whole run, a batch of many offers included, so that each list is read
// once and each EAN searched at most once; its calls run one at a time.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "publish/AllegroSession.h"
#include "publish/CreateAnswers.h"
#include "publish/OfferLookups.h"

namespace licytek::publish {

// A category's parameters stay on disk this long.
inline constexpr Seconds kParametersKeptFor = Seconds{24} * 60 * 60;

inline constexpr std::size_t kMaxProductPictureBytes = std::size_t{4} << 20;

class OfferCatalogue {
  public:
    // `cacheFolder` keeps the categories' parameters (CacheFolder() for the program); empty
    // keeps nothing on disk. The session outlives the catalogue.
    OfferCatalogue(AllegroSession& session, std::string cacheFolder);

    // Every entry of the seller's list, page after page where Allegro pages it. A 403 means
    // the sign-in lacks the right to read the seller's settings: sign in again (exit 3).
    std::variant<std::vector<NamedSetting>, Failure> Settings(
        SettingsList list, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    // The leaf categories Allegro suggests for a title.
    std::variant<std::vector<CategorySuggestion>, Failure> MatchingCategories(
        const std::string& title, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    // The category's parameters; a category Allegro does not know is bad offer data (exit 2).
    std::variant<std::vector<CategoryParameter>, Failure> CategoryParameters(
        const std::string& categoryId, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    // The catalogue's products with this GTIN. Allegro limits searches per seller: each EAN is
    // searched at most once a run, its answer (or failure) kept.
    std::variant<std::vector<CatalogueProduct>, Failure> ProductsByEan(
        const std::string& ean, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    // One catalogue product by its UUID.
    std::variant<CatalogueProduct, Failure> ProductById(const std::string& productId,
                                                        const PublishObserver* observer = nullptr,
                                                        const std::atomic<bool>* cancel = nullptr);
    // The seller's drafts, active offers and offers being activated with this signature
    // (external.id), read afresh every time.
    std::variant<std::vector<SignedOffer>, Failure> OffersWithSignature(
        const std::string& signature, const PublishObserver* observer = nullptr,
        const std::atomic<bool>* cancel = nullptr);

    // A catalogue product's picture (CatalogueProduct::imageUrl): its bytes, fetched without
    // the seller's token and at most kMaxProductPictureBytes, or nothing when it cannot be had
    // (a thumbnail then shows a placeholder). Only an https:// address is fetched.
    std::optional<std::string> ProductPicture(const std::string& url,
                                              const std::atomic<bool>* cancel = nullptr);

    AllegroSession& session() { return session_; }

  private:
    // The answer whatever its status; a failure only when none came.
    std::variant<HttpResponse, Failure> Get(const std::string& path, const std::string& what,
                                            const PublishObserver* observer,
                                            const std::atomic<bool>* cancel);
    std::string ParametersFile(const std::string& categoryId) const;
    std::optional<std::vector<CategoryParameter>> KeptParameters(const std::string& categoryId);
    void KeepParameters(const std::string& categoryId, const std::string& answer);

    AllegroSession& session_;
    std::unique_ptr<HttpClient> pictures_;  // no trusted origin: never a token
    std::string cacheFolder_;
    std::mutex mutex_;  // one look-up at a time
    std::map<SettingsList, std::vector<NamedSetting>> settings_;
    std::map<std::string, std::vector<CategorySuggestion>> suggestions_;
    std::map<std::string, std::vector<CategoryParameter>> parameters_;
    std::map<std::string, std::variant<std::vector<CatalogueProduct>, Failure>> searches_;
    std::map<std::string, CatalogueProduct> products_;
};

// The words of a look-up's answer that is no success: `what` names the look-up ("Odczyt
// propozycji kategorii"). 401 is "sign in" (exit 3), 5xx no working server (exit 4), any
// other a refusal with Allegro's errors (exit 1).
Failure LookupFailure(const std::string& what, const HttpResponse& response);

}  // namespace licytek::publish
