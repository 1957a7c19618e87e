#include "app/TForm1.h"

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
#include "model/Lists.h"
#include "model/SellerIdFile.h"
#include "ui_TForm1.h"

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
    {"SpeedButton2", "Edit14"},
    {"SpeedButton3", "Edit15"},
    {"SpeedButton4", "Edit16"},
    {"SpeedButton5", "Edit18"},
    {"SpeedButton6", "Edit19"},
    {"SpeedButton7", "Edit20"},
    {"SpeedButton8", "Edit21"},
    {"SpeedButton14", "Edit31"},
    {"SpeedButton12", "Edit27"},
    {"SpeedButton1", "Edit30"},
}};

template <std::size_t N>
QStringList ItemsOf(const std::array<std::string_view, N>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(N));
    for (const std::string_view item : items) {
        list.append(FromUtf8View(item));
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

TForm1::TForm1(Desktop& desktop, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::TForm1>()), desktop_(desktop) {
    InstallMainWindowAccessible();
    ui_->setupUi(this);
    form_ = std::make_unique<FormBinding>(*this);
    WireReactions();
    WireColourPickers();
    FormCreate();
    InstallKeyboard(*this);
    TrackUnsavedChanges();
}

TForm1::~TForm1() {
    form_->StopReactions(this);
}

void TForm1::FormCreate() {
    QPalette skyBlue = palette();
    skyBlue.setColor(QPalette::Window, kSkyBlue);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        skyBlue.setColor(QPalette::Disabled, role, kDisabledText);
    }
    setPalette(skyBlue);
    setAutoFillBackground(true);
    for (QPushButton* panel : {ui_->Panel6, ui_->Panel7, ui_->Panel8, ui_->Panel9, ui_->Panel10,
                               ui_->Panel11, ui_->Panel12}) {
        panel->setStyleSheet(kSwitchPanelStyle);
    }

    FillLists();
    NameControls(*this, *form_);
    GuardTexts();
    ShowThumbnails();
    DrawPictureButtons();

    for (QWidget* panel : {ui_->Panel2, ui_->Panel4, ui_->Panel5, ui_->Panel13, ui_->Panel14,
                           ui_->Panel15, ui_->Panel16, ui_->Panel17, ui_->Panel18}) {
        panel->hide();
    }
    // The window may grow, but never below what its controls need.
    setMinimumSize(ui_->mainArea->minimumSizeHint());
    // The form file holds the start states of the dependent inputs: the picture panel's link
    // address and size fields and the moving-text controls disabled, the moving text's colour
    // picker enabled; from then on the click reactions alone enable and disable them.
    LoadSellerIdAtStart();
}

void TForm1::FillLists() {
    const QStringList effects = ItemsOf(kEffectItems);
    for (QComboBox* list : {ui_->ComboBox1, ui_->ComboBox2, ui_->ComboBox3, ui_->ComboBox4}) {
        FillShowingText(*list, effects, effects.front());
        SelectTheItemShown(*list);
    }
    FillShowingText(*ui_->ComboBox5, ItemsOf(kStyleItems), QStringLiteral("Wybierz styl"));
    // A typed style's name selects it for the project without recolouring: only the seller's
    // choice from the list applies a style.
    SelectTheItemShown(*ui_->ComboBox5);
    const QStringList faces = ItemsOf(kFontFaceItems);
    const QStringList sizes = ItemsOf(kFontSizeItems);
    FillShowingItem(*ui_->ComboBox9, faces, QStringLiteral("Verdana"));
    FillShowingItem(*ui_->ComboBox6, faces, QStringLiteral("Verdana"));
    FillShowingItem(*ui_->ComboBox8, sizes, QStringLiteral("12"));
    FillShowingItem(*ui_->ComboBox7, sizes, QStringLiteral("12"));
}

