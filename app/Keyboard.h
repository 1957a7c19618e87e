// The window at the keyboard: Tab walks each group top to bottom and left to right and enters
// a shown side panel, skipping what a panel hides; on a panel Enter presses its insert or save
// button and Escape its cancel or close button.
#pragma once

class QWidget;

namespace licytek {

// Sets the tab order of the main window's groups and side panels and installs the panels'
// Enter and Escape keys. Call once, after the window's controls exist.
void InstallKeyboard(QWidget& window);

}  // namespace licytek
