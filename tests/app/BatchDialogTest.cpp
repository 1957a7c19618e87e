// "Wiele ofert…": the spreadsheet and the folder are chosen in the dialog, the form as it
// stands is every row's template, the batch runs off the window's thread with a working
// "Anuluj", and the report keeps the counts and every row error.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <QCheckBox>

#include <cstdlib>

#include "FakeAllegro.h"
#include "FakeEnvironment.h"
#include "TestSupport.h"
#include "app/BatchDialog.h"
#include "batch/Batch.h"

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

// Five rows for "Wyślij opisy do ofert": offer 11 gets a new description, offer 12 shows its
// row already, row 4 names no offer, offer 13 does not exist, and the update file of offer 14
// is in the way. Each read takes a tenth of a second, so that reads at once can be seen.
BatchDialog* OpenSending(Session& session, testing::FakeAllegro& fake) {
    // A picture of the offer stays in its gallery: the batch adds, never takes away.
    fake.Script(
        "GET", "/sale/product-offers/11",
        {200,
         testing::OfferJson("11", "Rower", {"https://a.allegroimg.com/original/1"},
                            R"({"sections":[{"items":[{"type":"TEXT","content":"<p>x</p>"}]}]})"),
         {},
         false});
    fake.Script("PATCH", "/sale/product-offers/11", {200, "{}", {}, false});
    fake.Script("GET", "/sale/product-offers/14",
                {200, testing::OfferJson("14", "Lampa", {}, "{}"), {}, false});
    fake.Script("PATCH", "/sale/product-offers/14", {200, "{}", {}, false});
    fake.SetDelayMicroseconds(100'000);
    QDir().mkpath(session.folder.Path(QStringLiteral("opisy")));
    session.folder.Write(QStringLiteral("opisy/rower2.allegro-update.json"), "kept");
    fake.Script("GET", "/sale/product-offers/12",
                {200,
                 testing::OfferJson("12", "Kask", {},
                                    R"({"sections":[{"items":[{"type":"TEXT",)"
                                    R"("content":"<h1>Kask</h1><p>Lekki</p>"}]}]})"),
                 {},
                 false});
    session.folder.Write(QStringLiteral("oferty.csv"),
                         "plik;Edit2;Memo1;oferta\nrower;Rower;Nowy;11\nkask;Kask;Lekki;12\n"
                         "lampa;Lampa;Opis;\nzly;Zly;Opis;13\nrower2;Rower;Inny;14\n");
    BatchDialog* dialog = OpenBatch(session, session.folder.Path("oferty.csv"),
                                    session.folder.Path(QStringLiteral("opisy")));
    if (dialog != nullptr) {
        Part<QCheckBox>(*dialog, "publishToOffers")->setChecked(true);
    }
    return dialog;
}

// The seller's lists and a category for new offers, and no offer with any signature yet.
void ScriptNewOfferLookups(testing::FakeAllegro& fake) {
    const auto answer = [](std::string body) {
        return testing::FakeAnswer{200, std::move(body), {}, false};
    };
    fake.Script("GET", "/sale/shipping-rates",
                answer(R"({"shippingRates":[{"id":"r1","name":"Kurier"}]})"));
    fake.Script("GET", "/after-sales-service-conditions/return-policies",
                answer(R"({"returnPolicies":[{"id":"z1","name":"default"}]})"));
    fake.Script("GET", "/after-sales-service-conditions/implied-warranties",
                answer(R"({"impliedWarranties":[{"id":"i1","name":"Rękojmia"}]})"));
    fake.Script("GET", "/sale/categories/257931/parameters",
                answer(R"({"parameters": [{"id": "11323", "name": "Stan", "type": "dictionary",
                    "required": true, "options": {"describesProduct": false},
                    "dictionary": [{"id": "11323_1", "value": "Nowy"}]}]})"));
    fake.Script("GET", "/sale/products",
                answer(R"({"products":[{"id":"u1","name":"Rower","category":{"id":"257931"}}]})"));
    fake.Script("GET", "/sale/offers", answer(R"({"offers":[],"totalCount":0})"));
}

