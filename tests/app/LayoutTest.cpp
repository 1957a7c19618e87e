// The window at its start size: centred, every control of the main area and of each panel
// at least as large as it needs, inside its parent and clear of its neighbours. With
// LICYTEK_SCREENSHOT_DIR set, it also saves a picture of the window with each panel shown.
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "TestSupport.h"

namespace licytek::test {
namespace {

const char* const kPanels[] = {"picturePanel",    "linkPanel",        "textEditorPanel",
                               "fontPanel",       "bannerPanel",      "keywordsPanel",
                               "rightClickPanel", "arrangementPanel", "sellerIdPanel"};

const char* const kEffectLists[] = {"pageEnterEffect", "siteEnterEffect", "pageExitEffect",
                                    "siteExitEffect"};
constexpr int kLongestEffect = 3;  // "Czworokąt od środka"

bool IsComposite(const QWidget& widget) {
    return qobject_cast<const QComboBox*>(&widget) != nullptr ||
           qobject_cast<const QAbstractScrollArea*>(&widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(&widget) != nullptr;
}

QString Describe(const QWidget& widget) {
    return widget.objectName() + QStringLiteral(" at ") +
           QStringLiteral("%1,%2 %3x%4")
               .arg(widget.x())
               .arg(widget.y())
               .arg(widget.width())
               .arg(widget.height());
}

// The size a layout may not go below: the control's own minimum where set, else its hint.
QSize Needed(const QWidget& widget) {
    const QSize hint = widget.minimumSizeHint();
    return {widget.minimumWidth() > 0 ? widget.minimumWidth() : hint.width(),
            widget.minimumHeight() > 0 ? widget.minimumHeight() : hint.height()};
}

// A push button given a narrower minimum than its style asks for must still show its caption.
bool CutsItsCaption(const QWidget& widget) {
    const auto* button = qobject_cast<const QPushButton*>(&widget);
    if (button == nullptr || button->text().isEmpty()) {
        return false;
    }
    const QStyle* style = button->style();
    const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    return button->fontMetrics().horizontalAdvance(button->text()) + margins > button->width();
}

// Every problem of the visible controls below `parent`: too small, outside, overlapping.
void CollectProblems(const QWidget& parent, QStringList& problems) {
    QList<const QWidget*> children;
    for (const QObject* object : parent.children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child != nullptr && child->isVisibleTo(&parent) && !child->isWindow() &&
            !child->objectName().endsWith(QLatin1String("Panel"))) {
            children.append(child);
        }
    }
    for (const QWidget* child : children) {
        const QSize needed = Needed(*child);
        if (child->width() < needed.width() || child->height() < needed.height()) {
            problems << Describe(*child) +
                            QStringLiteral(" needs %1x%2").arg(needed.width()).arg(needed.height());
        }
        if (CutsItsCaption(*child)) {
            problems << Describe(*child) + QStringLiteral(" cuts its caption");
        }
        const auto* label = qobject_cast<const QLabel*>(child);
        if (label != nullptr && label->wordWrap() &&
            label->heightForWidth(label->width()) > label->height()) {
            problems << Describe(*child) + QStringLiteral(" cuts its wrapped text");
        }
        if (!parent.rect().contains(child->geometry())) {
            problems << Describe(*child) + QStringLiteral(" leaves ") + Describe(parent);
        }
        for (const QWidget* other : children) {
            if (other < child && other->geometry().intersects(child->geometry())) {
                problems << Describe(*child) + QStringLiteral(" overlaps ") + Describe(*other);
            }
        }
        if (!IsComposite(*child)) {
            CollectProblems(*child, problems);
        }
    }
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void opensCentredAtItsSize() {
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        QCOMPARE(session.window->windowTitle(), QStringLiteral("Licytek 3.0"));
        QCOMPARE(session.window->frameGeometry().size(), QSize(795, 591));
        const QPoint screenCentre = session.window->screen()->availableGeometry().center();
        const QPoint windowCentre = session.window->frameGeometry().center();
        QVERIFY(qAbs(screenCentre.x() - windowCentre.x()) <= 1);
        QVERIFY(qAbs(screenCentre.y() - windowCentre.y()) <= 1);
    }

    void neverShrinksBelowWhatItsControlsNeed() {
        Session session;
        const QSize minimum = session.window->minimumSize();
        QCOMPARE(minimum, session.Get<QWidget>("mainArea")->minimumSizeHint());
        // room for a window frame within the outer size
        QVERIFY2(minimum.width() <= 795 - 10 && minimum.height() <= 591 - 40,
                 qPrintable(QStringLiteral("%1x%2").arg(minimum.width()).arg(minimum.height())));
    }

    void mainAreaFitsWithoutClippingOrOverlap() {
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        QStringList problems;
        CollectProblems(*session.Get<QWidget>("mainArea"), problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void eachPanelFitsAndLiesOverItsArea_data() {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("area");  // the group it covers, or none for the middle
        QTest::newRow("picture") << "picturePanel"
                                 << "descriptionGroup";
        QTest::newRow("link") << "linkPanel"
                              << "descriptionGroup";
        QTest::newRow("banner") << "bannerPanel"
                                << "descriptionGroup";
        QTest::newRow("keywords") << "keywordsPanel"
                                  << "descriptionGroup";
        QTest::newRow("font") << "fontPanel"
                              << "";
        QTest::newRow("text editor") << "textEditorPanel"
                                     << "";
        QTest::newRow("right-click message") << "rightClickPanel"
                                             << "";
        QTest::newRow("arrangement") << "arrangementPanel"
                                     << "";
        QTest::newRow("seller ID") << "sellerIdPanel"
                                   << "";
    }
    void eachPanelFitsAndLiesOverItsArea() {
        QFETCH(QString, panel);
        QFETCH(QString, area);
        Session session(std::nullopt);
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        auto* shown = session.Get<QWidget>(panel.toLatin1().constData());
        shown->show();
        shown->raise();
        QStringList problems;
        CollectProblems(*shown, problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QVERIFY(session.window->rect().contains(shown->geometry()));
        QVERIFY(shown->width() >= shown->minimumSizeHint().width());
        QVERIFY(shown->height() >= shown->minimumSizeHint().height());

        const auto* description = session.Get<QWidget>("descriptionGroup");
        const QRect descriptionArea(description->mapTo(session.window.get(), QPoint()),
                                    description->size());
        if (!area.isEmpty()) {
            QCOMPARE(shown->geometry(), descriptionArea);
        } else if (panel == QLatin1String("fontPanel")) {
            // a strip across the middle of the description group
            QCOMPARE(shown->x(), descriptionArea.x());
            QCOMPARE(shown->width(), descriptionArea.width());
            QVERIFY(qAbs(shown->geometry().center().y() - descriptionArea.center().y()) <= 1);
        } else if (panel == QLatin1String("textEditorPanel")) {
            // most of the window
            QVERIFY(shown->width() * shown->height() * 10 >=
                    session.window->width() * session.window->height() * 8);
        } else {
            const auto* options = session.Get<QWidget>("optionsGroup");
            const QRect optionsArea(options->mapTo(session.window.get(), QPoint()),
                                    options->size());
            QVERIFY(shown->geometry().contains(optionsArea.center()));
        }
    }

    // Every effect name shows whole, chosen in the list and in its drop-down, even in the
    // narrowest window.
    void effectListsShowEveryItemWhole() {
        Session session;
        ShowWindow(session);
        session.window->resize(session.window->minimumSize());
        QTRY_COMPARE(session.window->size(), session.window->minimumSize());
        session.Get<QWidget>("mainArea")->layout()->activate();
        for (const char* name : kEffectLists) {
            auto* list = session.Get<QComboBox>(name);
            const QLineEdit& shown = *list->lineEdit();
            // a line edit keeps two pixels free on each side of its text
            const int room = shown.contentsRect().width() - 4;
            list->showPopup();
            QAbstractItemView* view = list->view();
            QTRY_VERIFY(view->isVisible());
            for (int item = 0; item < list->count(); ++item) {
                const QString text = list->itemText(item);
                QVERIFY2(shown.fontMetrics().horizontalAdvance(text) <= room,
                         qPrintable(QLatin1String(name) + QStringLiteral(": ") + text));
                const QModelIndex index = view->model()->index(item, 0);
                QVERIFY2(view->visualRect(index).width() >= view->sizeHintForIndex(index).width(),
                         qPrintable(QLatin1String(name) + QStringLiteral(" drop-down: ") + text));
            }
            list->hidePopup();
        }
    }

    void savesPicturesWhenAsked() {
        const QString folder = qEnvironmentVariable("LICYTEK_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            QSKIP("LICYTEK_SCREENSHOT_DIR is not set");
        }
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        QVERIFY(session.window->grab().save(folder + QStringLiteral("/window.png")));
        for (const char* name : kPanels) {
            auto* panel = session.Get<QWidget>(name);
            panel->show();
            panel->raise();
            QVERIFY(session.window->grab().save(folder + QLatin1Char('/') + QLatin1String(name) +
                                                QStringLiteral(".png")));
            panel->hide();
        }
        // the longest effect name chosen in every effect list, and one list opened
        for (const char* name : kEffectLists) {
            session.Get<QComboBox>(name)->setCurrentIndex(kLongestEffect);
        }
        QVERIFY(session.window->grab().save(folder + QStringLiteral("/effects.png")));
        auto* list = session.Get<QComboBox>("pageEnterEffect");
        list->showPopup();
        QTRY_VERIFY(list->view()->isVisible());
        QVERIFY(list->view()->window()->grab().save(folder + QStringLiteral("/effect-list.png")));
        list->hidePopup();
    }
};

LICYTEK_WINDOW_TEST(LayoutTest);

}  // namespace licytek::test

#include "LayoutTest.moc"