void TForm1::GuardTexts() {
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        // A line edit cuts its text at 32,767 characters unless told otherwise; the form's
        // texts have no limit.
        edit->setMaxLength(INT_MAX);
        edit->setValidator(new Cp1250Validator(
            [this, edit](const QString& characters) {
                QWidget* field = edit;
                if (auto* list = qobject_cast<QComboBox*>(edit->parentWidget())) {
                    field = list;
                }
                emit inputRefused(field, RefusedCharactersMessage(characters));
            },
            edit));
    }
    for (PlainTextField* memo : findChildren<PlainTextField*>()) {
        connect(memo, &PlainTextField::charactersRefused, this, [this, memo](const QString& c) {
            emit inputRefused(memo, RefusedCharactersMessage(c));
        });
    }
    ui_->Memo2->setMaxLength(kTermsMaxLength);
    // Tell the seller where it happened, without a dialog that would interrupt the typing.
    connect(this, &TForm1::inputRefused, this, [](QWidget* field, const QString& message) {
        QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), message, field);
    });
}

void TForm1::ShowThumbnails() {
    for (int number = 1; number <= kLayoutCount; ++number) {
        auto* image = findChild<QLabel*>(QStringLiteral("Image%1").arg(number));
        image->setPixmap(LayoutThumbnail(number));
        image->installEventFilter(this);  // a click on a thumbnail chooses its layout
    }
}

void TForm1::DrawPictureButtons() {
    const QIcon picker = ColourPickerIcon();
    for (const ColourPicker& binding : kColourPickers) {
        findChild<QToolButton*>(QString::fromLatin1(binding.button))->setIcon(picker);
    }
    ui_->SpeedButton9->setIcon(PreviewIcon());
    ui_->SpeedButton10->setIcon(SaveIcon());
    ui_->SpeedButton11->setIcon(LoadIcon());
}

void TForm1::LoadSellerIdAtStart() {
    auto loaded = LoadSellerId(kSellerIdFileName);
    if (std::holds_alternative<std::monostate>(loaded)) {
        ShowPanel(ui_->Panel18);
    } else if (auto* error = std::get_if<FileError>(&loaded)) {
        desktop_.ShowError(QString::fromStdString(error->message));
    } else {
        sellerId_ = std::get<std::string>(std::move(loaded));
        ui_->Edit37->setText(FromCp1250(sellerId_));
    }
}

