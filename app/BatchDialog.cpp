#include "app/BatchDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "app/CodePage.h"
#include "app/Desktop.h"
#include "batch/AllegroCreator.h"
#include "batch/AllegroPuller.h"
#include "batch/AllegroSender.h"
#include "batch/Batch.h"
#include "batch/InputReading.h"
#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "publish/AllegroSession.h"
#include "publish/OfferCatalogue.h"
#include "publish/OfferRun.h"
#include "publish/PullOffers.h"
#include "publish/TokenStore.h"
#include "publish/Wording.h"

namespace licytek {
namespace {

// The report keeps this many lines of each kind; a batch of thousands of bad rows still shows its
// counts, and memory stays small.
constexpr std::size_t kListedLines = 5000;
const QString kNotChosen = QStringLiteral("(nie wybrano)");

QLabel* PathLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(kNotChosen, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long path wraps
    return label;
}

// Why this build cannot send to Allegro, or nothing when it can.
std::optional<QString> WhyNoSending() {
    auto endpoints = publish::ChooseEndpoints(false);
    if (const auto* message = std::get_if<std::string>(&endpoints)) {
        return FromUtf8(*message);
    }
    if (!publish::ChooseKeys(std::get<publish::Endpoints>(endpoints))) {
        return FromUtf8(std::string(publish::kNoKeysMessage));
    }
    return std::nullopt;
}

}  // namespace

// What the worker thread and the dialog share. The worker writes, the dialog reads.
struct BatchDialog::Run {
    std::atomic<bool> cancel{false};
    std::atomic<bool> running{false};
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};  // 0 while not known
    std::atomic<std::size_t> sent{0};

    std::mutex mutex;  // guards what follows
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    std::vector<std::string> sentLines;
    std::size_t unlistedErrors = 0;
    std::size_t unlistedWarnings = 0;
    std::size_t unlistedSent = 0;
    // A wait of the whole run (Allegro limits the requests), while it lasts.
    std::string waitReason;
    std::chrono::steady_clock::time_point waitEnd;
    batch::BatchSummary summary;
    // Set when the run pulled offers or sent a trial's changes, instead of the batch.
    std::string doneLine;
    // A trial run's rows, once it has ended.
    Trial trialRun = Trial::None;
    std::vector<TrialEntry> trial;
    std::vector<CreateEntry> createTrial;
    batch::OffersSheet offersSheet;  // the sheet's rows, for the copy with the new numbers
    std::function<void(const batch::TrialRow&)> trialRow;  // the recorder's, while it runs

    void Keep(std::vector<std::string>& lines, std::size_t& unlisted, const std::string& line) {
        const std::lock_guard lock(mutex);
        if (lines.size() < kListedLines) {
            lines.push_back(line);
        } else {
            ++unlisted;
        }
    }

    void Fail(std::string message) {
        const std::lock_guard lock(mutex);
        summary.fatal = std::move(message);
    }

    // Runs on the worker thread: the batch alone, or its trial run of a send or of new offers.
    void Execute(const std::string& offers, const AuctionForm& form, const std::string& sellerId,
                 batch::BatchOptions options, Trial kind, bool sandbox) {
        if (kind == Trial::None) {
            Execute(offers, form, sellerId, options);
            return;
        }
        // One session, so one sign-in and its kept-alive connections, for the whole run.
        std::optional<publish::SessionParts> parts;
        if (auto failure = OpenSending(sandbox, parts)) {
            return Fail(std::move(*failure));
        }
        trialRun = kind;
        options.dryRun = true;  // a trial first: the confirmation sends
        if (kind == Trial::Create) {
            publish::OfferCatalogue catalogue(*parts->session, publish::CacheFolder());
            batch::AllegroCreator creator(catalogue, CreateOptions(offers, true), Waiting());
            creator.WordFor(publish::kWindowFront);
            CreateRecorder recorder(creator);
            options.creator = &recorder;
            options.offersSheet = &offersSheet;
            trialRow = [&recorder](const batch::TrialRow& row) { recorder.Told(row); };
            Execute(offers, form, sellerId, options);
            trialRow = nullptr;
            createTrial = recorder.TakeEntries();
            return;
        }
        auto sender = ParallelSender(*parts->session, FolderOf(offers), true);
        if (auto* message = std::get_if<std::string>(&sender)) {
            return Fail(std::move(*message));
        }
        TrialRecorder recorder(*std::get<std::unique_ptr<batch::AllegroSender>>(sender));
        options.sender = &recorder;
        trialRow = [&recorder](const batch::TrialRow& row) { recorder.Told(row); };
        Execute(offers, form, sellerId, options);
        trialRow = nullptr;
        trial = recorder.TakeEntries();
    }

