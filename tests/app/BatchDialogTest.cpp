// "Wiele ofert…": the spreadsheet and the folder are chosen in the dialog, the form as it
// stands is every row's template, the batch runs off the window's thread with a working
// "Anuluj", and the report keeps the counts and every row error.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <QCheckBox>

#include "FakeAllegro.h"
#include "TestSupport.h"
#include "app/BatchDialog.h"
#include "batch/Batch.h"
#include "publish/TokenStore.h"

namespace licytek::test {
namespace {

// Opens the batch's dialog and chooses the spreadsheet and the folder in it.
BatchDialog* OpenBatch(Session& session, const QString& offers, const QString& folder) {
    QDir().mkpath(folder);
    session.desktop.fileAnswers = {offers, folder};
    ShowWindow(session);
    Click(session, "batchButton");
    auto* dialog = session.window->findChild<BatchDialog*>();
    if (dialog != nullptr) {
        QTest::mouseClick(Part<QPushButton>(*dialog, "chooseSheet"), Qt::LeftButton);
        QTest::mouseClick(Part<QPushButton>(*dialog, "chooseFolder"), Qt::LeftButton);
    }
    return dialog;
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Sets environment variables for its lifetime, then puts back what was there.
class ScopedEnvironment {
  public:
    void Set(const char* name, const QByteArray& value) {
        saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            it->wasSet ? qputenv(it->name, it->value) : qunsetenv(it->name);
        }
    }

  private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    std::vector<Saved> saved_;
};

const QByteArray kOffers =
    "plik;Nag\xc5\x82\xc3\xb3wek aukcji;Opis przedmiotu;uk\xc5\x82\x61\x64\r\n"
    "rower;Rower;\"Rama 19\"\"\r\nstan dobry\";2\r\n"
    "lampa;Lampa;Mosi\xc4\x99\x64\x7a;\r\n"
    "zly;Z\xc5\x82y;Opis;9\r\n";

}  // namespace

class BatchDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void writesEveryGoodRowFromTheFormAndReports() {
        Session session;
        session.Get<QLineEdit>("phone")->setText(QStringLiteral("600 100 200"));
        session.folder.Write(QStringLiteral("oferty.csv"), kOffers);
        const QString out = session.folder.Path(QStringLiteral("opisy"));
        BatchDialog* dialog = OpenBatch(session, session.folder.Path("oferty.csv"), out);
        QVERIFY(dialog != nullptr);
        QCOMPARE(session.desktop.fileQuestions.size(), std::size_t{2});
        QTest::mouseClick(Part<QRadioButton>(*dialog, "bothFormats"), Qt::LeftButton, {},
                          QPoint(6, 6));

        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QVERIFY(dialog->IsRunning() || finished.count() == 1);
        QVERIFY(finished.count() == 1 || finished.wait(30000));

        // The same template, seller ID and rows through the core give the same files.
        const QString expectedOut = session.folder.Path(QStringLiteral("oczekiwane"));
        QDir().mkpath(expectedOut);
        batch::BatchOptions options;
        options.format = batch::OutputFormat::Both;
        options.outFolder = expectedOut.toStdString();
        const auto summary = batch::RunBatch(
            session.folder.Path("oferty.csv").toStdString(),
            std::get<AuctionForm>(session.window->Form().Snapshot()), "seller", options);
        QCOMPARE(summary.written, std::size_t{2});
        QCOMPARE(FilesIn(out), FilesIn(expectedOut));
        for (const QString& name : FilesIn(out)) {
            QCOMPARE(session.folder.Read("opisy/" + name),
                     session.folder.Read("oczekiwane/" + name));
        }
        QVERIFY(session.folder.Read("opisy/rower.html").contains("600 100 200"));

        QCOMPARE(Part<QLabel>(*dialog, "summary")->text(), QString::fromStdString(summary.Line()));
        const QString report = Part<QPlainTextEdit>(*dialog, "report")->toPlainText();
        QVERIFY2(report.contains(QStringLiteral(":4:")) && report.contains(QStringLiteral("układ")),
                 qPrintable(report));
        // The template's warning names the input as the window labels it.
        QVERIFY2(report.contains(QStringLiteral("szablon: Telefon: Telefon nie trafia do opisu")) &&
                     !report.contains(QStringLiteral("Edit3")),
                 qPrintable(report));

        QTest::mouseClick(Part<QPushButton>(*dialog, "copyButton"), Qt::LeftButton);
        QVERIFY(!session.desktop.clipboard.empty());
        QVERIFY(session.desktop.clipboard.back().contains(report));

        // A second run refuses to replace the files unless asked to.
        QTest::mouseClick(Part<QPushButton>(*dialog, "closeButton"), Qt::LeftButton);
        QTRY_VERIFY(session.window->findChild<BatchDialog*>() == nullptr);
        dialog = OpenBatch(session, session.folder.Path("oferty.csv"), out);
        QSignalSpy again(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QVERIFY(again.count() == 1 || again.wait(30000));
        QVERIFY2(Part<QLabel>(*dialog, "summary")->text().startsWith(QStringLiteral("0 ofert")),
                 qPrintable(Part<QLabel>(*dialog, "summary")->text()));
    }

