#include "app/MainWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

#include <array>
#include <climits>
#include <utility>

#include "app/AccessibleNames.h"
#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/ExternalPages.h"
#include "app/Icons.h"
#include "app/Keyboard.h"
#include "app/PanelPlacement.h"
#include "app/PlainTextField.h"
#include "app/Thumbnails.h"
#include "generator/Document.h"
#include "model/ColourStyles.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "model/Lists.h"
#include "model/SellerIdFile.h"
#include "ui_MainWindow.h"

namespace licytek {
namespace {

const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
// Disabled captions stay readable on the sky blue.
const QColor kDisabledText(0x5A, 0x6A, 0x7C);

// The editor's switch panels: light while released, dark while pressed, so that
// their state shows at a glance.
const QString kSwitchPanelStyle = QStringLiteral(
    "QPushButton { border: 1px solid #6F86A3; border-radius: 3px; padding: 3px 6px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #DCE5EF); }"
    "QPushButton:hover { background: #F2F7FC; }"
    "QPushButton:checked { border: 1px solid #1F3F6F; color: #FFFFFF;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2E5A94, stop:1 #4C7DBD); }"
    "QPushButton:focus { border: 2px solid #1C5FB0; }");

// The auction terms as the seller may type them: the project file keeps 2,500 bytes of them,
// line breaks stored as CR LF, and the last byte stays free.
constexpr int kTermsMaxLength = 2499;

// The rule of the form's input shown by `field`; a field of no input refuses.
UnheldRule UnheldRuleOf(const QWidget& field) {
    const FormField* input = FindFormFieldByMember(field.objectName().toStdString());
    return input != nullptr && input->htmlText ? UnheldRule::Reference : UnheldRule::Refuse;
}

const QString kGeneratedCaption = QStringLiteral("Wygenerowano aukcję !!!");
const QString kGeneratedText =
    QStringLiteral("Kod znajduje się w schowku - wystawiając aukcję wklej go w miejsce opisu");
constexpr const char* kPreviewFileName = "podglad.html";

// Each colour picker and the input it writes.
struct ColourPicker {
    const char* button;
    const char* target;
};
constexpr std::array<ColourPicker, 10> kColourPickers = {{
    {"pageBackgroundPicker", "pageBackground"},
    {"borderColourPicker", "borderColour"},
    {"tableInteriorColourPicker", "tableInteriorColour"},
    {"headerTextColourPicker", "headerTextColour"},
    {"tableTextColourPicker", "tableTextColour"},
    {"activeLinkColourPicker", "activeLinkColour"},
    {"visitedLinkColourPicker", "visitedLinkColour"},
    {"fontColourPicker", "fontColour"},
    {"editorFontColourPicker", "editorFontColour"},
    {"movingBackgroundPicker", "movingBackground"},
}};

template <std::size_t N>
QStringList ItemsOf(const std::array<std::string_view, N>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(N));
    for (const std::string_view item : items) {
        list.append(FromUtf8(item));
    }
    return list;
}

// A list that shows a text of its own with no item selected, as the effect and style lists do
// at start. A loaded project that selects no item empties the text; the same words then show
// as a grey hint.
void FillShowingText(QComboBox& list, const QStringList& items, const QString& shown) {
    list.addItems(items);
    list.setCurrentIndex(-1);
    list.setEditText(shown);
    list.lineEdit()->setPlaceholderText(shown);
}

// A font list that shows one of its items.
void FillShowingItem(QComboBox& list, const QStringList& items, const QString& shown) {
    list.addItems(items);
    list.setCurrentIndex(static_cast<int>(items.indexOf(shown)));
}

// An editable list selects the item its text names, and no item while the text names none,
// so that the page and the project get what the seller sees. Typing, pasting and a screen
// reader's edits all change the text; a set position shows its item's text already.
void SelectTheItemShown(QComboBox& list) {
    QObject::connect(&list, &QComboBox::editTextChanged, &list, [&list](const QString& shown) {
        const int named = list.findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (named == list.currentIndex()) {
            return;
        }
        QLineEdit& edit = *list.lineEdit();
        const int caret = edit.cursorPosition();
        list.setCurrentIndex(named);
        if (named < 0) {  // deselecting empties the text: the seller's text comes back
            edit.setText(shown);
            edit.setCursorPosition(caret);
        }
    });
}

}  // namespace

