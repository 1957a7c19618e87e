// The seller ID panel and the two pages handed to the browser: the help page (the current
// folder's, else the installed copy) and the update page.
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "TestSupport.h"
#include "app/ExternalPages.h"

namespace licytek::test {
namespace {

void Save(Session& session, const QString& id) {
    session.window->show();
    auto* field = session.Get<QLineEdit>("typedSellerId");
    field->setText(id);
    QTest::mouseClick(session.Get<QPushButton>("sellerIdSaveButton"), Qt::LeftButton);
}

bool PanelShown(const Session& session) {
    return session.Get<QWidget>("sellerIdPanel")->isVisibleTo(session.window.get());
}

}  // namespace

class SellerIdTest : public QObject {
    Q_OBJECT

  private slots:
    void savedIdIsWrittenAndUsedAndComesBack() {
        WorkingFolder folder;
        {
            FakeDesktop desktop;
            MainWindow window(desktop);
            window.show();
            QVERIFY(window.findChild<QWidget*>(QStringLiteral("sellerIdPanel"))->isVisible());
            window.findChild<QLineEdit*>(QStringLiteral("typedSellerId"))
                ->setText(QStringLiteral("1234567"));
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("sellerIdSaveButton")),
                              Qt::LeftButton);
            QVERIFY(!window.findChild<QWidget*>(QStringLiteral("sellerIdPanel"))->isVisible());
            QCOMPARE(window.SellerId(), std::string("1234567"));
            QVERIFY(desktop.errors.empty());
        }
        QCOMPARE(folder.Read(QStringLiteral("id.ltk")),
                 QByteArray("1234567\0\0\0\0\0\0\0\0\0\0\0\0\0", 20));
        {
            FakeDesktop desktop;
            MainWindow window(desktop);  // the next start
            QCOMPARE(window.SellerId(), std::string("1234567"));
            QVERIFY(
                !window.findChild<QWidget*>(QStringLiteral("sellerIdPanel"))->isVisibleTo(&window));
        }
    }

    void idsAreStoredInWindows1250() {
        Session session(std::nullopt);
        Save(session, QStringLiteral("Łódź"));
        QCOMPARE(session.folder.Read(QStringLiteral("id.ltk")),
                 QByteArray("\xa3\xf3\x64\x9f\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20));
        QCOMPARE(session.window->SellerId(), std::string("\xa3\xf3\x64\x9f"));
    }

    void idLongerThanTheFileIsRefused() {
        Session session(std::nullopt);
        Save(session, QStringLiteral("123456789012345678901"));
        QCOMPARE(session.desktop.errors.size(), std::size_t{1});
        QVERIFY2(session.desktop.errors[0].contains(QStringLiteral("20")),
                 qPrintable(session.desktop.errors[0]));
        QVERIFY(PanelShown(session));
        QVERIFY(session.window->SellerId().empty());
        QVERIFY(!QFile::exists(session.folder.Path(QStringLiteral("id.ltk"))));

        Save(session, QStringLiteral("12345678901234567890"));  // twenty fit
        QVERIFY(!PanelShown(session));
        QCOMPARE(session.window->SellerId(), std::string("12345678901234567890"));
    }

    void failedWriteIsToldAndChangesNothing() {
        Session session(std::nullopt);
        QVERIFY(QDir().mkdir(session.folder.Path(QStringLiteral("id.ltk"))));
        Save(session, QStringLiteral("777"));
        QCOMPARE(session.desktop.errors,
                 std::vector<QString>{QStringLiteral("File access denied")});
        QVERIFY(PanelShown(session));
        QVERIFY(session.window->SellerId().empty());
    }

    void helpButtonOpensTheCurrentFoldersHelpPage() {
        Session session(std::nullopt);
        QVERIFY(QDir().mkdir(session.folder.Path(QStringLiteral("instrukcja"))));
        session.folder.Write(QStringLiteral("instrukcja/index.html"), "<p>pomoc</p>");
        session.window->show();
        session.Get<QLineEdit>("typedSellerId")->setText(QStringLiteral("42"));
        QTest::mouseClick(session.Get<QPushButton>("sellerIdHelpButton"), Qt::LeftButton);
        QCOMPARE(session.desktop.opened.size(), std::size_t{1});
        QCOMPARE(session.desktop.opened[0],
                 QUrl::fromLocalFile(session.folder.Path(QStringLiteral("instrukcja/index.html"))));
        QVERIFY(PanelShown(session));  // the panel and its field stay as they are
        QCOMPARE(session.Get<QLineEdit>("typedSellerId")->text(), QStringLiteral("42"));
    }

    void helpPageFallsBackToTheInstalledCopy() {
        WorkingFolder current;  // without instrukcja/
        QTemporaryDir installed;
        QVERIFY(QDir(installed.path()).mkpath(QStringLiteral("share/licytek/instrukcja")));
        QVERIFY(QDir(installed.path()).mkpath(QStringLiteral("bin")));
        QFile page(installed.filePath(QStringLiteral("share/licytek/instrukcja/index.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const QString program = installed.filePath(QStringLiteral("bin"));
        const QStringList folders = InstalledHelpFolders(program);
        QCOMPARE(HelpPageUrl(folders), QUrl::fromLocalFile(QFileInfo(page).canonicalFilePath()));
        // found from the program's place alone, never from a path compiled in
        for (const QString& folder : folders) {
            QVERIFY2(folder.startsWith(program + QLatin1Char('/')), qPrintable(folder));
        }
        // with no copy anywhere, the current folder's path is handed over all the same
        QCOMPARE(HelpPageUrl({}),
                 QUrl::fromLocalFile(current.Path(QStringLiteral("instrukcja/index.html"))));
    }

    void updateButtonOpensTheUpdatePage() {
        Session session;
        session.window->show();
        QTest::mouseClick(session.Get<QPushButton>("updateButton"), Qt::LeftButton);
        QCOMPARE(session.desktop.opened,
                 std::vector<QUrl>{QUrl(QStringLiteral("https://licytek.pl/allegro/ltk.html"))});
    }
};

LICYTEK_WINDOW_TEST(SellerIdTest);

}  // namespace licytek::test

#include "SellerIdTest.moc"
