#include "publish/Unchanged.h"

#include <algorithm>

#include "structured/SameOnAllegro.h"

namespace licytek::publish {

bool ChangesNothing(const OfferState& offer, const UpdateRequest& update) {
    if (update.name && *update.name != offer.name) {
        return false;
    }
    const bool galleryHoldsAll = std::all_of(
        update.newImages.begin(), update.newImages.end(), [&](const std::string& image) {
            return std::find(offer.images.begin(), offer.images.end(), image) != offer.images.end();
        });
    if (!galleryHoldsAll) {
        return false;
    }
    const auto current = structured::DescriptionFromJson(offer.descriptionJson);
    const auto* description = std::get_if<structured::Description>(&current);
    return description != nullptr && structured::ShowsTheSame(*description, update.description);
}

}  // namespace licytek::publish
