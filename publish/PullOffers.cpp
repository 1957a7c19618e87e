#include "publish/PullOffers.h"

#include <chrono>
#include <memory>

#include "publish/OfferRun.h"
#include "publish/Wording.h"

#include <array>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "model/Text.h"
#include "model/Utf8.h"

namespace licytek::publish {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kCsvHeader = "plik;oferta;Nagłówek aukcji;Opis przedmiotu\r\n";
constexpr std::size_t kMaxFileNameBytes = 60;
constexpr std::size_t kPageSize = 100;

// A failure that names the offer, whatever part of the program described it.
Failure NamingOffer(Failure failure, const std::string& offerId) {
    if (failure.message.find(offerId) == std::string::npos) {
        failure.message = "Oferta " + offerId + ": " + failure.message;
    }
    return failure;
}

// The ASCII letter a Polish letter is written with when marks cannot be, in lower case.
char PolishLetterFolded(char32_t c) {
    struct Fold {
        char32_t letter;
        char ascii;
    };
    static constexpr std::array<Fold, 18> kFolds = {{{U'ą', 'a'},
                                                     {U'ć', 'c'},
                                                     {U'ę', 'e'},
                                                     {U'ł', 'l'},
                                                     {U'ń', 'n'},
                                                     {U'ó', 'o'},
                                                     {U'ś', 's'},
                                                     {U'ź', 'z'},
                                                     {U'ż', 'z'},
                                                     {U'Ą', 'a'},
                                                     {U'Ć', 'c'},
                                                     {U'Ę', 'e'},
                                                     {U'Ł', 'l'},
                                                     {U'Ń', 'n'},
                                                     {U'Ó', 'o'},
                                                     {U'Ś', 's'},
                                                     {U'Ź', 'z'},
                                                     {U'Ż', 'z'}}};
    for (const Fold& fold : kFolds) {
        if (fold.letter == c) {
            return fold.ascii;
        }
    }
    return 0;
}

char AsciiLetterOrDigit(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9')) {
        return static_cast<char>(c);
    }
    if (c >= U'A' && c <= U'Z') {
        return static_cast<char>(c - U'A' + U'a');
    }
    return PolishLetterFolded(c);
}

// The title's letters and digits, everything between them one '-'.
std::string FileNameStem(std::string_view utf8Title) {
    std::string stem;
    bool gap = false;
    for (std::size_t at = 0; at < utf8Title.size() && stem.size() < kMaxFileNameBytes;) {
        char32_t c = 0;
        const std::size_t length = ReadUtf8(utf8Title.substr(at), c);
        at += length == 0 ? 1 : length;
        const char ascii = length == 0 ? '\0' : AsciiLetterOrDigit(c);
        if (ascii == 0) {
            gap = !stem.empty();
            continue;
        }
        if (gap) {
            stem += '-';
            gap = false;
        }
        stem += ascii;
    }
    while (stem.size() > kMaxFileNameBytes || stem.ends_with('-')) {
        stem.pop_back();
    }
    return stem.empty() ? "oferta" : stem;
}

// Names Windows keeps for devices, whatever follows them after a dot.
bool IsDeviceName(std::string_view name) {
    static constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
    for (const std::string_view device : kDevices) {
        if (name == device) {
            return true;
        }
    }
    return name.size() == 4 && (name.starts_with("com") || name.starts_with("lpt")) &&
           name[3] >= '1' && name[3] <= '9';
}

bool NeedsQuotes(std::string_view cell) {
    return cell.find_first_of(";\"\r\n") != std::string_view::npos ||
           (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t' || cell.back() == ' ' ||
                              cell.back() == '\t'));
}

void AppendCsvCell(std::string& out, std::string_view cell) {
    if (!NeedsQuotes(cell)) {
        out += cell;
        return;
    }
    out += '"';
    for (const char c : cell) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

// The form's Windows-1250 text in UTF-8 as the seller reads it: the characters that the form
// holds as references ("&#178;") as themselves ("²"); the batch turns them back.
std::string SheetText(std::string_view cp1250) {
    return WrittenReferencesAsCharacters(Cp1250ToUtf8(cp1250));
}

// The form's Windows-1250 text as a cell: UTF-8, lines ended by LF as in a spreadsheet.
std::string CellText(std::string_view cp1250) {
    std::string utf8 = SheetText(cp1250);
    std::string cell;
    cell.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            continue;
        }
        cell += utf8[i];
    }
    return cell;
}

// How many characters a spreadsheet counts in a UTF-8 text: two for one beyond U+FFFF.
std::size_t Utf16Length(std::string_view utf8) {
    std::size_t length = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        length += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    }
    return length;
}