    static publish::CreateOptions CreateOptions(const std::string& offers, bool dryRun) {
        publish::CreateOptions options;
        options.dryRun = dryRun;
        options.projectFolder = FolderOf(offers);
        return options;
    }

    // The sender of a trial run and of its confirmation: several offers at once, as many as
    // LICYTEK_ALLEGRO_PARALLEL says, failures in the window's words. The message when the
    // setting is wrong.
    std::variant<std::unique_ptr<batch::AllegroSender>, std::string> ParallelSender(
        publish::AllegroSession& session, const std::string& projectFolder, bool dryRun) {
        auto settings = publish::ChooseRunSettings();
        if (auto* message = std::get_if<std::string>(&settings)) {
            return std::move(*message);
        }
        publish::PublishOptions options;
        options.projectFolder = projectFolder;
        options.dryRun = dryRun;
        auto sender = std::make_unique<batch::AllegroSender>(session, publish::SystemClock(),
                                                             options, Waiting());
        sender->RunInParallel(std::get<publish::RunSettings>(std::move(settings)));
        sender->WordFor(publish::kWindowFront);
        return sender;
    }

    // Tells the progress of every wait of the whole run (Allegro limits the requests).
    publish::PublishObserver Waiting() {
        publish::PublishObserver observer;
        observer.waiting = [this](publish::Seconds seconds, const std::string& why) {
            const std::lock_guard lock(mutex);
            waitReason = why;
            waitEnd = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        };
        return observer;
    }

    struct SendCounts {
        std::size_t sent = 0;
        std::size_t unchanged = 0;
        std::size_t failed = 0;
        std::size_t notSent = 0;
        std::size_t existing = 0;
        bool stopped = false;  // no later offer can be sent (e.g. the session ended)
    };

    // Runs on the worker thread: hands every change a trial run found to the sender, several
    // at once; an offer busy with an earlier change waits in the run while the others go on.
    void ExecuteSends(const std::vector<TrialEntry>& changes, bool sandbox,
                      const std::string& sheet) {
        std::optional<publish::SessionParts> parts;
        if (auto failure = OpenSending(sandbox, parts)) {
            return Fail(std::move(*failure));
        }
        auto made = ParallelSender(*parts->session, FolderOf(sheet), false);
        if (auto* message = std::get_if<std::string>(&made)) {
            return Fail(std::move(*message));
        }
        batch::AllegroSender& sender = *std::get<std::unique_ptr<batch::AllegroSender>>(made);
        total = changes.size();
        SendCounts counts;
        for (const TrialEntry& change : changes) {
            if (cancel || sender.StoppedBy()) {
                NotSent(
                    batch::PlaceOfRow(sheet, change.row, "") + "oferta " + change.offerId + ": ",
                    counts);
                continue;
            }
            sender.Hand(change.row, change.offerId, change.form, change.diskPictures, &cancel);
            Report(sender.Take(), sheet, counts);
        }
        Report(sender.TakeAll(), sheet, counts);
        std::string line =
            CountedNoun(counts.sent, "opis wysłany", "opisy wysłane", "opisów wysłanych");
        if (counts.unchanged > 0) {
            line += ", " + std::to_string(counts.unchanged) + " bez zmian";
        }
        Conclude(std::move(line), counts);
    }

    // ", M z błędami", the rows not sent, and a cancel, as the last line.
    void Conclude(std::string line, const SendCounts& counts) {
        line += ", " + std::to_string(counts.failed) + " z błędami";
        if (counts.notSent > 0) {
            line += ", " + CountedNoun(counts.notSent, "niewysłany", "niewysłane", "niewysłanych");
        }
        if (cancel) {
            line += " (przerwano)";
        }
        const std::lock_guard lock(mutex);
        doneLine = std::move(line);
    }

    void NotSent(const std::string& where, SendCounts& counts) {
        ++counts.notSent;
        Keep(errors, unlistedErrors, where + "nie wysłano");
        done = done + 1;
    }

