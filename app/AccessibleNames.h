// What a screen reader hears in the main window: the names and descriptions the form file
// cannot give, set once when the window is made.
#pragma once

class QWidget;

namespace licytek {

class FormBinding;

// To a screen reader the main window is a window, named by its title. Once for the program;
// before the first main window is made.
void InstallMainWindowAccessible();

// Names every input of `form` by its label in the table of inputs, the labels beside them,
// the layout thumbnails, the groups and the side panels of `window`.
void NameControls(QWidget& window, const FormBinding& form);

}  // namespace licytek
