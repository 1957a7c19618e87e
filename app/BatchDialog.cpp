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
#include "batch/AllegroPuller.h"
#include "batch/AllegroSender.h"
#include "batch/Batch.h"
#include "model/FileIo.h"
#include "model/PolishNumbers.h"
#include "publish/AllegroSession.h"

namespace licytek {
namespace {

// The report keeps this many lines of each kind; a batch of thousands of bad rows still shows its
// counts, and memory stays small.
constexpr std::size_t kListedLines = 5000;
// An offer still busy with an earlier change is tried this many times, after the others.
constexpr int kSendRounds = 3;

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
    // A trial run's rows, once it has ended; the recorder while it runs.
    bool trialRun = false;
    std::vector<TrialEntry> trial;
    TrialRecorder* recorder = nullptr;

    void Keep(std::vector<std::string>& lines, std::size_t& unlisted, const std::string& line) {
        const std::lock_guard lock(mutex);
        if (lines.size() < kListedLines) {
            lines.push_back(line);
        } else {
            ++unlisted;
        }
    }

    // Runs on the worker thread.
    void Execute(const std::string& offers, const AuctionForm& form, const std::string& sellerId,
                 batch::BatchOptions options, std::optional<bool> sendToSandbox) {
        // One session, so one kept-alive connection, for the whole run.
        std::optional<publish::SessionParts> parts;
        std::optional<batch::AllegroSender> sender;
        if (sendToSandbox) {
            if (auto failure = OpenSending(*sendToSandbox, parts)) {
                const std::lock_guard lock(mutex);
                summary.fatal = std::move(*failure);
                return;
            }
            publish::PublishOptions publishOptions;
            publishOptions.projectFolder = FolderOf(offers);
            publishOptions.dryRun = options.dryRun;
            std::optional<TrialRecorder> trialRecorder;
            publish::PublishObserver observer = Waiting();
            observer.planned = [&trialRecorder](const publish::PublishPlan& plan) {
                if (trialRecorder) {
                    trialRecorder->Planned(plan);
                }
            };
            sender.emplace(*parts->session, publish::SystemClock(), publishOptions, observer);
            options.sender = &*sender;
            if (options.dryRun) {
                options.sender = &trialRecorder.emplace(*sender);
                recorder = &*trialRecorder;
                trialRun = true;
            }
            Execute(offers, form, sellerId, options);
            if (recorder != nullptr) {
                trial = recorder->TakeEntries();
                recorder = nullptr;
            }
            return;
        }
        Execute(offers, form, sellerId, options);
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

    // Runs on the worker thread: sends the changes a trial run found, one after another; an
    // offer busy with an earlier change is tried again after the others.
    void ExecuteSends(const std::vector<TrialEntry>& changes, bool sandbox,
                      const std::string& projectFolder) {
        std::optional<publish::SessionParts> parts;
        if (auto failure = OpenSending(sandbox, parts)) {
            const std::lock_guard lock(mutex);
            summary.fatal = std::move(*failure);
            return;
        }
        publish::PublishOptions publishOptions;
        publishOptions.projectFolder = projectFolder;
        batch::AllegroSender sender(*parts->session, publish::SystemClock(), publishOptions,
                                    Waiting());
        total = changes.size();
        SendCounts counts;
        std::vector<const TrialEntry*> round;
        round.reserve(changes.size());
        for (const TrialEntry& change : changes) {
            round.push_back(&change);
        }
        for (int attempt = 1; !round.empty(); ++attempt) {
            std::vector<const TrialEntry*> later;
            for (const TrialEntry* change : round) {
                if (!SendOne(sender, *change, attempt < kSendRounds, counts)) {
                    later.push_back(change);
                }
            }
            round = std::move(later);
        }
        std::string line =
            CountedNoun(counts.sent, "opis wysłany", "opisy wysłane", "opisów wysłanych");
        if (counts.unchanged > 0) {
            line += ", " + std::to_string(counts.unchanged) + " bez zmian";
        }
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

    struct SendCounts {
        std::size_t sent = 0;
        std::size_t unchanged = 0;
        std::size_t failed = 0;
        std::size_t notSent = 0;
        bool stopped = false;  // no later offer can be sent (e.g. the session ended)
    };

    // False when the offer was busy and `mayWait`: the row is to be tried again later.
    bool SendOne(batch::AllegroSender& sender, const TrialEntry& change, bool mayWait,
                 SendCounts& counts) {
        const std::string where = change.where + "oferta " + change.offerId + ": ";
        if (cancel || counts.stopped) {
            ++counts.notSent;
            Keep(errors, unlistedErrors, where + "nie wysłano");
            done = done + 1;
            return true;
        }
        const batch::SendAnswer answer =
            sender.Send(change.offerId, change.form, change.diskPictures, &cancel);
        for (const std::string& warning : answer.warnings) {
            Keep(warnings, unlistedWarnings, where + warning);
        }
        {
            const std::lock_guard lock(mutex);
            waitReason.clear();
        }
        using Status = batch::SendAnswer::Status;
        if (answer.status == Status::Conflict && mayWait) {
            return false;
        }
        done = done + 1;
        if (answer.status == Status::Sent) {
            if (answer.unchanged) {
                ++counts.unchanged;
                Keep(sentLines, unlistedSent, where + "bez zmian");
            } else {
                ++counts.sent;
                sent = counts.sent;
                Keep(sentLines, unlistedSent, where + "opis zaktualizowany");
            }
        } else if (answer.cancelled) {
            ++counts.notSent;
            Keep(errors, unlistedErrors, where + "nie wysłano");
        } else {
            counts.stopped = counts.stopped || answer.status == Status::Stop;
            ++counts.failed;
            Keep(errors, unlistedErrors, where + answer.message);
        }
        return true;
    }

    // The session for sending, or why there is none (no keys, not signed in).
    static std::optional<std::string> OpenSending(bool sandbox,
                                                  std::optional<publish::SessionParts>& parts) {
        auto opened = publish::OpenSession(sandbox);
        if (const auto* failure = std::get_if<publish::Failure>(&opened)) {
            return publish::FullMessage(*failure);
        }
        parts = std::get<publish::SessionParts>(std::move(opened));
        if (!parts->session->HasTokens()) {
            return "Nie jesteś zalogowany do Allegro. " + std::string(publish::kSignInAgain);
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
        observer.sent = [this](const std::string& line) {
            if (recorder != nullptr) {
                recorder->Prepared(line);
            }
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
        auto opened = publish::OpenSession(false);
        if (auto* failure = std::get_if<publish::Failure>(&opened)) {
            line = "Nie udało się: " + publish::FullMessage(*failure);
        } else {
            auto& parts = std::get<publish::SessionParts>(opened);
            const publish::PullAllResult result =
                batch::PullAllToSheet(*parts.session, {}, sheetPath, kind, observer, &cancel);
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
    sandbox_ = new QCheckBox(QStringLiteral("Konto &testowe (sandbox)"), &group);
    sandbox_->setObjectName(QStringLiteral("publishToSandbox"));
    sandbox_->setEnabled(false);
    connect(publish_, &QCheckBox::toggled, sandbox_, &QWidget::setEnabled);
    if (const auto why = WhyNoSending()) {
        publish_->setEnabled(false);
        publish_->setToolTip(*why);
    } else {
        publish_->setToolTip(QStringLiteral(
            "Najpierw próba: odczytuje każdą ofertę o numerze z kolumny „oferta” i pokazuje, co "
            "się zmieni; opisy wysyła dopiero „Wyślij N zmian”. Wiersz bez numeru dostaje tylko "
            "pliki. Zdjęcia z dysku są szukane obok arkusza."));
    }
    auto* indented = new QHBoxLayout;
    indented->addSpacing(24);
    indented->addWidget(sandbox_);
    layout.addWidget(publish_);
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
    std::optional<bool> sendToSandbox;
    if (publish_->isChecked()) {
        sendToSandbox = sandbox_->isChecked();
        options.dryRun = true;  // a trial first: "Wyślij N zmian" sends
    }
    sendToSandbox_ = sendToSandbox;
    sending_ = false;

    // The worker owns copies of everything it reads, and the shared state outlives it.
    RunOnWorker([run = run_, offers = QFile::encodeName(offersPath_).toStdString(),
                 form = templateForm_, sellerId = sellerId_, options,
                 sendToSandbox] { run->Execute(offers, form, sellerId, options, sendToSandbox); });
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
        text += QStringLiteral(", wysłano %1").arg(run_->sent.load());
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
    list(run_->trialRun ? QStringLiteral("Próba (nic nie wysłano):")
                        : QStringLiteral("Wysłane do Allegro:"),
         run_->sentLines, run_->unlistedSent);
    report_->setPlainText(text.isEmpty() ? QStringLiteral("Bez błędów i ostrzeżeń.")
                                         : text.join(QLatin1Char('\n')).trimmed());

    summary_->show();
    report_->show();
    copy_->show();
    if (run_->trialRun && !summary.fatal && !summary.cancelled) {
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
    changes_ = ChangesToSend(run_->trial);
    trial_->Show(run_->trial, run_->errors, offersPath_);
    trial_->show();
    // The list holds the errors and the rows; the report stays for the warnings.
    report_->setVisible(!run_->warnings.empty());
    // Nothing has gone out: "Anuluj" closes the dialog and sends nothing.
    cancel_->setEnabled(true);
    cancel_->setToolTip(QStringLiteral("Zamyka okno bez wysyłania; zapisane pliki zostają"));
    confirm_->setText(SendChangesLabel(changes_.size()));
    confirm_->setEnabled(!changes_.empty());
    confirm_->show();
    confirm_->setDefault(!changes_.empty());
    (changes_.empty() ? static_cast<QWidget*>(cancel_) : confirm_)->setFocus();
    resize(std::max(width(), 760), std::max(height(), 560));
    emit trialShown();
}

void BatchDialog::SendChanges() {
    if (IsRunning() || changes_.empty() || !sendToSandbox_) {
        return;  // one job at a time, and only what a trial found
    }
    run_ = std::make_shared<Run>();
    sending_ = true;
    for (QWidget* done : {static_cast<QWidget*>(confirm_), static_cast<QWidget*>(trial_),
                          static_cast<QWidget*>(summary_), static_cast<QWidget*>(report_),
                          static_cast<QWidget*>(copy_)}) {
        done->hide();
    }
    cancel_->setToolTip(QStringLiteral("Zatrzymuje wysyłanie; wysłane już opisy zostają"));
    RunOnWorker([run = run_, changes = std::move(changes_), sandbox = *sendToSandbox_,
                 folder = FolderOf(QFile::encodeName(offersPath_).toStdString())] {
        run->ExecuteSends(changes, sandbox, folder);
    });
    changes_.clear();
}

void BatchDialog::CopyReport() {
    desktop_.CopyToClipboard(summary_->text() + QLatin1Char('\n') + report_->toPlainText());
}

}  // namespace licytek
