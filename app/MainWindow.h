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
class MainWindow;
}

namespace licytek {

class AllegroWindow;
class BatchDialog;
class Desktop;

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // The size of the window, frame included, when it first shows.
    static constexpr int kOuterWidth = 795;
    static constexpr int kOuterHeight = 591;

    explicit MainWindow(Desktop& desktop, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The seller's auction-site user ID (Windows-1250), written into the links to the
    // seller's pages; empty until loaded from the seller ID file or entered on the seller ID panel.
    const std::string& SellerId() const { return sellerId_; }

    // The inputs, found by their control names, for the commands that read or write the form.
    const FormBinding& Form() const { return *form_; }

    // Whether an input the project file holds changed since the project was last saved or
    // loaded (or, before either, since the window started).
    bool HasUnsavedChanges() const { return unsaved_; }

  signals:
    // Typed or pasted characters were refused because the code page cannot hold them.
    void inputRefused(QWidget* field, const QString& message);
    // Typed or pasted characters that the code page cannot hold went in as references.
    void inputReferenced(QWidget* field, const QString& message);

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
    void insertGallery();  // "Wstaw galerię"
    void insertNewLine();  // "Nowy wiersz"
    void alignLeft();      // "Do lewej"
    void alignCentre();    // "Wyśrodkuj"
    void alignRight();     // "Do prawej"
    void justify();        // "Wyjustuj"

    // Description group: panels of the insert commands.
    void showPicturePanel();  // "Dodaj zdjęcie": picture panel
    void showLinkPanel();     // "Wstaw link": link panel
    void showFontPanel();     // "Zmień czcionke": font panel
    void showTextEditor();    // "Edytor Tekstu": text editor panel

    // Picture panel.
    void insertPicture();                        // "Wstaw": insert the picture
    void cancelPicture();                        // "Anuluj"
    void ChoosePictureFile();                    // "Wybierz plik…": a picture from the disk
    void choosePictureFromWeb(bool chosen);      // picture from a web server
    void choosePictureFromGallery(bool chosen);  // picture from the gallery
    void togglePictureLink(bool ticked);         // the picture opens an address
    void togglePictureSize(bool ticked);         // the picture gets a size
    void EnableWebServerControls(bool enabled);

    // Link panel.
    void insertLink();  // "Wstaw": insert the link
    void cancelLink();  // "Anuluj"

    // Font panel.
    void insertFont();  // "Zmień": insert the font start
    void cancelFont();  // "Anuluj"

    // Text editor panel.
    void insertEditorNewLine();          // "Nowy wiersz" in the text to format
    void insertEditorGallery();          // "Wstaw galerię" in the text to format
    void addSnippet();                   // "Wstaw": one more snippet in the ready code
    void saveReadyCode();                // "Zapisz i zamknij": hand the ready code over
    void cancelTextEditor();             // "Anuluj"
    void toggleMovingText(bool ticked);  // moving text on or off

    // Further options: banner, keywords, right-click lock, update page.
    void showBannerPanel();                     // "Banner": banner panel
    void showBackgroundPanel();                 // "Tło": banner panel
    void keepBanner();                          // banner panel "Wstaw": keep the inputs
    void cancelBanner();                        // banner panel "Anuluj": untick both pictures
    void toggleBanner(bool ticked);             // banner picture address on or off
    void toggleBackgroundPicture(bool ticked);  // background picture address on or off
    void showKeywordsPanel();                   // "Promowanie aukcji": keywords panel
    void keepKeywords();                        // keywords panel "Użyj": keep the inputs
    void cancelKeywords();  // keywords panel "Anuluj": empty title, keywords and description
    void toggleRightClickLock(bool ticked);  // right-click lock: ask for its message
    void keepRightClickMessage();            // right-click message panel "Wstaw"
    void openUpdatePage();                   // "Sprawdź czy jest nowa wersja": update page

    // Layout choice and its arrangement panel.
    void chooseArrangedLayout(bool chosen);
    void closeArrangement();  // arrangement panel "OK"

    // Colours.
    void applyColourStyle(int position);  // a colour style chosen by the seller
    void PickColor(QLineEdit& target);

    // Seller ID panel.
    void saveSellerId();      // "Zapisz": store the seller ID
    void openSellerIdHelp();  // "O co chodzi?": help page

    // Generate and preview, and the project file.
    void generateAuction();  // "AUKCJA": the description to the clipboard
    void previewAuction();   // preview in the browser
    void saveProject();      // save the project
    void loadProject();      // load the project

    // Beside "AUKCJA": the description for today's Allegro, and many offers at once.
    void openAllegroWindow();  // "Allegro": the window "Opis dla Allegro"
    void openBatchDialog();    // "Wiele ofert…": a spreadsheet of offers into a folder

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

    std::unique_ptr<Ui::MainWindow> ui_;
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
