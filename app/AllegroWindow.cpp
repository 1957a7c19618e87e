#include "app/AllegroWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <variant>

#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/FormBinding.h"
#include "generator/Document.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "model/Text.h"
#include "structured/Preview.h"

namespace licytek {
namespace {

using structured::Finding;
using structured::PageFinding;
using structured::Severity;

const QString kJsonFileName = QStringLiteral("opis-allegro.json");
const QColor kErrorColour(0xB0, 0x00, 0x20);

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Count(std::size_t number) {
    return QLocale(QLocale::Polish, QLocale::Poland).toString(static_cast<qulonglong>(number));
}

// A label for what the seller typed: never read as markup.
QLabel* PlainLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void MarkOver(QLabel& label, bool over) {
    QPalette colours = label.palette();
    colours.setColor(
        QPalette::WindowText,
        over ? kErrorColour : label.parentWidget()->palette().color(QPalette::WindowText));
    label.setPalette(colours);
}

QString SeverityWord(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return QStringLiteral("Błąd");
        case Severity::Warning:
            return QStringLiteral("Ostrzeżenie");
        case Severity::Note:
            return QStringLiteral("Uwaga");
    }
    return {};
}

QIcon SeverityIcon(const QStyle& style, Severity severity) {
    switch (severity) {
        case Severity::Error:
            return style.standardIcon(QStyle::SP_MessageBoxCritical);
        case Severity::Warning:
            return style.standardIcon(QStyle::SP_MessageBoxWarning);
        case Severity::Note:
            return style.standardIcon(QStyle::SP_MessageBoxInformation);
    }
    return {};
}

// "Błąd – Nagłówek aukcji: …": the input by the name the seller knows it under.
QString FindingText(const Finding& finding) {
    QString where;
    if (const FormField* field = FindFormField(finding.control)) {
        where = FromUtf8(field->label);
    } else {
        where = FromUtf8(finding.control);
    }
    const QString severity = SeverityWord(finding.severity);
    return where.isEmpty() ? severity + QStringLiteral(": ") + FromUtf8(finding.message)
                           : severity + QStringLiteral(" – ") + where + QStringLiteral(": ") +
                                 FromUtf8(finding.message);
}

// "12:5: ebay: …", as the command-line check prints it.
QString PageFindingText(const PageFinding& finding) {
    return QStringLiteral("%1:%2: %3: %4")
        .arg(finding.line)
        .arg(finding.column)
        .arg(FromUtf8(structured::TargetName(finding.target)), FromUtf8(finding.message));
}

QListWidget* FindingsList(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setAccessibleName(name);
    list->setWordWrap(true);
    list->setResizeMode(QListView::Adjust);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

}  // namespace

AllegroWindow::AllegroWindow(const FormBinding& form, std::function<std::string()> sellerId,
                             Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window), form_(form), sellerId_(std::move(sellerId)), desktop_(desktop) {
    setObjectName(QStringLiteral("AllegroWindow"));
    setWindowTitle(QStringLiteral("Opis dla Allegro"));
    setAccessibleName(windowTitle());
    setPalette(parent->palette());  // the main window's sky blue

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->addTab(BuildDescriptionTab(), QStringLiteral("Opis w sekcjach"));
    tabs_->addTab(BuildPageTab(), QStringLiteral("Zgodność strony"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(BuildButtons());
    resize(760, 620);

    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(kRefreshDelayMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &AllegroWindow::Refresh);
    WatchInputs(form);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });
}

AllegroWindow::~AllegroWindow() = default;

QWidget* AllegroWindow::BuildDescriptionTab() {
    auto* tab = new QWidget;
    title_ = PlainLabel(tab);
    title_->setObjectName(QStringLiteral("title"));
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    titleCount_ = PlainLabel(tab);
    titleCount_->setObjectName(QStringLiteral("titleCount"));
    titleCount_->setToolTip(
        QStringLiteral("Długość tytułu tak, jak liczy ją Allegro: & liczy się jako 5 znaków, "
                       "< i > jako 4, \" jako 6"));
    size_ = PlainLabel(tab);
    size_->setObjectName(QStringLiteral("size"));
    size_->setToolTip(
        QStringLiteral("Rozmiar opisu w bajtach (JSON w UTF-8); Allegro przyjmuje "
                       "najwyżej 40 000"));

    preview_ = new QTextBrowser(tab);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setAccessibleName(QStringLiteral("Podgląd opisu w sekcjach"));
    preview_->setOpenLinks(false);
    preview_->setTabChangesFocus(true);
    findings_ = FindingsList(QStringLiteral("Uwagi do opisu"), tab);
    findings_->setObjectName(QStringLiteral("findings"));
    auto* findingsLabel = new QLabel(QStringLiteral("&Uwagi (najpierw błędy):"), tab);
    findingsLabel->setBuddy(findings_);
    auto* findingsBox = new QWidget(tab);
    auto* findingsLayout = new QVBoxLayout(findingsBox);
    findingsLayout->setContentsMargins(0, 0, 0, 0);
    findingsLayout->addWidget(findingsLabel);
    findingsLayout->addWidget(findings_);
    auto* split = new QSplitter(Qt::Vertical, tab);
    split->addWidget(preview_);
    split->addWidget(findingsBox);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    withTerms_ = new QCheckBox(QStringLiteral("&Dołącz regulamin i koszty przesyłki"), tab);
    withTerms_->setObjectName(QStringLiteral("withTerms"));
    withTerms_->setToolTip(
        QStringLiteral("Dodaje na końcu opisu dwie sekcje: "
                       "regulamin aukcji i koszty przesyłki"));
    connect(withTerms_, &QCheckBox::toggled, this, &AllegroWindow::Refresh);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title_, 1);
    titleRow->addWidget(titleCount_);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(titleRow);
    layout->addWidget(size_);
    layout->addWidget(split, 1);
    layout->addWidget(withTerms_);
    return tab;
}

