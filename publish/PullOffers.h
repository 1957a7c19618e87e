// The seller's offers brought into Licytek: one offer as the form's texts, or every offer as
// a spreadsheet that the batch reads back as it is and `batch --publish` sends back.
//
// The spreadsheet has the columns "plik", "oferta", "Nagłówek aukcji" and "Opis przedmiotu",
// one row an offer:
//  - CSV: UTF-8 with a byte-order mark, ';' between cells and CR LF after each row, as a Polish
//    spreadsheet opens and saves it. A cell holding ';', '"', a line break or blanks at its
//    ends is quoted, with its quotes doubled. Lines inside a cell end in LF, as spreadsheets
//    write them (Alt+Enter).
//  - JSON lines: one object a line with "plik", "oferta", "Edit2" and "Memo1" (UTF-8).
// The description keeps the form's markup, one top-level element a line, so each line ends
// in a block element and the batch adds no line break of its own to it. Characters that the
// form holds as references (&#178;) stand in the sheet as themselves (²), as the seller reads
// them; the batch turns them back into references.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <variant>
#include <vector>

#include "publish/AllegroSession.h"
#include "publish/OfferRun.h"
#include "structured/OfferToForm.h"

namespace licytek::publish {

// The form's texts of the offer `offerId` (Windows-1250, CR LF), or a failure whose message
// begins with "Oferta ID: " when the offer cannot be read or the form cannot hold it.
std::variant<structured::PulledOffer, Failure> PullOneOffer(
    AllegroSession& session, const std::string& offerId, const PublishObserver* observer = nullptr,
    const std::atomic<bool>* cancel = nullptr);

// The same from an offer already read (or its failure).
std::variant<structured::PulledOffer, Failure> PulledFrom(std::variant<OfferState, Failure> read,
                                                          const std::string& offerId);

// A list that would go on further than this is cut here: a thousand pages of a hundred.
inline constexpr std::size_t kMaxOfferPages = 1000;

// The pages of the seller's list of offers, one after another: where the next one starts, and
// when the list is over. It is over at an empty page, at the total Allegro gives, when a page
// brings no offer not seen before (a server that gives the same page again, whatever total it
// claims), and after kMaxOfferPages pages.
class OfferPages {
  public:
    explicit OfferPages(OfferQuery first) : query_(std::move(first)) {}
    // The query for the next page, or nothing when the list is over.
    std::optional<OfferQuery> Next() const;
    // The page that the last query brought: answers its offers not seen before.
    std::vector<OfferSummary> Take(OfferPage page);
    // Whether the list was cut at kMaxOfferPages.
    bool Cut() const { return cut_; }
    // What the seller reads when it was.
    std::string CutMessage() const;

  private:
    OfferQuery query_;
    std::unordered_set<std::string> seen_;
    std::size_t pages_ = 0;
    bool over_ = false;
    bool cut_ = false;
};

enum class SheetKind { Csv, JsonLines };

// The kind of sheet a file name asks for by its ending (".csv", ".jsonl", any letter case).
std::optional<SheetKind> SheetKindOf(std::string_view path);

// Names for the rows' files, made from the offers' titles: letters and digits in ASCII (Polish
// letters without their marks, in lower case), everything else a single '-', at most 60
// bytes. No name is empty, begins with '.', or is one that Windows keeps for devices (con,
// nul, com1...), and none repeats, whatever the letter case: a repeat gets "-2", "-3"...
class FileNames {
  public:
    std::string Next(std::string_view utf8Title);

  private:
    std::unordered_set<std::string> used_;
};

// Excel cuts a cell longer than this many characters (UTF-16 units) when it opens a file.
inline constexpr std::size_t kExcelCellCharacters = 32767;

// A sheet of pulled offers, built row by row.
class OfferSheet {
  public:
    explicit OfferSheet(SheetKind kind);
    // Adds the row; answers the description cell's length in characters (UTF-16 units).
    std::size_t Add(std::string_view fileName, std::string_view offerId,
                    const structured::PulledOffer& pulled);
    const std::string& Text() const { return text_; }
    std::size_t Rows() const { return rows_; }

  private:
    SheetKind kind_;
    std::string text_;
    std::size_t rows_ = 0;
};

// What the seller hears while every offer is pulled. Every callback may be empty.
struct PullAllObserver {
    // After each offer, read or failed: `done` of `total`.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // An offer that could not be pulled: the message names it ("Oferta ID: ...").
    std::function<void(const std::string& message)> failed;
    // Something the seller should know about a row that was written ("Oferta ID: ...").
    std::function<void(const std::string& message)> warning;
    // A wait before the next request (a 429's Retry-After, a retry).
    std::function<void(Seconds seconds, const std::string& why)> waiting;
};

struct PullAllResult {
    std::size_t written = 0;  // rows in the sheet
    std::size_t failed = 0;   // offers reported through PullAllObserver::failed
    // Why the run stopped before the end (not signed in, the list could not be read, the
    // seller stopped it, the file could not be written); nothing was written then.
    std::optional<Failure> stopped;
};

// Lists the offers that `filter` selects (its offset and limit are the function's own), reads
// them several at once (`run`: how many in flight), and writes the sheet into `outPath` through
// the one safe save, whole or not at all. A failed offer is reported and the rest go on; a
// failure that every further request would repeat (signed out, stopped) ends the run.
PullAllResult PullAllOffers(AllegroSession& session, const OfferQuery& filter,
                            const std::string& outPath, SheetKind kind,
                            const PullAllObserver& observer = {},
                            const std::atomic<bool>* cancel = nullptr, const RunSettings& run = {},
                            Clock& clock = SystemClock());

// "120 z 340 ofert".
std::string PullProgressLine(std::size_t done, std::size_t total);

// "340 ofert zapisanych w pliku OUT, 2 z błędami" for a run that was not stopped.
std::string PullSummaryLine(const PullAllResult& result, std::string_view outPath);

}  // namespace licytek::publish
