// The side panels: which button shows each, which buttons hide it and what they do to its
// inputs, the switches whose every change (by click or by the program) runs a reaction, and
// the enabling rules inside the panels.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "TestSupport.h"

namespace licytek::test {
namespace {

bool Shown(const Session& session, const char* panel) {
    return session.Get<QWidget>(panel)->isVisibleTo(session.window.get());
}

// Whether the panel is the topmost thing at its own centre.
bool OnTop(const Session& session, const char* panel) {
    const auto* shown = session.Get<QWidget>(panel);
    const QWidget* hit = session.window->childAt(shown->geometry().center());
    return hit != nullptr && (hit == shown || shown->isAncestorOf(hit));
}

bool Enabled(const Session& session, const char* name) {
    return session.Get<QWidget>(name)->isEnabled();
}

}  // namespace

class PanelTest : public QObject {
    Q_OBJECT

  private slots:
    void buttonsShowAndHidePanels_data() {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("closer");
        QTest::newRow("picture, insert") << "picturePanel"
                                         << "pictureButton"
                                         << "pictureInsertButton";
        QTest::newRow("picture, cancel") << "picturePanel"
                                         << "pictureButton"
                                         << "pictureCancelButton";
        QTest::newRow("link, insert") << "linkPanel"
                                      << "linkButton"
                                      << "linkInsertButton";
        QTest::newRow("link, cancel") << "linkPanel"
                                      << "linkButton"
                                      << "linkCancelButton";
        QTest::newRow("font, change") << "fontPanel"
                                      << "fontButton"
                                      << "fontInsertButton";
        QTest::newRow("font, cancel") << "fontPanel"
                                      << "fontButton"
                                      << "fontCancelButton";
        QTest::newRow("editor, save and close") << "textEditorPanel"
                                                << "textEditorButton"
                                                << "editorSaveButton";
        QTest::newRow("editor, cancel") << "textEditorPanel"
                                        << "textEditorButton"
                                        << "editorCancelButton";
        QTest::newRow("banner, insert") << "bannerPanel"
                                        << "bannerButton"
                                        << "bannerInsertButton";
        QTest::newRow("background, cancel") << "bannerPanel"
                                            << "backgroundButton"
                                            << "bannerCancelButton";
        QTest::newRow("keywords, use") << "keywordsPanel"
                                       << "promotionButton"
                                       << "keywordsUseButton";
        QTest::newRow("keywords, cancel") << "keywordsPanel"
                                          << "promotionButton"
                                          << "keywordsCancelButton";
        QTest::newRow("right-click lock") << "rightClickPanel"
                                          << "rightClickLock"
                                          << "rightClickInsertButton";
        QTest::newRow("layout 8") << "arrangementPanel"
                                  << "layout8"
                                  << "arrangementOkButton";
    }
    void buttonsShowAndHidePanels() {
        QFETCH(QString, panel);
        QFETCH(QString, opener);
        QFETCH(QString, closer);
        Session session;
        ShowWindow(session);
        const QByteArray name = panel.toLatin1();
        QVERIFY(!Shown(session, name));
        Click(session, opener.toLatin1());
        QVERIFY(Shown(session, name));
        QVERIFY(OnTop(session, name));
        Click(session, closer.toLatin1());
        QVERIFY(!Shown(session, name));
    }

    void panelsAreIndependentAndLeaveTheRestUsable() {
        Session session(std::nullopt);  // the seller ID panel is shown as well
        ShowWindow(session);
        Click(session, "pictureButton");
        Click(session, "linkButton");
        Click(session, "promotionButton");
        QVERIFY(Shown(session, "picturePanel") && Shown(session, "linkPanel") &&
                Shown(session, "keywordsPanel"));
        QVERIFY(Shown(session, "sellerIdPanel"));
        QVERIFY(OnTop(session, "keywordsPanel"));  // the last one shown lies on top
        // the main area outside the panels still takes input
        auto* header = session.Get<QLineEdit>("auctionHeader");
        QTest::mouseClick(header, Qt::LeftButton);
        QTest::keyClicks(header, QStringLiteral("Rower"));
        QCOMPARE(header->text(), QStringLiteral("Rower"));
        Click(session, "linkCancelButton");
        QVERIFY(!Shown(session, "linkPanel"));
        QVERIFY(Shown(session, "picturePanel") && Shown(session, "keywordsPanel"));
    }

