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
    "pictureInsertButton",  "pictureCancelButton",    "linkInsertButton",    "linkCancelButton",
    "fontInsertButton",     "fontCancelButton",       "editorInsertButton",  "editorCancelButton",
    "editorSaveButton",     "bannerInsertButton",     "bannerCancelButton",  "keywordsUseButton",
    "keywordsCancelButton", "rightClickInsertButton", "arrangementOkButton", "sellerIdSaveButton",
    "sellerIdHelpButton",
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
        session.Get<QWidget>("auctionHeader")->setFocus();
        const QList<QWidget*> visited = TabCycle();
        QCOMPARE(SectionRuns(*session.window, visited),
                 QStringList({"requiredGroup", "descriptionGroup", "coloursGroup", "optionsGroup",
                              "layoutGroup"}));
        CheckTabCycle(*session.window);
        // Tab left the multi-line texts on its way instead of typing into them.
        QCOMPARE(session.Get<QPlainTextEdit>("auctionTerms")->toPlainText(), QString());
        QCOMPARE(session.Get<QPlainTextEdit>("itemDescription")->toPlainText(), QString());
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
        row("picture", {"pictureButton"}, {"picturePanel"}, "favouritesLink");
        row("link", {"linkButton"}, {"linkPanel"}, "favouritesLink");
        row("font", {"fontButton"}, {"fontPanel"}, "itemDescription");
        row("text editor", {"textEditorButton"}, {"textEditorPanel"}, "batchButton");
        row("banner", {"bannerButton"}, {"bannerPanel"}, "favouritesLink");
        row("keywords", {"promotionButton"}, {"keywordsPanel"}, "favouritesLink");
        row("right-click message", {"rightClickLock"}, {"rightClickPanel"}, "colourStyle");
        row("arrangement", {"layout8"}, {"arrangementPanel"}, "colourStyle");
        row("seller ID", {}, {"sellerIdPanel"}, "colourStyle");
        row("link over picture", {"pictureButton", "linkButton"}, {"picturePanel", "linkPanel"},
            "favouritesLink");
        row("editor over seller ID and font", {"fontButton", "textEditorButton"},
            {"sellerIdPanel", "fontPanel", "textEditorPanel"}, "batchButton");
    }
    void tabEntersShownPanelsAndPassesWhatTheyHide() {
        QFETCH(QStringList, openers);
        QFETCH(QStringList, panels);
        QFETCH(QString, enteredFrom);
        const bool withSellerId = !panels.contains(QStringLiteral("sellerIdPanel"));
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
        row("picture address, Enter", "pictureButton", "pictureAddress", Qt::Key_Return,
            "pictureInsertButton");
        row("picture address, keypad Enter", "pictureButton", "pictureAddress", Qt::Key_Enter,
            "pictureInsertButton");
        row("picture address, Escape", "pictureButton", "pictureAddress", Qt::Key_Escape,
            "pictureCancelButton");
        row("picture source, Enter", "pictureButton", "pictureFromGallery", Qt::Key_Return,
            "pictureInsertButton");
        row("picture, focused cancel", "pictureButton", "pictureCancelButton", Qt::Key_Return,
            "pictureCancelButton");
        row("link text, Enter", "linkButton", "linkText", Qt::Key_Return, "linkInsertButton");
        row("link address, Escape", "linkButton", "linkAddress", Qt::Key_Escape,
            "linkCancelButton");
        row("font face, Enter", "fontButton", "fontFace", Qt::Key_Return, "fontInsertButton");
        row("font size, Escape", "fontButton", "fontSize", Qt::Key_Escape, "fontCancelButton");
        row("editor colour, Enter", "textEditorButton", "editorFontColour", Qt::Key_Return,
            "editorInsertButton");
        row("editor size, Enter", "textEditorButton", "editorFontSize", Qt::Key_Return,
            "editorInsertButton");
        row("editor text, Enter", "textEditorButton", "editorText", Qt::Key_Return, "");
        row("editor text, Escape", "textEditorButton", "editorText", Qt::Key_Escape,
            "editorCancelButton");
        row("banner switch, Enter", "bannerButton", "bannerShown", Qt::Key_Return,
            "bannerInsertButton");
        row("banner switch, Escape", "backgroundButton", "backgroundPictureShown", Qt::Key_Escape,
            "bannerCancelButton");
        row("page title, Enter", "promotionButton", "pageTitle", Qt::Key_Return,
            "keywordsUseButton");
        row("keywords, Enter", "promotionButton", "keywords", Qt::Key_Return, "");
        row("page title, Escape", "promotionButton", "pageTitle", Qt::Key_Escape,
            "keywordsCancelButton");
        row("right-click message, Enter", "rightClickLock", "rightClickMessage", Qt::Key_Return,
            "rightClickInsertButton");
        row("right-click message, Escape", "rightClickLock", "rightClickMessage", Qt::Key_Escape,
            "");
        row("arrangement, Enter", "layout8", "sellerBlockLeft", Qt::Key_Return,
            "arrangementOkButton");
        row("arrangement, Escape", "layout8", "shippingBlockRight", Qt::Key_Escape,
            "arrangementOkButton");
        row("seller ID, Escape", "", "typedSellerId", Qt::Key_Escape, "");
        row("main area field, Enter", "pictureButton", "auctionHeader", Qt::Key_Return, "");
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
        Click(session, "textEditorButton");
        auto* text = session.Get<QPlainTextEdit>("editorText");
        text->setFocus();
        TypeText(text, QStringLiteral("Ala\nma kota"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Ala\nma kota"));
        QVERIFY(session.Get<QWidget>("textEditorPanel")->isVisible());
        QCOMPARE(session.Get<QPlainTextEdit>("readyCode")->toPlainText(), QString());
    }

    void enterInAListUsesTheTypedTextWithoutAddingIt() {
        Session session;
        ShowActive(session);
        Click(session, "fontButton");
        auto* face = session.Get<QComboBox>("fontFace");
        const int items = face->count();
        face->setFocus();
        face->lineEdit()->selectAll();
        TypeText(face, QStringLiteral("Moja czcionka"));
        const PanelClicks clicks(session);
        Press(Qt::Key_Return);
        QTRY_COMPARE(clicks.Clicked(), QStringList(QStringLiteral("fontInsertButton")));
        QCOMPARE(face->count(), items);
        QCOMPARE(face->currentText(), QStringLiteral("Moja czcionka"));
        QVERIFY(!session.Get<QWidget>("fontPanel")->isVisible());
    }

    void enterSavesTheSellerId() {
        Session session(std::nullopt);
        ShowActive(session);
        QCOMPARE(Focused(), session.Get<QWidget>("typedSellerId"));
        TypeText(Focused(), QStringLiteral("kowalski"));
        Press(Qt::Key_Return);
        QTRY_VERIFY(!session.Get<QWidget>("sellerIdPanel")->isVisible());
        QCOMPARE(session.folder.Read(QStringLiteral("id.ltk")).left(8), QByteArray("kowalski"));
    }

    void aClosingPanelGivesTheKeyboardBack_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<int>("key");
        QTest::newRow("picture, inserted") << "pictureButton" << int(Qt::Key_Return);
        QTest::newRow("link, cancelled") << "linkButton" << int(Qt::Key_Escape);
        QTest::newRow("text editor, cancelled") << "textEditorButton" << int(Qt::Key_Escape);
        QTest::newRow("right-click message") << "rightClickLock" << int(Qt::Key_Return);
        QTest::newRow("arrangement") << "layout8" << int(Qt::Key_Escape);
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
