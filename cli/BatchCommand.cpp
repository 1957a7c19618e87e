// licytek-cli batch: many offers at once, one template form and a spreadsheet of items into a
// folder of descriptions.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <variant>

#include "batch/AllegroCreator.h"
#include "batch/AllegroSender.h"
#include "batch/Batch.h"
#include "cli/CommandSupport.h"
#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "publish/AllegroSession.h"
#include "publish/TokenStore.h"

namespace licytek::cli {
namespace {

constexpr std::string_view kBatchHelp =
    "Usage: licytek-cli batch [--project FILE] [--form FORM.json] [--format classic|allegro|both]\n"
    "                         [--utf8] [--overwrite] [--stop-on-error]\n"
    "                         [--encoding utf-8|windows-1250]\n"
    "                         [--publish [--sandbox] [--dry-run]]\n"
    "                         [--create [--activate] [--sandbox] [--dry-run]]\n"
    "                         OFFERS --out FOLDER\n"
    "\n"
    "Writes one description for every row of OFFERS: FOLDER/NAME.html, the classic page\n"
    "exactly as render gives it, and/or FOLDER/NAME.allegro.json, the structured description\n"
    "exactly as export allegro gives it. Every file is written whole or not at all.\n"
    "\n"
    "Every row starts from the template: the defaults, then the inputs of --project FILE,\n"
    "then the JSON form --form FORM.json (whose SellerId counts, or else \"id.ltk\").\n"
    "\n"
    "OFFERS.csv has a header row. A column is named by a control name (Edit2, Memo1,\n"
    "CheckBox5, ...) or by the input's Polish label (\"Nagłówek aukcji\", \"Opis przedmiotu\",\n"
    "...), in any letter case; \"plik\" names the row's files (without it the row's number\n"
    "does) and \"układ\" chooses the layout 1 to 8. Empty cells keep the template's value.\n"
    "  - texts: line breaks inside a cell become CR LF;\n"
    "  - switches: 1 or 0, tak or nie, true or false, x for ticked;\n"
    "  - list positions: the item's text, or its number from 0 (-1 for none).\n"
    "The separator (';', ',' or a tab) is taken from the header line; quoted cells may hold\n"
    "separators, doubled quotes and line breaks; a quote left open fails its row. The file\n"
    "is UTF-8 (with or without a byte-order mark) when its letters read as UTF-8 make sense\n"
    "(Latin letters, punctuation, symbols), else Windows-1250: \"PÓŁKA\" in Windows-1250 is\n"
    "valid UTF-8 too, but reads \"PӣKA\". A UTF-8 file with a few broken bytes is refused\n"
    "(see --encoding). Rows are numbered as a spreadsheet numbers them: the header is row 1.\n"
    "\n"
    "OFFERS may also be saved as .xlsx or .ods: its first sheet is read the same way.\n"
    "Numbers come out with a decimal comma, true and false as 1 and 0; switches also\n"
    "take prawda and fałsz, as Polish spreadsheets save them.\n"
    "In the item description and the terms, each line of a cell ends with <br>, unless it\n"
    "ends in a break or a block element already.\n"
    "\n"
    "OFFERS.jsonl holds one JSON form a line, as render reads it; rows are its lines. A\n"
    "line may also name its files and its offer with the keys \"plik\" and \"oferta\".\n"
    "\n"
    "A row with a bad cell writes nothing and is reported on standard error as\n"
    "FILE:ROW:COLUMN: message; the next row goes on. After 20 errors of one kind the rest\n"
    "are counted in one line. A warning of the structured description that the template\n"
    "alone gives is printed once, before the rows, as szablon: INPUT: message; a row's\n"
    "own as FILE:ROW: INPUT: message, INPUT being the input's label in the window\n"
    "(\"Telefon\"). At the end one line counts the offers written, the rows with errors\n"
    "and the warnings. On a terminal, standard error shows the progress.\n"
    "Ctrl+C stops after the rows being written; no file is left half written.\n"
    "\n"
    "With --publish, a column \"oferta\" (or \"numer oferty\") holds each row's Allegro\n"
    "offer number (digits; another value fails the row). Once a row's files are written,\n"
    "its structured description goes to that offer, as allegro publish sends it (pictures\n"
    "on the disk are relative to the project file's folder): one row after another, in row\n"
    "order, over one connection. A picture from the disk is uploaded only when the row's own\n"
    "cells name it; one that only the template names fails the row. Each row reports\n"
    "FILE:ROW: oferta ID: opis zaktualizowany (with \", wysłano pliki: ...\" when files were\n"
    "uploaded), or its error; a row without a number only gets its files. A row whose offer\n"
    "already shows its description and pictures sends nothing and reports FILE:ROW: oferta\n"
    "ID: bez zmian, in a dry run too. When Allegro limits the requests (429), the whole run\n"
    "waits (5 minutes at most), and the progress shows the wait; a row whose offer is busy\n"
    "with an earlier change (409) is sent again after the other rows, up to 3 times. The last\n"
    "line adds the descriptions sent, the rows without changes (when there are any) and the\n"
    "ones that failed. Ctrl+C stops after the request under way (a reading or an upload at\n"
    "once) and names the rows whose descriptions were not sent. Sign in first with licytek-cli\n"
    "allegro login.\n"
    "\n"
    "Every batch accepts the columns of a new offer's data (\"kategoria\", \"ean\", \"cena\",\n"
    "\"parametr: NAME\", ...; see licytek-cli allegro create --help) and ignores them unless\n"
    "it creates offers, so one sheet serves every job. With --create, each row whose files\n"
    "are written creates a new offer on Allegro from the row's form and offer data, as\n"
    "allegro create does: a draft, unless --activate. One line a row: FILE:ROW: szkic ID\n"
    "utworzony (N uwag), with N the gaps Allegro still sees in the draft; FILE:ROW: oferta ID\n"
    "wystawiona; or the row's error. A bad value fails its row alone (FILE:ROW:COLUMN:\n"
    "message) and the next rows go on. Each offer carries its signature (\"sygnatura\", else\n"
    "one made from the title, the EAN or product, the category and \"plik\"): a row whose\n"
    "offer Allegro already has says so and creates nothing, so a repeated run never lists an\n"
    "item twice; two identical items need signatures of their own. A row with a number in\n"
    "\"oferta\" is not created either. The seller's lists, the categories' parameters and\n"
    "each distinct EAN are read once for the whole run. After the run, NAME.oferty.csv\n"
    "beside OFFERS (never over it) is OFFERS with the offers' numbers in \"oferta\", ready for\n"
    "a later --publish. The last line adds the drafts created, the offers activated, those\n"
    "already on Allegro and the rows that failed. --create reads a sheet (CSV, .xlsx, .ods),\n"
    "not JSON lines.\n"
    "\n"
    "Options:\n"
    "  --project FILE     start every row from the inputs saved in the project file FILE\n"
    "  --form FORM.json   then apply the JSON form FORM.json\n"
    "  --format FORMAT    classic (the default), allegro, or both\n"
    "  --utf8             write the classic pages as UTF-8 instead of Windows-1250\n"
    "  --overwrite        replace regular files that exist (otherwise such a row is an\n"
    "                     error); a symbolic link in FOLDER is never written through, and\n"
    "                     a row that fails leaves the files it would have replaced\n"
    "  --stop-on-error    stop at the first row with an error\n"
    "  --encoding ENC     read OFFERS.csv as utf-8 or windows-1250 whatever its bytes\n"
    "  --out FOLDER       the folder for the files, created if missing\n"
    "  --publish          send each row's description to the offer of its \"oferta\" cell\n"
    "  --create           create each row's new offer on Allegro (not with --publish)\n"
    "  --activate         with --create: activate each draft unless Allegro finds gaps in\n"
    "                     it (needs \"faktura\")\n"
    "  --sandbox          send to Allegro's sandbox instead of allegro.pl\n"
    "  --dry-run          with --publish: read the offers and write each row's update body\n"
    "                     as FOLDER/NAME.allegro-update.json with its files; with --create:\n"
    "                     make only the look-ups and write FOLDER/NAME.allegro-create.json;\n"
    "                     send nothing\n"
    "  -h, --help         show this help\n"
    "\n"
    "Exit status: 0 every row written (and sent or created); 1 a row failed, a description\n"
    "was not sent, an offer not created, or a file could not be read or written; 2 wrong\n"
    "usage (--create with --publish too), a wrong template, OFFERS\n"
    "in no format above, or a build without Allegro keys; 3 not signed in to Allegro, or the\n"
    "session expired; 4 Allegro did not answer 3 rows in a row, and the sending stopped;\n"
    "128 + the signal when interrupted.\n";

constexpr std::string_view kHelpCommand = "batch ";

struct BatchArguments {
    bool help = false;
    FormSource source;
    std::string offers;
    batch::BatchOptions options;
    bool outGiven = false;
    bool publish = false;
    bool create = false;
    bool activate = false;
    bool sandbox = false;
    bool dryRun = false;
};

std::optional<Failure> TakeValueOption(std::string_view name, const std::string& value,
                                       BatchArguments& parsed) {
    using batch::InputEncoding;
    using batch::OutputFormat;
    if (name == "--project") {
        parsed.source.project = value;
    } else if (name == "--form") {
        parsed.source.form = value;
    } else if (name == "--out") {
        parsed.options.outFolder = value;
        parsed.outGiven = true;
    } else if (name == "--format" &&
               (value == "classic" || value == "allegro" || value == "both")) {
        parsed.options.format = value == "classic"   ? OutputFormat::Classic
                                : value == "allegro" ? OutputFormat::Allegro
                                                     : OutputFormat::Both;
    } else if (name == "--encoding" && (value == "utf-8" || value == "windows-1250")) {
        parsed.options.encoding = value == "utf-8" ? InputEncoding::Utf8 : InputEncoding::Cp1250;
    } else {
        return UsageFailure("błędna wartość " + std::string(name) + ": " + value, kHelpCommand);
    }
    return std::nullopt;
}

std::variant<bool, Failure> TakeOption(std::span<const std::string_view> args, std::size_t& index,
                                       BatchArguments& parsed) {
    const std::string_view arg = args[index];
    if (arg == "--publish" || arg == "--sandbox" || arg == "--dry-run") {
        (arg == "--publish"   ? parsed.publish
         : arg == "--sandbox" ? parsed.sandbox
                              : parsed.dryRun) = true;
        return true;
    }
    if (arg == "--create" || arg == "--activate") {
        (arg == "--create" ? parsed.create : parsed.activate) = true;
        return true;
    }
    if (arg == "--utf8" || arg == "--overwrite" || arg == "--stop-on-error") {
        (arg == "--utf8"        ? parsed.options.utf8
         : arg == "--overwrite" ? parsed.options.overwrite
                                : parsed.options.stopOnError) = true;
        return true;
    }
    for (const std::string_view name : {"--project", "--form", "--format", "--encoding", "--out"}) {
        auto value = OptionValue(args, index, name, kHelpCommand);
        if (auto* failure = std::get_if<Failure>(&value)) {
            return std::move(*failure);
        }
        if (const auto& given = std::get<std::optional<std::string>>(value)) {
            if (auto failure = TakeValueOption(name, *given, parsed)) {
                return std::move(*failure);
            }
            return true;
        }
    }
    return false;
}

std::variant<BatchArguments, Failure> ParseBatchArguments(std::span<const std::string_view> args) {
    BatchArguments parsed;
    const auto takeOption = [&](std::size_t& index) { return TakeOption(args, index, parsed); };
    const auto takeOperand = [&](std::string_view operand) -> std::optional<Failure> {
        if (!parsed.offers.empty()) {
            return UsageFailure("więcej niż jeden plik ofert: " + std::string(operand),
                                kHelpCommand);
        }
        parsed.offers = std::string(operand);
        return std::nullopt;
    };
    if (auto failure = WalkArguments(args, kHelpCommand, parsed.help, takeOption, takeOperand)) {
        return *failure;
    }
    if (!parsed.help && (parsed.offers.empty() || !parsed.outGiven)) {
        return UsageFailure("batch wymaga OFFERS.csv albo OFFERS.jsonl i --out FOLDER",
                            kHelpCommand);
    }
    if (!parsed.help && parsed.publish && parsed.create) {
        return UsageFailure(
            "--create i --publish to osobne przebiegi: najpierw --create, potem --publish z "
            "arkuszem, który ono zapisze (NAZWA.oferty.csv)",
            kHelpCommand);
    }
    if (!parsed.help && !parsed.publish && !parsed.create && (parsed.sandbox || parsed.dryRun)) {
        return UsageFailure(std::string(parsed.sandbox ? "--sandbox" : "--dry-run") +
                                " działa tylko z --publish albo --create",
                            kHelpCommand);
    }
    if (!parsed.help && parsed.activate && !parsed.create) {
        return UsageFailure("--activate działa tylko z --create", kHelpCommand);
    }
    if (!parsed.help && parsed.options.outFolder.empty()) {
        // An empty name is a mistake of the script, such as an unset variable, not ".".
        return UsageFailure("--out wymaga nazwy folderu, nie pustej", kHelpCommand);
    }
    return parsed;
}

// ---- Ctrl+C -----------------------------------------------------------------------------

std::atomic<bool> gCancel{false};
volatile sig_atomic_t gSignal = 0;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void CancelOnSignal(int signal) {
    gSignal = signal;
    gCancel.store(true);
}

// Turns SIGINT and SIGTERM into the batch's cancel flag while it runs. A second signal ends
// the tool at once, as it would have without the batch.
class CancelOnSignals {
  public:
    CancelOnSignals() {
        struct sigaction action {};
        action.sa_handler = CancelOnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = static_cast<int>(SA_RESTART | SA_RESETHAND);
        sigaction(SIGINT, &action, &oldInterrupt_);
        sigaction(SIGTERM, &action, &oldTerminate_);
    }
    ~CancelOnSignals() {
        sigaction(SIGINT, &oldInterrupt_, nullptr);
        sigaction(SIGTERM, &oldTerminate_, nullptr);
    }
    CancelOnSignals(const CancelOnSignals&) = delete;
    CancelOnSignals& operator=(const CancelOnSignals&) = delete;