    void panelInputsKeepTheirValuesAcrossHidingAndShowing() {
        Session session;
        ShowWindow(session);
        Click(session, "linkButton");
        session.Get<QLineEdit>("linkText")->setText(QStringLiteral("Kup"));
        Click(session, "linkCancelButton");
        Click(session, "linkButton");
        QCOMPARE(session.Get<QLineEdit>("linkText")->text(), QStringLiteral("Kup"));
        QCOMPARE(session.Get<QLineEdit>("linkAddress")->text(), QStringLiteral("http://"));
    }

    void bannerCancelUnticksBothPicturesButKeepsTheirAddresses() {
        Session session;
        ShowWindow(session);
        Click(session, "bannerButton");
        Click(session, "bannerShown");
        Click(session, "backgroundPictureShown");
        QVERIFY(Enabled(session, "bannerAddress") && Enabled(session, "backgroundPictureAddress"));
        session.Get<QLineEdit>("bannerAddress")->setText(QStringLiteral("http://a/banner.png"));
        session.Get<QLineEdit>("backgroundPictureAddress")
            ->setText(QStringLiteral("http://a/tlo.png"));
        Click(session, "bannerCancelButton");
        QVERIFY(!Shown(session, "bannerPanel"));
        QVERIFY(!session.Get<QCheckBox>("bannerShown")->isChecked());
        QVERIFY(!session.Get<QCheckBox>("backgroundPictureShown")->isChecked());
        QVERIFY(!Enabled(session, "bannerAddress") &&
                !Enabled(session, "backgroundPictureAddress"));
        QCOMPARE(session.Get<QLineEdit>("bannerAddress")->text(),
                 QStringLiteral("http://a/banner.png"));
        QCOMPARE(session.Get<QLineEdit>("backgroundPictureAddress")->text(),
                 QStringLiteral("http://a/tlo.png"));
    }

    void bannerInsertKeepsEveryInput() {
        Session session;
        ShowWindow(session);
        Click(session, "backgroundButton");
        Click(session, "bannerShown");
        Click(session, "bannerInsertButton");
        QVERIFY(!Shown(session, "bannerPanel"));
        QVERIFY(session.Get<QCheckBox>("bannerShown")->isChecked());
        QVERIFY(Enabled(session, "bannerAddress"));
    }

    void keywordsCancelEmptiesWhatWasFilledBefore() {
        Session session;
        ShowWindow(session);
        session.Get<QLineEdit>("pageTitle")->setText(QStringLiteral("Rower"));
        session.Get<PlainTextField>("keywords")->setPlainText(QStringLiteral("rower góral"));
        session.Get<PlainTextField>("searchDescription")
            ->setPlainText(QStringLiteral("Rower\ngórski"));
        Click(session, "promotionButton");
        Click(session, "keywordsCancelButton");
        QVERIFY(session.Get<QLineEdit>("pageTitle")->text().isEmpty());
        QVERIFY(session.Get<PlainTextField>("keywords")->text().isEmpty());
        QVERIFY(session.Get<PlainTextField>("searchDescription")->text().isEmpty());
    }

    void keywordsUseKeepsTheInputs() {
        Session session;
        ShowWindow(session);
        Click(session, "promotionButton");
        session.Get<QLineEdit>("pageTitle")->setText(QStringLiteral("Rower"));
        Click(session, "keywordsUseButton");
        QCOMPARE(session.Get<QLineEdit>("pageTitle")->text(), QStringLiteral("Rower"));
    }

