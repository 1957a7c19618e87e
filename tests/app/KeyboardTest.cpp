// The window at the keyboard: Tab reaches every input the seller can see, once, group by group
// in reading order, entering shown panels and passing what they hide; Enter and Escape press a
// panel's buttons; a closing panel gives the keyboard back.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QSignalSpy>

#include <algorithm>
#include <memory>
#include <vector>

#include "TestSupport.h"

namespace licytek::test {
namespace {

void ShowActive(Session& session) {
    ShowWindow(session);
    session.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(session.window.get()));
}

QWidget* Focused() {
    return QApplication::focusWidget();
}

void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QVERIFY(Focused() != nullptr);
    QTest::keyClick(Focused(), static_cast<Qt::Key>(key), modifiers);
}

QRect RectIn(const QWidget& window, const QWidget& widget) {
    return QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size());
}

// Whether the seller sees any of the widget: the topmost widget at one of a few of its
// points is the widget itself.
bool Seen(QWidget& window, QWidget& widget) {
    const QRect area = RectIn(window, widget).adjusted(1, 1, -1, -1);
    for (const QPoint point :
         {area.center(), area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        QWidget* hit = window.childAt(point);
        if (hit == &widget || widget.isAncestorOf(hit)) {
            return true;
        }
    }
    return false;
}

// Every input that the seller could reach with Tab: enabled, shown, seen.
QList<QWidget*> ReachableInputs(QWidget& window) {
    QList<QWidget*> inputs;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
            widget->focusProxy() == nullptr && widget->isEnabled() && widget->isVisible() &&
            Seen(window, *widget)) {
            inputs.append(widget);
        }
    }
    return inputs;
}

// The inputs that Tab (or Shift+Tab) visits from the focused one until it comes back to it.
QList<QWidget*> TabCycle(bool forward = true) {
    QList<QWidget*> visited{Focused()};
    for (int step = 0; step < 400; ++step) {
        QTest::keyClick(Focused(), Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
        if (Focused() == visited.front()) {
            break;
        }
        visited.append(Focused());
    }
    return visited;
}

QStringList Names(const QList<QWidget*>& widgets) {
    QStringList names;
    for (const QWidget* widget : widgets) {
        names << (widget != nullptr ? widget->objectName() : QStringLiteral("(none)"));
    }
    return names;
}

// The group of the main area, or the side panel, that holds the widget.
QString Section(const QWidget& window, const QWidget& widget) {
    const QWidget* section = &widget;
    while (section->parentWidget() != &window &&
           section->parentWidget()->objectName() != QLatin1String("mainArea")) {
        section = section->parentWidget();
    }
    return section->objectName();
}

// The sections in the order Tab visits them, each run counted once.
QStringList SectionRuns(const QWidget& window, const QList<QWidget*>& visited) {
    QStringList runs;
    for (const QWidget* widget : visited) {
        const QString section = Section(window, *widget);
        if (runs.isEmpty() || runs.back() != section) {
            runs << section;
        }
    }
    return runs;
}

const QWidget* InnermostGroup(const QWidget& window, const QWidget& widget) {
    const QWidget* group = widget.parentWidget();
    while (qobject_cast<const QGroupBox*>(group) == nullptr && group->parentWidget() != &window) {
        group = group->parentWidget();
    }
    return group;
}

// Inputs that follow each other in one group read top to bottom, and left to right in a row.
QStringList ReadingOrderFaults(const QWidget& window, const QList<QWidget*>& visited) {
    QStringList faults;
    for (qsizetype i = 1; i < visited.size(); ++i) {
        const QWidget& before = *visited[i - 1];
        const QWidget& after = *visited[i];
        if (InnermostGroup(window, before) != InnermostGroup(window, after)) {
            continue;
        }
        const QRect a = RectIn(window, before);
        const QRect b = RectIn(window, after);
        const bool sameRow = b.top() <= a.bottom() && a.top() <= b.bottom();
        if (sameRow ? b.left() <= a.left() : b.top() <= a.bottom()) {
            faults << before.objectName() + QStringLiteral(" -> ") + after.objectName();
        }
    }
    return faults;
}

// Tab visits every input the seller can see exactly once, in reading order within each group,
// and Shift+Tab visits them in the opposite order.
void CheckTabCycle(QWidget& window) {
    const QList<QWidget*> forward = TabCycle();
    QSet<QWidget*> once;
    for (QWidget* widget : forward) {
        QVERIFY2(!once.contains(widget), qPrintable(widget->objectName() + " twice"));
        once.insert(widget);
    }
    QStringList missed;
    for (QWidget* input : ReachableInputs(window)) {
        if (!once.remove(input)) {
            missed << input->objectName();
        }
    }
    QVERIFY2(missed.isEmpty(), qPrintable("not reached: " + missed.join(' ')));
    QVERIFY2(once.isEmpty(), qPrintable("reached but hidden: " + Names(once.values()).join(' ')));
    const QStringList faults = ReadingOrderFaults(window, forward);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(", ")));

    QList<QWidget*> backward = TabCycle(false);
    std::reverse(backward.begin() + 1, backward.end());
    QCOMPARE(Names(backward), Names(forward));
}

