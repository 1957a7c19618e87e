// The window "Opis dla Allegro": opened from the group "Aukcja", it shows the export of the
// form as it stands and follows later edits; its copy and save go through the desktop; its
// second tab lists what the sites would refuse in the classic page.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextFrame>

#include <algorithm>

#include "TestSupport.h"
#include "app/AllegroWindow.h"
#include "app/PanelPlacement.h"
#include "generator/Document.h"
#include "model/Text.h"
#include "structured/AllegroExport.h"
#include "structured/PageCheck.h"

namespace licytek::test {
namespace {

AllegroWindow* OpenAllegro(Session& session) {
    ShowWindow(session);
    Click(session, "allegroButton");
    auto* window = session.window->findChild<AllegroWindow*>();
    if (window != nullptr && !QTest::qWaitForWindowExposed(window)) {
        return nullptr;
    }
    return window;
}

QString Text(AllegroWindow& window, const char* label) {
    return Part<QLabel>(window, label)->text();
}

QStringList Items(AllegroWindow& window, const char* list) {
    QStringList items;
    auto* widget = Part<QListWidget>(window, list);
    for (int i = 0; i < widget->count(); ++i) {
        items << widget->item(i)->text();
    }
    return items;
}

void ClickPart(AllegroWindow& window, const char* name) {
    QTest::mouseClick(Part<QAbstractButton>(window, name), Qt::LeftButton);
}

AuctionForm Snapshot(const Session& session) {
    return std::get<AuctionForm>(session.window->Form().Snapshot());
}

void SetTitleAndDescription(Session& session, const QString& title, const QString& text) {
    session.Get<QLineEdit>("auctionHeader")->setText(title);
    session.Get<PlainTextField>("itemDescription")->setPlainText(text);
}

}  // namespace

class AllegroWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void theButtonOpensOneWindowThatFollowsTheForm() {
        Session session;
        SetTitleAndDescription(session, QStringLiteral("Rower"), QStringLiteral("Opis"));
        AllegroWindow* window = OpenAllegro(session);
        QVERIFY(window != nullptr);
        QCOMPARE(window->windowTitle(), QStringLiteral("Opis dla Allegro"));
        QVERIFY(!window->isModal());
        QCOMPARE(Text(*window, "titleCount"), QStringLiteral("5/75"));
        const QString preview = Part<QTextBrowser>(*window, "preview")->toPlainText();
        QVERIFY2(preview.contains(QStringLiteral("Rower")) && preview.contains("Opis"),
                 qPrintable(preview));
        const auto offer = structured::ExportAllegro(Snapshot(session));
        QCOMPARE(Text(*window, "size"),
                 QStringLiteral("Rozmiar opisu: %1 / %2 bajtów")
                     .arg(QLocale(QLocale::Polish).toString(qulonglong(offer.descriptionBytes)),
                          QLocale(QLocale::Polish).toString(40000)));

        // An edit shows after a short wait, not at every key.
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower & kask"));
        QCOMPARE(Text(*window, "titleCount"), QStringLiteral("5/75"));
        QTRY_COMPARE(Text(*window, "titleCount"), QStringLiteral("16/75"));  // "&" counts 5

        // Errors come first: a title over the limit, before the warning about the phone.
        session.Get<QLineEdit>("auctionHeader")->setText(QString(80, QLatin1Char('x')));
        session.Get<QLineEdit>("phone")->setText(QStringLiteral("600 100 200"));
        QTRY_COMPARE(Text(*window, "titleCount"), QStringLiteral("80/75"));
        const QStringList findings = Items(*window, "findings");
        QVERIFY2(findings.size() >= 2 && findings.front().startsWith(QStringLiteral("Błąd")) &&
                     findings.back().startsWith(QStringLiteral("Ostrzeżenie")),
                 qPrintable(findings.join('\n')));

        // The terms join as sections of their own when asked for.
        session.Get<PlainTextField>("auctionTerms")
            ->setPlainText(QStringLiteral("Płatność z góry"));
        QTest::mouseClick(Part<QCheckBox>(*window, "withTerms"), Qt::LeftButton, {}, QPoint(6, 6));
        QVERIFY(Part<QTextBrowser>(*window, "preview")
                    ->toPlainText()
                    .contains(QStringLiteral("Płatność z góry")));

        // A second click brings the same window back rather than another one.
        window->close();
        Click(session, "allegroButton");
        QCOMPARE(session.window->findChildren<AllegroWindow*>().size(), qsizetype{1});
        QTRY_VERIFY(window->isVisible());
    }

