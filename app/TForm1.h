// The main window: every input of the auction form, its side panels and its commands.
// The controls hold the truth; a command reads the controls it needs (or a whole snapshot),
// calls the core and writes the result back.
#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/FormBinding.h"
#include "editor/MarkupCommands.h"

class QLineEdit;

namespace Ui {
class TForm1;
}

namespace licytek {

class AllegroWindow;
class BatchDialog;
class Desktop;

class TForm1 : public QWidget {
    Q_OBJECT

  public:
    // The size of the window, frame included, when it first shows.
    static constexpr int kOuterWidth = 795;
    static constexpr int kOuterHeight = 591;

    explicit TForm1(Desktop& desktop, QWidget* parent = nullptr);
    ~TForm1() override;

    // The seller's auction-site user ID (Windows-1250), written into the links to the
    // seller's pages; empty until loaded from the seller ID file or entered on Panel18.
    const std::string& SellerId() const { return sellerId_; }

    // The inputs, found by their control names, for the commands that read or write the form.
    const FormBinding& Form() const { return *form_; }

    // Whether an input the project file holds changed since the project was last saved or
    // loaded (or, before either, since the window started).
    bool HasUnsavedChanges() const { return unsaved_; }

  signals:
    // Typed or pasted characters were refused because the code page cannot hold them.
    void inputRefused(QWidget* field, const QString& message);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Start-up: lists, names, guards and pictures, then the seller ID.
    void FormCreate();
    void FillLists();
    void GuardTexts();
    void ShowThumbnails();
    void DrawPictureButtons();
    void LoadSellerIdAtStart();
    void WireReactions();
    void WireColourPickers();
    void TrackUnsavedChanges();

    // Description group: fixed markup as a new last line of the description.
    void Button9Click();  // "Wstaw galerię"
    void Button5Click();  // "Nowy wiersz"
    void Button1Click();  // "Do lewej"
    void Button2Click();  // "Wyśrodkuj"
    void Button3Click();  // "Do prawej"
    void Button4Click();  // "Wyjustuj"

    // Description group: panels of the insert commands.
    void Button8Click();   // "Dodaj zdjęcie": picture panel
    void Button10Click();  // "Wstaw link": link panel
    void Button6Click();   // "Zmień czcionke": font panel
    void Button7Click();   // "Edytor Tekstu": text editor panel

    // Picture panel Panel2.
    void Button15Click();                  // "Wstaw": insert the picture
    void Button16Click();                  // "Anuluj"
    void ChoosePictureFile();              // "Wybierz plik…": a picture from the disk
    void RadioButton9Click(bool chosen);   // picture from a web server
    void RadioButton10Click(bool chosen);  // picture from the gallery
    void CheckBox18Click(bool ticked);     // the picture opens an address
    void CheckBox19Click(bool ticked);     // the picture gets a size
    void EnableWebServerControls(bool enabled);

    // Link panel Panel4.
    void Button17Click();  // "Wstaw": insert the link
    void Button18Click();  // "Anuluj"

    // Font panel Panel13.
    void Button26Click();  // "Zmień": insert the font start
    void Button27Click();  // "Anuluj"

    // Text editor panel Panel5.
    void Button19Click();               // "Nowy wiersz" in the text to format
    void Button21Click();               // "Wstaw galerię" in the text to format
    void Button23Click();               // "Wstaw": one more snippet in the ready code
    void Button25Click();               // "Zapisz i zamknij": hand the ready code over
    void Button24Click();               // "Anuluj"
    void CheckBox20Click(bool ticked);  // moving text on or off

    // Further options: banner, keywords, right-click lock, update page.
    void Button13Click();               // "Banner": banner panel
    void Button12Click();               // "Tło": banner panel
    void Button28Click();               // banner panel "Wstaw": keep the inputs
    void Button29Click();               // banner panel "Anuluj": untick both pictures
    void CheckBox22Click(bool ticked);  // banner picture address on or off
    void CheckBox21Click(bool ticked);  // background picture address on or off
    void Button11Click();               // "Promowanie aukcji": keywords panel
    void Button30Click();               // keywords panel "Użyj": keep the inputs
    void Button31Click();  // keywords panel "Anuluj": empty title, keywords and description
    void CheckBox3Click(bool ticked);  // right-click lock: ask for its message
    void Button33Click();              // right-click message panel "Wstaw"
    void Button34Click();              // "Sprawdź czy jest nowa wersja": update page

    // Layout choice and its arrangement panel Panel17.
    void RadioButton8Click(bool chosen);
    void Button32Click();  // arrangement panel "OK"

    // Colours.
    void ComboBox5Change(int position);  // a colour style chosen by the seller
    void PickColor(QLineEdit& target);

    // Seller ID panel Panel18.
    void Button20Click();  // "Zapisz": store the seller ID
    void Button22Click();  // "O co chodzi?": help page

    // Generate and preview, and the project file.
    void Button14Click();       // "AUKCJA": the description to the clipboard
    void SpeedButton9Click();   // preview in the browser
    void SpeedButton10Click();  // save the project
    void SpeedButton11Click();  // load the project

    // Beside "AUKCJA": the description for today's Allegro, and many offers at once.
    void AllegroButtonClick();  // "Allegro": the window "Opis dla Allegro"
    void BatchButtonClick();    // "Wiele ofert…": a spreadsheet of offers into a folder

    // The editing commands: each reads the inputs it needs, runs the core's command on them
    // and shows the new text of one multi-line input (the target, one of the inputs read).
    // False when an input could not be read; the seller has then been told which.
    using EditCommand = std::function<std::string(const AuctionForm&)>;
    bool RunEdit(std::string_view target, std::span<const std::string_view> inputs,
                 const EditCommand& command);
    bool AddMarkupTo(std::string_view target, Markup markup);

    // The named inputs over a default form, or nothing when a text cannot be converted (the
    // seller has then been told which).
    std::optional<AuctionForm> ReadInputs(std::span<const std::string_view> names);

    // The whole description in Windows-1250, or nothing when a text cannot be converted (the
    // seller has then been told which).
    std::optional<std::string> BuildOutputText();

    std::unique_ptr<Ui::TForm1> ui_;
    Desktop& desktop_;
    std::unique_ptr<FormBinding> form_;
    std::string sellerId_;
    // The colour dialog opens on the colour last confirmed in it by any picker.
    QColor lastPickedColour_ = Qt::black;
    bool shownBefore_ = false;
    bool unsaved_ = false;
    AllegroWindow* allegroWindow_ = nullptr;  // made on first use, a child of this window
    QPointer<BatchDialog> batchDialog_;       // while a batch's dialog is open
};

}  // namespace licytek