void TForm1::WireReactions() {
    auto onClick = [this](QAbstractButton* button, void (TForm1::*reaction)()) {
        connect(button, &QAbstractButton::clicked, this, reaction);
    };
    // A switch's reaction runs on every change of its state, the program's changes included.
    auto onToggle = [this](QAbstractButton* button, void (TForm1::*reaction)(bool)) {
        connect(button, &QAbstractButton::toggled, this, reaction);
    };

    onClick(ui_->Button8, &TForm1::Button8Click);
    onClick(ui_->Button10, &TForm1::Button10Click);
    onClick(ui_->Button6, &TForm1::Button6Click);
    onClick(ui_->Button7, &TForm1::Button7Click);
    onClick(ui_->Button9, &TForm1::Button9Click);
    onClick(ui_->Button5, &TForm1::Button5Click);
    onClick(ui_->Button1, &TForm1::Button1Click);
    onClick(ui_->Button2, &TForm1::Button2Click);
    onClick(ui_->Button3, &TForm1::Button3Click);
    onClick(ui_->Button4, &TForm1::Button4Click);

    onClick(ui_->Button15, &TForm1::Button15Click);
    onClick(ui_->Button16, &TForm1::Button16Click);
    onClick(ui_->choosePictureFile, &TForm1::ChoosePictureFile);
    onToggle(ui_->RadioButton9, &TForm1::RadioButton9Click);
    onToggle(ui_->RadioButton10, &TForm1::RadioButton10Click);
    onToggle(ui_->CheckBox18, &TForm1::CheckBox18Click);
    onToggle(ui_->CheckBox19, &TForm1::CheckBox19Click);

    onClick(ui_->Button17, &TForm1::Button17Click);
    onClick(ui_->Button18, &TForm1::Button18Click);
    onClick(ui_->Button26, &TForm1::Button26Click);
    onClick(ui_->Button27, &TForm1::Button27Click);
    onClick(ui_->Button19, &TForm1::Button19Click);
    onClick(ui_->Button21, &TForm1::Button21Click);
    onClick(ui_->Button23, &TForm1::Button23Click);
    onClick(ui_->Button25, &TForm1::Button25Click);
    onClick(ui_->Button24, &TForm1::Button24Click);
    onToggle(ui_->CheckBox20, &TForm1::CheckBox20Click);
    // The switch panels Panel6 to Panel12 need no reaction of their own: the style switches
    // toggle, and the alignment switches form one exclusive group in the form file, in which
    // a pressed switch stays pressed when clicked again.

    onClick(ui_->Button13, &TForm1::Button13Click);
    onClick(ui_->Button12, &TForm1::Button12Click);
    onClick(ui_->Button28, &TForm1::Button28Click);
    onClick(ui_->Button29, &TForm1::Button29Click);
    onToggle(ui_->CheckBox22, &TForm1::CheckBox22Click);
    onToggle(ui_->CheckBox21, &TForm1::CheckBox21Click);
    onClick(ui_->Button11, &TForm1::Button11Click);
    onClick(ui_->Button30, &TForm1::Button30Click);
    onClick(ui_->Button31, &TForm1::Button31Click);
    onToggle(ui_->CheckBox3, &TForm1::CheckBox3Click);
    onClick(ui_->Button33, &TForm1::Button33Click);
    onClick(ui_->Button34, &TForm1::Button34Click);

    onToggle(ui_->RadioButton8, &TForm1::RadioButton8Click);
    onClick(ui_->Button32, &TForm1::Button32Click);

    // Only the seller's choice applies a style; setting the position (a loaded project) does not.
    connect(ui_->ComboBox5, &QComboBox::activated, this, &TForm1::ComboBox5Change);

    onClick(ui_->Button20, &TForm1::Button20Click);
    onClick(ui_->Button22, &TForm1::Button22Click);

    onClick(ui_->Button14, &TForm1::Button14Click);
    onClick(ui_->AllegroButton, &TForm1::AllegroButtonClick);
    onClick(ui_->BatchButton, &TForm1::BatchButtonClick);
    onClick(ui_->SpeedButton9, &TForm1::SpeedButton9Click);
    onClick(ui_->SpeedButton10, &TForm1::SpeedButton10Click);
    onClick(ui_->SpeedButton11, &TForm1::SpeedButton11Click);
}

void TForm1::WireColourPickers() {
    for (const ColourPicker& binding : kColourPickers) {
        auto* button = findChild<QToolButton*>(QString::fromLatin1(binding.button));
        auto* target = findChild<QLineEdit*>(QString::fromLatin1(binding.target));
        const QString name =
            QStringLiteral("Wybierz kolor: ") + FromUtf8View(FindFormField(binding.target)->label);
        button->setAccessibleName(name);
        button->setToolTip(name);
        connect(button, &QToolButton::clicked, this, [this, target] { PickColor(*target); });
    }
}