    void rightClickLockAsksForItsMessageOnEveryTick() {
        Session session;
        ShowWindow(session);
        auto* lock = session.Get<QCheckBox>("rightClickLock");
        Click(session, "rightClickLock");
        QVERIFY(Shown(session, "rightClickPanel"));
        Click(session, "rightClickLock");  // unticking leaves the panel where it is
        QVERIFY(Shown(session, "rightClickPanel"));
        Click(session, "rightClickInsertButton");
        QCOMPARE(session.Get<QLineEdit>("rightClickMessage")->text(),
                 QStringLiteral("Blokada Prawego Przycisku Myszy"));
        lock->setChecked(true);  // a program change runs the same reaction
        QVERIFY(Shown(session, "rightClickPanel"));
    }

    void layoutEightAsksForItsArrangement() {
        Session session;
        ShowWindow(session);
        Click(session, "layout8");
        QVERIFY(Shown(session, "arrangementPanel"));
        Click(session, "termsBlockLeft");
        Click(session, "layout3");  // another layout does not hide the panel
        QVERIFY(Shown(session, "arrangementPanel"));
        Click(session, "arrangementOkButton");
        QVERIFY(!Shown(session, "arrangementPanel"));
        QVERIFY(session.Get<QCheckBox>("termsBlockLeft")->isChecked());
    }

    void restoredSwitchesRunTheirReactions() {
        Session session;
        AuctionForm form;
        form.rightClickLock = true;
        form.layout1 = false;
        form.layout8 = true;
        form.bannerShown = true;
        const std::string_view names[] = {"rightClickLock", "layout1", "layout8", "bannerShown"};
        session.window->Form().Restore(form, names);
        QVERIFY(Shown(session, "rightClickPanel"));
        QVERIFY(Shown(session, "arrangementPanel"));
        QVERIFY(Enabled(session, "bannerAddress"));

        // restoring a layout 8 that is chosen already is no new choice
        session.Get<QWidget>("arrangementPanel")->hide();
        session.window->Form().Restore(form, names);
        QVERIFY(!Shown(session, "arrangementPanel"));
    }

    void bannerAddressesFollowTheirBoxesWhateverChangesThem() {
        Session session;
        auto* banner = session.Get<QCheckBox>("bannerShown");
        auto* background = session.Get<QCheckBox>("backgroundPictureShown");
        banner->setChecked(true);
        QVERIFY(Enabled(session, "bannerAddress") && !Enabled(session, "backgroundPictureAddress"));
        background->setChecked(true);
        QVERIFY(Enabled(session, "backgroundPictureAddress"));
        banner->setChecked(false);
        QVERIFY(!Enabled(session, "bannerAddress"));
        QCOMPARE(session.Get<QLineEdit>("bannerAddress")->text(), QStringLiteral("http://"));
    }

