// What a screen reader hears: every input and button of the window and its panels has a name,
// and no two share one.
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include <functional>

#include "TestSupport.h"

namespace licytek::test {
namespace {

bool IsInput(const QWidget& widget) {
    if (qobject_cast<const QLineEdit*>(&widget) != nullptr) {
        // a list's own text field is spoken as the list
        return qobject_cast<const QComboBox*>(widget.parentWidget()) == nullptr;
    }
    return qobject_cast<const QAbstractButton*>(&widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(&widget) != nullptr ||
           qobject_cast<const QComboBox*>(&widget) != nullptr;
}

// The groups of the window and its side panels (22 of them today), and the nine frames that
// hold the panels.
bool IsGroupOrPanel(const QWidget& widget) {
    return qobject_cast<const QGroupBox*>(&widget) != nullptr ||
           (qobject_cast<const QFrame*>(&widget) != nullptr &&
            widget.objectName().endsWith(QLatin1String("Panel")) &&
            qobject_cast<const QAbstractButton*>(&widget) == nullptr);
}

// What a screen reader says the control is. On Linux Qt names a list after its shown text and
// leaves its label to the "labelled by" relation, so a list is known by its label there.
QString SpokenName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr) {
        return {};
    }
    if (accessible->role() == QAccessible::ComboBox) {
        for (const auto& [label, relation] : accessible->relations(QAccessible::Label)) {
            if (label->role() != QAccessible::Grouping) {  // the group box around it
                return label->text(QAccessible::Name);
            }
        }
    }
    return accessible->text(QAccessible::Name);
}

// Spoken names of the window's widgets that `counts` picks, as name -> widget, with a line
// for each widget that has no name or shares one.
struct SpokenNames {
    QMap<QString, QString> owners;
    QStringList problems;
    int widgets = 0;
};

SpokenNames CollectNames(const QWidget& window, const std::function<bool(const QWidget&)>& counts,
                         const std::function<QString(QWidget*)>& nameOf) {
    SpokenNames names;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!counts(*widget)) {
            continue;
        }
        ++names.widgets;
        const QString name = nameOf(widget).trimmed();
        if (name.isEmpty()) {
            names.problems << widget->objectName() + QStringLiteral(" has no name");
        } else if (names.owners.contains(name)) {
            names.problems << widget->objectName() + QStringLiteral(" and ") + names.owners[name] +
                                  QStringLiteral(" are both called ") + name;
        }
        names.owners[name] = widget->objectName();
    }
    return names;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void everyInputHasAUniqueName() {
        Session session;
        const auto isInput = [](const QWidget& widget) {
            return IsInput(widget) && !widget.objectName().startsWith(QLatin1String("qt_"));
        };
        const SpokenNames names = CollectNames(*session.window, isInput, SpokenName);
        QVERIFY2(names.problems.isEmpty(), qPrintable(names.problems.join(QLatin1Char('\n'))));
        // the whole window was walked
        QVERIFY2(names.widgets > 140, qPrintable(QString::number(names.widgets)));
    }

    // Groups and panels are heard by their own names, each once: an inner group is not
    // called after the group around it, and a panel is not called after the group it holds.
    void everyGroupAndPanelHasAUniqueName() {
        Session session;
        const auto accessibleName = [](QWidget* widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        const SpokenNames names = CollectNames(*session.window, IsGroupOrPanel, accessibleName);
        QVERIFY2(names.problems.isEmpty(), qPrintable(names.problems.join(QLatin1Char('\n'))));
        QVERIFY2(names.widgets >= 9 + 22, qPrintable(QString::number(names.widgets)));
        QCOMPARE(names.owners.value(QStringLiteral("Kierunek")), QStringLiteral("directionGroup"));
        QCOMPARE(names.owners.value(QStringLiteral("Kontakt")), QStringLiteral("contactGroup"));
    }

    void theWindowIsAWindowNamedByItsTitle() {
        Session session;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(session.window.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Licytek 3.0"));
    }

    void namesSayWhatTheControlIs_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("description") << "itemDescription"
                                     << "Opis przedmiotu";
        QTest::newRow("shipping 1") << "shippingLine1"
                                    << "Koszty przesyłki 1";
        QTest::newRow("shipping 4") << "shippingLine4"
                                    << "Koszty przesyłki 4";
        QTest::newRow("background picker") << "pageBackgroundPicker"
                                           << "Wybierz kolor: Kolor tła";
        QTest::newRow("preview") << "previewButton"
                                 << "Podgląd";
        QTest::newRow("save project") << "saveProjectButton"
                                      << "Zapisz projekt";
        QTest::newRow("load project") << "loadProjectButton"
                                      << "Wczytaj projekt";
        QTest::newRow("generate") << "generateButton"
                                  << "AUKCJA";
        QTest::newRow("layout 3") << "layout3"
                                  << "Układ 3";
        QTest::newRow("picture cancel") << "pictureCancelButton"
                                        << "Anuluj (zdjęcie)";
        QTest::newRow("header") << "auctionHeader"
                                << "Nagłówek aukcji";
        QTest::newRow("description header") << "descriptionHeader"
                                            << "Nagłówek opisu";
        QTest::newRow("page enter time") << "pageEnterDuration"
                                         << "Czas wejścia na stronę";
        QTest::newRow("colour style") << "colourStyle"
                                      << "Styl kolorów";
        QTest::newRow("editor font") << "editorFontFace"
                                     << "Czcionka edytora";
        QTest::newRow("font panel font") << "fontFace"
                                         << "Czcionka";
    }
    void namesSayWhatTheControlIs() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        Session session;
        QCOMPARE(SpokenName(session.Get<QWidget>(control.toLatin1())), name);
    }

    void listsTextFieldsAreNamedToo() {
        Session session;
        for (QComboBox* list : session.window->findChildren<QComboBox*>()) {
            QVERIFY2(!SpokenName(list->lineEdit()).isEmpty(), qPrintable(list->objectName()));
        }
    }

    void longPromptsDescribeTheirInputs() {
        Session session;
        QAccessibleInterface* keywords =
            QAccessible::queryAccessibleInterface(session.Get<QWidget>("keywords"));
        QCOMPARE(keywords->text(QAccessible::Description),
                 QStringLiteral("Wpisz słowa kluczowe oddzielając je spacjami"));
    }

    void pictureButtonsShowAPictureAndATip() {
        Session session;
        for (QToolButton* button : session.window->findChildren<QToolButton*>()) {
            if (button->objectName().startsWith(QLatin1String("qt_"))) {
                continue;
            }
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
            QVERIFY2(!button->toolTip().isEmpty(), qPrintable(button->objectName()));
        }
    }
};

LICYTEK_WINDOW_TEST(AccessibilityTest);

}  // namespace licytek::test

#include "AccessibilityTest.moc"
