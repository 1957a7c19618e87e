// Pictures of the window's picture buttons, drawn at run time so that no icon theme is needed.
#pragma once

#include <QIcon>

namespace licytek {

// A small palette of colour squares: opens the colour dialog.
QIcon ColourPickerIcon();

// A page under a magnifying glass: shows the auction in the browser.
QIcon PreviewIcon();

// A disk: saves the project.
QIcon SaveIcon();

// A folder: loads the project.
QIcon LoadIcon();

}  // namespace licytek