    void Report(const std::vector<batch::SentRow>& answers, const std::string& sheet,
                SendCounts& counts) {
        using Status = batch::SendAnswer::Status;
        for (const batch::SentRow& row : answers) {
            if (row.waiting) {
                continue;  // the progress line says what the run waits for
            }
            const batch::SendAnswer& answer = row.answer;
            const std::string where =
                batch::PlaceOfRow(sheet, row.row, "") + "oferta " + row.offerId + ": ";
            for (const std::string& warning : answer.warnings) {
                Keep(warnings, unlistedWarnings, where + warning);
            }
            {
                const std::lock_guard lock(mutex);
                waitReason.clear();
            }
            if (answer.status == Status::Sent && answer.unchanged) {
                ++counts.unchanged;
                Keep(sentLines, unlistedSent, where + "bez zmian");
            } else if (answer.status == Status::Sent) {
                ++counts.sent;
                sent = counts.sent;
                Keep(sentLines, unlistedSent, where + "opis zaktualizowany");
            } else if (answer.cancelled) {
                NotSent(where, counts);
                continue;
            } else {
                ++counts.failed;
                Keep(errors, unlistedErrors, where + answer.message);
            }
            done = done + 1;
        }
    }

    // Runs on the worker thread: creates the offers a trial run prepared, one after another.
    // Each is looked for by its signature first, so none is created twice.
    void ExecuteCreates(const std::vector<CreateEntry>& offers, bool sandbox,
                        const std::string& sheet, batch::OffersSheet copy) {
        std::optional<publish::SessionParts> parts;
        if (auto failure = OpenSending(sandbox, parts)) {
            return Fail(std::move(*failure));
        }
        publish::OfferCatalogue catalogue(*parts->session, publish::CacheFolder());
        batch::AllegroCreator creator(catalogue, CreateOptions(sheet, false), Waiting());
        creator.WordFor(publish::kWindowFront);
        total = offers.size();
        SendCounts counts;
        for (const CreateEntry& entry : offers) {
            const std::string where = batch::PlaceOfRow(sheet, entry.row, "");
            if (cancel || counts.stopped) {
                NotSent(where, counts);
                continue;
            }
            const batch::CreateAnswer answer =
                creator.Create(entry.row, entry.data, entry.form, entry.sheetFile, &cancel);
            {
                const std::lock_guard lock(mutex);
                waitReason.clear();
            }
            TellCreated(where, answer, counts);
            if (!answer.offerId.empty()) {
                copy.SetOffer(entry.row, answer.offerId);
            }
            done = done + 1;
        }
        // The numbers go into the copy of the sheet, as the command line writes it.
        if (copy.HasHeader()) {
            if (auto failed = batch::SaveOffersSheet(sheet, copy)) {
                Keep(errors, unlistedErrors, *failed);
            } else {
                Keep(sentLines, unlistedSent,
                     "Numery ofert zapisano w " + batch::OffersSheetPath(sheet) + ".");
            }
        }
        std::string line =
            CountedNoun(counts.sent, "szkic utworzony", "szkice utworzone", "szkiców utworzonych");
        line += ", " + std::to_string(counts.existing) + " już w Allegro";
        Conclude(std::move(line), counts);
    }

    void TellCreated(const std::string& where, const batch::CreateAnswer& answer,
                     SendCounts& counts) {
        using Status = batch::CreateAnswer::Status;
        switch (answer.status) {
            case Status::Created:
            case Status::Activated:
                ++counts.sent;
                sent = counts.sent;
                Keep(sentLines, unlistedSent,
                     where + "szkic " + answer.offerId + " utworzony (" +
                         CountedNoun(answer.gaps, "uwaga", "uwagi", "uwag") + ")");
                return;
            case Status::Existing:
                ++counts.existing;
                Keep(sentLines, unlistedSent, where + answer.message);
                return;
            case Status::Stop:
                counts.stopped = true;
                break;
            case Status::Failed:
                break;
        }
        ++counts.failed;
        for (const offer::OfferError& error : answer.errors) {
            Keep(errors, unlistedErrors, where + error.key + ": " + error.message);
        }
        if (answer.errors.empty() || !answer.message.empty()) {
            Keep(errors, unlistedErrors, where + answer.message);
        }
    }

    // The session for sending, or why there is none (no keys, not signed in).
    static std::optional<std::string> OpenSending(bool sandbox,
                                                  std::optional<publish::SessionParts>& parts) {
        auto opened = publish::OpenSession(sandbox);
        if (const auto* failure = std::get_if<publish::Failure>(&opened)) {
            return publish::WindowText(*failure);
        }
        parts = std::get<publish::SessionParts>(std::move(opened));
        if (!parts->session->HasTokens()) {
            return "Nie jesteś zalogowany do Allegro. " +
                   std::string(publish::kWindowFront.signIn) + ".";
        }
        return std::nullopt;
    }

