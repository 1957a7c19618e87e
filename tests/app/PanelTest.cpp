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
        QTest::newRow("picture, insert") << "Panel2"
                                         << "Button8"
                                         << "Button15";
        QTest::newRow("picture, cancel") << "Panel2"
                                         << "Button8"
                                         << "Button16";
        QTest::newRow("link, insert") << "Panel4"
                                      << "Button10"
                                      << "Button17";
        QTest::newRow("link, cancel") << "Panel4"
                                      << "Button10"
                                      << "Button18";
        QTest::newRow("font, change") << "Panel13"
                                      << "Button6"
                                      << "Button26";
        QTest::newRow("font, cancel") << "Panel13"
                                      << "Button6"
                                      << "Button27";
        QTest::newRow("editor, save and close") << "Panel5"
                                                << "Button7"
                                                << "Button25";
        QTest::newRow("editor, cancel") << "Panel5"
                                        << "Button7"
                                        << "Button24";
        QTest::newRow("banner, insert") << "Panel14"
                                        << "Button13"
                                        << "Button28";
        QTest::newRow("background, cancel") << "Panel14"
                                            << "Button12"
                                            << "Button29";
        QTest::newRow("keywords, use") << "Panel15"
                                       << "Button11"
                                       << "Button30";
        QTest::newRow("keywords, cancel") << "Panel15"
                                          << "Button11"
                                          << "Button31";
        QTest::newRow("right-click lock") << "Panel16"
                                          << "CheckBox3"
                                          << "Button33";
        QTest::newRow("layout 8") << "Panel17"
                                  << "RadioButton8"
                                  << "Button32";
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
        Click(session, "Button8");
        Click(session, "Button10");
        Click(session, "Button11");
        QVERIFY(Shown(session, "Panel2") && Shown(session, "Panel4") && Shown(session, "Panel15"));
        QVERIFY(Shown(session, "Panel18"));
        QVERIFY(OnTop(session, "Panel15"));  // the last one shown lies on top
        // the main area outside the panels still takes input
        auto* header = session.Get<QLineEdit>("Edit2");
        QTest::mouseClick(header, Qt::LeftButton);
        QTest::keyClicks(header, QStringLiteral("Rower"));
        QCOMPARE(header->text(), QStringLiteral("Rower"));
        Click(session, "Button18");
        QVERIFY(!Shown(session, "Panel4"));
        QVERIFY(Shown(session, "Panel2") && Shown(session, "Panel15"));
    }

    void panelInputsKeepTheirValuesAcrossHidingAndShowing() {
        Session session;
        ShowWindow(session);
        Click(session, "Button10");
        session.Get<QLineEdit>("Edit25")->setText(QStringLiteral("Kup"));
        Click(session, "Button18");
        Click(session, "Button10");
        QCOMPARE(session.Get<QLineEdit>("Edit25")->text(), QStringLiteral("Kup"));
        QCOMPARE(session.Get<QLineEdit>("Edit26")->text(), QStringLiteral("http://"));
    }

    void bannerCancelUnticksBothPicturesButKeepsTheirAddresses() {
        Session session;
        ShowWindow(session);
        Click(session, "Button13");
        Click(session, "CheckBox22");
        Click(session, "CheckBox21");
        QVERIFY(Enabled(session, "Edit32") && Enabled(session, "Edit33"));
        session.Get<QLineEdit>("Edit32")->setText(QStringLiteral("http://a/banner.png"));
        session.Get<QLineEdit>("Edit33")->setText(QStringLiteral("http://a/tlo.png"));
        Click(session, "Button29");
        QVERIFY(!Shown(session, "Panel14"));
        QVERIFY(!session.Get<QCheckBox>("CheckBox22")->isChecked());
        QVERIFY(!session.Get<QCheckBox>("CheckBox21")->isChecked());
        QVERIFY(!Enabled(session, "Edit32") && !Enabled(session, "Edit33"));
        QCOMPARE(session.Get<QLineEdit>("Edit32")->text(), QStringLiteral("http://a/banner.png"));
        QCOMPARE(session.Get<QLineEdit>("Edit33")->text(), QStringLiteral("http://a/tlo.png"));
    }

    void bannerInsertKeepsEveryInput() {
        Session session;
        ShowWindow(session);
        Click(session, "Button12");
        Click(session, "CheckBox22");
        Click(session, "Button28");
        QVERIFY(!Shown(session, "Panel14"));
        QVERIFY(session.Get<QCheckBox>("CheckBox22")->isChecked());
        QVERIFY(Enabled(session, "Edit32"));
    }

    void keywordsCancelEmptiesWhatWasFilledBefore() {
        Session session;
        ShowWindow(session);
        session.Get<QLineEdit>("Edit34")->setText(QStringLiteral("Rower"));
        session.Get<PlainTextField>("Memo5")->setPlainText(QStringLiteral("rower góral"));
        session.Get<PlainTextField>("Memo8")->setPlainText(QStringLiteral("Rower\ngórski"));
        Click(session, "Button11");
        Click(session, "Button31");
        QVERIFY(session.Get<QLineEdit>("Edit34")->text().isEmpty());
        QVERIFY(session.Get<PlainTextField>("Memo5")->text().isEmpty());
        QVERIFY(session.Get<PlainTextField>("Memo8")->text().isEmpty());
    }

    void keywordsUseKeepsTheInputs() {
        Session session;
        ShowWindow(session);
        Click(session, "Button11");
        session.Get<QLineEdit>("Edit34")->setText(QStringLiteral("Rower"));
        Click(session, "Button30");
        QCOMPARE(session.Get<QLineEdit>("Edit34")->text(), QStringLiteral("Rower"));
    }

    void rightClickLockAsksForItsMessageOnEveryTick() {
        Session session;
        ShowWindow(session);
        auto* lock = session.Get<QCheckBox>("CheckBox3");
        Click(session, "CheckBox3");
        QVERIFY(Shown(session, "Panel16"));
        Click(session, "CheckBox3");  // unticking leaves the panel where it is
        QVERIFY(Shown(session, "Panel16"));
        Click(session, "Button33");
        QCOMPARE(session.Get<QLineEdit>("Edit35")->text(),
                 QStringLiteral("Blokada Prawego Przycisku Myszy"));
        lock->setChecked(true);  // a program change runs the same reaction
        QVERIFY(Shown(session, "Panel16"));
    }

    void layoutEightAsksForItsArrangement() {
        Session session;
        ShowWindow(session);
        Click(session, "RadioButton8");
        QVERIFY(Shown(session, "Panel17"));
        Click(session, "CheckBox25");
        Click(session, "RadioButton3");  // another layout does not hide the panel
        QVERIFY(Shown(session, "Panel17"));
        Click(session, "Button32");
        QVERIFY(!Shown(session, "Panel17"));
        QVERIFY(session.Get<QCheckBox>("CheckBox25")->isChecked());
    }

    void restoredSwitchesRunTheirReactions() {
        Session session;
        AuctionForm form;
        form.CheckBox3 = true;
        form.RadioButton1 = false;
        form.RadioButton8 = true;
        form.CheckBox22 = true;
        const std::string_view names[] = {"CheckBox3", "RadioButton1", "RadioButton8",
                                          "CheckBox22"};
        session.window->Form().Restore(form, names);
        QVERIFY(Shown(session, "Panel16"));
        QVERIFY(Shown(session, "Panel17"));
        QVERIFY(Enabled(session, "Edit32"));

        // restoring a layout 8 that is chosen already is no new choice
        session.Get<QWidget>("Panel17")->hide();
        session.window->Form().Restore(form, names);
        QVERIFY(!Shown(session, "Panel17"));
    }

    void bannerAddressesFollowTheirBoxesWhateverChangesThem() {
        Session session;
        auto* banner = session.Get<QCheckBox>("CheckBox22");
        auto* background = session.Get<QCheckBox>("CheckBox21");
        banner->setChecked(true);
        QVERIFY(Enabled(session, "Edit32") && !Enabled(session, "Edit33"));
        background->setChecked(true);
        QVERIFY(Enabled(session, "Edit33"));
        banner->setChecked(false);
        QVERIFY(!Enabled(session, "Edit32"));
        QCOMPARE(session.Get<QLineEdit>("Edit32")->text(), QStringLiteral("http://"));
    }

    void pictureControlsFollowTheClicks_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>(
            "enabled");  // of Edit17 CheckBox18 Edit22 CheckBox19 Edit23 Edit24
        QTest::newRow("start") << QStringList{}
                               << QStringList{"Edit17", "CheckBox18", "CheckBox19"};
        QTest::newRow("link ticked") << QStringList{"CheckBox18"}
                                     << QStringList{"Edit17", "CheckBox18", "Edit22", "CheckBox19"};
        QTest::newRow("size ticked")
            << QStringList{"CheckBox19"}
            << QStringList{"Edit17", "CheckBox18", "CheckBox19", "Edit23", "Edit24"};
        QTest::newRow("link ticked and unticked")
            << QStringList{"CheckBox18", "CheckBox18"}
            << QStringList{"Edit17", "CheckBox18", "CheckBox19"};
        QTest::newRow("gallery") << QStringList{"RadioButton10"} << QStringList{};
        // the size fields stay as they were when the source changes
        QTest::newRow("gallery with the size ticked")
            << QStringList{"CheckBox18", "CheckBox19", "RadioButton10"}
            << QStringList{"Edit23", "Edit24"};
        // the link address comes back with the web server, ticked or not
        QTest::newRow("back to the web server")
            << QStringList{"RadioButton10", "RadioButton9"}
            << QStringList{"Edit17", "CheckBox18", "Edit22", "CheckBox19"};
        QTest::newRow("back, then the link ticked and unticked")
            << QStringList{"RadioButton10", "RadioButton9", "CheckBox18", "CheckBox18"}
            << QStringList{"Edit17", "CheckBox18", "CheckBox19"};
        QTest::newRow("back with both ticked")
            << QStringList{"CheckBox18", "CheckBox19", "RadioButton10", "RadioButton9"}
            << QStringList{"Edit17", "CheckBox18", "Edit22", "CheckBox19", "Edit23", "Edit24"};
        QTest::newRow("the chosen source clicked again")
            << QStringList{"RadioButton9"} << QStringList{"Edit17", "CheckBox18", "CheckBox19"};
    }
    void pictureControlsFollowTheClicks() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, enabled);
        Session session;
        ShowWindow(session);
        Click(session, "Button8");
        for (const QString& name : clicks) {
            Click(session, name.toLatin1());
        }
        for (const char* name :
             {"Edit17", "CheckBox18", "Edit22", "CheckBox19", "Edit23", "Edit24"}) {
            QVERIFY2(Enabled(session, name) == enabled.contains(QLatin1String(name)), name);
        }
    }

    void movingTextSwitchEnablesItsNineControls() {
        Session session;
        ShowWindow(session);
        const char* const nine[] = {"RadioButton11", "RadioButton12", "RadioButton13",
                                    "RadioButton14", "RadioButton15", "SpeedButton1",
                                    "Edit30",        "Edit28",        "Edit29"};
        Click(session, "Button7");
        Click(session, "CheckBox20");
        for (const char* name : nine) {
            QVERIFY2(Enabled(session, name), name);
        }
        Click(session, "RadioButton12");
        Click(session, "RadioButton15");
        session.Get<QLineEdit>("Edit28")->setText(QStringLiteral("30"));
        Click(session, "CheckBox20");
        for (const char* name : nine) {
            QVERIFY2(!Enabled(session, name), name);
        }
        // selections and texts stay as they were; the picker, enabled at start, follows now
        QVERIFY(session.Get<QRadioButton>("RadioButton12")->isChecked());
        QVERIFY(session.Get<QRadioButton>("RadioButton15")->isChecked());
        QCOMPARE(session.Get<QLineEdit>("Edit28")->text(), QStringLiteral("30"));
    }

    void switchPanelsPressAndRelease() {
        Session session;
        ShowWindow(session);
        Click(session, "Button7");
        auto pressed = [&session](const char* name) {
            return session.Get<QPushButton>(name)->isChecked();
        };
        Click(session, "Panel11");
        QVERIFY(pressed("Panel11") && !pressed("Panel9") && !pressed("Panel10") &&
                !pressed("Panel12"));
        Click(session, "Panel11");  // a pressed alignment stays pressed
        QVERIFY(pressed("Panel11"));
        Click(session, "Panel6");
        Click(session, "Panel8");
        QVERIFY(pressed("Panel6") && !pressed("Panel7") && pressed("Panel8"));
        Click(session, "Panel6");  // a style switch toggles
        QVERIFY(!pressed("Panel6") && pressed("Panel11"));
    }
};

LICYTEK_WINDOW_TEST(PanelTest);

}  // namespace licytek::test

#include "PanelTest.moc"
