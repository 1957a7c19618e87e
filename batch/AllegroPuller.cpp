#include "batch/AllegroPuller.h"

#include <sys/stat.h>

#include <optional>
#include <variant>

#include "model/FileIo.h"
#include "model/PolishNumbers.h"

namespace licytek::batch {
namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

publish::PullAllResult WriteRefused(const std::string& outPath, const FileError& error) {
    publish::PullAllResult refused;
    refused.stopped =
        publish::Failure{publish::Outcome::Refused, outPath + ": " + PolishMessage(error), {}};
    return refused;
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
    auto begun = FileWriter::Begin(outPath);
    if (auto* error = std::get_if<FileError>(&begun)) {
        return WriteRefused(outPath, *error);
    }
    FileWriter& file = std::get<FileWriter>(begun);
    // Each row goes to the file as it comes, so that memory holds the offers in flight only;
    // after a failed write the rest are still read, and the run reports the failure at its end.
    std::optional<FileError> writeError;
    OfferSheet sheet(kind);
    const auto keep = [&](const std::string& offerId, const structured::PulledOffer& offer) {
        const std::size_t characters = sheet.Add(offerId, offer.title, offer.description);
        if (characters > kExcelCellCharacters && observer.warning) {
            observer.warning(TooLongForExcel(offerId, characters));
        }
        const std::string rows = sheet.TakeText();
        if (!writeError) {
            writeError = file.Append(rows);
        }
    };
    publish::PullAllResult result =
        publish::PullAllOffers(session, filter, keep, observer, cancel, run, clock);
    if (result.stopped) {
        return result;  // the unfinished file goes with the writer
    }
    if (!writeError) {
        writeError = file.Append(sheet.TakeText());  // the header of a sheet without rows
    }
    if (!writeError) {
        writeError = file.Commit();
    }
    if (writeError) {
        result.pulled = 0;
        result.stopped = WriteRefused(outPath, *writeError).stopped;
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
