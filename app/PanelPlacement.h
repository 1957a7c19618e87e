// Where the main window and its side panels lie: the window in the middle of its screen at
// its first size, each panel over the group it serves or the middle of the window.
#pragma once

#include <QRect>
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

// Takes the keyboard to the first input of `area` that is shown and enabled; false when it has
// none.
bool FocusFirstInput(QWidget& area);

void CentreOnScreen(QWidget& window);

// Where a window of `preferred` outer size goes beside the form whose frame is `form`, on the
// screen's free area `screen`: on the right of the form where it fits at least `minimum` wide,
// else on its left, else at the screen's edge on the roomier side, as narrow as it can be, so
// that as much of the form as possible stays in sight. Never past the screen's area.
QRect BesideRect(const QRect& form, const QRect& screen, QSize preferred, QSize minimum);

// Puts the window beside `form` (the main window), at its present size where the screen has
// room. Called just after the window is first shown: only then does its least size hold.
void PlaceBeside(QWidget& window, const QWidget& form);

// Sizes the window so that its outer size, frame included, is `outer`, once the window
// manager has framed it; then centres it again.
void KeepOuterSize(QWidget& window, QSize outer);

}  // namespace licytek
