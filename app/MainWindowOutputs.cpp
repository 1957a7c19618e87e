// The main window's commands beside "AUKCJA": the description for today's Allegro in a window of
// its own, and many offers at once from a spreadsheet.
#include <QString>

#include <variant>

#include "app/AllegroWindow.h"
#include "app/BatchDialog.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/PanelPlacement.h"

namespace licytek {

// One window for the whole run: a second click brings it to the front.
void MainWindow::openAllegroWindow() {
    const bool first = allegroWindow_ == nullptr;
    if (first) {
        allegroWindow_ = new AllegroWindow(
            *form_, [this] { return sellerId_; }, [this] { return unsaved_; }, desktop_, this);
    }
    allegroWindow_->show();
    if (first) {
        PlaceBeside(*allegroWindow_, *this);  // beside the form it follows: both stay in sight
    }
    allegroWindow_->raise();
    allegroWindow_->activateWindow();
}

// One batch at a time: while its dialog is open, the button brings it to the front. The form as it
// stands is the template of every row; later edits do not reach a running batch. The spreadsheet
// and the folder are chosen in the dialog, which can also pull the offers into a new spreadsheet.
void MainWindow::openBatchDialog() {
    if (batchDialog_ != nullptr) {
        batchDialog_->show();
        batchDialog_->raise();
        batchDialog_->activateWindow();
        return;
    }
    auto snapshot = form_->Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        desktop_.ShowError(UnheldTextMessage(*unheld));
        return;
    }
    batchDialog_ =
        new BatchDialog(std::get<AuctionForm>(std::move(snapshot)), sellerId_, desktop_, this);
    batchDialog_->setAttribute(Qt::WA_DeleteOnClose);
    batchDialog_->show();
}

}  // namespace licytek