    void Execute(const std::string& offers, const AuctionForm& form, const std::string& sellerId,
                 const batch::BatchOptions& options) {
        batch::BatchObserver observer;
        observer.progress = [this](const batch::BatchProgress& progress) {
            total = progress.rowsTotal.value_or(0);
            done = progress.rowsDone;
            sent = progress.sent;
        };
        observer.trialRow = trialRow;
        observer.sent = [this](const std::string& line) {
            Keep(sentLines, unlistedSent, line);
            const std::lock_guard lock(mutex);
            waitReason.clear();  // a row went through: no longer waiting
        };
        observer.rowError = [this](const std::string& line) { Keep(errors, unlistedErrors, line); };
        observer.warning = [this](const std::string& line) {
            Keep(warnings, unlistedWarnings, line);
        };
        observer.cancel = &cancel;
        batch::BatchSummary result;
        try {
            result = batch::RunBatch(offers, form, sellerId, options, observer);
        } catch (const std::exception& error) {
            result.fatal = error.what();
        }
        const std::lock_guard lock(mutex);
        summary = std::move(result);
    }

    // Runs on the worker thread: every offer of the signed-in seller into `sheetPath`.
    void ExecutePull(const std::string& sheetPath, batch::SheetKind kind) {
        publish::PullAllObserver observer;
        observer.progress = [this](std::size_t pulled, std::size_t offers) {
            total = offers;
            done = pulled;
            const std::lock_guard lock(mutex);
            waitReason.clear();  // an offer came: no longer waiting
        };
        observer.waiting = [this](publish::Seconds seconds, const std::string& why) {
            const std::lock_guard lock(mutex);
            waitReason = why;
            waitEnd = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        };
        observer.failed = [this](const std::string& line) { Keep(errors, unlistedErrors, line); };
        observer.warning = [this](const std::string& line) {
            Keep(warnings, unlistedWarnings, line);
        };
        std::string line;
        const auto settings = publish::ChooseRunSettings();
        auto opened = publish::OpenSession(false);
        if (const auto* wrong = std::get_if<std::string>(&settings)) {
            line = "Nie udało się: " + *wrong;
        } else if (auto* failure = std::get_if<publish::Failure>(&opened)) {
            line = "Nie udało się: " + publish::FullMessage(*failure);
        } else {
            auto& parts = std::get<publish::SessionParts>(opened);
            const publish::PullAllResult result =
                batch::PullAllToSheet(*parts.session, {}, sheetPath, kind, observer, &cancel,
                                      std::get<publish::RunSettings>(settings));
            if (!result.stopped) {
                line = batch::PullSummaryLine(result, sheetPath);
            } else if (result.stopped->cancelled) {
                line = publish::FullMessage(*result.stopped);
            } else {
                line = "Nie udało się: " + publish::FullMessage(*result.stopped);
            }
        }
        const std::lock_guard lock(mutex);
        doneLine = std::move(line);
    }
};

