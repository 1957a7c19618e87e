// Licytek: starts the main window and runs until it is closed.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/SystemDesktop.h"
#include "app/TForm1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Licytek"));
    QGuiApplication::setDesktopFileName(QStringLiteral("pl.licytek.Licytek"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pl.licytek.Licytek")));

    // The window speaks Polish; so should the colour dialog and the message boxes' buttons.
    QTranslator standardDialogs;
    if (standardDialogs.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"),
                             QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&standardDialogs);
    }

    // Closing the window ends the program at once: nothing is asked, nothing is saved.
    licytek::SystemDesktop desktop;
    licytek::TForm1 window(desktop);
    desktop.SetDialogOwner(&window);
    window.show();
    return QApplication::exec();
}