  private:
    struct sigaction oldInterrupt_ {};
    struct sigaction oldTerminate_ {};
};

// ---- Progress ---------------------------------------------------------------------------

// The progress line on a terminal's standard error, redrawn in place a few times a second.
class ProgressLine {
  public:
    ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}

    void Update(const batch::BatchProgress& progress) {
        const auto now = Clock::now();
        if (!shown_ || now - lastDrawn_ < std::chrono::milliseconds(100)) {
            return;
        }
        lastDrawn_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(progress.rowsDone) / seconds : 0;
        // Appended piece by piece: GCC 12 misreads a literal plus a string here (-Wrestrict).
        std::string line = "\r";
        line += progress.rowsTotal
                    ? CountOutOf(progress.rowsDone, *progress.rowsTotal, "wiersza", "wierszy")
                    : CountedNoun(progress.rowsDone, "wiersz", "wiersze", "wierszy");
        line += ", " + std::to_string(static_cast<long long>(rate)) + " na sekundę";
        if (sending_) {
            line += ", wysłano " + std::to_string(progress.sent);
        }
        line += "\x1b[K";
        std::fputs(line.c_str(), stderr);
        drawn_ = true;
    }
    void ShowSending() { sending_ = true; }
    // A wait of the whole run (Allegro limits the requests), shown at once: on a terminal in
    // the progress line, elsewhere as a line of its own.
    void Waiting(long long seconds, const std::string& why) {
        const std::string text = "czekam " + std::to_string(seconds) + " s: " + why;
        if (!shown_) {
            WriteDiagnostic(text);
            return;
        }
        std::fputs(("\r" + text + "\x1b[K").c_str(), stderr);
        drawn_ = true;
        lastDrawn_ = Clock::now();
    }
    // Takes the progress off its line so that a message can have it.
    void Clear() {
        if (drawn_) {
            std::fputs("\r\x1b[K", stderr);
            drawn_ = false;
        }
    }

