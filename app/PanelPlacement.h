// Where the main window and its side panels lie: the window in the middle of its screen at
// its first size, each panel over the group it serves or the middle of the window.
#pragma once

#include <QSize>

class QWidget;

namespace Ui {
class MainWindow;
}

namespace licytek {

// Lays the side panels of the window `ui` was set up on over their areas, for the window's
// present size.
void PlacePanels(QWidget& window, const Ui::MainWindow& ui);

// Shows the panel on top of the others and takes the keyboard to its first input.
void ShowPanel(QWidget* panel);

void CentreOnScreen(QWidget& window);

// Sizes the window so that its outer size, frame included, is `outer`, once the window
// manager has framed it; then centres it again.
void KeepOuterSize(QWidget& window, QSize outer);

}  // namespace licytek
