#include "app/AllegroWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextFrame>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <utility>
#include <variant>

#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/FormBinding.h"
#include "app/NewOfferDialog.h"
#include "app/PanelPlacement.h"
#include "app/PictureThumbnails.h"
#include "app/SendToAllegroDialog.h"
#include "generator/Document.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "model/PolishNumbers.h"
#include "model/ProjectFile.h"
#include "model/Text.h"
#include "offer/OfferData.h"
#include "structured/Preview.h"

namespace licytek {
namespace {

using structured::Finding;
using structured::ItemType;
using structured::PageFinding;
using structured::Section;
using structured::Severity;

const QString kJsonFileName = QStringLiteral("opis-allegro.json");
const QColor kErrorColour(0xB0, 0x00, 0x20);

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
QString SeverityAndText(const Finding& finding) {
    const QString severity = SeverityWord(finding.severity);
    const QString text = FromUtf8(structured::FindingText(finding));
    return finding.control.empty() ? severity + QStringLiteral(": ") + text
                                   : severity + QStringLiteral(" – ") + text;
}

// "12:5: ebay: …", as the command-line check prints it.
QString PageFindingText(const PageFinding& finding) {
    return QStringLiteral("%1:%2: %3: %4")
        .arg(finding.line)
        .arg(finding.column)
        .arg(FromUtf8(structured::TargetName(finding.target)), FromUtf8(finding.message));
}

// "3 sekcje", "5 sekcji": a count as it follows "ma".
QString SectionCount(std::size_t count) {
    return FromUtf8(CountedNoun(count, "sekcję", "sekcje", "sekcji"));
}

// "w sekcji 2", "w sekcjach 1, 3 i 4".
QString InSections(const std::vector<std::size_t>& numbers) {
    QStringList words;
    for (const std::size_t number : numbers) {
        words << QString::number(number);
    }
    const QString last = words.takeLast();
    return words.isEmpty() ? QStringLiteral("w sekcji ") + last
                           : QStringLiteral("w sekcjach ") + words.join(QStringLiteral(", ")) +
                                 QStringLiteral(" i ") + last;
}

// A section's layout as the editor of Allegro offers it.
QString LayoutWords(const Section& section) {
    const auto type = [&](std::size_t i) { return section.items[i].type; };
    if (section.items.size() < 2) {
        return !section.items.empty() && type(0) == ItemType::Image
                   ? QStringLiteral("z jednym zdjęciem")
                   : QStringLiteral("z samym tekstem");
    }
    if (type(0) == ItemType::Image && type(1) == ItemType::Image) {
        return QStringLiteral("z dwoma zdjęciami");
    }
    return type(0) == ItemType::Image ? QStringLiteral("ze zdjęciem po lewej i tekstem po prawej")
                                      : QStringLiteral("z tekstem po lewej i zdjęciem po prawej");
}

QStringList PictureAddresses(const Section& section) {
    QStringList addresses;
    for (const structured::Item& item : section.items) {
        if (item.type == ItemType::Image) {
            addresses << FromUtf8(item.content);
        }
    }
    return addresses;
}

// HTML for the rich-text editor that takes it, with the plain text beside it for the rest.
std::unique_ptr<QMimeData> ClipboardData(const structured::ClipboardText& text) {
    auto data = std::make_unique<QMimeData>();
    if (!text.html.empty()) {
        data->setHtml(FromUtf8(text.html));
    }
    data->setText(FromUtf8(text.plain));
    return data;
}

// What to do in the editor of Allegro once the whole description is in the clipboard.
QString AfterCopyingDescription(const structured::Description& description) {
    QString advice = QStringLiteral(
        "Opis jest w schowku. W edytorze opisu Allegro wklej go (Ctrl+V) w pole tekstu.");
    const std::size_t count = description.sections.size();
    if (count > 1) {
        advice += QStringLiteral(
                      " Opis ma %1: żeby zachować ich układ, dodaj w edytorze tyle "
                      "samo sekcji i wklej do każdej jej tekst („Kopiuj sekcję”).")
                      .arg(SectionCount(count));
    }
    std::vector<std::size_t> withPictures;
    for (std::size_t i = 0; i < count; ++i) {
        if (!PictureAddresses(description.sections[i]).isEmpty()) {
            withPictures.push_back(i + 1);
        }
    }
    if (!withPictures.empty()) {
        advice += QStringLiteral(" Zdjęcia dodaj w edytorze %1; ich adresy są w podglądzie.")
                      .arg(InSections(withPictures));
    }
    return advice;
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
                             std::function<bool()> hasUnsavedChanges, Desktop& desktop,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      form_(form),
      sellerId_(std::move(sellerId)),
      hasUnsavedChanges_(std::move(hasUnsavedChanges)),
      desktop_(desktop) {
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
    preview_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(preview_, &QWidget::customContextMenuRequested, this, &AllegroWindow::ShowPreviewMenu);

    auto* buttonStrip = new QWidget;
    sectionButtons_ = new QHBoxLayout(buttonStrip);
    sectionButtons_->setContentsMargins(0, 0, 0, 0);
    sectionButtons_->addStretch(1);
    auto* buttonScroll = new QScrollArea(tab);
    buttonScroll->setObjectName(QStringLiteral("sectionButtons"));
    buttonScroll->setFrameShape(QFrame::NoFrame);
    buttonScroll->setWidgetResizable(true);
    buttonScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    buttonScroll->setWidget(buttonStrip);
    // the tab's own background shows through, as around every other control
    buttonStrip->setAutoFillBackground(false);
    buttonScroll->viewport()->setAutoFillBackground(false);
    // room for a row of buttons and, with many sections, the scroll bar under it
    buttonScroll->setFixedHeight(QToolButton().sizeHint().height() +
                                 buttonScroll->horizontalScrollBar()->sizeHint().height());
    auto* sectionsLabel = new QLabel(QStringLiteral("Kopiuj sekcję:"), tab);
    sectionsLabel->setToolTip(
        QStringLiteral("Kopiuje tekst jednej sekcji, by wkleić go w tę samą sekcję w edytorze "
                       "Allegro (także z menu podglądu pod prawym przyciskiem myszy)"));
    auto* sectionsRow = new QHBoxLayout;
    sectionsRow->addWidget(sectionsLabel);
    sectionsRow->addWidget(buttonScroll, 1);
    auto* previewBox = new QWidget(tab);
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(preview_);
    previewLayout->addLayout(sectionsRow);

    auto* split = new QSplitter(Qt::Vertical, tab);
    split->addWidget(previewBox);
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
    status_->setWordWrap(true);  // what to do next in the editor of Allegro takes a few lines
    // room for the usual two lines kept, so that the window does not jump at every copy
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing());
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto button = [this](const char* name, const QString& text, const QString& tip) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setToolTip(tip);
        return pushButton;
    };
    QPushButton* copy = button("copyButton", QStringLiteral("&Kopiuj opis"),
                               QStringLiteral("Kopiuje tekst opisu do schowka, z nagłówkami, "
                                              "pogrubieniami i listami, by wkleić go w edytorze "
                                              "opisu Allegro"));
    QPushButton* send = button("sendButton", QStringLiteral("&Wyślij do Allegro…"),
                               QStringLiteral("Zmienia opis jednej z Twoich ofert na Allegro na "
                                              "ten opis, razem ze zdjęciami"));
    if (const auto why = SendToAllegroDialog::WhyUnavailable()) {
        send->setEnabled(false);
        send->setToolTip(*why);
    }
    QPushButton* save = button("saveButton", QStringLiteral("&Zapisz JSON…"),
                               QStringLiteral("Zapisuje tytuł, zdjęcia i opis w sekcjach jako "
                                              "plik JSON"));
    QPushButton* close =
        button("closeButton", QStringLiteral("Za&mknij"), QStringLiteral("Zamyka to okno"));
    connect(copy, &QPushButton::clicked, this, &AllegroWindow::CopyDescription);
    QPushButton* newOffer = button("newOfferButton", QStringLiteral("&Nowa oferta na Allegro…"),
                                   QStringLiteral("Wystawia ten opis jako nową ofertę: szkic albo "
                                                  "od razu"));
    newOffer->setEnabled(send->isEnabled());
    newOffer->setToolTip(send->isEnabled() ? newOffer->toolTip() : send->toolTip());
    connect(send, &QPushButton::clicked, this, &AllegroWindow::OpenSendDialog);
    connect(newOffer, &QPushButton::clicked, this, &AllegroWindow::OpenNewOfferDialog);
    connect(save, &QPushButton::clicked, this, &AllegroWindow::SaveJson);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(copy);
    row->addWidget(send);
    row->addWidget(newOffer);
    row->addWidget(save);
    row->addWidget(close);
    auto* rows = new QVBoxLayout;
    rows->addWidget(status_);
    rows->addLayout(row);
    return rows;
}

// Every input of the form, whatever its kind, restarts the wait for a new export.
void AllegroWindow::WatchInputs(const FormBinding& form) {
    form.OnAnyChange(this, [this] { ScheduleRefresh(); });
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
    // A picture from the disk is shown, and sent to Allegro by "Wyślij do Allegro…".
    offer_ = structured::ExportAllegro(
        form, {.withTerms = withTerms_->isChecked(), .acceptLocalPictures = true});
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
    ShowLocalThumbnails(*preview_->document(), offer.description, QDir::currentPath());
    ShowSectionButtons(offer.description.sections.size());
    ShowFindings(offer.findings);
}

void AllegroWindow::ShowSectionButtons(std::size_t count) {
    for (; sectionButtonCount_ > count; --sectionButtonCount_) {
        // later, as the button may be the one whose click led here
        sectionButtons_->itemAt(static_cast<int>(sectionButtonCount_ - 1))->widget()->deleteLater();
        delete sectionButtons_->takeAt(static_cast<int>(sectionButtonCount_ - 1));
    }
    for (; sectionButtonCount_ < count; ++sectionButtonCount_) {
        const std::size_t index = sectionButtonCount_;
        auto* button = new QToolButton;
        button->setText(QString::number(index + 1));
        button->setObjectName(QStringLiteral("copySection%1").arg(index + 1));
        button->setAccessibleName(QStringLiteral("Kopiuj sekcję %1").arg(index + 1));
        button->setToolTip(button->accessibleName());
        connect(button, &QToolButton::clicked, this, [this, index] { CopySection(index); });
        sectionButtons_->insertWidget(static_cast<int>(index), button);
    }
}

// The preview shows each section as one table at the top of its document, after the line
// that names it; a place belongs to the first table that does not end before it.
std::optional<std::size_t> AllegroWindow::SectionAt(const QPoint& position) const {
    if (!offer_) {
        return std::nullopt;
    }
    const int at = preview_->cursorForPosition(position).position();
    const QList<QTextFrame*> tables = preview_->document()->rootFrame()->childFrames();
    if (static_cast<std::size_t>(tables.size()) != offer_->description.sections.size()) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < tables.size(); ++i) {
        if (at <= tables[i]->lastPosition()) {
            return static_cast<std::size_t>(i);
        }
    }
    return std::nullopt;
}