MainWindow::MainWindow(Desktop& desktop, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::MainWindow>()), desktop_(desktop) {
    InstallMainWindowAccessible();
    ui_->setupUi(this);
    form_ = std::make_unique<FormBinding>(*this);
    WireReactions();
    WireColourPickers();
    FormCreate();
    InstallKeyboard(*this);
    TrackUnsavedChanges();
}

MainWindow::~MainWindow() {
    form_->StopReactions(this);
}

void MainWindow::FormCreate() {
    QPalette skyBlue = palette();
    skyBlue.setColor(QPalette::Window, kSkyBlue);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        skyBlue.setColor(QPalette::Disabled, role, kDisabledText);
    }
    setPalette(skyBlue);
    setAutoFillBackground(true);
    for (QPushButton* panel :
         {ui_->editorBold, ui_->editorItalic, ui_->editorUnderline, ui_->editorAlignLeft,
          ui_->editorAlignCentre, ui_->editorAlignRight, ui_->editorJustify}) {
        panel->setStyleSheet(kSwitchPanelStyle);
    }

    FillLists();
    NameControls(*this, *form_);
    GuardTexts();
    ShowThumbnails();
    DrawPictureButtons();

    for (QWidget* panel :
         {ui_->picturePanel, ui_->linkPanel, ui_->textEditorPanel, ui_->fontPanel, ui_->bannerPanel,
          ui_->keywordsPanel, ui_->rightClickPanel, ui_->arrangementPanel, ui_->sellerIdPanel}) {
        panel->hide();
    }
    // The window may grow, but never below what its controls need.
    setMinimumSize(ui_->mainArea->minimumSizeHint());
    // The form file holds the start states of the dependent inputs: the picture panel's link
    // address and size fields and the moving-text controls disabled, the moving text's colour
    // picker enabled; from then on the click reactions alone enable and disable them.
    LoadSellerIdAtStart();
}

void MainWindow::FillLists() {
    const QStringList effects = ItemsOf(kEffectItems);
    for (QComboBox* list :
         {ui_->pageEnterEffect, ui_->siteEnterEffect, ui_->pageExitEffect, ui_->siteExitEffect}) {
        FillShowingText(*list, effects, effects.front());
        SelectTheItemShown(*list);
    }
    FillShowingText(*ui_->colourStyle, ItemsOf(kStyleItems), QStringLiteral("Wybierz styl"));
    // A typed style's name selects it for the project without recolouring: only the seller's
    // choice from the list applies a style.
    SelectTheItemShown(*ui_->colourStyle);
    const QStringList faces = ItemsOf(kFontFaceItems);
    const QStringList sizes = ItemsOf(kFontSizeItems);
    FillShowingItem(*ui_->fontFace, faces, QStringLiteral("Verdana"));
    FillShowingItem(*ui_->editorFontFace, faces, QStringLiteral("Verdana"));
    FillShowingItem(*ui_->fontSize, sizes, QStringLiteral("12"));
    FillShowingItem(*ui_->editorFontSize, sizes, QStringLiteral("12"));
}

void MainWindow::GuardTexts() {
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        // A line edit cuts its text at 32,767 characters unless told otherwise; the form's
        // texts have no limit.
        edit->setMaxLength(INT_MAX);
        QWidget* field = edit;
        if (auto* list = qobject_cast<QComboBox*>(edit->parentWidget())) {
            field = list;
        }
        edit->setValidator(new Cp1250Validator(
            UnheldRuleOf(*field),
            [this, field](const QString& c) {
                emit inputRefused(field, RefusedCharactersMessage(c));
            },
            [this, field](const QString& c) {
                emit inputReferenced(field, ReferencedCharactersMessage(c));
            },
            edit));
    }
    for (PlainTextField* memo : findChildren<PlainTextField*>()) {
        memo->setUnheldRule(UnheldRuleOf(*memo));
        connect(memo, &PlainTextField::charactersRefused, this, [this, memo](const QString& c) {
            emit inputRefused(memo, RefusedCharactersMessage(c));
        });
        connect(memo, &PlainTextField::charactersReferenced, this, [this, memo](const QString& c) {
            emit inputReferenced(memo, ReferencedCharactersMessage(c));
        });
    }
    ui_->auctionTerms->setMaxLength(kTermsMaxLength);
    // Tell the seller where it happened, without a dialog that would interrupt the typing.
    const auto tell = [](QWidget* field, const QString& message) {
        QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), message, field);
    };
    connect(this, &MainWindow::inputRefused, this, tell);
    connect(this, &MainWindow::inputReferenced, this, tell);
}