// --- Window geometry ------------------------------------------------------------------------

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ui_->mainArea->setGeometry(rect());
    PlacePanels(*this, *ui_);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownBefore_) {
        return;
    }
    shownBefore_ = true;
    CentreOnScreen(*this);
    // The window manager adds its frame only after the window is shown.
    QTimer::singleShot(0, this, [this] { KeepOuterSize(*this, QSize(kOuterWidth, kOuterHeight)); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QString name = watched->objectName();
        if (name.startsWith(QLatin1String("Image"))) {
            const QString radio = QStringLiteral("RadioButton") + name.mid(5);
            if (auto* button = findChild<QRadioButton*>(radio)) {
                button->click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- Further options ------------------------------------------------------------------------

void TForm1::Button13Click() {
    ShowPanel(ui_->Panel14);
}
void TForm1::Button12Click() {
    ShowPanel(ui_->Panel14);
}
void TForm1::Button28Click() {
    ui_->Panel14->hide();
}

void TForm1::Button29Click() {
    ui_->CheckBox21->setChecked(false);
    ui_->CheckBox22->setChecked(false);
    ui_->Panel14->hide();
}

void TForm1::CheckBox22Click(bool ticked) {
    ui_->Edit32->setEnabled(ticked);
}
void TForm1::CheckBox21Click(bool ticked) {
    ui_->Edit33->setEnabled(ticked);
}

void TForm1::Button11Click() {
    ShowPanel(ui_->Panel15);
}
void TForm1::Button30Click() {
    ui_->Panel15->hide();
}

void TForm1::Button31Click() {
    ui_->Edit34->clear();
    ui_->Memo5->clear();
    ui_->Memo8->clear();
    ui_->Panel15->hide();
}

void TForm1::CheckBox3Click(bool ticked) {
    if (ticked) {
        ShowPanel(ui_->Panel16);
    }
}

void TForm1::Button33Click() {
    ui_->Panel16->hide();
}
void TForm1::Button34Click() {
    desktop_.Open(UpdatePageUrl());
}

void TForm1::RadioButton8Click(bool chosen) {
    if (chosen) {
        ShowPanel(ui_->Panel17);
    }
}

void TForm1::Button32Click() {
    ui_->Panel17->hide();
}

// --- Colours --------------------------------------------------------------------------------

void TForm1::ComboBox5Change(int) {
    const auto style = ColourStyleAt(ui_->ComboBox5->currentIndex());
    if (!style) {
        return;
    }
    const std::pair<QLineEdit*, std::string_view> colours[] = {
        {ui_->Edit14, style->background},  {ui_->Edit15, style->border},
        {ui_->Edit16, style->tableInside}, {ui_->Edit18, style->headerText},
        {ui_->Edit19, style->tableText},   {ui_->Edit20, style->link},
        {ui_->Edit21, style->visitedLink},
    };
    for (const auto& [edit, colour] : colours) {
        edit->setText(FromUtf8View(colour));
    }
}

void TForm1::PickColor(QLineEdit& target) {
    const auto picked = desktop_.PickColour(lastPickedColour_);
    if (!picked) {
        return;
    }
    lastPickedColour_ = *picked;
    target.setText(
        QString::fromStdString(ColourText(picked->red(), picked->green(), picked->blue())));
}

// --- Seller ID ------------------------------------------------------------------------------

void TForm1::Button20Click() {
    const auto id = ToCp1250(ui_->Edit37->text());
    if (!id) {
        desktop_.ShowError(
            UnheldTextMessage({FindFormField("Edit37"), UnheldCharacters(ui_->Edit37->text())}));
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
    ui_->Panel18->hide();
    sellerId_ = *id;
}

void TForm1::Button22Click() {
    desktop_.Open(HelpPageUrl(InstalledHelpFolders(QCoreApplication::applicationDirPath())));
}

// --- Generate and preview -------------------------------------------------------------------

std::optional<std::string> TForm1::BuildOutputText() {
    auto snapshot = form_->Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        desktop_.ShowError(UnheldTextMessage(*unheld));
        return std::nullopt;
    }
    return BuildDocument(std::get<AuctionForm>(snapshot), sellerId_);
}

void TForm1::Button14Click() {
    const auto text = BuildOutputText();
    if (!text) {
        return;
    }
    desktop_.CopyToClipboard(FromCp1250(*text));
    desktop_.ShowMessage(kGeneratedCaption, kGeneratedText);
}

void TForm1::SpeedButton9Click() {
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