    void cancelStopsBetweenRowsAndLeavesWholeFiles() {
        Session session;
        QByteArray offers = "plik;Edit2;Memo1\n";
        constexpr int kRows = 4000;
        for (int row = 1; row <= kRows; ++row) {
            offers += "o" + QByteArray::number(row) + ";Oferta " + QByteArray::number(row) + ";" +
                      QByteArray(500, 'x') + "\n";
        }
        session.folder.Write(QStringLiteral("duzo.csv"), offers);
        const QString out = session.folder.Path(QStringLiteral("opisy"));
        BatchDialog* dialog = OpenBatch(session, session.folder.Path("duzo.csv"), out);
        QVERIFY(dialog != nullptr);
        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QTest::mouseClick(Part<QPushButton>(*dialog, "cancelButton"), Qt::LeftButton);
        QVERIFY(dialog->isVisible());  // it stays to tell how far the batch came
        QVERIFY(finished.count() == 1 || finished.wait(30000));

        const QString summary = Part<QLabel>(*dialog, "summary")->text();
        QVERIFY2(summary.contains(QStringLiteral("przerwano")), qPrintable(summary));
        const QStringList files = FilesIn(out);
        QVERIFY(files.size() < kRows);
        QVERIFY2(summary.startsWith(QString::number(files.size()) + QLatin1Char(' ')),
                 qPrintable(summary));
        for (const QString& name : files) {
            QVERIFY2(name.endsWith(QStringLiteral(".html")), qPrintable(name));  // no leftovers
            QVERIFY(session.folder.Read("opisy/" + name).contains("xxxxx"));
        }
    }

    void sendsEachRowToItsOfferAndReportsIt() {
        Session session;
        testing::FakeAllegro fake;
        ScopedEnvironment environment;
        environment.Set("LICYTEK_ALLEGRO_URL", fake.Base().c_str());
        environment.Set("LICYTEK_ALLEGRO_CLIENT_ID", "test-client");
        environment.Set("LICYTEK_ALLEGRO_CLIENT_SECRET", "test-secret");
        environment.Set("XDG_CONFIG_HOME", session.folder.Path("config").toUtf8());
        environment.Set("XDG_DATA_HOME", session.folder.Path("data").toUtf8());
        environment.Set("DBUS_SESSION_BUS_ADDRESS", "");  // the token file, never a keyring
        publish::MakeFileTokenStore(session.folder.Path("config/licytek").toStdString())
            ->Save("custom " + fake.Base(), publish::Tokens{"a", "r", 4'000'000'000});
        const std::string description =
            R"({"sections":[{"items":[{"type":"TEXT","content":"<p>x</p>"}]}]})";
        fake.Script("GET", "/sale/product-offers/11",
                    {200, testing::OfferJson("11", "Rower", {}, description), {}, false});
        fake.Script("PATCH", "/sale/product-offers/11", {200, "{}", {}, false});
        session.folder.Write(QStringLiteral("oferty.csv"),
                             "plik;Edit2;Memo1;oferta\nrower;Rower;Opis;11\nlampa;Lampa;Opis;\n");
        const QString out = session.folder.Path(QStringLiteral("opisy"));
        BatchDialog* dialog = OpenBatch(session, session.folder.Path("oferty.csv"), out);
        QVERIFY(dialog != nullptr);
        auto* publish = Part<QCheckBox>(*dialog, "publishToOffers");
        QVERIFY(publish->isEnabled());
        QVERIFY(!Part<QCheckBox>(*dialog, "publishToSandbox")->isEnabled());
        publish->setChecked(true);

        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QVERIFY(finished.count() == 1 || finished.wait(30000));
        const QString summary = Part<QLabel>(*dialog, "summary")->text();
        // The fake gives the old description back when the offer is read: one warning.
        QCOMPARE(summary, QStringLiteral("2 oferty zapisane, 0 z błędami, 1 ostrzeżenie, 1 opis "
                                         "wysłany, 0 z błędami"));
        const QString report = Part<QPlainTextEdit>(*dialog, "report")->toPlainText();
        QVERIFY2(report.contains(QStringLiteral("oferty.csv:2: oferta 11: opis zaktualizowany")),
                 qPrintable(report));
        QCOMPARE(fake.Requests("PATCH", "/sale/product-offers/11").size(), std::size_t{1});
        QCOMPARE(FilesIn(out), (QStringList{"lampa.html", "rower.html"}));
    }

    void cancellingAQuestionStartsNothing() {
        Session session;
        session.folder.Write(QStringLiteral("oferty.csv"), kOffers);
        ShowWindow(session);
        Click(session, "batchButton");  // the dialog opens before any question
        auto* dialog = session.window->findChild<BatchDialog*>();
        QVERIFY(dialog != nullptr);
        QVERIFY(session.desktop.fileQuestions.empty());
        // "Uruchom" asks for what is missing; the folder question is cancelled.
        session.desktop.fileAnswers = {session.folder.Path(QStringLiteral("oferty.csv"))};
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QCOMPARE(session.desktop.fileQuestions.size(), std::size_t{2});
        QVERIFY(!dialog->IsRunning());
        QVERIFY(Part<QPushButton>(*dialog, "startButton")->isVisible());
        QCOMPARE(Part<QLabel>(*dialog, "offersPath")->text(),
                 session.folder.Path(QStringLiteral("oferty.csv")));
    }
};

LICYTEK_WINDOW_TEST(BatchDialogTest);

}  // namespace licytek::test

#include "BatchDialogTest.moc"