    // Right of the form where there is room, else left, else at the roomier edge as narrow as
    // it can be; never past the screen (1280×720, a screen lower than the window).
    void opensBesideTheForm() {
        const QSize preferred(760, 620);
        const QSize least(500, 400);
        QCOMPARE(BesideRect({562, 244, 795, 591}, {0, 0, 1920, 1080}, preferred, least),
                 QRect(1357, 244, 563, 620));
        QCOMPARE(BesideRect({1100, 100, 795, 591}, {0, 0, 1920, 1080}, preferred, least),
                 QRect(340, 100, 760, 620));
        QCOMPARE(BesideRect({242, 64, 795, 591}, {0, 0, 1280, 720}, preferred, least),
                 QRect(780, 64, 500, 620));
        QCOMPARE(BesideRect({0, 0, 795, 591}, {0, 0, 1280, 600}, preferred, least),
                 QRect(780, 0, 500, 600));
    }

    void copyAndSaveGoThroughTheDesktop() {
        Session session;
        SetTitleAndDescription(session, QStringLiteral("Żółw"), QStringLiteral("Opis\n\nDalej"));
        AllegroWindow* window = OpenAllegro(session);
        QVERIFY(window != nullptr);
        const auto offer = structured::ExportAllegro(Snapshot(session));
        QVERIFY(!offer.HasErrors());

        // HTML for Allegro's editor, and the same text without tags for everything else.
        ClickPart(*window, "copyButton");
        QCOMPARE(session.desktop.richClipboard.size(), std::size_t{1});
        const QMimeData& copied = *session.desktop.richClipboard.back();
        QCOMPARE(copied.html(), QStringLiteral("<meta charset=\"utf-8\"><h1>Żółw</h1>\n"
                                               "<p>Opis</p>\n<p>Dalej</p>\n"));
        QCOMPARE(copied.text(), QStringLiteral("Żółw\n\nOpis\n\nDalej\n"));
        QVERIFY(Text(*window, "status").contains(QStringLiteral("wklej go (Ctrl+V)")));

        session.desktop.fileAnswers = {session.folder.Path(QStringLiteral("oferta.json"))};
        ClickPart(*window, "saveButton");
        QCOMPARE(session.desktop.fileQuestions.back().defaultName,
                 QStringLiteral("opis-allegro.json"));
        QCOMPARE(session.folder.Read(QStringLiteral("oferta.json")),
                 QByteArray::fromStdString(structured::OfferToJson(offer)));

        // The seller cancels: nothing is written and nothing is said.
        ClickPart(*window, "saveButton");
        QVERIFY(session.desktop.errors.empty());

        // A folder that is not there: the save's error is shown, as for every other save.
        session.desktop.fileAnswers = {session.folder.Path(QStringLiteral("brak/oferta.json"))};
        ClickPart(*window, "saveButton");
        QCOMPARE(session.desktop.errors.size(), std::size_t{1});

        // A description Allegro would refuse is neither copied nor saved; the seller is told.
        session.Get<QLineEdit>("auctionHeader")->setText(QString(80, QLatin1Char('x')));
        session.desktop.fileAnswers = {session.folder.Path(QStringLiteral("zly.json"))};
        ClickPart(*window, "copyButton");
        ClickPart(*window, "saveButton");
        QCOMPARE(session.desktop.richClipboard.size(), std::size_t{1});
        QCOMPARE(session.desktop.errors.size(), std::size_t{3});
        QVERIFY(session.desktop.errors.back().contains(QStringLiteral("Allegro nie przyjmie")));
        QVERIFY(!QFile::exists(session.folder.Path(QStringLiteral("zly.json"))));
    }

