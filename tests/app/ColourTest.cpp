// Colour styles, applied only on the seller's choice from the style list, and the colour
// pickers with their one shared dialog that opens on the colour confirmed last.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include "TestSupport.h"

namespace licytek::test {
namespace {

const char* const kColourInputs[] = {"pageBackground",   "borderColour",    "tableInteriorColour",
                                     "headerTextColour", "tableTextColour", "activeLinkColour",
                                     "visitedLinkColour"};
const char* const kOtherColours[] = {"editorFontColour", "movingBackground", "fontColour"};

QStringList Colours(const Session& session) {
    QStringList colours;
    for (const char* name : kColourInputs) {
        colours << session.Get<QLineEdit>(name)->text();
    }
    return colours;
}

QStringList OtherColours(const Session& session) {
    QStringList colours;
    for (const char* name : kOtherColours) {
        colours << session.Get<QLineEdit>(name)->text();
    }
    return colours;
}

void PressPicker(Session& session, const char* name) {
    auto* button = session.Get<QToolButton>(name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class ColourTest : public QObject {
    Q_OBJECT

  private slots:
    void choosingAStyleWritesItsSevenColours_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("colours");
        QTest::newRow("Arctic") << 0 << QStringList{"#ABE1F1", "#3EBCE6", "#E9FAFC", "#FFFFFF",
                                                    "#000000", "#000000", "#000000"};
        QTest::newRow("Gold") << 4 << QStringList{"#E6BC17", "#EEDEA6", "#FFFFFF", "#000000",
                                                  "#000000", "#000000", "#000000"};
        QTest::newRow("Zielony") << 13 << QStringList{"#D3F8D6", "#04AE00", "#D3F8D6", "#FFFFFF",
                                                      "#000000", "#000000", "#000000"};
    }
    void choosingAStyleWritesItsSevenColours() {
        QFETCH(int, position);
        QFETCH(QStringList, colours);
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        for (const char* name : kColourInputs) {
            session.Get<QLineEdit>(name)->setText(QStringLiteral("typed"));
        }
        ChooseStyle(session, position);
        QCOMPARE(Colours(session), colours);
        QCOMPARE(OtherColours(session), (QStringList{"#000000", "#FFFFFF", "#000000"}));
    }

    void typedColourStaysUntilTheNextChoice() {
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        ChooseStyle(session, 0);  // Arctic
        auto* background = session.Get<QLineEdit>("pageBackground");
        background->selectAll();
        QTest::keyClicks(background, QStringLiteral("#123456"));
        QCOMPARE(background->text(), QStringLiteral("#123456"));
        ChooseStyle(session, 4);  // Gold: black header text
        QCOMPARE(session.Get<QLineEdit>("headerTextColour")->text(), QStringLiteral("#000000"));
        ChooseStyle(session, 7);  // Niebieski: white again
        QCOMPARE(session.Get<QLineEdit>("headerTextColour")->text(), QStringLiteral("#FFFFFF"));
        ChooseStyle(session, 10);  // Silver
        QCOMPARE(background->text(), QStringLiteral("#E6E7E4"));
    }

    void settingThePositionAppliesNoStyle() {
        Session session;
        auto* list = session.Get<QComboBox>("colourStyle");
        const QStringList before = Colours(session);
        list->setCurrentIndex(3);  // as a loaded project sets it
        QCOMPARE(Colours(session), before);
        AuctionForm form;
        form.colourStyle = 11;
        const std::string_view names[] = {"colourStyle"};
        session.window->Form().Restore(form, names);
        QCOMPARE(list->currentIndex(), 11);
        QCOMPARE(Colours(session), before);
    }

    // The project keeps the style the list shows: a typed text that names no style selects
    // none, and a typed style's name selects that style without recolouring the page.
    void typedTextSelectsTheStyleItNames() {
        Session session;
        ShowWindow(session);
        auto* list = session.Get<QComboBox>("colourStyle");
        list->setCurrentIndex(3);
        const QStringList before = Colours(session);
        list->setFocus();
        list->lineEdit()->selectAll();
        TypeText(list, QStringLiteral("Moje"));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), QStringLiteral("Moje"));
        QCOMPARE(std::get<AuctionForm>(session.window->Form().Snapshot()).colourStyle, -1);
        list->lineEdit()->selectAll();
        TypeText(list, list->itemText(5));
        QCOMPARE(list->currentIndex(), 5);
        QCOMPARE(Colours(session), before);
    }