// With LICYTEK_SCREENSHOT_DIR set, a picture of the dialog as it stands.
void Grab(QWidget& dialog, const char* name) {
    const QString folder = qEnvironmentVariable("LICYTEK_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        dialog.grab().save(folder + QStringLiteral("/%1.png").arg(QString::fromLatin1(name)));
        // A picture of the whole screen can be taken meanwhile (LICYTEK_SCREENSHOT_HOLD ms).
        QTest::qWait(qEnvironmentVariableIntValue("LICYTEK_SCREENSHOT_HOLD"));
    }
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

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
        QVERIFY2(report.contains(QStringLiteral("szablon: Telefon nie trafia do opisu")) &&
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

    // A bulk send reads every offer first, several at once, and sends nothing until "Wyślij N
    // zmian"; then only the offer that changes is sent, not the one that shows its row already,
    // nor the one that failed in the trial, nor the one whose update could not be written.
    void bulkSendShowsItsTrialAndSendsOnlyTheChangesAfterConfirmation() {
        Session session;
        testing::FakeAllegro fake;
        const testing::FakeEnvironment environment(fake, session.folder.Path(".").toStdString());
        environment.SignIn();
        BatchDialog* dialog = OpenSending(session, fake);
        QVERIFY(dialog != nullptr);
        QSignalSpy trial(dialog, &BatchDialog::trialShown);
        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QVERIFY(trial.count() == 1 || trial.wait(30000));
        QVERIFY(fake.Requests("PATCH", "/sale/product-offers/11").empty());
        QVERIFY(fake.Requests("PATCH", "/sale/product-offers/12").empty());
        QVERIFY(!fake.Requests("GET", "/sale/product-offers/12").empty());  // it was read
        QVERIFY2(fake.MostAtOnce() > 1, "the offers are read several at once");

        QCOMPARE(Part<QLabel>(*dialog, "trialCounts")->text(),
                 QStringLiteral("Próba zakończona, nic jeszcze nie wysłano: 1 oferta się zmieni, "
                                "1 bez zmian, 2 z błędami."));
        auto* rows = Part<QListWidget>(*dialog, "trialRows");
        QCOMPARE(rows->count(), 4);
        QVERIFY2(rows->item(0)->text().startsWith(QStringLiteral("Zmiana — ")) &&
                     rows->item(0)->text().endsWith(QStringLiteral("wiersz 2: oferta 11 „Rower”")),
                 qPrintable(rows->item(0)->text()));
        QVERIFY2(rows->item(1)->text().endsWith(QStringLiteral("wiersz 3: oferta 12 „Kask”")),
                 qPrintable(rows->item(1)->text()));
        QVERIFY2(rows->item(2)->text().startsWith(QStringLiteral("Błąd — wiersz 5: oferta 13")),
                 qPrintable(rows->item(2)->text()));
        const QString change = Part<QPlainTextEdit>(*dialog, "trialDetail")->toPlainText();
        QVERIFY2(change.contains(QStringLiteral("Zdjęcia w ofercie: 1 → 1")), qPrintable(change));
        QVERIFY(!change.contains(QStringLiteral("Tytuł")));  // the title is not sent
        rows->setCurrentRow(1);
        QVERIFY(Part<QPlainTextEdit>(*dialog, "trialDetail")
                    ->toPlainText()
                    .contains(QStringLiteral("nic nie zostanie wysłane")));
        Grab(*dialog, "batch-trial");

        auto* confirm = Part<QPushButton>(*dialog, "confirmSendButton");
        QCOMPARE(confirm->text(), QStringLiteral("Wyślij 1 zmianę"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        QVERIFY(finished.count() == 1 || finished.wait(30000));
        QCOMPARE(Part<QLabel>(*dialog, "summary")->text(),
                 QStringLiteral("1 opis wysłany, 0 z błędami"));
        QCOMPARE(fake.Requests("PATCH", "/sale/product-offers/11").size(), std::size_t{1});
        QVERIFY(fake.Requests("PATCH", "/sale/product-offers/12").empty());
        QVERIFY(fake.Requests("PATCH", "/sale/product-offers/13").empty());
        QVERIFY(fake.Requests("PATCH", "/sale/product-offers/14").empty());
        QCOMPARE(session.folder.Read("opisy/rower2.allegro-update.json"), QByteArray("kept"));
    }

    // New offers from the sheet's offer data: the trial looks everything up and creates
    // nothing, tells which offers would be made, which are there already and which rows fail;
    // "Utwórz nowe oferty" then creates each new one once.
    void bulkNewOffersShowTheirTrialAndAreCreatedOnceAfterConfirmation() {
        Session session;
        testing::FakeAllegro fake;
        const testing::FakeEnvironment environment(fake, session.folder.Path(".").toStdString());
        environment.SignIn();
        ScriptNewOfferLookups(fake);
        fake.Script("POST", "/sale/product-offers",
                    {201, testing::ProductOfferJson("501", "INACTIVE"), {}, false});
        fake.Script("POST", "/sale/product-offers",
                    {201, testing::ProductOfferJson("502", "INACTIVE"), {}, false});
        session.folder.Write(
            QStringLiteral("nowe.csv"),
            "plik;Nag\xc5\x82\xc3\xb3wek aukcji;Memo1;ean;stan;cena;zdj\xc4\x99\x63ia;oferta\n"
            "w0;Rower miejski damski;Opis;5901234000000;Nowy;1 "
            "299,00;https://a.allegroimg.com/s/r.jpg;\n"
            "w1;Rower g\xc3\xb3rski "
            "m\xc4\x99ski;Opis;5901234000017;Nowy;999;https://a.allegroimg.com/s/g.jpg;\n"
            "stary;Rower stary;Opis;5901234000024;Nowy;10;;77\n"
            "zly;Rower zly;Opis;5901234000031;Nowy;tanio;;\n"
            "krotki;Rower damski;Opis;5901234000031;Nowy;10;https://a.allegroimg.com/s/k.jpg;\n");
        BatchDialog* dialog = OpenBatch(session, session.folder.Path("nowe.csv"),
                                        session.folder.Path(QStringLiteral("opisy")));
        QVERIFY(dialog != nullptr);
        Part<QCheckBox>(*dialog, "createOffers")->setChecked(true);
        QSignalSpy trial(dialog, &BatchDialog::trialShown);
        QSignalSpy finished(dialog, &BatchDialog::batchFinished);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QVERIFY(trial.count() == 1 || trial.wait(30000));
        QVERIFY(fake.Requests("POST", "/sale/product-offers").empty());
        QVERIFY(session.folder.Read("opisy/w1.allegro-create.json").contains("Rower g"));

        QCOMPARE(Part<QLabel>(*dialog, "trialCounts")->text(),
                 QStringLiteral("Próba zakończona, nic jeszcze nie utworzono: 2 oferty powstaną, "
                                "1 już w Allegro, 2 z błędami."));
        auto* rows = Part<QListWidget>(*dialog, "trialRows");
        QCOMPARE(rows->count(), 5);
        QCOMPARE(rows->item(0)->text(), QStringLiteral("Nowa — wiersz 2: „Rower miejski damski”"));
        QCOMPARE(rows->item(2)->text(), QStringLiteral("Już jest — wiersz 4: oferta 77"));
        QVERIFY2(rows->item(3)->text().startsWith(QStringLiteral("Błąd — wiersz 5, cena: ")),
                 qPrintable(rows->item(3)->text()));
        // A bad input of the form is named as the sheet's column names it.
        QVERIFY2(rows->item(4)->text().startsWith(
                     QStringLiteral("Błąd — wiersz 6, Nagłówek aukcji: tytuł ma 2 słowa")),
                 qPrintable(rows->item(4)->text()));
        QVERIFY2(Part<QPlainTextEdit>(*dialog, "trialDetail")
                     ->toPlainText()
                     .contains(QStringLiteral("Cena: 1299,00 zł")),
                 qPrintable(Part<QPlainTextEdit>(*dialog, "trialDetail")->toPlainText()));
        auto* confirm = Part<QPushButton>(*dialog, "confirmSendButton");
        QCOMPARE(confirm->text(), QStringLiteral("Utwórz nowe oferty"));
        Grab(*dialog, "batch-create-trial");

        QTest::mouseClick(confirm, Qt::LeftButton);
        QVERIFY(finished.count() == 1 || finished.wait(30000));
        QCOMPARE(Part<QLabel>(*dialog, "summary")->text(),
                 QStringLiteral("2 szkice utworzone, 0 już w Allegro, 0 z błędami"));
        const auto posts = fake.Requests("POST", "/sale/product-offers");
        QCOMPARE(posts.size(), std::size_t{2});
        QVERIFY(posts[0].body.find("Rower miejski") != std::string::npos);
        QVERIFY(posts[1].body.find("Rower g") != std::string::npos);
        // The copy of the sheet carries the new numbers, as the command line writes it.
        const QByteArray copy = session.folder.Read(QStringLiteral("nowe.oferty.csv"));
        QVERIFY2(copy.contains("/r.jpg;501\n") && copy.contains("/g.jpg;502\n") &&
                     copy.contains(";;77\n"),
                 copy.constData());
        Grab(*dialog, "batch-create-done");
    }

    // A bulk send that cannot begin says why in the window's words: how to sign in here, and
    // what is wrong with the number of requests at once.
    void aSendThatCannotBeginSaysWhyInTheWindowsWords() {
        Session session;
        testing::FakeAllegro fake;
        const testing::FakeEnvironment environment(fake, session.folder.Path(".").toStdString());
        const auto trialSummary = [&session, &fake]() -> QString {
            BatchDialog* dialog = OpenSending(session, fake);
            QSignalSpy finished(dialog, &BatchDialog::batchFinished);
            QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
            const bool ended = finished.count() == 1 || finished.wait(30000);
            const QString summary = ended ? Part<QLabel>(*dialog, "summary")->text() : QString();
            dialog->close();
            const bool closed = QTest::qWaitFor(
                [&session] { return session.window->findChild<BatchDialog*>() == nullptr; });
            return closed ? summary : QStringLiteral("(the dialog stayed open)");
        };
        const QString signedOut = trialSummary();  // no tokens yet
        QVERIFY2(signedOut.contains(QStringLiteral("Zaloguj się w oknie „Wyślij do Allegro…”")) &&
                     !signedOut.contains(QStringLiteral("licytek-cli")),
                 qPrintable(signedOut));
        environment.SignIn();
        qputenv("LICYTEK_ALLEGRO_PARALLEL", "sto");
        const QString wrong = trialSummary();
        qunsetenv("LICYTEK_ALLEGRO_PARALLEL");
        QVERIFY2(wrong.contains(QStringLiteral("LICYTEK_ALLEGRO_PARALLEL musi być liczbą")),
                 qPrintable(wrong));
        QVERIFY(fake.Requests().empty());
    }

    // "Anuluj" after the trial run closes the dialog and sends nothing.
    void cancelAfterTheTrialSendsNothing() {
        Session session;
        testing::FakeAllegro fake;
        const testing::FakeEnvironment environment(fake, session.folder.Path(".").toStdString());
        environment.SignIn();
        BatchDialog* dialog = OpenSending(session, fake);
        QVERIFY(dialog != nullptr);
        QSignalSpy trial(dialog, &BatchDialog::trialShown);
        QTest::mouseClick(Part<QPushButton>(*dialog, "startButton"), Qt::LeftButton);
        QVERIFY(trial.count() == 1 || trial.wait(30000));
        QTest::mouseClick(Part<QPushButton>(*dialog, "cancelButton"), Qt::LeftButton);
        QTRY_VERIFY(session.window->findChild<BatchDialog*>() == nullptr);
        for (const auto& request : fake.Requests()) {
            QVERIFY2(request.method == "GET", request.path.c_str());
        }
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