  private:
    using Clock = std::chrono::steady_clock;
    bool shown_;
    bool drawn_ = false;
    bool sending_ = false;
    Clock::time_point start_;
    Clock::time_point lastDrawn_{};
};

void PrintLine(ProgressLine& progress, const std::string& line) {
    progress.Clear();
    std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

std::optional<Failure> RunBatchCommand(std::span<const std::string_view> args) {
    auto parsedArgs = ParseBatchArguments(args);
    if (auto* failure = std::get_if<Failure>(&parsedArgs)) {
        return *failure;
    }
    const auto& parsed = std::get<BatchArguments>(parsedArgs);
    if (parsed.help) {
        return WriteToStandardOutput(kBatchHelp);
    }
    AuctionForm templateForm;
    std::string sellerId;
    // The template: the defaults, the project's inputs, then the JSON form; never standard
    // input, since the offers may come from there.
    if (auto failure = LoadFormFrom(parsed.source, templateForm, sellerId, false)) {
        return failure;
    }
    ProgressLine progress;
    batch::BatchOptions options = parsed.options;
    // One session, so one kept-alive connection, for the whole run.
    std::optional<publish::SessionParts> session;
    std::optional<batch::AllegroSender> sender;
    std::optional<publish::OfferCatalogue> catalogue;
    std::optional<batch::AllegroCreator> creator;
    if (parsed.publish || parsed.create) {
        auto opened = publish::OpenSession(parsed.sandbox);
        if (auto* failure = std::get_if<publish::Failure>(&opened)) {
            return Failure{static_cast<int>(failure->outcome), publish::FullMessage(*failure)};
        }
        session = std::get<publish::SessionParts>(std::move(opened));
        for (const std::string& notice : session->tokens->TakeNotices()) {
            WriteDiagnostic(std::string(kWarning) + notice);
        }
        auto stored = session->tokens->Read(session->endpoints.StoreName());
        if (auto* problem = std::get_if<std::string>(&stored)) {
            return Failure{static_cast<int>(publish::Outcome::Refused), *problem};
        }
        if (!std::get<std::optional<publish::Tokens>>(stored)) {
            return Failure{
                static_cast<int>(publish::Outcome::SignedOut),
                "Nie jesteś zalogowany do Allegro. " + std::string(publish::kSignInAgain)};
        }
        publish::PublishOptions publishOptions;
        publishOptions.dryRun = parsed.dryRun;
        if (parsed.source.project) {
            publishOptions.projectFolder = FolderOf(*parsed.source.project);
        }
        publish::PublishObserver publishObserver;
        publishObserver.waiting = [&progress](publish::Seconds seconds, const std::string& why) {
            progress.Waiting(seconds, why);
        };
        if (parsed.create) {
            // One catalogue for the run: each list read once, each EAN searched once.
            catalogue.emplace(*session->session, publish::CacheFolder());
            publish::CreateOptions createOptions;
            createOptions.activate = parsed.activate;
            createOptions.dryRun = parsed.dryRun;
            createOptions.projectFolder = publishOptions.projectFolder;
            creator.emplace(*catalogue, createOptions, publishObserver);
            options.creator = &*creator;
        } else {
            auto runSettings = publish::ChooseRunSettings();
            if (auto* message = std::get_if<std::string>(&runSettings)) {
                return Failure{static_cast<int>(publish::Outcome::BadUse), *message};
            }
            sender.emplace(*session->session, publish::SystemClock(), publishOptions,
                           publishObserver);
            sender->RunInParallel(std::get<publish::RunSettings>(std::move(runSettings)));
            options.sender = &*sender;
            progress.ShowSending();
        }
        options.dryRun = parsed.dryRun;
    }
    batch::BatchObserver observer;
    observer.progress = [&progress](const batch::BatchProgress& now) { progress.Update(now); };
    observer.rowError = [&progress](const std::string& line) { PrintLine(progress, line); };
    observer.warning = [&progress](const std::string& line) { PrintLine(progress, line); };
    observer.sent = [&progress](const std::string& line) { PrintLine(progress, line); };
    observer.cancel = &gCancel;
    gCancel.store(false);
    batch::BatchSummary summary;
    {
        CancelOnSignals signals;
        summary = batch::RunBatch(parsed.offers, templateForm, sellerId, options, observer);
    }
    progress.Clear();
    if (summary.fatal && summary.written + summary.failed == 0) {
        return Failure{summary.unreadableInput ? kExitInputError : kExitFileError, *summary.fatal};
    }
    if (summary.fatal) {
        WriteDiagnostic(*summary.fatal);
    }
    std::fprintf(stderr, "%s\n", summary.Line().c_str());
    if (!summary.offersSheet.empty()) {
        WriteDiagnostic("Numery ofert zapisano w " + summary.offersSheet + ".");
    }
    if (summary.cancelled) {
        return Failure{128 + gSignal, ""};
    }
    if (sender && sender->StoppedBy()) {
        return Failure{static_cast<int>(*sender->StoppedBy()), ""};  // the row said why
    }
    if (creator && creator->StoppedBy()) {
        return Failure{static_cast<int>(*creator->StoppedBy()), ""};
    }
    if (summary.failed > 0 || summary.sendFailed > 0 || summary.createFailed > 0 || summary.fatal) {
        return Failure{kExitFileError, ""};  // the rows have said what went wrong
    }
    return std::nullopt;
}

}  // namespace licytek::cli
