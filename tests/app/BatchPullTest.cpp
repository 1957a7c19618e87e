// "Pobierz oferty do arkusza…" in "Wiele ofert…": the sheet is asked through the desktop, the
// offers come from the fake Allegro off the window's thread, a failed offer is listed by its
// number, and "Anuluj" stops a wait without writing anything.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <cstdlib>
#include <string>
#include <utility>

#include "FakeEnvironment.h"
#include "TestSupport.h"
#include "app/BatchDialog.h"

namespace licytek::test {
namespace {

BatchDialog* OpenDialog(Session& session) {
    session.desktop.fileAnswers = {session.folder.Path("oferty.csv"), session.folder.Path("opisy")};
    ShowWindow(session);
    Click(session, "batchButton");
    return session.window->findChild<BatchDialog*>();
}

// (No raw strings in this file: moc does not read them.)
constexpr const char* kOffers =
    "{\"offers\":[{\"id\":\"11\",\"name\":\"Rower\"},{\"id\":\"12\",\"name\":\"Kask\"},"
    "{\"id\":\"13\",\"name\":\"Lampa\"}],\"totalCount\":3}";
constexpr const char* kDescription =
    "{\"sections\":[{\"items\":[{\"type\":\"TEXT\","
    "\"content\":\"<p>Stan; \\\"bdb\\\" \u2714</p><p>x</p>\"}]}]}";

}  // namespace

class BatchPullTest : public QObject {
    Q_OBJECT

  private slots:
    void pullsEveryOfferIntoTheSheetAndListsTheFailedOne() {
        Session session;
        testing::FakeAllegro fake;
        const testing::FakeEnvironment environment(fake, session.folder.Path(".").toStdString());
        environment.SignIn();
        fake.Script("GET", "/sale/offers", {200, kOffers, {}, false});
        for (const auto& [id, name] : {std::pair{"11", "Rower"}, std::pair{"13", "Lampa"}}) {
            fake.Script("GET", std::string("/sale/product-offers/") + id,
                        {200, testing::OfferJson(id, name, {}, kDescription), {}, false});
        }
        BatchDialog* dialog = OpenDialog(session);
        QVERIFY(dialog != nullptr);
        session.desktop.fileAnswers = {session.folder.Path("pobrane")};
        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        if (const char* shots = std::getenv("LICYTEK_SCREENSHOT_DIR")) {
            dialog->grab().save(QString::fromLocal8Bit(shots) + "/batch-dialog.png");
        }
        QTest::mouseClick(Part<QPushButton>(*dialog, "pullOffersButton"), Qt::LeftButton);
        QCOMPARE(session.desktop.fileQuestions.back().defaultName, QStringLiteral("oferty.csv"));
        QVERIFY(finished.count() == 1 || finished.wait(30000));
        if (const char* shots = std::getenv("LICYTEK_SCREENSHOT_DIR")) {
            dialog->grab().save(QString::fromLocal8Bit(shots) + "/batch-dialog-pulled.png");
        }

        const QString sheet = session.folder.Path("pobrane.csv");
        QCOMPARE(Part<QLabel>(*dialog, "summary")->text(),
                 QStringLiteral("2 oferty zapisane w pliku ") + sheet + ", 1 z błędami");
        const QString report = Part<QPlainTextEdit>(*dialog, "report")->toPlainText();
        QVERIFY2(report.contains(QStringLiteral("Oferta 12 nie istnieje")), qPrintable(report));
        QCOMPARE(
            session.folder.Read("pobrane.csv"),
            QByteArray("\xEF\xBB\xBFplik;oferta;Nag\xC5\x82\xC3\xB3wek aukcji;Opis przedmiotu\r\n"
                       "rower;11;Rower;\"<!-- bez nag\xC5\x82\xC3\xB3wka -->\n<p>Stan; \"\"bdb\"\" "
                       "\xE2\x9C\x94</p>\n<p>x</p>\"\r\n"
                       "lampa;13;Lampa;\"<!-- bez nag\xC5\x82\xC3\xB3wka -->\n<p>Stan; \"\"bdb\"\" "
                       "\xE2\x9C\x94</p>\n<p>x</p>\"\r\n"));
    }

    void cancelDuringAWaitWritesNothing() {
        Session session;
        testing::FakeAllegro fake;
        const testing::FakeEnvironment environment(fake, session.folder.Path(".").toStdString());
        environment.SignIn();
        fake.Script("GET", "/sale/offers", {429, "{}", {{"Retry-After", "600"}}, false});
        BatchDialog* dialog = OpenDialog(session);
        QVERIFY(dialog != nullptr);
        session.desktop.fileAnswers = {session.folder.Path("pobrane.csv")};
        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "pullOffersButton"), Qt::LeftButton);
        QTRY_VERIFY(!fake.Requests("GET", "/sale/offers").empty());
        QTest::mouseClick(Part<QPushButton>(*dialog, "cancelButton"), Qt::LeftButton);
        QVERIFY(finished.count() == 1 || finished.wait(30000));
        const QString summary = Part<QLabel>(*dialog, "summary")->text();
        QVERIFY2(summary.startsWith(QStringLiteral("Przerwano")), qPrintable(summary));
        QVERIFY(!QFile::exists(session.folder.Path("pobrane.csv")));
    }
};

LICYTEK_WINDOW_TEST(BatchPullTest);

}  // namespace licytek::test

#include "BatchPullTest.moc"
