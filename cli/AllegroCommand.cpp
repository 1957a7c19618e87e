// licytek-cli allegro login|logout|offers|publish|pull: the command-line face of publish/.
// The commands of new offers live in AllegroCreateCommand.cpp.
#include "cli/AllegroShared.h"
#include "cli/CommandSupport.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <variant>

#include "batch/AllegroPuller.h"
#include "formjson/FormJson.h"
#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "model/ProjectFile.h"
#include "model/TerminalText.h"
#include "model/Utf8.h"
#include "publish/AllegroSession.h"
#include "publish/PullOffers.h"

namespace licytek::cli {
namespace {

namespace pub = licytek::publish;

constexpr std::string_view kAllegroHelp =
    "Usage: licytek-cli allegro login [--sandbox]\n"
    "       licytek-cli allegro logout [--sandbox]\n"
    "       licytek-cli allegro offers [--sandbox] [--status active|inactive|ended]\n"
    "                                  [--name TEXT] [--json]\n"
    "       licytek-cli allegro publish OFFER_ID [--sandbox] [--title] [--with-terms]\n"
    "                                  [--dry-run] [--project FILE] [FORM.json | -]\n"
    "       licytek-cli allegro pull OFFER_ID [--sandbox] [--project FILE]\n"
    "       licytek-cli allegro pull --all [--sandbox] [--status active|inactive|ended]\n"
    "                                  [--name TEXT] --out OFFERS.csv|OFFERS.jsonl\n"
    "       licytek-cli allegro settings|categories|parameters|products|create ...\n"
    "                                  new offers: see licytek-cli allegro create --help\n"
    "\n"
    "login    signs in through Allegro's own page: prints \"Otwórz stronę ADRES i potwierdź\n"
    "         kod KOD\", waits while the seller confirms, and prints \"Zalogowano jako LOGIN\".\n"
    "         The tokens go to the desktop's keyring, or, where there is none, to\n"
    "         $XDG_CONFIG_HOME/licytek/allegro.json (readable by the seller alone).\n"
    "logout   forgets the tokens (exit status 1, saying why, when it cannot).\n"
    "offers   prints every offer of the seller, one a line: ID<TAB>STATUS<TAB>TITLE, or one\n"
    "         JSON object a line with --json.\n"
    "publish  sends the form's structured description (as export allegro makes it) into\n"
    "         the offer OFFER_ID: uploads its pictures (files from the disk, relative to the\n"
    "         project file's folder, and web addresses), adds them to the offer's gallery\n"
    "         after the pictures it has, replaces the description, and reads the offer back.\n"
    "         It first prints what will change. The last line is\n"
    "         \"Oferta ID: opis zaktualizowany — ADDRESS\", or \"Oferta ID: bez zmian — ...\"\n"
    "         when the offer already shows this description, title and gallery: then\n"
    "         nothing is sent. With --title, a title under 12 characters, of fewer than 3\n"
    "         words or with a word over 30 characters is refused before anything is sent.\n"
    "pull     reads the offer OFFER_ID into a form: its title becomes the auction header\n"
    "         (Edit2) and its description the item description (Memo1), as markup that\n"
    "         export allegro turns back into the same description. It prints the form as\n"
    "         JSON, as project load does, or with --project writes the project file FILE.\n"
    "         Characters that Windows-1250 lacks stay in the title and the markup as\n"
    "         &#NNNN;, which the page shows and export allegro turns back. A description\n"
    "         that does not begin with the title as its heading gets the first line\n"
    "         <!-- bez nagłówka -->, so that sending it back adds no heading. A text\n"
    "         longer than its place in the project file is refused, naming the offer.\n"
    "pull --all  reads every offer (or those --status and --name choose) into one sheet\n"
    "         with the columns \"plik\", \"oferta\", \"Nagłówek aukcji\" and \"Opis\n"
    "         przedmiotu\". OFFERS.csv, which batch reads back as it is, is UTF-8 with a\n"
    "         byte-order mark, ';' and CR LF, as a Polish spreadsheet opens it; OFFERS.jsonl\n"
    "         holds one object a line with \"plik\", \"oferta\", \"Edit2\" and \"Memo1\".\n"
    "         Both hold characters such as \"m²\" as themselves, not as &#NNNN;.\n"
    "         \"plik\" is made from the title (ASCII letters and digits, unique). Progress\n"
    "         (\"120 z 340 ofert\") goes to standard error; an offer that cannot be read is\n"
    "         reported with its number and the rest go on (exit status 1 at the end). The\n"
    "         file is written whole at the end, or not at all.\n"
    "\n"
    "Options:\n"
    "  --sandbox       use Allegro's sandbox instead of allegro.pl\n"
    "  --status S      only offers that are active, inactive or ended (offers, pull --all)\n"
    "  --name TEXT     only offers whose title holds TEXT\n"
    "  --json          one JSON object a line: {\"id\", \"status\", \"name\", \"primaryImage\"}\n"
    "  --title         also set the offer's title to the form's auction header\n"
    "  --with-terms    add the auction terms and the shipping costs as two more sections\n"
    "  --dry-run       read the offer and print the update's JSON body on standard output\n"
    "                  (what will change goes to standard error); send and upload nothing.\n"
    "                  Pictures not yet on Allegro stand there under their own address.\n"
    "  --project FILE  publish: start from the inputs saved in the project file FILE;\n"
    "                  pull: write the offer into the project file FILE\n"
    "  --all           pull every offer of the seller into one sheet\n"
    "  --out FILE      the sheet pull --all writes: a .csv or a .jsonl file\n"
    "  -h, --help      show this help\n"
    "\n"
    "Environment: LICYTEK_ALLEGRO_URL (one base address in place of Allegro's three hosts,\n"
    "plain http:// only to 127.0.0.1, ::1 and localhost), LICYTEK_ALLEGRO_TIMEOUT (seconds a\n"
    "transfer may take, 30), LICYTEK_ALLEGRO_CLIENT_ID and LICYTEK_ALLEGRO_CLIENT_SECRET (and\n"
    "the _SANDBOX_ pair) in place of the keys built in.\n"
    "\n"
    "Text from Allegro (titles, the login, its messages) is printed with control characters\n"
    "shown escaped (\\x1B, U+202E), never raw. A wait that Allegro asks for (Retry-After) is\n"
    "shown and lasts 5 minutes at most; a change Allegro accepted but has not applied after\n"
    "10 minutes is no longer waited for. Pictures that Allegro names must be https://\n"
    "addresses: an offer with any other (a file:// address, a path) is refused.\n"
    "\n"
    "Ctrl+C ends a wait, a reading or a picture upload within a second and says what was and\n"
    "was not sent. A change whose data went out is let finish; when its answer never comes,\n"
    "the message says \"nie wiadomo, czy zmiana dotarła do Allegro\", and the next publish\n"
    "reads the offer first, as it always does.\n"
    "\n"
    "Exit status: 0 done; 1 refused by Allegro or by a limit (the message names the offer,\n"
    "the section and item, Allegro's message and the Trace-Id), or a file could not be read;\n"
    "2 wrong usage or no keys; 3 not signed in, or the session expired; 4 no answer from\n"
    "Allegro after the retries; 130 stopped with Ctrl+C.\n";

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
}

// Ctrl+C sets a flag that the session checks at its safe points, while this lives.
class InterruptGuard {
  public:
    InterruptGuard() {
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    struct sigaction previous_ {};
};

int StatusOf(const pub::Failure& failure) {
    if (failure.cancelled) {
        return kExitInterrupted;
    }
    return static_cast<int>(failure.outcome);
}

Failure ToFailure(const pub::Failure& failure) {
    return Failure{StatusOf(failure), pub::FullMessage(failure)};
}

// A line of the program's own words around text from Allegro, which reaches the terminal
// escaped: an answer may hold ESC sequences, NUL or bidirectional overrides.
void WriteLine(const std::string& line) {
    std::fprintf(stdout, "%s\n", VisibleText(line).c_str());
    std::fflush(stdout);
}

// Options every allegro command takes.
struct Common {
    bool help = false;
    bool sandbox = false;
};

std::variant<pub::SessionParts, Failure> Open(bool sandbox) {
    auto parts = pub::OpenSession(sandbox);
    if (auto* failure = std::get_if<pub::Failure>(&parts)) {
        return ToFailure(*failure);
    }
    for (const std::string& notice : std::get<pub::SessionParts>(parts).tokens->TakeNotices()) {
        WriteDiagnostic(std::string(kWarning) + notice);
    }
    return std::get<pub::SessionParts>(std::move(parts));
}

std::string TimeLeft(pub::Seconds seconds) {
    const pub::Seconds minutes = seconds / 60;
    const pub::Seconds rest = seconds % 60;
    return std::to_string(minutes) + ":" + (rest < 10 ? "0" : "") + std::to_string(rest);
}

// ---- login / logout ----

std::optional<Failure> Login(const Common& common) {
    auto opened = Open(common.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& parts = std::get<pub::SessionParts>(opened);
    // A place that cannot keep the tokens is told before the seller confirms a code for it.
    auto stored = parts.tokens->Read(parts.endpoints.StoreName());
    if (auto* problem = std::get_if<std::string>(&stored)) {
        return Failure{static_cast<int>(pub::Outcome::Refused), *problem};
    }
    InterruptGuard guard;
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    bool first = true;
    pub::Seconds lastMinute = -1;
    const auto shown = [&](const pub::DeviceFlow& flow) {
        const pub::Seconds left = flow.SecondsLeft(pub::SystemClock().Now());
        if (first) {
            first = false;
            WriteLine("Otwórz stronę " + flow.code().verificationAddress + " i potwierdź kod " +
                      pub::GroupUserCode(flow.code().userCode));
        }
        if (terminal) {
            std::fprintf(stderr, "\rZostało %s na potwierdzenie kodu ", TimeLeft(left).c_str());
        } else if (left / 60 != lastMinute) {
            lastMinute = left / 60;
            WriteDiagnostic("zostało " + TimeLeft(left) + " na potwierdzenie kodu");
        }
    };
    auto account = parts.session->SignIn(shown, &interrupted);
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (auto* failure = std::get_if<pub::Failure>(&account)) {
        return ToFailure(*failure);
    }
    if (auto warning = parts.tokens->Warning()) {
        WriteDiagnostic(std::string(kWarning) + *warning);
    }
    WriteLine("Zalogowano jako " + std::get<pub::Account>(account).login);
    return std::nullopt;
}

std::optional<Failure> Logout(const Common& common) {
    auto opened = Open(common.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& parts = std::get<pub::SessionParts>(opened);
    if (auto failure = parts.session->SignOut()) {
        return ToFailure(*failure);
    }
    WriteLine("Wylogowano: program zapomniał dane logowania do Allegro (" + parts.tokens->Where() +
              ").");
    WriteLine("Dostęp programu do konta możesz też odebrać na stronie " + parts.endpoints.site +
              ", w ustawieniach konta, wśród aplikacji powiązanych z kontem.");
    return std::nullopt;
}

// ---- offers ----

// A cell of a line of columns: one line, with no tab of its own, shown as VisibleText does.
std::string Cell(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return VisibleText(text);
}

// JSON as the library writes it, with the characters it leaves raw that a terminal would act
// on (DEL, C1 controls, bidirectional overrides) written as \u escapes: the same values.
std::string TerminalSafeJson(const std::string& json) {
    std::string safe;
    safe.reserve(json.size());
    for (std::size_t at = 0; at < json.size();) {
        char32_t c = static_cast<unsigned char>(json[at]);
        const std::size_t length = c < 0x80 ? 1 : ReadUtf8(std::string_view(json).substr(at), c);
        if (length > 0 && IsInvisibleControl(c)) {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            safe += escape;
        } else {
            safe.append(json, at, std::max<std::size_t>(length, 1));
        }
        at += std::max<std::size_t>(length, 1);
    }
    return safe;
}

std::string OfferLine(const pub::OfferSummary& offer, bool json) {
    if (json) {
        return TerminalSafeJson(nlohmann::json{
            {"id", offer.id},
            {"status", offer.status},
            {"name", offer.name},
            {"primaryImage",
             offer.primaryImage}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
    return offer.id + "\t" + Cell(offer.status) + "\t" + Cell(offer.name);
}

pub::PublishObserver WaitsShown() {
    pub::PublishObserver observer;
    observer.waiting = [](pub::Seconds seconds, const std::string& why) {
        WriteDiagnostic("czekam " + std::to_string(seconds) + " s: " + why);
    };
    return observer;
}

std::optional<Failure> Offers(const Common& common, const pub::OfferQuery& first, bool json) {
    auto opened = Open(common.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& parts = std::get<pub::SessionParts>(opened);
    InterruptGuard guard;
    const pub::PublishObserver observer = WaitsShown();
    pub::OfferPages pages(first);
    bool unusable = false;
    while (const auto query = pages.Next()) {
        if (interrupted.load()) {
            return Failure{kExitInterrupted, "Przerwano."};
        }
        auto page = parts.session->ListOffers(*query, &observer, &interrupted);
        if (auto* failure = std::get_if<pub::Failure>(&page)) {
            return failure->cancelled ? Failure{kExitInterrupted, "Przerwano."}
                                      : ToFailure(*failure);
        }
        auto& listed = std::get<pub::OfferPage>(page);
        for (const std::string& problem : listed.problems) {
            WriteDiagnostic(problem);
            unusable = true;
        }
        std::string lines;
        for (const pub::OfferSummary& offer : pages.Take(std::move(listed))) {
            lines += OfferLine(offer, json) + "\n";
        }
        if (auto failure = WriteToStandardOutput(lines)) {
            return failure;
        }
    }
    if (pages.Cut()) {
        WriteDiagnostic(std::string(kWarning) + pages.CutMessage());
    }
    if (unusable) {
        return Failure{static_cast<int>(pub::Outcome::Refused), ""};  // each one was told
    }
    return std::nullopt;
}

// ---- publish ----

void PrintPlan(const pub::PublishPlan& plan, bool title, bool toStandardError) {
    std::string text;
    if (title) {
        text +=
            "Tytuł: „" + VisibleText(plan.oldTitle) + "” → „" + VisibleText(plan.newTitle) + "”\n";
    }
    text += "Sekcje opisu: " + std::to_string(plan.sectionsBefore) + " → " +
            std::to_string(plan.sectionsAfter) + "\n";
    text += "Zdjęcia w ofercie: " + std::to_string(plan.picturesBefore) + " → " +
            std::to_string(plan.picturesAfter) + "\n";
    text +=
        "Rozmiar zmiany: " + GroupedCountedNoun(plan.bodyBytes, "bajt", "bajty", "bajtów") + "\n";
    std::fputs(text.c_str(), toStandardError ? stderr : stdout);
    std::fflush(toStandardError ? stderr : stdout);
}

struct PublishArguments {
    Common common;
    std::string offerId;
    pub::PublishOptions options;
    FormSource source;
};

std::optional<Failure> Publish(const PublishArguments& arguments) {
    if (arguments.offerId.empty()) {
        return UsageFailure("allegro publish wymaga OFFER_ID", "allegro ");
    }
    AuctionForm form;
    std::string ignoredSellerId;
    if (auto failure = LoadFormFrom(arguments.source, form, ignoredSellerId)) {
        return failure;
    }
    auto opened = Open(arguments.common.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& parts = std::get<pub::SessionParts>(opened);
    pub::PublishOptions options = arguments.options;
    if (arguments.source.project) {
        options.projectFolder = FolderOf(*arguments.source.project);
    }
    pub::PublishObserver observer = WaitsShown();
    observer.planned = [&](const pub::PublishPlan& plan) {
        PrintPlan(plan, options.title, options.dryRun);
    };
    observer.progress = [](std::size_t step, std::size_t steps, const std::string& what) {
        WriteDiagnostic(std::to_string(step) + " z " + std::to_string(steps) + ": " + what);
    };
    InterruptGuard guard;
    const pub::PublishResult result =
        parts.session->Publish(arguments.offerId, form, options, observer, &interrupted);
    ReportFindings(result.findings);
    for (const std::string& warning : result.warnings) {
        WriteDiagnostic(std::string(kWarning) + warning);
    }
    if (result.outcome != pub::Outcome::Done) {
        pub::Failure failure{result.outcome, result.message, result.traceId};
        failure.cancelled = result.failure && result.failure->kind == pub::FailureKind::Cancelled;
        return ToFailure(failure);
    }
    if (options.dryRun && !result.unchanged) {
        return WriteToStandardOutput(result.body + "\n");
    }
    return WriteToStandardOutput(VisibleText(result.message) + "\n");
}

// ---- pull ----

struct PullArguments {
    Common common;
    std::string offerId;
    bool all = false;
    pub::OfferQuery filter;
    std::optional<std::string> out;
    std::optional<std::string> project;
};

std::optional<Failure> PullOne(const PullArguments& arguments) {
    auto opened = Open(arguments.common.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& parts = std::get<pub::SessionParts>(opened);
    InterruptGuard guard;
    const pub::PublishObserver observer = WaitsShown();
    auto pulled = pub::PullOneOffer(*parts.session, arguments.offerId, &observer, &interrupted);
    if (auto* failure = std::get_if<pub::Failure>(&pulled)) {
        return failure->cancelled ? Failure{kExitInterrupted, "Przerwano."} : ToFailure(*failure);
    }
    AuctionForm form;
    structured::PutIntoForm(std::get<structured::PulledOffer>(pulled), form);
    if (!arguments.project) {
        return WriteToStandardOutput(FormToJson(form, ProjectFields()) + "\n");
    }
    auto saved = SaveProject(form, *arguments.project);
    if (auto* error = std::get_if<FileError>(&saved)) {
        return FileFailure(*arguments.project, *error);
    }
    if (auto* refusal = std::get_if<SlotOverflow>(&saved)) {
        const std::string refused = "Oferta " + arguments.offerId + ": " + refusal->Message();
        return Failure{static_cast<int>(pub::Outcome::Refused),
                       refused + " Nic nie zostało zapisane."};
    }
    return WriteToStandardOutput("Oferta " + arguments.offerId + " zapisana w pliku " +
                                 *arguments.project + "\n");
}

// Progress on standard error: one line rewritten on a terminal, else a line now and then.
class PullProgress {
  public:
    void Show(std::size_t done, std::size_t total) {
        const std::string line = pub::PullProgressLine(done, total);
        if (terminal_) {
            std::fprintf(stderr, "\r%s ", line.c_str());
            std::fflush(stderr);
            open_ = done < total;
            if (!open_) {
                std::fprintf(stderr, "\n");
            }
        } else if (done % kEvery == 0 || done == total) {
            WriteDiagnostic(line);
        }
    }
    // Before any other line, so that it does not land in the middle of the progress.
    void Interrupt() {
        if (open_) {
            std::fprintf(stderr, "\n");
            open_ = false;
        }
    }

  private:
    static constexpr std::size_t kEvery = 50;
    bool terminal_ = ::isatty(STDERR_FILENO) == 1;
    bool open_ = false;
};

std::optional<Failure> PullAll(const PullArguments& arguments) {
    const auto kind = batch::SheetKindOf(*arguments.out);
    auto opened = Open(arguments.common.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& parts = std::get<pub::SessionParts>(opened);
    InterruptGuard guard;
    PullProgress progress;
    pub::PullAllObserver observer;
    observer.progress = [&](std::size_t done, std::size_t total) { progress.Show(done, total); };
    observer.failed = [&](const std::string& message) {
        progress.Interrupt();
        WriteDiagnostic(message);
    };
    observer.warning = [&](const std::string& message) {
        progress.Interrupt();
        WriteDiagnostic(std::string(kWarning) + message);
    };
    observer.waiting = [&](pub::Seconds seconds, const std::string& why) {
        progress.Interrupt();
        WriteDiagnostic("czekam " + std::to_string(seconds) + " s: " + why);
    };
    auto run = pub::ChooseRunSettings();
    if (auto* message = std::get_if<std::string>(&run)) {
        return Failure{static_cast<int>(pub::Outcome::BadUse), *message};
    }
    const pub::PullAllResult result =
        batch::PullAllToSheet(*parts.session, arguments.filter, *arguments.out, *kind, observer,
                              &interrupted, std::get<pub::RunSettings>(run));
    progress.Interrupt();
    if (result.stopped) {
        return ToFailure(*result.stopped);
    }
    const std::string summary = batch::PullSummaryLine(result, *arguments.out);
    if (auto failure = WriteToStandardOutput(summary + "\n")) {
        return failure;
    }
    if (result.failed > 0) {
        return Failure{static_cast<int>(pub::Outcome::Refused), ""};
    }
    return std::nullopt;
}

std::optional<Failure> Pull(const PullArguments& arguments) {
    if (arguments.all) {
        if (!arguments.offerId.empty() || arguments.project) {
            return UsageFailure("allegro pull --all nie przyjmuje OFFER_ID ani --project",
                                "allegro ");
        }
        if (!arguments.out || !batch::SheetKindOf(*arguments.out)) {
            return UsageFailure(
                "allegro pull --all wymaga --out OFFERS.csv albo --out OFFERS.jsonl", "allegro ");
        }
        return PullAll(arguments);
    }
    if (arguments.out || arguments.filter.status != pub::OfferStatus::Any ||
        !arguments.filter.name.empty()) {
        return UsageFailure("--out, --status i --name działają tylko z allegro pull --all",
                            "allegro ");
    }
    if (arguments.offerId.empty()) {
        return UsageFailure("allegro pull wymaga OFFER_ID albo --all", "allegro ");
    }
    if (arguments.offerId.find_first_not_of("0123456789") != std::string::npos) {
        return UsageFailure("OFFER_ID to numer oferty, nie " + arguments.offerId, "allegro ");
    }
    return PullOne(arguments);
}

// ---- arguments ----

// "--status S" and "--name TEXT" into `query`; false for any other option.
std::variant<bool, Failure> TakeFilterOption(std::span<const std::string_view> args,
                                             std::size_t& index, pub::OfferQuery& query) {
    auto status = OptionValue(args, index, "--status", "allegro ");
    if (auto* failure = std::get_if<Failure>(&status)) {
        return std::move(*failure);
    }
    if (auto& value = std::get<std::optional<std::string>>(status)) {
        if (*value == "active") {
            query.status = pub::OfferStatus::Active;
        } else if (*value == "inactive") {
            query.status = pub::OfferStatus::Inactive;
        } else if (*value == "ended") {
            query.status = pub::OfferStatus::Ended;
        } else {
            return UsageFailure("--status przyjmuje active, inactive albo ended", "allegro ");
        }
        return true;
    }
    auto name = OptionValue(args, index, "--name", "allegro ");
    if (auto* failure = std::get_if<Failure>(&name)) {
        return std::move(*failure);
    }
    if (auto& value = std::get<std::optional<std::string>>(name)) {
        query.name = *value;
        return true;
    }
    return false;
}

// An option of allegro pull; false for one it does not know.
std::variant<bool, Failure> TakePullOption(std::span<const std::string_view> args,
                                           std::size_t& index, PullArguments& pull) {
    if (args[index] == "--all") {
        pull.all = true;
        return true;
    }
    const std::pair<std::string_view, std::optional<std::string>*> files[] = {
        {"--out", &pull.out}, {"--project", &pull.project}};
    for (const auto& [name, target] : files) {
        auto value = OptionValue(args, index, name, "allegro ");
        if (auto* failure = std::get_if<Failure>(&value)) {
            return std::move(*failure);
        }
        if (auto& given = std::get<std::optional<std::string>>(value)) {
            *target = std::move(*given);
            return true;
        }
    }
    return TakeFilterOption(args, index, pull.filter);
}

std::optional<Failure> RunAllegro(std::span<const std::string_view> args) {
    if (args.empty()) {
        return UsageFailure(
            "allegro wymaga polecenia: login, logout, offers, publish, pull, settings, "
            "categories, parameters, products albo create",
            "allegro ");
    }
    const std::string_view action = args[0];
    if (action == "--help" || action == "-h") {
        return WriteToStandardOutput(kAllegroHelp);
    }
    const auto rest = args.subspan(1);
    PublishArguments parsed;
    PullArguments pull;
    pub::OfferQuery query;
    bool json = false;
    const auto takeOption = [&](std::size_t& index) -> std::variant<bool, Failure> {
        const std::string_view arg = rest[index];
        if (arg == "--sandbox") {
            parsed.common.sandbox = true;
            return true;
        }
        if (action == "offers") {
            if (arg == "--json") {
                json = true;
                return true;
            }
            return TakeFilterOption(rest, index, query);
        }
        if (action == "pull") {
            return TakePullOption(rest, index, pull);
        }
        if (action == "publish") {
            if (arg == "--title") {
                parsed.options.title = true;
                return true;
            }
            if (arg == "--with-terms") {
                parsed.options.withTerms = true;
                return true;
            }
            if (arg == "--dry-run") {
                parsed.options.dryRun = true;
                return true;
            }
            return TakeProjectOption(rest, index, parsed.source, "allegro ");
        }
        return false;
    };
    const auto takeOperand = [&](std::string_view operand) -> std::optional<Failure> {
        if (action == "pull" && pull.offerId.empty()) {
            pull.offerId = std::string(operand);
            return std::nullopt;
        }
        if (action == "publish") {
            if (parsed.offerId.empty()) {
                parsed.offerId = std::string(operand);
                return std::nullopt;
            }
            return TakeFormOperand(operand, parsed.source, "allegro ");
        }
        return UsageFailure("nieoczekiwany argument " + std::string(operand), "allegro ");
    };
    if (IsNewOfferCommand(action)) {
        InterruptGuard guard;
        return RunNewOfferCommand(action, rest);
    }
    if (action != "login" && action != "logout" && action != "offers" && action != "publish" &&
        action != "pull") {
        return UsageFailure("nieznane polecenie allegro " + std::string(action), "allegro ");
    }
    if (auto failure =
            WalkArguments(rest, "allegro ", parsed.common.help, takeOption, takeOperand)) {
        return failure;
    }
    if (parsed.common.help) {
        return WriteToStandardOutput(action == "publish" ? std::string(kAllegroHelp) + FormHelp()
                                                         : std::string(kAllegroHelp));
    }
    if (action == "login") {
        return Login(parsed.common);
    }
    if (action == "logout") {
        return Logout(parsed.common);
    }
    if (action == "offers") {
        return Offers(parsed.common, query, json);
    }
    if (action == "pull") {
        pull.common = parsed.common;
        return Pull(pull);
    }
    if (parsed.offerId.find_first_not_of("0123456789") != std::string::npos) {
        return UsageFailure("OFFER_ID to numer oferty, nie " + parsed.offerId, "allegro ");
    }
    return Publish(parsed);
}

}  // namespace

Failure AllegroFailure(const pub::Failure& failure) {
    return ToFailure(failure);
}

std::variant<pub::SessionParts, Failure> OpenAllegroSession(bool sandbox) {
    return Open(sandbox);
}

const std::atomic<bool>* AllegroInterrupted() {
    return &interrupted;
}

std::optional<Failure> RunAllegroCommand(std::span<const std::string_view> args) {
    interrupted.store(false);
    return RunAllegro(args);
}

}  // namespace licytek::cli
