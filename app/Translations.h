// Qt's own texts in Polish, like every label of the program: the colour dialog, the buttons of
// the message boxes and the context menus of the text fields.
#pragma once

class QCoreApplication;
class QTranslator;

namespace licytek {

// Installs Qt's Polish translations from the system's Qt translations, whatever the desktop's
// language, and keeps the standard dialogs Qt's own, which these translations reach (a dialog
// of the desktop would speak the desktop's language). Returns the installed translator, owned
// by `application`, or nullptr when the system has no Polish translations of Qt: its texts then
// stay English.
QTranslator* InstallPolishTranslations(QCoreApplication& application);

}  // namespace licytek