// Every offer the filter selects, page by page. An entry that is no offer is reported and
// counted as failed; a list cut short is warned of.
std::variant<std::vector<OfferSummary>, Failure> ListAll(
    AllegroSession& session, const OfferQuery& filter, const PullAllObserver& observer,
    const PublishObserver& waits, const std::atomic<bool>* cancel, PullAllResult& result) {
    OfferQuery first = filter;
    first.offset = 0;
    first.limit = kPageSize;
    OfferPages pages(std::move(first));
    std::vector<OfferSummary> offers;
    while (const auto query = pages.Next()) {
        if (cancel != nullptr && cancel->load()) {
            Failure failure{Outcome::Refused, {}, {}};
            failure.cancelled = true;
            return failure;
        }
        auto page = session.ListOffers(*query, &waits, cancel);
        if (auto* failure = std::get_if<Failure>(&page)) {
            return std::move(*failure);
        }
        auto& listed = std::get<OfferPage>(page);
        for (const std::string& problem : listed.problems) {
            ++result.failed;
            if (observer.failed) {
                observer.failed(problem);
            }
        }
        for (OfferSummary& offer : pages.Take(std::move(listed))) {
            offers.push_back(std::move(offer));
        }
    }
    if (pages.Cut() && observer.warning) {
        observer.warning(pages.CutMessage());
    }
    return offers;
}

// A failure that every further request would repeat.
bool EndsTheRun(const Failure& failure) {
    return failure.cancelled || failure.outcome == Outcome::SignedOut ||
           failure.outcome == Outcome::BadUse;
}

// The failure that ended a run, which wrote nothing.
Failure Stopped(Failure failure) {
    if (failure.cancelled) {
        failure.message = "Przerwano: nic nie zostało zapisane.";
    }
    return failure;
}

}  // namespace

std::variant<structured::PulledOffer, Failure> PullOneOffer(AllegroSession& session,
                                                            const std::string& offerId,
                                                            const PublishObserver* observer,
                                                            const std::atomic<bool>* cancel) {
    return PulledFrom(session.GetOffer(offerId, observer, cancel), offerId);
}

std::variant<structured::PulledOffer, Failure> PulledFrom(std::variant<OfferState, Failure> read,
                                                          const std::string& offerId) {
    if (auto* failure = std::get_if<Failure>(&read)) {
        return NamingOffer(std::move(*failure), offerId);
    }
    const OfferState& offer = std::get<OfferState>(read);
    auto description = structured::DescriptionFromJson(offer.descriptionJson);
    if (auto* finding = std::get_if<structured::Finding>(&description)) {
        return NamingOffer(Failure{Outcome::Refused, finding->message, {}}, offerId);
    }
    auto pulled = structured::PullOffer(offer.name, std::get<structured::Description>(description));
    if (auto* finding = std::get_if<structured::Finding>(&pulled)) {
        return NamingOffer(Failure{Outcome::Refused, finding->message, {}}, offerId);
    }
    return std::get<structured::PulledOffer>(std::move(pulled));
}

std::optional<OfferQuery> OfferPages::Next() const {
    if (over_) {
        return std::nullopt;
    }
    return query_;
}

std::vector<OfferSummary> OfferPages::Take(OfferPage page) {
    ++pages_;
    std::vector<OfferSummary> fresh;
    for (OfferSummary& offer : page.offers) {
        if (seen_.insert(offer.id).second) {
            fresh.push_back(std::move(offer));
        }
    }
    query_.offset += page.listed;
    over_ = page.listed == 0 || fresh.empty() || query_.offset >= page.totalCount;
    if (!over_ && pages_ >= kMaxOfferPages) {
        over_ = cut_ = true;
    }
    return fresh;
}

std::string OfferPages::CutMessage() const {
    return "Lista ofert nie skończyła się po " + GroupedNumber(kMaxOfferPages) +
           " stronach: wzięto z niej " + CountedNoun(seen_.size(), "ofertę", "oferty", "ofert") +
           ".";
}

std::optional<SheetKind> SheetKindOf(std::string_view path) {
    const auto endsWith = [&](std::string_view suffix) {
        if (path.size() < suffix.size()) {
            return false;
        }
        const std::string_view end = path.substr(path.size() - suffix.size());
        for (std::size_t i = 0; i < suffix.size(); ++i) {
            const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] + 32) : end[i];
            if (c != suffix[i]) {
                return false;
            }
        }
        return true;
    };
    if (endsWith(".csv")) {
        return SheetKind::Csv;
    }
    if (endsWith(".jsonl")) {
        return SheetKind::JsonLines;
    }
    return std::nullopt;
}

std::string FileNames::Next(std::string_view utf8Title) {
    const std::string stem = FileNameStem(utf8Title);
    std::string name = stem;
    for (std::size_t n = 2; IsDeviceName(name) || used_.contains(name); ++n) {
        name = stem + "-" + std::to_string(n);
    }
    used_.insert(name);
    return name;
}

OfferSheet::OfferSheet(SheetKind kind) : kind_(kind) {
    if (kind_ == SheetKind::Csv) {
        text_.append(kBom);
        text_.append(kCsvHeader);
    }
}