void AllegroWindow::ShowPreviewMenu(const QPoint& position) {
    QMenu* menu = preview_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    if (const auto section = SectionAt(position)) {
        const std::size_t index = *section;
        menu->addAction(QStringLiteral("Kopiuj &sekcję %1").arg(index + 1), this,
                        [this, index] { CopySection(index); });
    }
    menu->addAction(QStringLiteral("Kopiuj &opis"), this, &AllegroWindow::CopyDescription);
    menu->popup(preview_->viewport()->mapToGlobal(position));
}

void AllegroWindow::ShowFindings(std::vector<Finding> findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return static_cast<int>(a.severity) < static_cast<int>(b.severity);
    });
    findings_->clear();
    for (const Finding& finding : findings) {
        auto* item = new QListWidgetItem(SeverityIcon(*style(), finding.severity),
                                         SeverityAndText(finding), findings_);
        item->setToolTip(item->text());
    }
    if (findings.empty()) {
        findings_->addItem(QStringLiteral("Brak uwag: Allegro przyjmie ten opis."));
    }
}

void AllegroWindow::ShowPageFindings(const std::vector<PageFinding>& findings) {
    pageFindings_->clear();
    for (const PageFinding& finding : findings) {
        auto* item = new QListWidgetItem(SeverityIcon(*style(), finding.severity),
                                         PageFindingText(finding), pageFindings_);
        item->setToolTip(FromUtf8(finding.subject));
    }
    // Counted as the command line counts: a line that sums up the rest counts every place.
    const structured::PageCounts counts = structured::CountPageFindings(findings);
    pageSummary_->setText(
        QStringLiteral("Błędów: %1, ostrzeżeń: %2 (do odrzucenia przez Allegro: %3, przez "
                       "eBay: %4)")
            .arg(counts.errors)
            .arg(counts.warnings)
            .arg(counts.allegroErrors)
            .arg(counts.ebayErrors));
}

