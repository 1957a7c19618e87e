// `pull --all` into a sheet: the offers that publish/ pulls, written by the batch's sheet
// writer through the one safe save. With the sender in batch_allegro, so that the batch itself
// stays free of the network.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "batch/PulledSheet.h"
#include "publish/PullOffers.h"

namespace licytek::batch {

// Pulls every offer that `filter` selects (see publish::PullAllOffers) into a sheet of `kind`
// and writes it into `outPath`, whole or not at all: the rows go to a temporary file as they
// come, which takes the name only at the end, so that memory holds only the offers in flight;
// when the run stopped, nothing is written. A folder that does not exist, or a file that
// cannot be replaced, stops the run before anything is read. A description too long for Excel
// is warned of. `pulled` of the result counts the rows written.
publish::PullAllResult PullAllToSheet(publish::AllegroSession& session,
                                      const publish::OfferQuery& filter, const std::string& outPath,
                                      SheetKind kind, const publish::PullAllObserver& observer = {},
                                      const std::atomic<bool>* cancel = nullptr,
                                      const publish::RunSettings& run = {},
                                      publish::Clock& clock = publish::SystemClock());

// "340 ofert zapisanych w pliku OUT, 2 z błędami" for a run that was not stopped.
std::string PullSummaryLine(const publish::PullAllResult& result, std::string_view outPath);

}  // namespace licytek::batch