// Every button on the side panels.
constexpr const char* kPanelButtons[] = {
    "Button15", "Button16", "Button17", "Button18", "Button26", "Button27",
    "Button23", "Button24", "Button25", "Button28", "Button29", "Button30",
    "Button31", "Button33", "Button32", "Button20", "Button22",
};

// Counts the clicks on every button of every panel.
class PanelClicks {
  public:
    explicit PanelClicks(const Session& session) {
        for (const char* name : kPanelButtons) {
            spies_.emplace_back(name,
                                std::make_unique<QSignalSpy>(session.Get<QAbstractButton>(name),
                                                             &QAbstractButton::clicked));
        }
    }

    // The names of the clicked buttons, once per click.
    QStringList Clicked() const {
        QStringList clicked;
        for (const auto& [name, spy] : spies_) {
            for (qsizetype i = 0; i < spy->count(); ++i) {
                clicked << QString::fromLatin1(name);
            }
        }
        return clicked;
    }

  private:
    std::vector<std::pair<const char*, std::unique_ptr<QSignalSpy>>> spies_;
};

// A button pressed from the keyboard goes down for a moment before it clicks.
constexpr int kClickSettles = 300;

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void tabVisitsTheGroupsInOrder() {
        Session session;
        ShowActive(session);
        session.Get<QWidget>("Edit2")->setFocus();
        const QList<QWidget*> visited = TabCycle();
        QCOMPARE(SectionRuns(*session.window, visited),
                 QStringList({"requiredGroup", "descriptionGroup", "coloursGroup", "optionsGroup",
                              "layoutGroup"}));
        CheckTabCycle(*session.window);
        // Tab left the multi-line texts on its way instead of typing into them.
        QCOMPARE(session.Get<QPlainTextEdit>("Memo2")->toPlainText(), QString());
        QCOMPARE(session.Get<QPlainTextEdit>("Memo1")->toPlainText(), QString());
    }

    void tabEntersShownPanelsAndPassesWhatTheyHide_data() {
        QTest::addColumn<QStringList>("openers");
        QTest::addColumn<QStringList>("panels");  // the panels shown, the last one on top
        // The input from which Tab enters the top panel: panels come in the place of what
        // they cover.
        QTest::addColumn<QString>("enteredFrom");
        const auto row = [](const char* name, const QStringList& openers, const QStringList& panels,
                            const char* enteredFrom) {
            QTest::newRow(name) << openers << panels << QString::fromLatin1(enteredFrom);
        };
        row("picture", {"Button8"}, {"Panel2"}, "CheckBox9");
        row("link", {"Button10"}, {"Panel4"}, "CheckBox9");
        row("font", {"Button6"}, {"Panel13"}, "Memo1");
        row("text editor", {"Button7"}, {"Panel5"}, "BatchButton");
        row("banner", {"Button13"}, {"Panel14"}, "CheckBox9");
        row("keywords", {"Button11"}, {"Panel15"}, "CheckBox9");
        row("right-click message", {"CheckBox3"}, {"Panel16"}, "ComboBox5");
        row("arrangement", {"RadioButton8"}, {"Panel17"}, "ComboBox5");
        row("seller ID", {}, {"Panel18"}, "ComboBox5");
        row("link over picture", {"Button8", "Button10"}, {"Panel2", "Panel4"}, "CheckBox9");
        row("editor over seller ID and font", {"Button6", "Button7"},
            {"Panel18", "Panel13", "Panel5"}, "BatchButton");
    }
    void tabEntersShownPanelsAndPassesWhatTheyHide() {
        QFETCH(QStringList, openers);
        QFETCH(QStringList, panels);
        QFETCH(QString, enteredFrom);
        const bool withSellerId = !panels.contains(QStringLiteral("Panel18"));
        Session session(withSellerId ? std::optional(QByteArray("seller")) : std::nullopt);
        ShowActive(session);
        for (const QString& opener : openers) {
            Click(session, opener.toLatin1());
        }
        QWidget& window = *session.window;
        QWidget* top = session.Get<QWidget>(panels.back().toLatin1());
        QVERIFY(top->isVisible());
        // The panel took the keyboard to its first input.
        QVERIFY(Focused() != nullptr && top->isAncestorOf(Focused()));
        const QList<QWidget*> visited = TabCycle();
        for (const QString& panel : panels) {
            const auto seen = std::count_if(visited.begin(), visited.end(), [&](QWidget* w) {
                return Section(window, *w) == panel;
            });
            // a panel under another may be hidden all the same
            QVERIFY2(seen > 0 || panel != panels.back(), qPrintable(panel));
        }
        const QStringList runs = SectionRuns(window, visited);
        QCOMPARE(runs.count(panels.back()), 1);
        QCOMPARE(visited.back()->objectName(), enteredFrom);
        CheckTabCycle(window);
    }

    void enterAndEscapePressThePanelsButtons_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("pressed");  // empty: no button
        const auto row = [](const char* name, const char* opener, const char* input, int key,
                            const char* pressed) {
            QTest::newRow(name) << QString::fromLatin1(opener) << QString::fromLatin1(input) << key
                                << QString::fromLatin1(pressed);
        };
        row("picture address, Enter", "Button8", "Edit17", Qt::Key_Return, "Button15");
        row("picture address, keypad Enter", "Button8", "Edit17", Qt::Key_Enter, "Button15");
        row("picture address, Escape", "Button8", "Edit17", Qt::Key_Escape, "Button16");
        row("picture source, Enter", "Button8", "RadioButton10", Qt::Key_Return, "Button15");
        row("picture, focused cancel", "Button8", "Button16", Qt::Key_Return, "Button16");
        row("link text, Enter", "Button10", "Edit25", Qt::Key_Return, "Button17");
        row("link address, Escape", "Button10", "Edit26", Qt::Key_Escape, "Button18");
        row("font face, Enter", "Button6", "ComboBox9", Qt::Key_Return, "Button26");
        row("font size, Escape", "Button6", "ComboBox8", Qt::Key_Escape, "Button27");
        row("editor colour, Enter", "Button7", "Edit27", Qt::Key_Return, "Button23");
        row("editor size, Enter", "Button7", "ComboBox7", Qt::Key_Return, "Button23");
        row("editor text, Enter", "Button7", "Memo3", Qt::Key_Return, "");
        row("editor text, Escape", "Button7", "Memo3", Qt::Key_Escape, "Button24");
        row("banner switch, Enter", "Button13", "CheckBox22", Qt::Key_Return, "Button28");
        row("banner switch, Escape", "Button12", "CheckBox21", Qt::Key_Escape, "Button29");
        row("page title, Enter", "Button11", "Edit34", Qt::Key_Return, "Button30");
        row("keywords, Enter", "Button11", "Memo5", Qt::Key_Return, "");
        row("page title, Escape", "Button11", "Edit34", Qt::Key_Escape, "Button31");
        row("right-click message, Enter", "CheckBox3", "Edit35", Qt::Key_Return, "Button33");
        row("right-click message, Escape", "CheckBox3", "Edit35", Qt::Key_Escape, "");
        row("arrangement, Enter", "RadioButton8", "CheckBox23", Qt::Key_Return, "Button32");
        row("arrangement, Escape", "RadioButton8", "CheckBox28", Qt::Key_Escape, "Button32");
        row("seller ID, Escape", "", "Edit37", Qt::Key_Escape, "");
        row("main area field, Enter", "Button8", "Edit2", Qt::Key_Return, "");
    }
    void enterAndEscapePressThePanelsButtons() {
        QFETCH(QString, opener);
        QFETCH(QString, input);
        QFETCH(int, key);
        QFETCH(QString, pressed);
        Session session(opener.isEmpty() ? std::nullopt : std::optional(QByteArray("seller")));
        ShowActive(session);
        if (!opener.isEmpty()) {
            Click(session, opener.toLatin1());
        }
        session.Get<QWidget>(input.toLatin1())->setFocus();
        const PanelClicks clicks(session);
        Press(key);
        if (pressed.isEmpty()) {
            QTest::qWait(kClickSettles);
            QCOMPARE(clicks.Clicked(), QStringList());
        } else {
            QTRY_COMPARE(clicks.Clicked(), QStringList(pressed));
        }
    }

    void enterInAMultiLineTextStaysALineBreak() {
        Session session;
        ShowActive(session);
        Click(session, "Button7");
        auto* text = session.Get<QPlainTextEdit>("Memo3");
        text->setFocus();
        TypeText(text, QStringLiteral("Ala\nma kota"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Ala\nma kota"));
        QVERIFY(session.Get<QWidget>("Panel5")->isVisible());
        QCOMPARE(session.Get<QPlainTextEdit>("Memo4")->toPlainText(), QString());
    }

    void enterInAListUsesTheTypedTextWithoutAddingIt() {
        Session session;
        ShowActive(session);
        Click(session, "Button6");
        auto* face = session.Get<QComboBox>("ComboBox9");
        const int items = face->count();
        face->setFocus();
        face->lineEdit()->selectAll();
        TypeText(face, QStringLiteral("Moja czcionka"));
        const PanelClicks clicks(session);
        Press(Qt::Key_Return);
        QTRY_COMPARE(clicks.Clicked(), QStringList(QStringLiteral("Button26")));
        QCOMPARE(face->count(), items);
        QCOMPARE(face->currentText(), QStringLiteral("Moja czcionka"));
        QVERIFY(!session.Get<QWidget>("Panel13")->isVisible());
    }

    void enterSavesTheSellerId() {
        Session session(std::nullopt);
        ShowActive(session);
        QCOMPARE(Focused(), session.Get<QWidget>("Edit37"));
        TypeText(Focused(), QStringLiteral("kowalski"));
        Press(Qt::Key_Return);
        QTRY_VERIFY(!session.Get<QWidget>("Panel18")->isVisible());
        QCOMPARE(session.folder.Read(QStringLiteral("id.ltk")).left(8), QByteArray("kowalski"));
    }

    void aClosingPanelGivesTheKeyboardBack_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<int>("key");
        QTest::newRow("picture, inserted") << "Button8" << int(Qt::Key_Return);
        QTest::newRow("link, cancelled") << "Button10" << int(Qt::Key_Escape);
        QTest::newRow("text editor, cancelled") << "Button7" << int(Qt::Key_Escape);
        QTest::newRow("right-click message") << "CheckBox3" << int(Qt::Key_Return);
        QTest::newRow("arrangement") << "RadioButton8" << int(Qt::Key_Escape);
    }
    void aClosingPanelGivesTheKeyboardBack() {
        QFETCH(QString, opener);
        QFETCH(int, key);
        Session session;
        ShowActive(session);
        auto* button = session.Get<QAbstractButton>(opener.toLatin1());
        button->setFocus();
        Press(Qt::Key_Space);  // opens the panel from the keyboard
        QVERIFY(Focused() != button);
        Press(key);
        QTRY_COMPARE(Focused(), button);
    }
};

LICYTEK_WINDOW_TEST(KeyboardTest);

}  // namespace licytek::test

#include "KeyboardTest.moc"