void AllegroWindow::ShowUnreadableForm(const QString& message) {
    unreadable_ = message;
    offer_.reset();
    title_->clear();
    titleCount_->clear();
    size_->clear();
    preview_->clear();
    ShowSectionButtons(0);
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
                text += QStringLiteral("\n• ") + FromUtf8(structured::FindingText(finding));
            }
        }
        desktop_.ShowError(text + QStringLiteral("\nPopraw formularz i spróbuj jeszcze raz."));
        return nullptr;
    }
    return &*offer_;
}

void AllegroWindow::CopyDescription() {
    if (const auto* offer = UsableOffer()) {
        desktop_.PutOnClipboard(
            ClipboardData(structured::DescriptionClipboardText(offer->description)));
        status_->setText(AfterCopyingDescription(offer->description));
    }
}

void AllegroWindow::CopySection(std::size_t index) {
    const auto* offer = UsableOffer();
    if (offer == nullptr || index >= offer->description.sections.size()) {
        return;  // refused, or the section went away with the seller's last edit
    }
    const Section& section = offer->description.sections[index];
    const structured::ClipboardText text = structured::SectionClipboardText(section);
    const QStringList pictures = PictureAddresses(section);
    const QString number = QString::number(index + 1);
    if (text.plain.empty()) {
        desktop_.CopyToClipboard(pictures.join(QLatin1Char('\n')));
        status_->setText(QStringLiteral("Sekcja %1 ma same zdjęcia; ich adresy są w schowku. W "
                                        "edytorze Allegro dodaj sekcję %2 i wstaw w niej "
                                        "zdjęcia.")
                             .arg(number, LayoutWords(section)));
        return;
    }
    desktop_.PutOnClipboard(ClipboardData(text));
    QString advice = QStringLiteral(
                         "Sekcja %1 jest w schowku. W edytorze Allegro dodaj sekcję "
                         "%2 i wklej tekst (Ctrl+V) w jej pole tekstu.")
                         .arg(number, LayoutWords(section));
    if (!pictures.isEmpty()) {
        advice += QStringLiteral(" Zdjęcie do wstawienia obok: %1").arg(pictures.join(", "));
    }
    status_->setText(advice);
}

