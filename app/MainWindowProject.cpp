// The main window's project file commands: save the form into "zapis.ltk" and load it back,
// with no dialog and nothing shown on success.
#include <string_view>
#include <vector>

#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "model/FormFields.h"
#include "model/ProjectFile.h"

namespace licytek {
namespace {

// The inputs the project file holds, in file order, which is also the order of loading.
const std::vector<std::string_view>& SavedInputs() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> inFileOrder;
        for (const ProjectSlot& slot : ProjectSlots()) {
            inFileOrder.push_back(FindFormField(slot.control)->member);
        }
        return inFileOrder;
    }();
    return names;
}

}  // namespace

// A change to an input that the project file holds is a change not yet saved; a load's own
// changes are not, as the load clears the mark once they are in.
void MainWindow::TrackUnsavedChanges() {
    form_->OnAnyChange(
        this, [this] { unsaved_ = true; }, SavedInputs());
    unsaved_ = false;
}

// A text too long for its slot is refused whole, so the file that was there stays as it was.
void MainWindow::saveProject() {
    const auto form = ReadInputs(SavedInputs());
    if (!form) {
        return;
    }
    const auto saved = SaveProject(*form, kProjectFileName);
    if (const auto* error = std::get_if<FileError>(&saved)) {
        desktop_.ShowError(QString::fromStdString(error->message));
    } else if (const auto* overflow = std::get_if<SlotOverflow>(&saved)) {
        desktop_.ShowError(QString::fromStdString(overflow->Message()));
    } else {
        unsaved_ = false;
    }
}

// The loaded values reach the controls as the seller's clicks would: a check box or layout
// whose state changes runs its reaction (the right-click message and arrangement panels
// show), a list gets its position without applying a colour style, and the inputs the file
// does not hold keep their values. A file that cannot be read changes nothing.
void MainWindow::loadProject() {
    AuctionForm loaded;
    if (const auto error = LoadProject(kProjectFileName, loaded)) {
        desktop_.ShowError(QString::fromStdString(error->message));
        return;
    }
    form_->Restore(loaded, SavedInputs());
    unsaved_ = false;
}

}  // namespace licytek