QWidget* AllegroWindow::BuildPageTab() {
    auto* tab = new QWidget;
    auto* intro = new QLabel(QStringLiteral("Co w stronie z przycisku AUKCJA odrzuciłoby "
                                            "dzisiejsze Allegro i eBay "
                                            "(wiersz:kolumna: serwis: zasada):"),
                             tab);
    intro->setWordWrap(true);
    pageFindings_ = FindingsList(QStringLiteral("Zgodność strony"), tab);
    pageFindings_->setObjectName(QStringLiteral("pageFindings"));
    intro->setBuddy(pageFindings_);
    pageSummary_ = PlainLabel(tab);
    pageSummary_->setObjectName(QStringLiteral("pageSummary"));
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(intro);
    layout->addWidget(pageFindings_, 1);
    layout->addWidget(pageSummary_);
    return tab;
}

QLayout* AllegroWindow::BuildButtons() {
    status_ = PlainLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    auto button = [this](const char* name, const QString& text, const QString& tip) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setToolTip(tip);
        return pushButton;
    };
    QPushButton* copy = button("copyButton", QStringLiteral("&Kopiuj opis"),
                               QStringLiteral("Kopiuje opis do schowka: bloki tekstu po kolei, "
                                              "a pod nimi listę zdjęć do dodania"));
    QPushButton* save = button("saveButton", QStringLiteral("&Zapisz JSON…"),
                               QStringLiteral("Zapisuje tytuł, zdjęcia i opis w sekcjach jako "
                                              "plik JSON"));
    QPushButton* close =
        button("closeButton", QStringLiteral("Za&mknij"), QStringLiteral("Zamyka to okno"));
    connect(copy, &QPushButton::clicked, this, &AllegroWindow::CopyDescription);
    connect(save, &QPushButton::clicked, this, &AllegroWindow::SaveJson);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* row = new QHBoxLayout;
    row->addWidget(status_, 1);
    row->addWidget(copy);
    row->addWidget(save);
    row->addWidget(close);
    return row;
}

// Every input of the form, whatever its kind, restarts the wait for a new export.
void AllegroWindow::WatchInputs(const FormBinding& form) {
    for (const auto& [field, control] : form.Bindings()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            connect(edit, &QLineEdit::textChanged, this, &AllegroWindow::ScheduleRefresh);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
            connect(text, &QPlainTextEdit::textChanged, this, &AllegroWindow::ScheduleRefresh);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::toggled, this, &AllegroWindow::ScheduleRefresh);
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            connect(list, &QComboBox::currentIndexChanged, this, &AllegroWindow::ScheduleRefresh);
            connect(list, &QComboBox::editTextChanged, this, &AllegroWindow::ScheduleRefresh);
        }
    }
}

void AllegroWindow::ScheduleRefresh() {
    if (!isVisible()) {
        stale_ = true;  // no work for a window nobody sees; it catches up when shown
        return;
    }
    refreshTimer_.start();
}

void AllegroWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) {
        Refresh();
    }
}

void AllegroWindow::Refresh() {
    refreshTimer_.stop();
    stale_ = false;
    status_->clear();
    auto snapshot = form_.Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        ShowUnreadableForm(UnheldTextMessage(*unheld));
        return;
    }
    unreadable_.clear();
    const AuctionForm& form = std::get<AuctionForm>(snapshot);
    offer_ = structured::ExportAllegro(form, {.withTerms = withTerms_->isChecked()});
    ShowOffer(*offer_);
    const std::string page = Cp1250ToUtf8(BuildDocument(form, sellerId_()));
    ShowPageFindings(structured::CheckPage(page));
}