BatchDialog::BatchDialog(AuctionForm templateForm, std::string sellerId, Desktop& desktop,
                         QWidget* parent)
    : QDialog(parent),
      templateForm_(std::move(templateForm)),
      sellerId_(std::move(sellerId)),
      desktop_(desktop),
      run_(std::make_shared<Run>()) {
    setObjectName(QStringLiteral("BatchDialog"));
    setWindowTitle(QStringLiteral("Wiele ofert"));
    setPalette(parent->palette());  // the main window's sky blue

    options_ = BuildOptions();
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setAccessibleName(QStringLiteral("Postęp"));
    progress_->setTextVisible(false);
    progressText_ = new QLabel(this);
    progressText_->setObjectName(QStringLiteral("progressText"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("report"));
    report_->setAccessibleName(QStringLiteral("Błędy i ostrzeżenia"));
    report_->setReadOnly(true);
    report_->setTabChangesFocus(true);
    report_->setLineWrapMode(QPlainTextEdit::WidgetWidth);  // a long error reads whole

    start_ = new QPushButton(QStringLiteral("&Uruchom"), this);
    start_->setObjectName(QStringLiteral("startButton"));
    start_->setToolTip(QStringLiteral(
        "Tworzy opisy wszystkich ofert z arkusza; najpierw pyta o arkusz i folder, jeśli nie są "
        "wybrane"));
    start_->setDefault(true);
    pull_ = new QPushButton(QStringLiteral("&Pobierz oferty do arkusza…"), this);
    pull_->setObjectName(QStringLiteral("pullOffersButton"));
    pull_->setToolTip(QStringLiteral(
        "Zapisuje tytuły i opisy wszystkich ofert z Allegro w arkuszu: popraw je w arkuszu "
        "i wyślij z powrotem"));
    connect(pull_, &QPushButton::clicked, this, &BatchDialog::PullOffers);
    cancel_ = new QPushButton(QStringLiteral("Anuluj"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setToolTip(QStringLiteral("Zatrzymuje pracę; zapisane już pliki zostają całe"));
    copy_ = new QPushButton(QStringLiteral("&Kopiuj raport"), this);
    copy_->setObjectName(QStringLiteral("copyButton"));
    copy_->setToolTip(QStringLiteral("Kopiuje podsumowanie i listę błędów do schowka"));
    confirm_ = new QPushButton(this);
    confirm_->setObjectName(QStringLiteral("confirmSendButton"));
    confirm_->setToolTip(
        QStringLiteral("Wysyła do Allegro tylko oferty, które próba pokazała jako zmienione"));
    trial_ = new BatchTrialView(this);
    close_ = new QPushButton(QStringLiteral("Zamknij"), this);
    close_->setObjectName(QStringLiteral("closeButton"));
    connect(start_, &QPushButton::clicked, this, &BatchDialog::Start);
    connect(cancel_, &QPushButton::clicked, this, &BatchDialog::reject);
    connect(copy_, &QPushButton::clicked, this, &BatchDialog::CopyReport);
    connect(confirm_, &QPushButton::clicked, this, &BatchDialog::SendChanges);
    connect(close_, &QPushButton::clicked, this, &BatchDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pull_);
    buttons->addStretch(1);
    for (QPushButton* button : {start_, confirm_, cancel_, copy_, close_}) {
        buttons->addWidget(button);
    }
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(progressText_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(BuildPaths());
    layout->addWidget(options_);
    layout->addLayout(progressRow);
    layout->addWidget(summary_);
    layout->addWidget(trial_, 2);
    layout->addWidget(report_, 1);
    layout->addLayout(buttons);

    for (QWidget* later : {static_cast<QWidget*>(progress_), static_cast<QWidget*>(progressText_),
                           static_cast<QWidget*>(summary_), static_cast<QWidget*>(report_),
                           static_cast<QWidget*>(copy_), static_cast<QWidget*>(close_),
                           static_cast<QWidget*>(confirm_), static_cast<QWidget*>(trial_)}) {
        later->hide();
    }
    resize(560, 260);

    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, &BatchDialog::ShowProgress);
}

BatchDialog::~BatchDialog() {
    if (worker_) {
        run_->cancel = true;
        worker_->wait();
    }
}

QLayout* BatchDialog::BuildPaths() {
    offersPathLabel_ = PathLabel("offersPath", this);
    outFolderLabel_ = PathLabel("outFolder", this);
    chooseSheet_ = new QPushButton(QStringLiteral("Wybierz &arkusz…"), this);
    chooseSheet_->setObjectName(QStringLiteral("chooseSheet"));
    chooseSheet_->setToolTip(QStringLiteral("Arkusz z jedną ofertą w wierszu (CSV, XLSX, ODS)"));
    chooseFolder_ = new QPushButton(QStringLiteral("Wybierz fo&lder…"), this);
    chooseFolder_->setObjectName(QStringLiteral("chooseFolder"));
    chooseFolder_->setToolTip(QStringLiteral("Folder, w którym zapisać pliki każdej oferty"));
    connect(chooseSheet_, &QPushButton::clicked, this, &BatchDialog::ChooseSheet);
    connect(chooseFolder_, &QPushButton::clicked, this, &BatchDialog::ChooseFolder);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Arkusz ofert:"), this), 0, 0);
    grid->addWidget(offersPathLabel_, 0, 1);
    grid->addWidget(chooseSheet_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Folder na opisy:"), this), 1, 0);
    grid->addWidget(outFolderLabel_, 1, 1);
    grid->addWidget(chooseFolder_, 1, 2);
    grid->setColumnStretch(1, 1);
    return grid;
}

bool BatchDialog::ChooseSheet() {
    const QString path = desktop_.AskOpenFileName(
        QStringLiteral("Wybierz arkusz ofert"),
        QStringLiteral("Arkusz ofert (*.csv *.xlsx *.ods *.jsonl);;Wszystkie pliki (*)"));
    if (path.isEmpty()) {
        return false;
    }
    offersPath_ = path;
    offersPathLabel_->setText(path);
    return true;
}

bool BatchDialog::ChooseFolder() {
    const QString path = desktop_.AskFolder(QStringLiteral("Wybierz folder na opisy ofert"));
    if (path.isEmpty()) {
        return false;
    }
    outFolder_ = path;
    outFolderLabel_->setText(path);
    return true;
}

QGroupBox* BatchDialog::BuildOptions() {
    auto* group = new QGroupBox(QStringLiteral("Co zapisać dla każdej oferty"), this);
    classic_ = new QRadioButton(QStringLiteral("&Stronę aukcji (NAZWA.html)"), group);
    classic_->setObjectName(QStringLiteral("classicFormat"));
    classic_->setChecked(true);
    allegro_ = new QRadioButton(QStringLiteral("&Opis dla Allegro (NAZWA.allegro.json)"), group);
    allegro_->setObjectName(QStringLiteral("allegroFormat"));
    both_ = new QRadioButton(QStringLiteral("&Jedno i drugie"), group);
    both_->setObjectName(QStringLiteral("bothFormats"));
    overwrite_ = new QCheckBox(QStringLiteral("&Zastąp pliki, które już są w folderze"), group);
    overwrite_->setObjectName(QStringLiteral("overwrite"));
    overwrite_->setToolTip(
        QStringLiteral("Bez tego oferta, której plik już jest, trafia na listę błędów"));
    auto* layout = new QVBoxLayout(group);
    for (QWidget* option : {static_cast<QWidget*>(classic_), static_cast<QWidget*>(allegro_),
                            static_cast<QWidget*>(both_), static_cast<QWidget*>(overwrite_)}) {
        layout->addWidget(option);
    }
    AddSendingOptions(*group, *layout);
    return group;
}

void BatchDialog::AddSendingOptions(QGroupBox& group, QVBoxLayout& layout) {
    publish_ = new QCheckBox(QStringLiteral("&Wyślij opisy do ofert (kolumna „oferta”)"), &group);
    publish_->setObjectName(QStringLiteral("publishToOffers"));
    create_ = new QCheckBox(QStringLiteral("Utwórz &nowe oferty (kolumny danych oferty)"), &group);
    create_->setObjectName(QStringLiteral("createOffers"));
    sandbox_ = new QCheckBox(QStringLiteral("Konto &testowe (sandbox)"), &group);
    sandbox_->setObjectName(QStringLiteral("publishToSandbox"));
    sandbox_->setEnabled(false);
    // One job a run: sending to the offers, or creating new ones.
    const auto allegroChosen = [this] {
        sandbox_->setEnabled(publish_->isChecked() || create_->isChecked());
    };
    connect(publish_, &QCheckBox::toggled, this, [this, allegroChosen](bool on) {
        if (on) {
            create_->setChecked(false);
        }
        allegroChosen();
    });
    connect(create_, &QCheckBox::toggled, this, [this, allegroChosen](bool on) {
        if (on) {
            publish_->setChecked(false);
        }
        allegroChosen();
    });
    if (const auto why = WhyNoSending()) {
        publish_->setEnabled(false);
        publish_->setToolTip(*why);
        create_->setEnabled(false);
        create_->setToolTip(*why);
    } else {
        create_->setToolTip(QStringLiteral(
            "Najpierw próba: sprawdza dane oferty z kolumn arkusza (cena, stan, ean lub "
            "kategoria…) i pokazuje, które oferty powstaną; tworzy je dopiero „Utwórz nowe "
            "oferty”. Wiersz z numerem w kolumnie „oferta” nie tworzy nowej."));
        publish_->setToolTip(QStringLiteral(
            "Najpierw próba: odczytuje każdą ofertę o numerze z kolumny „oferta” i pokazuje, co "
            "się zmieni; opisy wysyła dopiero „Wyślij N zmian”. Wiersz bez numeru dostaje tylko "
            "pliki. Zdjęcia z dysku są szukane obok arkusza."));
    }
    auto* indented = new QHBoxLayout;
    indented->addSpacing(24);
    indented->addWidget(sandbox_);
    layout.addWidget(publish_);
    layout.addWidget(create_);
    layout.addLayout(indented);
}

bool BatchDialog::IsRunning() const {
    return run_->running;
}

void BatchDialog::reject() {
    if (IsRunning()) {
        run_->cancel = true;
        cancel_->setEnabled(false);
        progressText_->setText(QStringLiteral("Zatrzymywanie…"));
        return;
    }
    QDialog::reject();
}

void BatchDialog::Start() {
    if ((offersPath_.isEmpty() && !ChooseSheet()) || (outFolder_.isEmpty() && !ChooseFolder())) {
        return;  // the seller cancelled: the dialog stays as it was
    }
    batch::BatchOptions options;
    options.format = allegro_->isChecked() ? batch::OutputFormat::Allegro
                     : both_->isChecked()  ? batch::OutputFormat::Both
                                           : batch::OutputFormat::Classic;
    options.overwrite = overwrite_->isChecked();
    options.outFolder = QFile::encodeName(outFolder_).toStdString();
    // A send or new offers start as a trial: the confirmation sends.
    trialKind_ = publish_->isChecked()  ? Trial::Send
                 : create_->isChecked() ? Trial::Create
                                        : Trial::None;
    sendToSandbox_.reset();
    if (trialKind_ != Trial::None) {
        sendToSandbox_ = sandbox_->isChecked();
    }
    sending_ = false;

    // The worker owns copies of everything it reads, and the shared state outlives it.
    RunOnWorker([run = run_, offers = QFile::encodeName(offersPath_).toStdString(),
                 form = templateForm_, sellerId = sellerId_, options, kind = trialKind_,
                 sandbox = sendToSandbox_.value_or(false)] {
        run->Execute(offers, form, sellerId, options, kind, sandbox);
    });
}

void BatchDialog::RunOnWorker(std::function<void()> work) {
    options_->setEnabled(false);
    chooseSheet_->setEnabled(false);
    chooseFolder_->setEnabled(false);
    start_->hide();
    pull_->hide();
    progress_->show();
    progressText_->show();
    progress_->setRange(0, 0);
    run_->running = true;
    worker_.reset(QThread::create(std::move(work)));
    connect(worker_.get(), &QThread::finished, this, &BatchDialog::ShowReport);
    worker_->start();
    progressTimer_.start();
    ShowProgress();
}

void BatchDialog::PullOffers() {
    QString sheet = desktop_.AskSaveFileName(
        QStringLiteral("Pobierz oferty do arkusza"), QStringLiteral("oferty.csv"),
        QStringLiteral("Arkusz CSV (*.csv);;JSON lines (*.jsonl)"));
    if (sheet.isEmpty()) {
        return;
    }
    std::string path = QFile::encodeName(sheet).toStdString();
    if (!batch::SheetKindOf(path)) {
        path += ".csv";
    }
    RunOnWorker(
        [run = run_, path, kind = *batch::SheetKindOf(path)] { run->ExecutePull(path, kind); });
}

void BatchDialog::ShowProgress() {
    const std::size_t done = run_->done;
    const std::size_t total = run_->total;
    QString text;
    if (total > 0) {
        progress_->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
        progress_->setValue(static_cast<int>(std::min(done, total)));
        text = QStringLiteral("%1 z %2").arg(done).arg(total);
    } else {
        text = QString::number(done);
    }
    if (sending_) {
        text += (trialKind_ == Trial::Create ? QStringLiteral(", utworzono %1")
                                             : QStringLiteral(", wysłano %1"))
                    .arg(run_->sent.load());
    } else if (sendToSandbox_ && IsRunning()) {
        text += QStringLiteral(" — próba, nic nie jest wysyłane");
    }
    {
        const std::lock_guard lock(run_->mutex);
        const auto left = std::chrono::ceil<std::chrono::seconds>(run_->waitEnd -
                                                                  std::chrono::steady_clock::now());
        if (!run_->waitReason.empty() && left.count() > 0 && IsRunning()) {
            text += QStringLiteral(" — czekam %1 s: %2")
                        .arg(left.count())
                        .arg(FromUtf8(run_->waitReason));
        }
    }
    if (!run_->cancel || !IsRunning()) {
        progressText_->setText(text);
    }
}

void BatchDialog::ShowReport() {
    progressTimer_.stop();
    run_->running = false;
    worker_->wait();
    ShowProgress();
    if (progress_->maximum() == 0) {
        progress_->setRange(0, 1);  // a finished batch is no longer busy
        progress_->setValue(1);
    }

    std::unique_lock lock(run_->mutex);
    const batch::BatchSummary& summary = run_->summary;
    summary_->setText(!run_->doneLine.empty() ? FromUtf8(run_->doneLine)
                      : summary.fatal ? QStringLiteral("Nie udało się: ") + FromUtf8(*summary.fatal)
                                      : FromUtf8(summary.Line()));

    QStringList text;
    auto list = [&text](const QString& heading, const std::vector<std::string>& lines,
                        std::size_t unlisted) {
        if (lines.empty()) {
            return;
        }
        text << heading;
        for (const std::string& entry : lines) {
            text << FromUtf8(entry);
        }
        if (unlisted > 0) {
            text << QStringLiteral("… i jeszcze %1").arg(unlisted);
        }
        text << QString();
    };
    list(QStringLiteral("Błędy:"), run_->errors, run_->unlistedErrors);
    list(QStringLiteral("Ostrzeżenia:"), run_->warnings, run_->unlistedWarnings);
    list(run_->trialRun != Trial::None ? QStringLiteral("Próba (nic nie wysłano):")
                                       : QStringLiteral("Wysłane do Allegro:"),
         run_->sentLines, run_->unlistedSent);
    report_->setPlainText(text.isEmpty() ? QStringLiteral("Bez błędów i ostrzeżeń.")
                                         : text.join(QLatin1Char('\n')).trimmed());

    summary_->show();
    report_->show();
    copy_->show();
    if (run_->trialRun != Trial::None && !summary.fatal && !summary.cancelled) {
        lock.unlock();
        ShowTrial();
        return;
    }
    cancel_->hide();
    confirm_->hide();
    trial_->hide();
    close_->show();
    close_->setDefault(true);
    close_->setFocus();
    resize(width(), std::max(height(), 420));
    emit batchFinished();
}

void BatchDialog::ShowTrial() {
    options_->hide();  // the list needs the room; the choices are made
    const batch::BatchSummary& summary = run_->summary;
    const std::size_t failedRows = summary.failed + summary.sendFailed + summary.createFailed;
    std::size_t toConfirm = 0;
    if (run_->trialRun == Trial::Create) {
        offersToCreate_ = OffersToCreate(run_->createTrial);
        toConfirm = offersToCreate_.size();
        trial_->Show(run_->createTrial, run_->errors, failedRows, offersPath_);
        confirm_->setText(QStringLiteral("Utwórz nowe oferty"));
        confirm_->setToolTip(
            QStringLiteral("Tworzy w Allegro szkice ofert, które próba pokazała jako nowe"));
    } else {
        changes_ = ChangesToSend(run_->trial);
        toConfirm = changes_.size();
        trial_->Show(run_->trial, run_->errors, failedRows, offersPath_);
        confirm_->setText(SendChangesLabel(changes_.size()));
        confirm_->setToolTip(
            QStringLiteral("Wysyła do Allegro tylko oferty, które próba pokazała jako zmienione"));
    }
    trial_->show();
    // The list holds the errors and the rows; the report stays for the warnings.
    report_->setVisible(!run_->warnings.empty());
    // Nothing has gone out: "Anuluj" closes the dialog and sends nothing.
    cancel_->setEnabled(true);
    cancel_->setToolTip(QStringLiteral("Zamyka okno bez wysyłania; zapisane pliki zostają"));
    confirm_->setEnabled(toConfirm > 0);
    confirm_->show();
    confirm_->setDefault(toConfirm > 0);
    (toConfirm == 0 ? static_cast<QWidget*>(cancel_) : confirm_)->setFocus();
    resize(std::max(width(), 760), std::max(height(), 560));
    emit trialShown();
}

void BatchDialog::SendChanges() {
    if (IsRunning() || (changes_.empty() && offersToCreate_.empty()) || !sendToSandbox_) {
        return;  // one job at a time, and only what a trial found
    }
    batch::OffersSheet trialSheet = std::move(run_->offersSheet);
    run_ = std::make_shared<Run>();
    sending_ = true;
    for (QWidget* done : {static_cast<QWidget*>(confirm_), static_cast<QWidget*>(trial_),
                          static_cast<QWidget*>(summary_), static_cast<QWidget*>(report_),
                          static_cast<QWidget*>(copy_)}) {
        done->hide();
    }
    const std::string sheet = QFile::encodeName(offersPath_).toStdString();
    if (!offersToCreate_.empty()) {
        cancel_->setToolTip(
            QStringLiteral("Zatrzymuje tworzenie; utworzone już oferty zostają w Allegro"));
        RunOnWorker(
            [run = run_, offers = std::move(offersToCreate_), sandbox = *sendToSandbox_, sheet,
             copy = std::move(trialSheet)] { run->ExecuteCreates(offers, sandbox, sheet, copy); });
    } else {
        cancel_->setToolTip(QStringLiteral("Zatrzymuje wysyłanie; wysłane już opisy zostają"));
        RunOnWorker([run = run_, changes = std::move(changes_), sandbox = *sendToSandbox_, sheet] {
            run->ExecuteSends(changes, sandbox, sheet);
        });
    }
    changes_.clear();
    offersToCreate_.clear();
}

void BatchDialog::CopyReport() {
    desktop_.CopyToClipboard(summary_->text() + QLatin1Char('\n') + report_->toPlainText());
}

}  // namespace licytek