void MainWindow::ShowThumbnails() {
    for (int number = 1; number <= kLayoutCount; ++number) {
        auto* image = findChild<QLabel*>(QStringLiteral("layout%1Picture").arg(number));
        image->setPixmap(LayoutThumbnail(number));
        image->installEventFilter(this);  // a click on a thumbnail chooses its layout
    }
}

void MainWindow::DrawPictureButtons() {
    const QIcon picker = ColourPickerIcon();
    for (const ColourPicker& binding : kColourPickers) {
        findChild<QToolButton*>(QString::fromLatin1(binding.button))->setIcon(picker);
    }
    ui_->previewButton->setIcon(PreviewIcon());
    ui_->saveProjectButton->setIcon(SaveIcon());
    ui_->loadProjectButton->setIcon(LoadIcon());
}

void MainWindow::LoadSellerIdAtStart() {
    auto loaded = LoadSellerId(kSellerIdFileName);
    if (std::holds_alternative<std::monostate>(loaded)) {
        ShowPanel(ui_->sellerIdPanel);
    } else if (auto* error = std::get_if<FileError>(&loaded)) {
        desktop_.ShowError(QString::fromStdString(error->message));
    } else {
        sellerId_ = std::get<std::string>(std::move(loaded));
        ui_->typedSellerId->setText(FromCp1250(sellerId_));
    }
}

void MainWindow::WireReactions() {
    auto onClick = [this](QAbstractButton* button, void (MainWindow::*reaction)()) {
        connect(button, &QAbstractButton::clicked, this, reaction);
    };
    // A switch's reaction runs on every change of its state, the program's changes included.
    auto onToggle = [this](QAbstractButton* button, void (MainWindow::*reaction)(bool)) {
        connect(button, &QAbstractButton::toggled, this, reaction);
    };

    onClick(ui_->pictureButton, &MainWindow::showPicturePanel);
    onClick(ui_->linkButton, &MainWindow::showLinkPanel);
    onClick(ui_->fontButton, &MainWindow::showFontPanel);
    onClick(ui_->textEditorButton, &MainWindow::showTextEditor);
    onClick(ui_->galleryButton, &MainWindow::insertGallery);
    onClick(ui_->newLineButton, &MainWindow::insertNewLine);
    onClick(ui_->alignLeftButton, &MainWindow::alignLeft);
    onClick(ui_->alignCentreButton, &MainWindow::alignCentre);
    onClick(ui_->alignRightButton, &MainWindow::alignRight);
    onClick(ui_->justifyButton, &MainWindow::justify);

    onClick(ui_->pictureInsertButton, &MainWindow::insertPicture);
    onClick(ui_->pictureCancelButton, &MainWindow::cancelPicture);
    onClick(ui_->choosePictureFile, &MainWindow::ChoosePictureFile);
    onToggle(ui_->pictureFromWeb, &MainWindow::choosePictureFromWeb);
    onToggle(ui_->pictureFromGallery, &MainWindow::choosePictureFromGallery);
    onToggle(ui_->pictureOpensAddress, &MainWindow::togglePictureLink);
    onToggle(ui_->pictureResized, &MainWindow::togglePictureSize);

    onClick(ui_->linkInsertButton, &MainWindow::insertLink);
    onClick(ui_->linkCancelButton, &MainWindow::cancelLink);
    onClick(ui_->fontInsertButton, &MainWindow::insertFont);
    onClick(ui_->fontCancelButton, &MainWindow::cancelFont);
    onClick(ui_->editorNewLineButton, &MainWindow::insertEditorNewLine);
    onClick(ui_->editorGalleryButton, &MainWindow::insertEditorGallery);
    onClick(ui_->editorInsertButton, &MainWindow::addSnippet);
    onClick(ui_->editorSaveButton, &MainWindow::saveReadyCode);
    onClick(ui_->editorCancelButton, &MainWindow::cancelTextEditor);
    onToggle(ui_->movingText, &MainWindow::toggleMovingText);
    // The switch panels editorBold to editorJustify need no reaction of their own: the style
    // switches toggle, and the alignment switches form one exclusive group in the form file, in
    // which a pressed switch stays pressed when clicked again.

    onClick(ui_->bannerButton, &MainWindow::showBannerPanel);
    onClick(ui_->backgroundButton, &MainWindow::showBackgroundPanel);
    onClick(ui_->bannerInsertButton, &MainWindow::keepBanner);
    onClick(ui_->bannerCancelButton, &MainWindow::cancelBanner);
    onToggle(ui_->bannerShown, &MainWindow::toggleBanner);
    onToggle(ui_->backgroundPictureShown, &MainWindow::toggleBackgroundPicture);
    onClick(ui_->promotionButton, &MainWindow::showKeywordsPanel);
    onClick(ui_->keywordsUseButton, &MainWindow::keepKeywords);
    onClick(ui_->keywordsCancelButton, &MainWindow::cancelKeywords);
    onToggle(ui_->rightClickLock, &MainWindow::toggleRightClickLock);
    onClick(ui_->rightClickInsertButton, &MainWindow::keepRightClickMessage);
    onClick(ui_->updateButton, &MainWindow::openUpdatePage);

    onToggle(ui_->layout8, &MainWindow::chooseArrangedLayout);
    onClick(ui_->arrangementOkButton, &MainWindow::closeArrangement);

    // Only the seller's choice applies a style; setting the position (a loaded project) does not.
    connect(ui_->colourStyle, &QComboBox::activated, this, &MainWindow::applyColourStyle);

    onClick(ui_->sellerIdSaveButton, &MainWindow::saveSellerId);
    onClick(ui_->sellerIdHelpButton, &MainWindow::openSellerIdHelp);

    onClick(ui_->generateButton, &MainWindow::generateAuction);
    onClick(ui_->allegroButton, &MainWindow::openAllegroWindow);
    onClick(ui_->batchButton, &MainWindow::openBatchDialog);
    onClick(ui_->previewButton, &MainWindow::previewAuction);
    onClick(ui_->saveProjectButton, &MainWindow::saveProject);
    onClick(ui_->loadProjectButton, &MainWindow::loadProject);
}