void AllegroWindow::SaveJson() {
    const auto* offer = UsableOffer();
    if (offer == nullptr) {
        return;
    }
    // The file is for tools that hand it to Allegro as it is: a path on this disk means
    // nothing there.
    const auto local = std::find_if(
        offer->images.begin(), offer->images.end(),
        [](const std::string& source) { return structured::IsLocalPictureSource(source); });
    if (local != offer->images.end()) {
        desktop_.ShowError(
            QStringLiteral("Zdjęcie z dysku „%1” nie ma adresu w internecie, więc plik JSON nie "
                           "nadałby się dla Allegro. Wyślij opis przyciskiem „Wyślij do "
                           "Allegro…”, który wyśle też zdjęcie, albo wstaw adres zdjęcia.")
                .arg(FromUtf8(*local)));
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
        desktop_.ShowError(path + QStringLiteral(": ") + FromUtf8(PolishMessage(*error)));
        return;
    }
    status_->setText(QStringLiteral("Zapisano: ") + path);
}

void AllegroWindow::OpenSendDialog() {
    const bool first = sendDialog_ == nullptr;
    if (first) {
        sendDialog_ = new SendToAllegroDialog(
            form_, {[this] { return withTerms_->isChecked(); }, hasUnsavedChanges_}, desktop_,
            this);
    }
    sendDialog_->show();
    if (first && parentWidget() != nullptr) {
        PlaceBeside(*sendDialog_, *parentWidget());  // beside the form, as this window
    }
    sendDialog_->raise();
    sendDialog_->activateWindow();
}

void AllegroWindow::OpenNewOfferDialog() {
    const bool first = newOfferDialog_ == nullptr;
    if (first) {
        newOfferDialog_ = new NewOfferDialog(
            form_, QString::fromStdString(offer::OfferFileName(kProjectFileName)),
            QDir::currentPath(), desktop_, this);
    } else if (!newOfferDialog_->isVisible()) {
        newOfferDialog_->Start();  // the project may have been loaded anew meanwhile
    }
    newOfferDialog_->show();
    if (first && parentWidget() != nullptr) {
        PlaceBeside(*newOfferDialog_, *parentWidget());  // beside the form, as this window
    }
    newOfferDialog_->raise();
    newOfferDialog_->activateWindow();
}

}  // namespace licytek
