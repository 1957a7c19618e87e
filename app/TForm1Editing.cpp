// The main window's description editing: the markup buttons of the description group, the
// picture, link and font panels, and the text editor panel. Every command writes at the end of
// its multi-line text, never at the caret, and the panels' fields keep their values.
#include <QTextCursor>

#include <array>
#include <initializer_list>

#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/PanelPlacement.h"
#include "app/PlainTextField.h"
#include "app/TForm1.h"
#include "editor/InsertPanels.h"
#include "editor/TextEditorPanel.h"
#include "model/Text.h"
#include "ui_TForm1.h"

namespace licytek {
namespace {

// What each command reads. The multi-line text it writes comes first.
constexpr std::array<std::string_view, 9> kPictureInputs = {
    "Memo1",  "RadioButton9", "RadioButton10", "Edit17", "CheckBox18",
    "Edit22", "CheckBox19",   "Edit23",        "Edit24"};
constexpr std::array<std::string_view, 3> kLinkInputs = {"Memo1", "Edit25", "Edit26"};
constexpr std::array<std::string_view, 4> kFontInputs = {"Memo1", "ComboBox9", "ComboBox8",
                                                         "Edit31"};
constexpr std::array<std::string_view, 21> kSnippetInputs = {
    "Memo4",         "Memo3",         "ComboBox6",     "ComboBox7",     "Edit27",
    "Panel6",        "Panel7",        "Panel8",        "Panel9",        "Panel10",
    "Panel11",       "Panel12",       "CheckBox20",    "RadioButton11", "RadioButton12",
    "RadioButton13", "RadioButton14", "RadioButton15", "Edit28",        "Edit29",
    "Edit30"};
constexpr std::array<std::string_view, 2> kReadyCodeInputs = {"Memo1", "Memo4"};

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

std::optional<AuctionForm> TForm1::ReadInputs(std::span<const std::string_view> names) {
    auto snapshot = form_->Snapshot(names);
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        desktop_.ShowError(UnheldTextMessage(*unheld));
        return std::nullopt;
    }
    return std::get<AuctionForm>(std::move(snapshot));
}

bool TForm1::RunEdit(std::string_view target, std::span<const std::string_view> inputs,
                     const EditCommand& command) {
    const auto form = ReadInputs(inputs);
    if (!form) {
        return false;
    }
    const std::string& before = (*form).*FindFormField(target)->text;
    ShowAddedText(*static_cast<PlainTextField*>(form_->Control(target)), before, command(*form));
    return true;
}

bool TForm1::AddMarkupTo(std::string_view target, Markup markup) {
    const std::array<std::string_view, 1> inputs = {target};
    const FormField* field = FindFormField(target);
    return RunEdit(target, inputs, [field, markup](const AuctionForm& form) {
        return AddMarkup(form.*field->text, markup);
    });
}

// --- Description group ----------------------------------------------------------------------

void TForm1::Button9Click() {
    AddMarkupTo("Memo1", Markup::Gallery);
}
void TForm1::Button5Click() {
    AddMarkupTo("Memo1", Markup::NewLine);
}
void TForm1::Button1Click() {
    AddMarkupTo("Memo1", Markup::AlignLeft);
}
void TForm1::Button2Click() {
    AddMarkupTo("Memo1", Markup::AlignCenter);
}
void TForm1::Button3Click() {
    AddMarkupTo("Memo1", Markup::AlignRight);
}
void TForm1::Button4Click() {
    AddMarkupTo("Memo1", Markup::AlignJustified);
}

void TForm1::Button8Click() {
    ShowPanel(ui_->Panel2);
}
void TForm1::Button10Click() {
    ShowPanel(ui_->Panel4);
}
void TForm1::Button6Click() {
    ShowPanel(ui_->Panel13);
}
void TForm1::Button7Click() {
    ShowPanel(ui_->Panel5);
}

// --- Picture panel --------------------------------------------------------------------------

// A panel closes only once its markup is in; a text that cannot be read leaves it open for
// the seller to mend.
void TForm1::Button15Click() {
    if (RunEdit("Memo1", kPictureInputs, InsertPicture)) {
        ui_->Panel2->hide();
    }
}
void TForm1::Button16Click() {
    ui_->Panel2->hide();
}

// The path goes where the address would, so that "Wstaw" inserts it with the panel's other
// choices; the window "Opis dla Allegro" shows the picture and sends it with the description.
void TForm1::ChoosePictureFile() {
    const QString path = desktop_.AskOpenFileName(
        QStringLiteral("Wybierz zdjęcie"),
        QStringLiteral("Zdjęcia (*.jpg *.jpeg *.png *.webp);;Wszystkie pliki (*)"));
    if (!path.isEmpty()) {
        ui_->Edit17->setText(path);
    }
}

// The source switches act only on the click that chooses them. Switching to the gallery
// leaves the size fields as they are: they count only with the web-server source anyway.
void TForm1::RadioButton9Click(bool chosen) {
    if (chosen) {
        EnableWebServerControls(true);
    }
}
void TForm1::RadioButton10Click(bool chosen) {
    if (chosen) {
        EnableWebServerControls(false);
    }
}

// The link address comes back with the web-server source whether or not the picture opens
// it; the next click on its check box sets it right.
void TForm1::EnableWebServerControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->Edit17, ui_->choosePictureFile, ui_->CheckBox18, ui_->Edit22, ui_->CheckBox19}) {
        control->setEnabled(enabled);
    }
}

void TForm1::CheckBox18Click(bool ticked) {
    ui_->Edit22->setEnabled(ticked);
}
void TForm1::CheckBox19Click(bool ticked) {
    ui_->Edit23->setEnabled(ticked);
    ui_->Edit24->setEnabled(ticked);
}

// --- Link and font panels -------------------------------------------------------------------

void TForm1::Button17Click() {
    if (RunEdit("Memo1", kLinkInputs, InsertLink)) {
        ui_->Panel4->hide();
    }
}
void TForm1::Button18Click() {
    ui_->Panel4->hide();
}

void TForm1::Button26Click() {
    if (RunEdit("Memo1", kFontInputs, ChangeFont)) {
        ui_->Panel13->hide();
    }
}
void TForm1::Button27Click() {
    ui_->Panel13->hide();
}

// --- Text editor panel ----------------------------------------------------------------------

void TForm1::Button19Click() {
    AddMarkupTo("Memo3", Markup::NewLine);
}
void TForm1::Button21Click() {
    AddMarkupTo("Memo3", Markup::Gallery);
}
void TForm1::Button23Click() {
    RunEdit("Memo4", kSnippetInputs, AddSnippet);
}

// The ready code stays in its field, so a later "Zapisz i zamknij" hands it over again.
void TForm1::Button25Click() {
    if (RunEdit("Memo1", kReadyCodeInputs, SaveReadyCode)) {
        ui_->Panel5->hide();
    }
}
void TForm1::Button24Click() {
    ui_->Panel5->hide();
}

// The moving text's picker is enabled at start although its colour field is not; after the
// first tick it follows the switch like the other eight. Their choices and texts stay.
void TForm1::CheckBox20Click(bool ticked) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->RadioButton11, ui_->RadioButton12, ui_->RadioButton13, ui_->RadioButton14,
             ui_->RadioButton15, ui_->SpeedButton1, ui_->Edit30, ui_->Edit28, ui_->Edit29}) {
        control->setEnabled(ticked);
    }
}

}  // namespace licytek
