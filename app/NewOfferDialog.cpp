#include "app/NewOfferDialog.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include <utility>

#include "app/Desktop.h"
#include "app/FormBinding.h"
#include "app/OfferProductStep.h"
#include "app/OfferSafetyStep.h"
#include "app/OfferSaleStep.h"
#include "app/OfferSummaryStep.h"
#include "app/OfferTermsStep.h"
#include "app/PanelPlacement.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "publish/OfferCreation.h"
#include "publish/OfferPreparation.h"
#include "publish/TokenStore.h"
#include "publish/Wording.h"
#include "structured/AllegroExport.h"

namespace licytek {

namespace {

namespace pub = licytek::publish;

const QString kCaption = QStringLiteral("Nowa oferta na Allegro");
constexpr QSize kPreferredSize(980, 620);

using SettingsLists = std::map<pub::SettingsList, std::vector<pub::NamedSetting>>;

// The steps' names, as the list of steps shows them after their numbers.
const QString& StepName(std::size_t step) {
    static const QString kNames[] = {
        QStringLiteral("Produkt"), QStringLiteral("Sprzedaż"), QStringLiteral("Warunki"),
        QStringLiteral("Bezpieczeństwo produktu"), QStringLiteral("Podsumowanie")};
    return kNames[std::min(step, std::size(kNames) - 1)];
}

// The line as the seller reads it: an input of the form by its label, never its control name.
QString ErrorLine(const pub::PlacedError& error) {
    if (const FormField* field = FindFormField(error.place.key)) {
        return FromUtf8(std::string(field->label)) + QStringLiteral(": ") + FromUtf8(error.words);
    }
    return FromUtf8(error.line);
}

// A sign-in is worded for the window; other failures of the creation say what it did.
bool SaysHowToSignIn(const pub::Failure& failure) {
    return failure.kind == pub::FailureKind::NotSignedIn ||
           failure.kind == pub::FailureKind::SessionEnded;
}

QString OfferErrorsText(const std::vector<offer::OfferError>& errors) {
    QStringList lines;
    for (const auto& error : errors) {
        lines << FromUtf8(offer::ErrorText(error));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

NewOfferDialog::NewOfferDialog(const FormBinding& form, QString offerFile, QString projectFolder,
                               Desktop& desktop, QWidget* parent, publish::Clock* clock)
    : QDialog(parent),
      form_(form),
      offerFile_(std::move(offerFile)),
      projectFolder_(std::move(projectFolder)),
      desktop_(desktop) {
    setObjectName(QStringLiteral("NewOfferDialog"));
    setWindowTitle(kCaption);
    setModal(false);
    product_ = new OfferProductStep(this);
    sale_ = new OfferSaleStep(this);
    terms_ = new OfferTermsStep(this);
    safety_ = new OfferSafetyStep(this);
    summary_ = new OfferSummaryStep(this);
    stepWidgets_ = {product_, sale_, terms_, safety_, summary_};
    product_->setObjectName(QStringLiteral("productStep"));
    sale_->setObjectName(QStringLiteral("saleStep"));
    terms_->setObjectName(QStringLiteral("termsStep"));
    safety_->setObjectName(QStringLiteral("safetyStep"));
    summary_->setObjectName(QStringLiteral("summaryStep"));
    stepList_ = new QListWidget(this);
    stepList_->setObjectName(QStringLiteral("stepList"));
    steps_ = new QStackedWidget(this);
    for (std::size_t i = 0; i < stepWidgets_.size(); ++i) {
        stepList_->addItem(QStringLiteral("%1. %2").arg(i + 1).arg(StepName(i)));
        steps_->addWidget(stepWidgets_[i]);
    }
    stepList_->setFixedWidth(stepList_->sizeHintForColumn(0) + 24);
    status_ = WrappedLabel(QString(), this);
    status_->setObjectName(QStringLiteral("status"));
    back_ = new QPushButton(QStringLiteral("< &Wstecz"), this);
    back_->setObjectName(QStringLiteral("backButton"));
    next_ = new QPushButton(QStringLiteral("&Dalej >"), this);
    next_->setObjectName(QStringLiteral("nextButton"));
    cancel_ = new QPushButton(QStringLiteral("&Przerwij"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    auto* close = new QPushButton(QStringLiteral("Za&mknij"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* button : {back_, next_, cancel_, close}) {
        button->setAutoDefault(false);
    }

    auto* body = new QHBoxLayout;
    body->addWidget(stepList_);
    body->addWidget(steps_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    buttons->addWidget(back_);
    buttons->addWidget(next_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(stepList_, &QListWidget::currentRowChanged, this, &NewOfferDialog::ShowStep);
    connect(back_, &QPushButton::clicked, this,
            [this] { stepList_->setCurrentRow(steps_->currentIndex() - 1); });
    connect(next_, &QPushButton::clicked, this,
            [this] { stepList_->setCurrentRow(steps_->currentIndex() + 1); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        pending_ = nullptr;
        worker_->Cancel();
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(product_, &OfferProductStep::productsWanted, this, &NewOfferDialog::SearchProducts);
    connect(product_, &OfferProductStep::categoriesWanted, this,
            &NewOfferDialog::SuggestCategories);
    connect(product_, &OfferProductStep::parametersWanted, this, &NewOfferDialog::ReadParameters);
    connect(product_, &OfferProductStep::conditionChanged, safety_, &OfferSafetyStep::SetCondition);
    connect(summary_, &OfferSummaryStep::createWanted, this, &NewOfferDialog::Create);
    connect(summary_, &OfferSummaryStep::errorChosen, this, &NewOfferDialog::GoToError);
    connect(summary_, &OfferSummaryStep::openWanted, this,
            [this](const QUrl& page) { desktop_.Open(page); });

    worker_ = std::make_unique<AllegroWorker>(*this, clock);
    resize(kPreferredSize);
    Start();
}

// The worker goes first: it ends its job before the catalogue and the controls it uses go.
NewOfferDialog::~NewOfferDialog() {
    worker_.reset();
}

void NewOfferDialog::Start() {
    ClearErrors();
    LoadOfferFile();
    stepList_->setCurrentRow(ProductStep);
    ShowStep(ProductStep);
    ReadSettings();
}

void NewOfferDialog::closeEvent(QCloseEvent* event) {
    SaveOfferFile();
    QDialog::closeEvent(event);
}

// ---- steps -----------------------------------------------------------------------------------

void NewOfferDialog::ShowStep(int step) {
    if (step < 0 || step >= static_cast<int>(stepWidgets_.size())) {
        return;
    }
    if (step == SafetyStep) {
        safety_->SetProductBringsSafetyData(product_->ProductBringsSafetyData());
    }
    if (steps_->currentIndex() != step) {
        SaveOfferFile();  // each step's choices kept as the seller moves on
    }
    steps_->setCurrentIndex(step);
    if (stepList_->currentRow() != step) {
        stepList_->setCurrentRow(step);
    }
    if (step == SummaryStep) {
        Prepare();
    }
    UpdateButtons();
    if (QWidget* first = stepWidgets_[static_cast<std::size_t>(step)]->FirstField()) {
        first->setFocus(Qt::TabFocusReason);
    }
}

void NewOfferDialog::UpdateButtons() {
    const int step = steps_->currentIndex();
    back_->setEnabled(step > 0);
    next_->setEnabled(step < SummaryStep);
    cancel_->setEnabled(busy_);
    next_->setDefault(step < SummaryStep);
}

// ---- the offer data's file ---------------------------------------------------------------------

void NewOfferDialog::LoadOfferFile() {
    offerFileFaulty_ = false;
    offer::OfferData offerData;
    QFile file(offerFile_);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            offerFileFaulty_ = true;
            status_->setText(QStringLiteral("Nie można odczytać pliku %1: %2")
                                 .arg(offerFile_, file.errorString()));
        } else {
            const QByteArray bytes = file.readAll();
            offer::OfferReading reading = offer::ReadOfferJson(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            offerData = std::move(reading.data);
            offerFileFaulty_ = !reading.ok();
            status_->setText(
                reading.ok() ? QStringLiteral("Wczytano dane oferty z pliku %1.").arg(offerFile_)
                             : QStringLiteral("Plik %1 ma błędne wartości (zostaną zastąpione "
                                              "przy wystawianiu):\n%2")
                                   .arg(offerFile_, OfferErrorsText(reading.errors)));
        }
    }
    for (NewOfferStep* step : stepWidgets_) {
        step->Load(offerData);
    }
}

void NewOfferDialog::SaveOfferFile() {
    if (offerFileFaulty_) {
        return;  // the seller's own file with bad values stays until the seller sends
    }
    // The values as Allegro takes them ("1299.50") when they read well; otherwise the
    // seller's texts as typed, so that nothing is lost and the next reading names the fault.
    const std::string typed = offer::OfferToJson(Collected());
    const offer::OfferReading reading = offer::ReadOfferJson(typed);
    const std::string json = reading.ok() ? offer::OfferToJson(reading.data) : typed;
    if (const auto error = WriteFileAtomically(QFile::encodeName(offerFile_).toStdString(), json)) {
        status_->setText(QStringLiteral("Nie zapisano danych oferty: ") + FromUtf8(error->message));
    }
}

offer::OfferData NewOfferDialog::Collected() const {
    offer::OfferData offerData;
    for (const NewOfferStep* step : stepWidgets_) {
        step->Store(offerData);
    }
    return offerData;
}

// ---- the work at Allegro ---------------------------------------------------------------------

bool NewOfferDialog::Run(const QString& what, Job job) {
    return Run(what, [job = std::move(job)](pub::OfferCatalogue& catalogue,
                                            const std::atomic<bool>* cancel,
                                            const Post&) { return job(catalogue, cancel); });
}

bool NewOfferDialog::Run(const QString& what, PostingJob job) {
    if (busy_) {  // one job at a time: the latest wish runs next
        status_->setText(QStringLiteral("%1 Potem: %2").arg(status_->text(), what));
        pendingWhat_ = what;
        pending_ = std::move(job);
        return false;
    }
    SetBusy(true, what);
    worker_->Run([this, job = std::move(job)](AllegroWorker::State& state) -> Reply {
        auto session = state.Session(false);
        if (auto* failure = std::get_if<pub::Failure>(&session)) {
            return [this, text = FromUtf8(pub::WindowText(*failure))] {
                SetBusy(false, text);
                pending_ = nullptr;  // without a session it would fail alike
            };
        }
        pub::AllegroSession* opened = std::get<pub::AllegroSession*>(session);
        if (!catalogue_ || &catalogue_->session() != opened) {
            catalogue_ = std::make_unique<pub::OfferCatalogue>(*opened, pub::CacheFolder());
        }
        Reply reply = job(*catalogue_, &state.cancel, state.post);
        return [this, reply = std::move(reply)] {
            SetBusy(false, QString());
            reply();
            RunPending();
        };
    });
    return true;
}

void NewOfferDialog::RunPending() {
    if (busy_ || !pending_) {
        return;
    }
    PostingJob job = std::move(pending_);
    pending_ = nullptr;
    const QString shown = status_->text();
    Run(pendingWhat_, std::move(job));
    if (!shown.isEmpty()) {
        status_->setText(shown + QLatin1Char('\n') + pendingWhat_);
    }
}

void NewOfferDialog::SetBusy(bool busy, const QString& what) {
    busy_ = busy;
    status_->setText(what);
    UpdateButtons();
}

void NewOfferDialog::ReadSettings() {
    Run(QStringLiteral("Czytam Twoje cenniki, warunki i producentów z Allegro…"),
        [this](pub::OfferCatalogue& catalogue, const std::atomic<bool>* cancel) -> Reply {
            SettingsLists lists;
            QString failed;
            for (const pub::SettingsList list : pub::kAllSettingsLists) {
                auto read = catalogue.Settings(list, nullptr, cancel);
                if (auto* failure = std::get_if<pub::Failure>(&read)) {
                    if (failed.isEmpty()) {
                        failed = FromUtf8(pub::WindowText(*failure));
                    }
                    continue;
                }
                lists[list] = std::get<std::vector<pub::NamedSetting>>(std::move(read));
            }
            return [this, lists, failed] {
                terms_->ShowSettings(lists);
                safety_->ShowSettings(lists);
                status_->setText(failed);
            };
        });
}

void NewOfferDialog::SearchProducts(const QString& ean) {
    const std::string digits = ToUtf8(ean);
    if (!offer::IsValidGtin(digits)) {
        product_->ShowStatus(
            QStringLiteral("EAN ma 8, 12, 13 lub 14 cyfr, z właściwą cyfrą "
                           "kontrolną na końcu."));
        return;
    }
    Run(QStringLiteral("Szukam produktu w katalogu Allegro…"),
        PostingJob([this, digits](pub::OfferCatalogue& catalogue, const std::atomic<bool>* cancel,
                                  const Post& post) -> Reply {
            auto found = catalogue.ProductsByEan(digits, nullptr, cancel);
            if (auto* failure = std::get_if<pub::Failure>(&found)) {
                return [this, text = FromUtf8(pub::WindowText(*failure))] {
                    product_->ShowStatus(text);
                };
            }
            const auto products = std::get<std::vector<pub::CatalogueProduct>>(std::move(found));
            // The names and paths at once, then each picture as it comes.
            post([this, products] { product_->ShowProducts(products); });
            FetchPictures(catalogue, products, cancel, [this, &post](QString id, QImage picture) {
                post([this, id = std::move(id), picture = std::move(picture)] {
                    product_->ShowProductPicture(id, picture);
                });
            });
            return [] {};
        }));
}

// Fetched and decoded off the window's thread; a picture that cannot be had leaves the
// placeholder.
void NewOfferDialog::FetchPictures(pub::OfferCatalogue& catalogue,
                                   const std::vector<pub::CatalogueProduct>& products,
                                   const std::atomic<bool>* cancel,
                                   const std::function<void(QString, QImage)>& show) {
    constexpr std::size_t kMostPictures = 10;
    std::size_t fetched = 0;
    for (const auto& product : products) {
        if (product.imageUrl.empty() || fetched == kMostPictures ||
            (cancel != nullptr && cancel->load())) {
            continue;
        }
        ++fetched;
        if (const auto bytes = catalogue.ProductPicture(product.imageUrl, cancel)) {
            QImage picture = QImage::fromData(QByteArray::fromStdString(*bytes));
            if (!picture.isNull()) {
                show(FromUtf8(product.id), picture);
            }
        }
    }
}

// The form as it stands, or nothing when a text cannot be held (the seller is told why).
std::optional<AuctionForm> NewOfferDialog::FormNow() {
    auto snapshot = form_.Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        status_->setText(UnheldTextMessage(*unheld));
        return std::nullopt;
    }
    return std::get<AuctionForm>(std::move(snapshot));
}

void NewOfferDialog::SuggestCategories() {
    const auto form = FormNow();
    if (!form) {
        return;
    }
    const std::string title = structured::ExportAllegro(*form).name;
    Run(QStringLiteral("Pytam Allegro o kategorie dla tytułu…"),
        [this, title](pub::OfferCatalogue& catalogue, const std::atomic<bool>* cancel) -> Reply {
            auto found = catalogue.MatchingCategories(title, nullptr, cancel);
            if (auto* failure = std::get_if<pub::Failure>(&found)) {
                return [this, text = FromUtf8(pub::WindowText(*failure))] {
                    product_->ShowStatus(text);
                };
            }
            return [this, categories = std::get<std::vector<pub::CategorySuggestion>>(found)] {
                product_->ShowCategories(categories);
            };
        });
}

void NewOfferDialog::ReadParameters(const QString& categoryId) {
    const std::string id = ToUtf8(categoryId);
    if (id.empty()) {
        product_->ShowStatus(QStringLiteral("Podaj numer kategorii albo wybierz ją z listy."));
        return;
    }
    Run(QStringLiteral("Czytam parametry kategorii %1…").arg(categoryId),
        [this, id](pub::OfferCatalogue& catalogue, const std::atomic<bool>* cancel) -> Reply {
            auto read = catalogue.CategoryParameters(id, nullptr, cancel);
            if (auto* failure = std::get_if<pub::Failure>(&read)) {
                return [this, text = FromUtf8(pub::WindowText(*failure))] {
                    product_->ShowStatus(text);
                };
            }
            return [this, parameters = std::get<std::vector<pub::CategoryParameter>>(read)] {
                product_->ShowParameters(parameters);
            };
        });
}

// The offer data as the command line would read it from the file: the seller's texts
// ("1 299,00") checked and turned into Allegro's values, every bad one under its key.
std::optional<offer::OfferData> NewOfferDialog::CheckedData() {
    const offer::OfferReading reading = offer::ReadOfferJson(offer::OfferToJson(Collected()));
    if (!reading.ok()) {
        ClearErrors();
        summary_->ShowProblem(
            QStringLiteral("Popraw dane oferty; nic nie zostało wysłane do Allegro."),
            PlaceErrors(reading.errors), {}, {});
        return std::nullopt;
    }
    return reading.data;
}

void NewOfferDialog::Prepare() {
    offerFileFaulty_ = false;  // the seller sends: what the steps hold is the offer data now
    SaveOfferFile();
    const auto offerData = CheckedData();
    const auto form = FormNow();
    if (!offerData || !form) {
        return;
    }
    summary_->ShowWorking(QStringLiteral("Sprawdzam ofertę w Allegro…"));
    const bool started = Run(
        QStringLiteral("Sprawdzam ofertę w Allegro…"),
        [this, offerData = *offerData, form = *form](pub::OfferCatalogue& catalogue,
                                                     const std::atomic<bool>* cancel) -> Reply {
            auto prepared = pub::PrepareNewOffer(catalogue, offerData, form, {}, nullptr, cancel);
            if (auto* problem = std::get_if<pub::PrepareProblem>(&prepared)) {
                return [this, problem = std::move(*problem)] { ShowProblem(problem); };
            }
            return [this, offer = std::get<pub::PreparedOffer>(std::move(prepared))] {
                summary_->ShowPrepared(offer);
            };
        });
    if (!started) {
        summary_->ShowWorking(
            QStringLiteral("Sprawdzę ofertę w Allegro, gdy skończy się poprzednie zapytanie…"));
    }
}

void NewOfferDialog::ShowProblem(const pub::PrepareProblem& problem) {
    const QString sentence =
        problem.failure.message.empty()
            ? QStringLiteral("Popraw dane oferty; nic nie zostało wysłane do Allegro.")
            : FromUtf8(pub::WindowText(problem.failure));
    ClearErrors();
    summary_->ShowProblem(sentence, PlaceErrors(problem.errors), problem.suggestions,
                          problem.findings);
}

// Prepared again from what the steps hold now (the look-ups are kept, so this costs no
// requests), then created: a draft, or activated at once.
void NewOfferDialog::Create(bool activate) {
    SaveOfferFile();
    const auto offerData = CheckedData();
    const auto form = FormNow();
    if (!offerData || !form) {
        return;
    }
    summary_->ShowWorking(activate ? QStringLiteral("Wystawiam ofertę…")
                                   : QStringLiteral("Zapisuję szkic oferty w Allegro…"));
    pub::CreateOptions options;
    options.activate = activate;
    options.projectFolder = QFile::encodeName(projectFolder_).toStdString();
    Run(summary_->findChild<QLabel*>(QStringLiteral("summaryHeadline"))->text(),
        [this, offerData = *offerData, form = *form, options](
            pub::OfferCatalogue& catalogue, const std::atomic<bool>* cancel) -> Reply {
            pub::PrepareOptions prepareOptions;
            prepareOptions.activate = options.activate;
            auto prepared =
                pub::PrepareNewOffer(catalogue, offerData, form, prepareOptions, nullptr, cancel);
            if (auto* problem = std::get_if<pub::PrepareProblem>(&prepared)) {
                return [this, problem = std::move(*problem)] { ShowProblem(problem); };
            }
            pub::CreateResult result = pub::CreateOffer(
                catalogue, std::get<pub::PreparedOffer>(std::move(prepared)), options, {}, cancel);
            return [this, result = std::move(result)] { ShowCreated(result); };
        });
}

void NewOfferDialog::ShowCreated(const pub::CreateResult& result) {
    ClearErrors();
    std::vector<SummaryError> gaps = PlaceErrors(result.placedWarnings);
    for (const std::string& warning : result.warnings) {  // the notes beside the gaps
        if (std::none_of(result.placedWarnings.begin(), result.placedWarnings.end(),
                         [&](const auto& gap) { return gap.line == warning; })) {
            gaps.push_back({FromUtf8(warning), {}, -1});
        }
    }
    if (result.outcome == pub::Outcome::Done && !result.cancelled) {
        summary_->ShowCreated(result, gaps);
        return;
    }
    QString text = FromUtf8(result.message);
    if (result.failure && SaysHowToSignIn(*result.failure)) {
        pub::Failure untraced = *result.failure;
        untraced.traceId.clear();  // added below, as for every failure
        text = FromUtf8(pub::WindowText(untraced));
    }
    if (!result.traceId.empty()) {
        text += QStringLiteral(" (Trace-Id: %1)").arg(FromUtf8(result.traceId));
    }
    std::vector<SummaryError> errors = PlaceErrors(result.placedErrors);
    errors.insert(errors.end(), gaps.begin(), gaps.end());
    // Without Allegro's answer to the POST the offer may exist: no second try from here.
    const bool mayExist = result.posted && result.errors.empty();
    summary_->ShowFailure(text, errors, !mayExist);
}

// ---- errors at their fields --------------------------------------------------------------------

void NewOfferDialog::ClearErrors() {
    for (NewOfferStep* step : stepWidgets_) {
        step->ClearMarks();
    }
    errorTargets_.clear();
}

std::vector<SummaryError> NewOfferDialog::PlaceErrors(const std::vector<pub::PlacedError>& errors) {
    std::vector<SummaryError> lines;
    for (const pub::PlacedError& error : errors) {
        SummaryError line{ErrorLine(error), {}, -1};
        for (std::size_t step = 0; step < SummaryStep; ++step) {
            const std::vector<QWidget*> fields = stepWidgets_[step]->FieldsFor(error.place);
            for (QWidget* field : fields) {
                stepWidgets_[step]->MarkField(field, FromUtf8(error.words));
            }
            if (!fields.empty() && line.target < 0) {
                line.step = StepName(step);
                line.target = static_cast<int>(errorTargets_.size());
                errorTargets_.push_back({static_cast<int>(step), fields.front()});
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<SummaryError> NewOfferDialog::PlaceErrors(
    const std::vector<offer::OfferError>& errors) {
    std::vector<pub::PlacedError> placed;
    placed.reserve(errors.size());
    for (const offer::OfferError& error : errors) {
        placed.push_back(pub::PlaceError(error));
    }
    return PlaceErrors(placed);
}

void NewOfferDialog::GoToError(int target) {
    if (target < 0 || target >= static_cast<int>(errorTargets_.size())) {
        return;
    }
    const ErrorTarget& chosen = errorTargets_[static_cast<std::size_t>(target)];
    const QPointer<QWidget> field = chosen.field;
    stepList_->setCurrentRow(chosen.step);
    if (field) {
        NewOfferStep::FocusField(field);
    }
}

}  // namespace licytek