void AllegroWindow::ShowOffer(const structured::AllegroOffer& offer) {
    const std::size_t titleLength = structured::TitleLength(offer.name);
    title_->setText(QStringLiteral("Tytuł oferty: ") + FromUtf8(offer.name));
    titleCount_->setText(QStringLiteral("%1/%2").arg(titleLength).arg(structured::kMaxTitleLength));
    MarkOver(*titleCount_, titleLength > structured::kMaxTitleLength);
    size_->setText(
        QStringLiteral("Rozmiar opisu: %1 / %2 bajtów")
            .arg(Count(offer.descriptionBytes), Count(structured::kMaxDescriptionBytes)));
    MarkOver(*size_, offer.descriptionBytes > structured::kMaxDescriptionBytes);
    preview_->setHtml(FromUtf8(structured::DescriptionPreviewHtml(offer.description)));
    ShowFindings(offer.findings);
}

void AllegroWindow::ShowFindings(std::vector<Finding> findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return static_cast<int>(a.severity) < static_cast<int>(b.severity);
    });
    findings_->clear();
    for (const Finding& finding : findings) {
        auto* item = new QListWidgetItem(SeverityIcon(*style(), finding.severity),
                                         FindingText(finding), findings_);
        item->setToolTip(item->text());
    }
    if (findings.empty()) {
        findings_->addItem(QStringLiteral("Brak uwag: Allegro przyjmie ten opis."));
    }
}

void AllegroWindow::ShowPageFindings(const std::vector<PageFinding>& findings) {
    pageFindings_->clear();
    std::size_t refusedByAllegro = 0;
    std::size_t refusedByEbay = 0;
    for (const PageFinding& finding : findings) {
        auto* item = new QListWidgetItem(SeverityIcon(*style(), finding.severity),
                                         PageFindingText(finding), pageFindings_);
        item->setToolTip(FromUtf8(finding.subject));
        if (finding.severity == Severity::Error) {
            ++(finding.target == structured::Target::Allegro ? refusedByAllegro : refusedByEbay);
        }
    }
    pageSummary_->setText(
        QStringLiteral("Uwag: %1 (do odrzucenia przez Allegro: %2, przez eBay: %3)")
            .arg(findings.size())
            .arg(refusedByAllegro)
            .arg(refusedByEbay));
}

void AllegroWindow::ShowUnreadableForm(const QString& message) {
    unreadable_ = message;
    offer_.reset();
    title_->clear();
    titleCount_->clear();
    size_->clear();
    preview_->clear();
    findings_->clear();
    findings_->addItem(
        new QListWidgetItem(SeverityIcon(*style(), Severity::Error), message, findings_));
    pageFindings_->clear();
    pageSummary_->clear();
}

const structured::AllegroOffer* AllegroWindow::UsableOffer() {
    if (refreshTimer_.isActive() || stale_) {
        Refresh();  // the seller's last edit counts, even within the wait
    }
    if (!offer_) {
        desktop_.ShowError(unreadable_);
        return nullptr;
    }
    if (offer_->HasErrors()) {
        QString text = QStringLiteral("Allegro nie przyjmie tego opisu:");
        for (const Finding& finding : offer_->findings) {
            if (finding.severity == Severity::Error) {
                text += QStringLiteral("\n• ") + FindingText(finding);
            }
        }
        desktop_.ShowError(text + QStringLiteral("\nPopraw formularz i spróbuj jeszcze raz."));
        return nullptr;
    }
    return &*offer_;
}

void AllegroWindow::CopyDescription() {
    if (const auto* offer = UsableOffer()) {
        desktop_.CopyToClipboard(FromUtf8(structured::OfferToPasteText(*offer)));
        status_->setText(QStringLiteral("Opis jest w schowku."));
    }
}

void AllegroWindow::SaveJson() {
    const auto* offer = UsableOffer();
    if (offer == nullptr) {
        return;
    }
    // Taken before the dialog, whose event loop may refresh the offer.
    const std::string json = structured::OfferToJson(*offer);
    const QString path =
        desktop_.AskSaveFileName(QStringLiteral("Zapisz opis dla Allegro"), kJsonFileName,
                                 QStringLiteral("Opis JSON (*.json);;Wszystkie pliki (*)"));
    if (path.isEmpty()) {
        return;
    }
    if (const auto error = WriteFileAtomically(QFile::encodeName(path).toStdString(), json)) {
        desktop_.ShowError(QString::fromStdString(error->message));
        return;
    }
    status_->setText(QStringLiteral("Zapisano: ") + path);
}

}  // namespace licytek