    void noSelectedStyleChangesNothing() {
        Session session;
        auto* list = session.Get<QComboBox>("colourStyle");
        session.Get<QLineEdit>("borderColour")->setText(QStringLiteral("#ABCDEF"));
        const QStringList before = Colours(session);
        emit list->activated(-1);  // the seller confirms the list's text with no item selected
        QCOMPARE(Colours(session), before);
        QCOMPARE(list->currentText(), QStringLiteral("Wybierz styl"));
    }

    void pickerWritesUpperCaseColourText_data() {
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<QString>("text");
        QTest::newRow("pure red") << QColor(255, 0, 0) << "#FF0000";
        QTest::newRow("leading zeros") << QColor(1, 2, 3) << "#010203";
        QTest::newRow("upper-case letters") << QColor(171, 205, 239) << "#ABCDEF";
    }
    void pickerWritesUpperCaseColourText() {
        QFETCH(QColor, picked);
        QFETCH(QString, text);
        Session session;
        session.window->show();
        session.desktop.colourAnswers.push_back(picked);
        PressPicker(session, "borderColourPicker");
        QCOMPARE(session.Get<QLineEdit>("borderColour")->text(), text);
    }

    void everyPickerWritesItsOwnInput_data() {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("target");
        QTest::newRow("background") << "pageBackgroundPicker"
                                    << "pageBackground";
        QTest::newRow("borders") << "borderColourPicker"
                                 << "borderColour";
        QTest::newRow("table inside") << "tableInteriorColourPicker"
                                      << "tableInteriorColour";
        QTest::newRow("header text") << "headerTextColourPicker"
                                     << "headerTextColour";
        QTest::newRow("table text") << "tableTextColourPicker"
                                    << "tableTextColour";
        QTest::newRow("link") << "activeLinkColourPicker"
                              << "activeLinkColour";
        QTest::newRow("visited link") << "visitedLinkColourPicker"
                                      << "visitedLinkColour";
        QTest::newRow("font panel") << "fontColourPicker"
                                    << "fontColour";
        QTest::newRow("editor font") << "editorFontColourPicker"
                                     << "editorFontColour";
        QTest::newRow("moving text background") << "movingBackgroundPicker"
                                                << "movingBackground";
    }
    void everyPickerWritesItsOwnInput() {
        QFETCH(QString, picker);
        QFETCH(QString, target);
        Session session;
        session.window->show();
        session.Get<QWidget>("textEditorPanel")->show();
        session.Get<QWidget>("fontPanel")->show();
        session.Get<QAbstractButton>("movingText")
            ->setChecked(true);  // enables movingBackgroundPicker
        const QList<QLineEdit*> edits = session.window->findChildren<QLineEdit*>();
        QMap<QLineEdit*, QString> before;
        for (QLineEdit* edit : edits) {
            before[edit] = edit->text();
        }
        session.desktop.colourAnswers.push_back(QColor(0x12, 0x34, 0x56));
        PressPicker(session, picker.toLatin1());
        for (QLineEdit* edit : edits) {
            const QString expected =
                edit->objectName() == target ? QStringLiteral("#123456") : before[edit];
            QVERIFY2(edit->text() == expected, qPrintable(edit->objectName()));
        }
    }

    void dialogOpensOnTheColourConfirmedLast() {
        Session session;
        session.window->show();
        session.Get<QLineEdit>("tableInteriorColour")->setText(QStringLiteral("#00FF00"));
        session.desktop.colourAnswers = {QColor(10, 20, 30), std::nullopt, QColor(1, 1, 1)};
        PressPicker(session, "pageBackgroundPicker");
        PressPicker(session, "tableInteriorColourPicker");  // cancelled: its input keeps its text
        QCOMPARE(session.Get<QLineEdit>("tableInteriorColour")->text(), QStringLiteral("#00FF00"));
        PressPicker(session, "headerTextColourPicker");
        PressPicker(session, "tableTextColourPicker");
        const std::vector<QColor> starts = {QColor(Qt::black), QColor(10, 20, 30),
                                            QColor(10, 20, 30), QColor(1, 1, 1)};
        QCOMPARE(session.desktop.dialogStarts, starts);
    }
};

LICYTEK_WINDOW_TEST(ColourTest);

}  // namespace licytek::test

#include "ColourTest.moc"
