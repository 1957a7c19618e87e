#include "batch/AllegroPuller.h"

#include <sys/stat.h>

#include "model/FileIo.h"
#include "model/PolishNumbers.h"

namespace licytek::batch {
namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

publish::PullAllResult PullAllToSheet(publish::AllegroSession& session,
                                      const publish::OfferQuery& filter, const std::string& outPath,
                                      SheetKind kind, const publish::PullAllObserver& observer,
                                      const std::atomic<bool>* cancel,
                                      const publish::RunSettings& run, publish::Clock& clock) {
    // Hundreds of offers are not read for a file that cannot be written in the end.
    if (const std::string folder = FolderOf(outPath); !IsFolder(folder)) {
        publish::PullAllResult refused;
        refused.stopped =
            publish::Failure{publish::Outcome::Refused, outPath + ": nie ma folderu " + folder, {}};
        return refused;
    }
    OfferSheet sheet(kind);
    const auto keep = [&](const std::string& offerId, const structured::PulledOffer& offer) {
        const std::size_t characters = sheet.Add(offerId, offer.title, offer.description);
        if (characters > kExcelCellCharacters && observer.warning) {
            observer.warning(TooLongForExcel(offerId, characters));
        }
    };
    publish::PullAllResult result =
        publish::PullAllOffers(session, filter, keep, observer, cancel, run, clock);
    if (result.stopped) {
        return result;
    }
    if (auto error = WriteFileAtomically(outPath, sheet.Text())) {
        result.pulled = 0;
        result.stopped =
            publish::Failure{publish::Outcome::Refused, outPath + ": " + PolishMessage(*error), {}};
    }
    return result;
}

std::string PullSummaryLine(const publish::PullAllResult& result, std::string_view outPath) {
    std::string line =
        CountedNoun(result.pulled, "oferta zapisana", "oferty zapisane", "ofert zapisanych") +
        " w pliku " + std::string(outPath);
    if (result.failed > 0) {
        line += ", " + std::to_string(result.failed) + " z błędami";
    }
    return line;
}

}  // namespace licytek::batch