void MainWindow::WireColourPickers() {
    for (const ColourPicker& binding : kColourPickers) {
        auto* button = findChild<QToolButton*>(QString::fromLatin1(binding.button));
        auto* target = findChild<QLineEdit*>(QString::fromLatin1(binding.target));
        const QString name = QStringLiteral("Wybierz kolor: ") +
                             FromUtf8(FindFormFieldByMember(binding.target)->label);
        button->setAccessibleName(name);
        button->setToolTip(name);
        connect(button, &QToolButton::clicked, this, [this, target] { PickColor(*target); });
    }
}

// --- Window geometry ------------------------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ui_->mainArea->setGeometry(rect());
    PlacePanels(*this, *ui_);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownBefore_) {
        return;
    }
    shownBefore_ = true;
    CentreOnScreen(*this);
    // The window manager adds its frame only after the window is shown.
    QTimer::singleShot(0, this, [this] { KeepOuterSize(*this, QSize(kOuterWidth, kOuterHeight)); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QString name = watched->objectName();
        // A layout's thumbnail "layoutNPicture" chooses its switch "layoutN".
        const QLatin1String suffix("Picture");
        if (name.startsWith(QLatin1String("layout")) && name.endsWith(suffix)) {
            const QString radio = name.chopped(suffix.size());
            if (auto* button = findChild<QRadioButton*>(radio)) {
                button->click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- Further options ------------------------------------------------------------------------

void MainWindow::showBannerPanel() {
    ShowPanel(ui_->bannerPanel);
}
void MainWindow::showBackgroundPanel() {
    ShowPanel(ui_->bannerPanel);
}
void MainWindow::keepBanner() {
    ui_->bannerPanel->hide();
}

void MainWindow::cancelBanner() {
    ui_->backgroundPictureShown->setChecked(false);
    ui_->bannerShown->setChecked(false);
    ui_->bannerPanel->hide();
}

void MainWindow::toggleBanner(bool ticked) {
    ui_->bannerAddress->setEnabled(ticked);
}
void MainWindow::toggleBackgroundPicture(bool ticked) {
    ui_->backgroundPictureAddress->setEnabled(ticked);
}

void MainWindow::showKeywordsPanel() {
    ShowPanel(ui_->keywordsPanel);
}
void MainWindow::keepKeywords() {
    ui_->keywordsPanel->hide();
}

void MainWindow::cancelKeywords() {
    ui_->pageTitle->clear();
    ui_->keywords->clear();
    ui_->searchDescription->clear();
    ui_->keywordsPanel->hide();
}

void MainWindow::toggleRightClickLock(bool ticked) {
    if (ticked) {
        ShowPanel(ui_->rightClickPanel);
    }
}

void MainWindow::keepRightClickMessage() {
    ui_->rightClickPanel->hide();
}
void MainWindow::openUpdatePage() {
    desktop_.Open(UpdatePageUrl());
}

void MainWindow::chooseArrangedLayout(bool chosen) {
    if (chosen) {
        ShowPanel(ui_->arrangementPanel);
    }
}

void MainWindow::closeArrangement() {
    ui_->arrangementPanel->hide();
}

// --- Colours --------------------------------------------------------------------------------

void MainWindow::applyColourStyle(int) {
    const auto style = ColourStyleAt(ui_->colourStyle->currentIndex());
    if (!style) {
        return;
    }
    const std::pair<QLineEdit*, std::string_view> colours[] = {
        {ui_->pageBackground, style->background},       {ui_->borderColour, style->border},
        {ui_->tableInteriorColour, style->tableInside}, {ui_->headerTextColour, style->headerText},
        {ui_->tableTextColour, style->tableText},       {ui_->activeLinkColour, style->link},
        {ui_->visitedLinkColour, style->visitedLink},
    };
    for (const auto& [edit, colour] : colours) {
        edit->setText(FromUtf8(colour));
    }
}

void MainWindow::PickColor(QLineEdit& target) {
    const auto picked = desktop_.PickColour(lastPickedColour_);
    if (!picked) {
        return;
    }
    lastPickedColour_ = *picked;
    target.setText(
        QString::fromStdString(ColourText(picked->red(), picked->green(), picked->blue())));
}

// --- Seller ID ------------------------------------------------------------------------------

void MainWindow::saveSellerId() {
    const auto id = ToCp1250(ui_->typedSellerId->text());
    if (!id) {
        desktop_.ShowError(UnheldTextMessage({FindFormFieldByMember("typedSellerId"),
                                              UnheldCharacters(ui_->typedSellerId->text())}));
        return;
    }
    const auto saved = SaveSellerId(*id, kSellerIdFileName);
    if (const auto* error = std::get_if<FileError>(&saved)) {
        desktop_.ShowError(QString::fromStdString(error->message));
        return;
    }
    if (const auto* tooLong = std::get_if<SellerIdTooLong>(&saved)) {
        desktop_.ShowError(QString::fromStdString(tooLong->Message()));
        return;
    }
    ui_->sellerIdPanel->hide();
    sellerId_ = *id;
}

void MainWindow::openSellerIdHelp() {
    desktop_.Open(HelpPageUrl(InstalledHelpFolders(QCoreApplication::applicationDirPath())));
}

// --- Generate and preview -------------------------------------------------------------------

std::optional<std::string> MainWindow::BuildOutputText() {
    auto snapshot = form_->Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        desktop_.ShowError(UnheldTextMessage(*unheld));
        return std::nullopt;
    }
    return BuildDocument(std::get<AuctionForm>(snapshot), sellerId_);
}

void MainWindow::generateAuction() {
    const auto text = BuildOutputText();
    if (!text) {
        return;
    }
    desktop_.CopyToClipboard(FromCp1250(*text));
    desktop_.ShowMessage(kGeneratedCaption, kGeneratedText);
}

void MainWindow::previewAuction() {
    auto text = BuildOutputText();
    if (!text) {
        return;
    }
    text->append("\r\n");
    if (const auto error = WriteFileAtomically(kPreviewFileName, *text)) {
        desktop_.ShowError(QString::fromStdString(error->message));
        return;
    }
    desktop_.Open(QUrl::fromLocalFile(
        QDir::current().absoluteFilePath(QString::fromLatin1(kPreviewFileName))));
}

}  // namespace licytek