    void sectionsAreCopiedOneAtATime() {
        Session session;
        SetTitleAndDescription(session, QStringLiteral("Rower"),
                               QStringLiteral("Opis<img src=https://x/1.jpg>\n- a\n- b\n"
                                              "<img src=https://x/2.jpg>\n"
                                              "<img src=https://x/3.jpg>"));
        AllegroWindow* window = OpenAllegro(session);
        QVERIFY(window != nullptr);
        auto& clipboard = session.desktop.richClipboard;

        // Text with a picture on its right: the text goes in, the picture is named.
        ClickPart(*window, "copySection2");
        QCOMPARE(clipboard.size(), std::size_t{1});
        QCOMPARE(clipboard.back()->html(),
                 QStringLiteral("<meta charset=\"utf-8\"><ul><li>a</li><li>b</li></ul>\n"));
        QCOMPARE(clipboard.back()->text(), QStringLiteral("- a\n- b\n"));
        QCOMPARE(Text(*window, "status"),
                 QStringLiteral("Sekcja 2 jest w schowku. W edytorze Allegro dodaj sekcję z "
                                "tekstem po lewej i zdjęciem po prawej i wklej tekst (Ctrl+V) "
                                "w jej pole tekstu. Zdjęcie do wstawienia obok: "
                                "https://x/2.jpg"));

        // A section of pictures only gives their addresses.
        ClickPart(*window, "copySection3");
        QCOMPARE(session.desktop.clipboard,
                 std::vector<QString>{QStringLiteral("https://x/3.jpg")});
        QVERIFY(Text(*window, "status").contains(QStringLiteral("sekcję z jednym zdjęciem")));

        // The preview's context menu copies the section under the mouse.
        auto* preview = Part<QTextBrowser>(*window, "preview");
        QTextCursor inFirst(preview->document());
        inFirst.setPosition(preview->document()->rootFrame()->childFrames().at(0)->firstPosition() +
                            1);
        emit preview->customContextMenuRequested(preview->cursorRect(inFirst).center());
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        const auto actions = menu->actions();
        const auto copyFirst = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
            return action->text() == QStringLiteral("Kopiuj &sekcję 1");
        });
        QVERIFY(copyFirst != actions.end());
        (*copyFirst)->trigger();
        menu->close();
        QCOMPARE(clipboard.size(), std::size_t{2});
        QCOMPARE(clipboard.back()->text(), QStringLiteral("Rower\n\nOpis\n"));

        // The whole copy says how many sections to make and where the pictures go.
        ClickPart(*window, "copyButton");
        const QString advice = Text(*window, "status");
        QVERIFY2(advice.contains(QStringLiteral("Opis ma 3 sekcje")) &&
                     advice.contains(QStringLiteral("w sekcjach 1, 2 i 3")),
                 qPrintable(advice));

        // Fewer sections, fewer buttons.
        session.Get<PlainTextField>("itemDescription")->setPlainText(QStringLiteral("Opis"));
        QTRY_VERIFY(window->findChild<QAbstractButton*>(QStringLiteral("copySection2")) == nullptr);
        QVERIFY(window->findChild<QAbstractButton*>(QStringLiteral("copySection1")) != nullptr);
    }

    void pageTabListsWhatTheSitesWouldRefuse() {
        Session session;
        AllegroWindow* window = OpenAllegro(session);
        QVERIFY(window != nullptr);
        // The right-click lock puts a script and event attributes into the page.
        QTest::mouseClick(session.Get<QCheckBox>("rightClickLock"), Qt::LeftButton, {},
                          QPoint(6, 6));
        const std::string page = Cp1250ToUtf8(BuildDocument(Snapshot(session), "seller"));
        const auto expected = structured::CheckPage(page);
        const auto script = std::find_if(expected.begin(), expected.end(), [](const auto& f) {
            return f.target == structured::Target::Ebay && f.subject == "script";
        });
        QVERIFY(script != expected.end());
        QTRY_COMPARE(Items(*window, "pageFindings").size(),
                     static_cast<qsizetype>(expected.size()));
        const QStringList items = Items(*window, "pageFindings");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QVERIFY2(items[static_cast<qsizetype>(i)].startsWith(
                         QStringLiteral("%1:%2: %3: ")
                             .arg(expected[i].line)
                             .arg(expected[i].column)
                             .arg(QString::fromStdString(
                                 std::string(structured::TargetName(expected[i].target))))),
                     qPrintable(items[static_cast<qsizetype>(i)]));
        }
        // Counted as the command line counts: every place a summing-up line stands for.
        std::size_t errors = 0;
        for (const auto& finding : expected) {
            errors += finding.severity == structured::Severity::Error ? finding.count : 0;
        }
        QVERIFY(std::any_of(expected.begin(), expected.end(),
                            [](const auto& finding) { return finding.count > 1; }));
        QVERIFY2(Text(*window, "pageSummary").startsWith(QStringLiteral("Błędów: %1,").arg(errors)),
                 qPrintable(Text(*window, "pageSummary")));
    }

    void savesPicturesWhenAsked() {
        const QString folder = qEnvironmentVariable("LICYTEK_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            QSKIP("LICYTEK_SCREENSHOT_DIR is not set");
        }
        Session session;
        SetTitleAndDescription(
            session, QStringLiteral("Rower górski 26\" & kask – okazja"),
            QStringLiteral("Sprzedam rower górski w bardzo dobrym stanie.\n"
                           "<img src=\"https://example.com/rower.jpg\">\n"
                           "Wyposażenie:\n- rama 19\"\n- hamulce tarczowe\n\n"
                           "<b>Wysyłka w 24 h</b> <a href=\"http://example.com\">sklep</a>\n"
                           "<img src=\"http://example.com/kask.jpg\">"));
        session.Get<QLineEdit>("descriptionHeader")->setText(QStringLiteral("Stan bardzo dobry"));
        session.Get<QLineEdit>("phone")->setText(QStringLiteral("600 100 200"));
        AllegroWindow* window = OpenAllegro(session);
        QVERIFY(window != nullptr);
        ClickPart(*window, "copySection1");  // with the advice that follows a copy
        QCoreApplication::processEvents();   // the layout makes room for it
        QVERIFY(window->grab().save(folder + QStringLiteral("/allegro-window.png")));
        Part<QTabWidget>(*window, "tabs")->setCurrentIndex(1);
        QVERIFY(window->grab().save(folder + QStringLiteral("/allegro-page-check.png")));
    }
};

LICYTEK_WINDOW_TEST(AllegroWindowTest);

}  // namespace licytek::test

#include "AllegroWindowTest.moc"