    void pictureControlsFollowTheClicks_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>(
            "enabled");  // of pictureAddress pictureOpensAddress pictureLinkAddress pictureResized
                         // pictureWidth pictureHeight
        QTest::newRow("start") << QStringList{}
                               << QStringList{"pictureAddress", "pictureOpensAddress",
                                              "pictureResized"};
        QTest::newRow("link ticked") << QStringList{"pictureOpensAddress"}
                                     << QStringList{"pictureAddress", "pictureOpensAddress",
                                                    "pictureLinkAddress", "pictureResized"};
        QTest::newRow("size ticked")
            << QStringList{"pictureResized"}
            << QStringList{"pictureAddress", "pictureOpensAddress", "pictureResized",
                           "pictureWidth", "pictureHeight"};
        QTest::newRow("link ticked and unticked")
            << QStringList{"pictureOpensAddress", "pictureOpensAddress"}
            << QStringList{"pictureAddress", "pictureOpensAddress", "pictureResized"};
        QTest::newRow("gallery") << QStringList{"pictureFromGallery"} << QStringList{};
        // the size fields stay as they were when the source changes
        QTest::newRow("gallery with the size ticked")
            << QStringList{"pictureOpensAddress", "pictureResized", "pictureFromGallery"}
            << QStringList{"pictureWidth", "pictureHeight"};
        // the link address comes back with the web server, ticked or not
        QTest::newRow("back to the web server")
            << QStringList{"pictureFromGallery", "pictureFromWeb"}
            << QStringList{"pictureAddress", "pictureOpensAddress", "pictureLinkAddress",
                           "pictureResized"};
        QTest::newRow("back, then the link ticked and unticked")
            << QStringList{"pictureFromGallery", "pictureFromWeb", "pictureOpensAddress",
                           "pictureOpensAddress"}
            << QStringList{"pictureAddress", "pictureOpensAddress", "pictureResized"};
        QTest::newRow("back with both ticked")
            << QStringList{"pictureOpensAddress", "pictureResized", "pictureFromGallery",
                           "pictureFromWeb"}
            << QStringList{"pictureAddress", "pictureOpensAddress", "pictureLinkAddress",
                           "pictureResized", "pictureWidth",        "pictureHeight"};
        QTest::newRow("the chosen source clicked again")
            << QStringList{"pictureFromWeb"}
            << QStringList{"pictureAddress", "pictureOpensAddress", "pictureResized"};
    }
    void pictureControlsFollowTheClicks() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, enabled);
        Session session;
        ShowWindow(session);
        Click(session, "pictureButton");
        for (const QString& name : clicks) {
            Click(session, name.toLatin1());
        }
        for (const char* name : {"pictureAddress", "pictureOpensAddress", "pictureLinkAddress",
                                 "pictureResized", "pictureWidth", "pictureHeight"}) {
            QVERIFY2(Enabled(session, name) == enabled.contains(QLatin1String(name)), name);
        }
    }

    void movingTextSwitchEnablesItsNineControls() {
        Session session;
        ShowWindow(session);
        const char* const nine[] = {
            "movesLeft",        "movesRight",           "scrollingAnimation",
            "slidingAnimation", "alternatingAnimation", "movingBackgroundPicker",
            "movingBackground", "movingDelay",          "movingStep"};
        Click(session, "textEditorButton");
        Click(session, "movingText");
        for (const char* name : nine) {
            QVERIFY2(Enabled(session, name), name);
        }
        Click(session, "movesRight");
        Click(session, "alternatingAnimation");
        session.Get<QLineEdit>("movingDelay")->setText(QStringLiteral("30"));
        Click(session, "movingText");
        for (const char* name : nine) {
            QVERIFY2(!Enabled(session, name), name);
        }
        // selections and texts stay as they were; the picker, enabled at start, follows now
        QVERIFY(session.Get<QRadioButton>("movesRight")->isChecked());
        QVERIFY(session.Get<QRadioButton>("alternatingAnimation")->isChecked());
        QCOMPARE(session.Get<QLineEdit>("movingDelay")->text(), QStringLiteral("30"));
    }

    void switchPanelsPressAndRelease() {
        Session session;
        ShowWindow(session);
        Click(session, "textEditorButton");
        auto pressed = [&session](const char* name) {
            return session.Get<QPushButton>(name)->isChecked();
        };
        Click(session, "editorAlignRight");
        QVERIFY(pressed("editorAlignRight") && !pressed("editorAlignLeft") &&
                !pressed("editorAlignCentre") && !pressed("editorJustify"));
        Click(session, "editorAlignRight");  // a pressed alignment stays pressed
        QVERIFY(pressed("editorAlignRight"));
        Click(session, "editorBold");
        Click(session, "editorUnderline");
        QVERIFY(pressed("editorBold") && !pressed("editorItalic") && pressed("editorUnderline"));
        Click(session, "editorBold");  // a style switch toggles
        QVERIFY(!pressed("editorBold") && pressed("editorAlignRight"));
    }
};

LICYTEK_WINDOW_TEST(PanelTest);

}  // namespace licytek::test

#include "PanelTest.moc"
