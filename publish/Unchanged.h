// Whether an update would leave the offer as it is, known before anything is sent: a row of a
// sheet pulled from Allegro and sent back untouched sends nothing at all.
#pragma once

#include "publish/Protocol.h"

namespace licytek::publish {

// The update changes nothing that Allegro shows when its description shows the same as the
// offer's (structured::ShowsTheSame), its title (when it sets one) is the offer's, and every
// picture it names is in the offer's gallery already. A description of the offer that cannot
// be read counts as a change.
bool ChangesNothing(const OfferState& offer, const UpdateRequest& update);

}  // namespace licytek::publish
