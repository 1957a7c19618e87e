// The main window's description editing: the markup buttons of the description group, the
// picture, link and font panels, and the text editor panel. Every command writes at the end of
// its multi-line text, never at the caret, and the panels' fields keep their values.
#include <QTextCursor>

#include <array>
#include <initializer_list>

#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/PanelPlacement.h"
#include "app/PlainTextField.h"
#include "editor/InsertPanels.h"
#include "editor/TextEditorPanel.h"
#include "model/Text.h"
#include "ui_MainWindow.h"

namespace licytek {
namespace {

// What each command reads. The multi-line text it writes comes first.
constexpr std::array<std::string_view, 9> kPictureInputs = {
    "itemDescription", "pictureFromWeb",      "pictureFromGallery",
    "pictureAddress",  "pictureOpensAddress", "pictureLinkAddress",
    "pictureResized",  "pictureWidth",        "pictureHeight"};
constexpr std::array<std::string_view, 3> kLinkInputs = {"itemDescription", "linkText",
                                                         "linkAddress"};
constexpr std::array<std::string_view, 4> kFontInputs = {"itemDescription", "fontFace", "fontSize",
                                                         "fontColour"};
constexpr std::array<std::string_view, 21> kSnippetInputs = {
    "readyCode",          "editorText",       "editorFontFace",
    "editorFontSize",     "editorFontColour", "editorBold",
    "editorItalic",       "editorUnderline",  "editorAlignLeft",
    "editorAlignCentre",  "editorAlignRight", "editorJustify",
    "movingText",         "movesLeft",        "movesRight",
    "scrollingAnimation", "slidingAnimation", "alternatingAnimation",
    "movingDelay",        "movingStep",       "movingBackground"};
constexpr std::array<std::string_view, 2> kReadyCodeInputs = {"itemDescription", "readyCode"};

// Shows `after`, which a command made by adding to the end of `before` (the text as it was
// read, Windows-1250 with CR LF). Only the added end is written, so a long description is not
// laid out anew and the seller can undo the insert. The field then shows its end, with the
// caret there, ready for the text that follows the markup.
void ShowAddedText(PlainTextField& memo, std::string_view before, std::string_view after) {
    if (after.starts_with(before)) {
        QTextCursor end(memo.document());
        end.movePosition(QTextCursor::End);
        end.insertText(FromCp1250(ToLf(after.substr(before.size()))));
    } else {
        memo.setPlainText(FromCp1250(ToLf(after)));
    }
    memo.moveCursor(QTextCursor::End);
    memo.ensureCursorVisible();
}

}  // namespace

std::optional<AuctionForm> MainWindow::ReadInputs(std::span<const std::string_view> names) {
    auto snapshot = form_->Snapshot(names);
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        desktop_.ShowError(UnheldTextMessage(*unheld));
        return std::nullopt;
    }
    return std::get<AuctionForm>(std::move(snapshot));
}

bool MainWindow::RunEdit(std::string_view target, std::span<const std::string_view> inputs,
                         const EditCommand& command) {
    const auto form = ReadInputs(inputs);
    if (!form) {
        return false;
    }
    const std::string& before = (*form).*FindFormFieldByMember(target)->text;
    ShowAddedText(*static_cast<PlainTextField*>(form_->Control(target)), before, command(*form));
    return true;
}

bool MainWindow::AddMarkupTo(std::string_view target, Markup markup) {
    const std::array<std::string_view, 1> inputs = {target};
    const FormField* field = FindFormFieldByMember(target);
    return RunEdit(target, inputs, [field, markup](const AuctionForm& form) {
        return AddMarkup(form.*field->text, markup);
    });
}

// --- Description group ----------------------------------------------------------------------

void MainWindow::insertGallery() {
    AddMarkupTo("itemDescription", Markup::Gallery);
}
void MainWindow::insertNewLine() {
    AddMarkupTo("itemDescription", Markup::NewLine);
}
void MainWindow::alignLeft() {
    AddMarkupTo("itemDescription", Markup::AlignLeft);
}
void MainWindow::alignCentre() {
    AddMarkupTo("itemDescription", Markup::AlignCenter);
}
void MainWindow::alignRight() {
    AddMarkupTo("itemDescription", Markup::AlignRight);
}
void MainWindow::justify() {
    AddMarkupTo("itemDescription", Markup::AlignJustified);
}

