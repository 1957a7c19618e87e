// Licytek: starts the main window and runs until it is closed.
#include <QApplication>
#include <QIcon>
#include <csignal>

#include "app/MainWindow.h"
#include "app/SystemDesktop.h"
#include "app/Translations.h"

int main(int argc, char* argv[]) {
    // A file-size limit makes a save fail with "Disk full" instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Licytek"));
    QGuiApplication::setDesktopFileName(QStringLiteral("pl.licytek.Licytek"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pl.licytek.Licytek")));

    // The window speaks Polish; so do the colour dialog, the message boxes' buttons and the
    // text fields' context menus, whatever the desktop's language.
    licytek::InstallPolishTranslations(application);

    // Closing the window ends the program at once: nothing is asked, nothing is saved.
    licytek::SystemDesktop desktop;
    licytek::MainWindow window(desktop);
    desktop.SetDialogOwner(&window);
    window.show();
    return QApplication::exec();
}
