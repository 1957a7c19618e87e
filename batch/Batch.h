// Many offers at once: a spreadsheet (CSV) or a JSON-lines file of items, one template form,
// a folder of descriptions. A batch is a stream: a row is read, applied to a copy of the
// template, its files are written, and the row is forgotten.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/OfferCreator.h"
#include "batch/OfferSender.h"
#include "batch/OffersSheet.h"
#include "model/AuctionForm.h"

namespace licytek::batch {

enum class OutputFormat { Classic, Allegro, Both };
enum class InputEncoding { Automatic, Utf8, Cp1250 };

struct BatchOptions {
    OutputFormat format = OutputFormat::Classic;
    bool utf8 = false;         // classic pages as UTF-8 instead of Windows-1250
    bool overwrite = false;    // replace files that already exist
    bool stopOnError = false;  // stop at the first row with an error
    InputEncoding encoding = InputEncoding::Automatic;
    std::string outFolder;
    // The threads that write the rows' files side by side; none: the batch's own thread
    // writes each row as it goes. Two were as fast as four or sixteen, and one much slower,
    // once the files were no longer flushed one by one (bench/BatchThreads.cpp).
    std::size_t writerThreads = 2;
    // Sends each row's description to the offer its "oferta" cell names, once its files are
    // written: one row after another, in the order of the rows. A row without a number only
    // gets its files. Not owned; none: the column is left alone.
    OfferSender* sender = nullptr;
    // With a sender: nothing is sent; the sender prepares each row's update body, which is
    // written with the row's files as NAME.allegro-update.json. With a creator: likewise
    // NAME.allegro-create.json, the body that would create the row's offer.
    bool dryRun = false;
    // Creates each row's new offer from its cells and its offer data's columns, once its files
    // are written, one row after another. A row whose "oferta" names an offer is not created.
    // After the run a copy of the sheet with the offers' numbers in "oferta" is written beside
    // it (NAME.oferty.csv). Not owned; never together with a sender.
    OfferCreator* creator = nullptr;
    // With a creator in a dry run: the sheet's rows are kept here, for a confirmation that
    // creates the offers and then writes the copy with their numbers (SaveOffersSheet).
    OffersSheet* offersSheet = nullptr;
};

// How the batch is going; called after every row.
struct BatchProgress {
    std::size_t rowsDone = 0;
    std::optional<std::size_t> rowsTotal;  // when known
    std::size_t sent = 0;                  // descriptions sent to their offers
};

// A dry run's row as data, told beside its line in `sent`: what the real run would do with it.
struct TrialRow {
    std::size_t row = 0;
    // The offer the row updates, or (when creating) the offer that is there already.
    std::string offerId;
    // The body written (NAME.allegro-update.json or NAME.allegro-create.json); empty when there
    // is nothing to send: the offer shows the row already, or it is there already.
    std::string file;
};

// What the caller hears while the batch runs. Every callback may be empty. They are called
// on the thread that runs the batch.
struct BatchObserver {
    std::function<void(const BatchProgress&)> progress;
    // "FILE:ROW:COLUMN: message" (UTF-8) for each bad cell or failed row.
    std::function<void(const std::string&)> rowError;
    // "FILE:ROW: CONTROL: message" (UTF-8) for each warning of a written row.
    std::function<void(const std::string&)> warning;
    // "FILE:ROW: oferta ID: opis zaktualizowany" (UTF-8) for each description sent,
    // "FILE:ROW: oferta ID: bez zmian" for each row whose offer shows it already, and a note
    // for a row put off to be sent again later. When creating: "FILE:ROW: szkic ID utworzony
    // (N uwag)", "FILE:ROW: oferta ID wystawiona", or the line of an offer there already.
    std::function<void(const std::string&)> sent;
    // In a dry run, each row that reached its offer (or would create one), after its line.
    std::function<void(const TrialRow&)> trialRow;
    // Checked before each row; the batch stops cleanly when set: a row whose files are being
    // written is finished whole, and no later row writes anything.
    const std::atomic<bool>* cancel = nullptr;
};

struct BatchSummary {
    std::size_t written = 0;   // rows whose files were all written
    std::size_t failed = 0;    // rows with errors, which wrote nothing
    std::size_t warnings = 0;  // warnings of the written rows
    bool cancelled = false;
    std::optional<std::string> fatal;  // the input or the folder could not be used at all
    bool unreadableInput = false;      // the input is no sheet this batch reads (see fatal)

    bool sending = false;              // a sender was given
    bool dryRun = false;               // ... only to prepare the bodies
    std::size_t sent = 0;              // descriptions sent (in a dry run: prepared)
    std::size_t unchanged = 0;         // rows not sent: their offers show them already
    std::size_t sendFailed = 0;        // rows whose files were written but whose sending failed
    bool sendingStopped = false;       // the sender said that no later row could be sent
    std::vector<std::size_t> notSent;  // rows with files and a number, not sent (a stop)
    // Rows with a number whose files were not written either (a cancel or a stop).
    std::vector<std::size_t> notReached;

    bool creating = false;         // a creator was given
    std::size_t created = 0;       // drafts created (in a dry run: bodies prepared)
    std::size_t activated = 0;     // offers created and activated
    std::size_t existing = 0;      // rows not created: their offer is there already
    std::size_t createFailed = 0;  // rows whose files were written but whose offer was not
    bool creatingStopped = false;  // the creator said that no later row could be created
    std::string offersSheet;       // the copy of the sheet with the offers' numbers, if written

    // "N ofert zapisanych, M z błędami, K ostrzeżeń" and, when sending, "N opisów
    // wysłanych, U bez zmian, M z błędami" (U only when there are any), or when creating
    // "N szkiców utworzonych, A ofert wystawionych, E już w Allegro, M z błędami", UTF-8.
    std::string Line() const;
};

// Runs the batch over `offersPath` (CSV, JSON lines, .xlsx or .ods, told by its content) with
// `templateForm` and `sellerId` as the start of every row. A CSV names its inputs in a header
// row, and so does the first sheet of an .xlsx or .ods file; a JSON-lines file holds one JSON
// form a line (UTF-8, as `render` reads it; its "SellerId" counts for its row). The rows are
// numbered as a spreadsheet numbers them (the header is row 1) or by line; a row's files are
// named by its "plik" cell, or else by that number. The output folder is created if missing.
// The structured export's warnings that the template alone gives are told once, before the
// rows, as "szablon: LABEL: message"; a row tells only the warnings of its own cells.
BatchSummary RunBatch(const std::string& offersPath, const AuctionForm& templateForm,
                      const std::string& sellerId, const BatchOptions& options,
                      const BatchObserver& observer = {});

}  // namespace licytek::batch
