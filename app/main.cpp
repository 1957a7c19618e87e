// Licytek: starts the main window and runs until it is closed.
#include <QApplication>

#include "app/SystemDesktop.h"
#include "app/TForm1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Licytek"));
    // Closing the window ends the program at once: nothing is asked, nothing is saved.
    QApplication::setQuitOnLastWindowClosed(true);

    licytek::SystemDesktop desktop;
    licytek::TForm1 window(desktop);
    desktop.SetDialogOwner(&window);
    window.show();
    return QApplication::exec();
}