void MainWindow::showPicturePanel() {
    ShowPanel(ui_->picturePanel);
}
void MainWindow::showLinkPanel() {
    ShowPanel(ui_->linkPanel);
}
void MainWindow::showFontPanel() {
    ShowPanel(ui_->fontPanel);
}
void MainWindow::showTextEditor() {
    ShowPanel(ui_->textEditorPanel);
}

// --- Picture panel --------------------------------------------------------------------------

// A panel closes only once its markup is in; a text that cannot be read leaves it open for
// the seller to mend.
void MainWindow::insertPicture() {
    if (RunEdit("itemDescription", kPictureInputs, InsertPicture)) {
        ui_->picturePanel->hide();
    }
}
void MainWindow::cancelPicture() {
    ui_->picturePanel->hide();
}

// The path goes where the address would, so that "Wstaw" inserts it with the panel's other
// choices; the window "Opis dla Allegro" shows the picture and sends it with the description.
void MainWindow::ChoosePictureFile() {
    const QString path = desktop_.AskOpenFileName(
        QStringLiteral("Wybierz zdjęcie"),
        QStringLiteral("Zdjęcia (*.jpg *.jpeg *.png *.webp);;Wszystkie pliki (*)"));
    if (!path.isEmpty()) {
        ui_->pictureAddress->setText(path);
    }
}

// The source switches act only on the click that chooses them. Switching to the gallery
// leaves the size fields as they are: they count only with the web-server source anyway.
void MainWindow::choosePictureFromWeb(bool chosen) {
    if (chosen) {
        EnableWebServerControls(true);
    }
}
void MainWindow::choosePictureFromGallery(bool chosen) {
    if (chosen) {
        EnableWebServerControls(false);
    }
}

// The link address comes back with the web-server source whether or not the picture opens
// it; the next click on its check box sets it right.
void MainWindow::EnableWebServerControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->pictureAddress, ui_->choosePictureFile, ui_->pictureOpensAddress,
             ui_->pictureLinkAddress, ui_->pictureResized}) {
        control->setEnabled(enabled);
    }
}

void MainWindow::togglePictureLink(bool ticked) {
    ui_->pictureLinkAddress->setEnabled(ticked);
}
void MainWindow::togglePictureSize(bool ticked) {
    ui_->pictureWidth->setEnabled(ticked);
    ui_->pictureHeight->setEnabled(ticked);
}

// --- Link and font panels -------------------------------------------------------------------

void MainWindow::insertLink() {
    if (RunEdit("itemDescription", kLinkInputs, InsertLink)) {
        ui_->linkPanel->hide();
    }
}
void MainWindow::cancelLink() {
    ui_->linkPanel->hide();
}

void MainWindow::insertFont() {
    if (RunEdit("itemDescription", kFontInputs, ChangeFont)) {
        ui_->fontPanel->hide();
    }
}
void MainWindow::cancelFont() {
    ui_->fontPanel->hide();
}

// --- Text editor panel ----------------------------------------------------------------------

void MainWindow::insertEditorNewLine() {
    AddMarkupTo("editorText", Markup::NewLine);
}
void MainWindow::insertEditorGallery() {
    AddMarkupTo("editorText", Markup::Gallery);
}
void MainWindow::addSnippet() {
    RunEdit("readyCode", kSnippetInputs, AddSnippet);
}

// The ready code stays in its field, so a later "Zapisz i zamknij" hands it over again.
void MainWindow::saveReadyCode() {
    if (RunEdit("itemDescription", kReadyCodeInputs, SaveReadyCode)) {
        ui_->textEditorPanel->hide();
    }
}
void MainWindow::cancelTextEditor() {
    ui_->textEditorPanel->hide();
}

// The moving text's picker is enabled at start although its colour field is not; after the
// first tick it follows the switch like the other eight. Their choices and texts stay.
void MainWindow::toggleMovingText(bool ticked) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->movesLeft, ui_->movesRight, ui_->scrollingAnimation, ui_->slidingAnimation,
             ui_->alternatingAnimation, ui_->movingBackgroundPicker, ui_->movingBackground,
             ui_->movingDelay, ui_->movingStep}) {
        control->setEnabled(ticked);
    }
}

}  // namespace licytek