std::size_t OfferSheet::Add(std::string_view fileName, std::string_view offerId,
                            const structured::PulledOffer& pulled) {
    ++rows_;
    const std::string description = CellText(pulled.description);
    if (kind_ == SheetKind::JsonLines) {
        const nlohmann::ordered_json line = {{"plik", fileName},
                                             {"oferta", offerId},
                                             {"Edit2", SheetText(pulled.title)},
                                             {"Memo1", SheetText(pulled.description)}};
        text_ += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
        text_ += '\n';
        return Utf16Length(description);
    }
    AppendCsvCell(text_, fileName);
    text_ += ';';
    AppendCsvCell(text_, offerId);
    text_ += ';';
    AppendCsvCell(text_, CellText(pulled.title));
    text_ += ';';
    AppendCsvCell(text_, description);
    text_ += "\r\n";
    return Utf16Length(description);
}

PullAllResult PullAllOffers(AllegroSession& session, const OfferQuery& filter,
                            const std::string& outPath, SheetKind kind,
                            const PullAllObserver& observer, const std::atomic<bool>* cancel,
                            const RunSettings& run, Clock& clock) {
    PullAllResult result;
    // Hundreds of offers are not read for a file that cannot be written in the end.
    const std::filesystem::path folder = std::filesystem::path(outPath).parent_path();
    std::error_code ignored;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
        result.stopped =
            Failure{Outcome::Refused, outPath + ": nie ma folderu " + folder.string(), {}};
        return result;
    }
    PublishObserver waits;
    waits.waiting = observer.waiting;
    auto listed = ListAll(session, filter, observer, waits, cancel, result);
    if (auto* failure = std::get_if<Failure>(&listed)) {
        result.stopped = Stopped(std::move(*failure));
        return result;
    }
    const auto& offers = std::get<std::vector<OfferSummary>>(listed);
    if (observer.progress) {
        observer.progress(0, offers.size());  // the count shows before the first offer comes
    }
    OfferSheet sheet(kind);
    FileNames names;
    // The offers are read several at once and written in the list's order.
    RunSettings settings = run;
    settings.waiting = [&observer](const Wait& wait) {
        if (observer.waiting) {
            observer.waiting(wait.seconds, WaitSentence(wait));
        }
    };
    OfferRun reads(session, clock, std::move(settings), cancel);
    std::size_t next = 0;
    std::size_t done = 0;
    while (done < offers.size()) {
        while (next < offers.size() && reads.HasRoom()) {
            const std::string& id = offers[next++].id;
            reads.Add(id, std::make_unique<ReadWork>(
                              session.endpoints().api + "/sale/product-offers/" + id,
                              Purpose::ReadOffer));
        }
        for (auto& line : reads.Pump(std::chrono::milliseconds(100))) {
            if (line.work == nullptr) {
                continue;
            }
            const OfferSummary& listedOffer = offers[line.row];
            auto pulled = PulledFrom(
                OfferFromRead(static_cast<const ReadWork&>(*line.work).result(), listedOffer.id),
                listedOffer.id);
            ++done;
            if (auto* failure = std::get_if<Failure>(&pulled)) {
                if (EndsTheRun(*failure)) {
                    reads.Cancel();
                    result.stopped = Stopped(std::move(*failure));
                    continue;  // the reads in flight end first
                }
                ++result.failed;
                if (observer.failed) {
                    observer.failed(failure->message);
                }
            } else if (!result.stopped) {
                const auto& offer = std::get<structured::PulledOffer>(pulled);
                const std::size_t characters =
                    sheet.Add(names.Next(SheetText(offer.title)), listedOffer.id, offer);
                if (characters > kExcelCellCharacters && observer.warning) {
                    observer.warning("Oferta " + listedOffer.id + ": opis ma " +
                                     GroupedNumber(characters) +
                                     " znaków, a Excel ucina komórki dłuższe niż 32 767 znaków: "
                                     "poprawiaj ten arkusz w LibreOffice Calc albo tę ofertę "
                                     "osobno");
                }
            }
            if (observer.progress) {
                observer.progress(done, offers.size());
            }
        }
        if (reads.Done() && (reads.Cancelled() || result.stopped)) {
            break;
        }
    }
    if (result.stopped || reads.Cancelled()) {
        if (!result.stopped) {
            Failure cancelled{Outcome::Refused, {}, {}};
            cancelled.cancelled = true;
            cancelled.kind = FailureKind::Cancelled;
            result.stopped = Stopped(std::move(cancelled));
        }
        return result;
    }
    if (auto error = WriteFileAtomically(outPath, sheet.Text())) {
        result.stopped = Failure{Outcome::Refused, outPath + ": " + error->message, {}};
        return result;
    }
    result.written = sheet.Rows();
    return result;
}

std::string PullProgressLine(std::size_t done, std::size_t total) {
    return std::to_string(done) + " z " + std::to_string(total) +
           (total == 1 ? " oferty" : " ofert");
}

std::string PullSummaryLine(const PullAllResult& result, std::string_view outPath) {
    std::string line =
        CountedNoun(result.written, "oferta zapisana", "oferty zapisane", "ofert zapisanych") +
        " w pliku " + std::string(outPath);
    if (result.failed > 0) {
        line += ", " + std::to_string(result.failed) + " z błędami";
    }
    return line;
}

}  // namespace licytek::publish
