// Description editing through the window: the real buttons pressed, the real fields read, and
// the description compared byte for byte with what the seller should get.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "TestSupport.h"

namespace licytek::test {
namespace {

const QByteArray kGallery = "<br><br><tt><GALERIA></tt><br><br>";

PlainTextField* Memo(const Session& session, const char* name) {
    return session.Get<PlainTextField>(name);
}

// Sets a multi-line input from Windows-1250 bytes with CR LF, as the seller's typing leaves it.
void SetMemo(const Session& session, const char* name, const QByteArray& bytes) {
    Memo(session, name)
        ->setPlainText(
            FromCp1250(bytes.toStdString()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void SetText(const Session& session, const char* name, const QString& text) {
    session.Get<QLineEdit>(name)->setText(text);
}

bool Shown(const Session& session, const char* panel) {
    return session.Get<QWidget>(panel)->isVisibleTo(session.window.get());
}

// Puts the caret at the very start, where no command may write.
void CaretToStart(const Session& session, const char* name) {
    Memo(session, name)->moveCursor(QTextCursor::Start);
}

// The field shows its end: the caret stands after the last character and the view is
// scrolled to the bottom.
bool ShowsItsEnd(const Session& session, const char* name) {
    const PlainTextField* memo = Memo(session, name);
    const QScrollBar* bar = memo->verticalScrollBar();
    return memo->textCursor().atEnd() && bar->value() == bar->maximum();
}

}  // namespace

class EditingTest : public QObject {
    Q_OBJECT

  private slots:
    void markupButtonsAddALineAtTheEnd_data() {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new line into empty")
            << QStringList{"Button5"} << QByteArray() << QByteArray("<br>\r\n");
        QTest::newRow("new line twice")
            << QStringList{"Button5", "Button5"} << QByteArray() << QByteArray("<br>\r\n<br>\r\n");
        QTest::newRow("new line after text")
            << QStringList{"Button5"} << QByteArray("abc") << QByteArray("abc\r\n<br>");
        QTest::newRow("gallery after text")
            << QStringList{"Button9"} << QByteArray("abc") << QByteArray("abc\r\n" + kGallery);
        QTest::newRow("gallery after line break") << QStringList{"Button9"} << QByteArray("abc\r\n")
                                                  << QByteArray("abc\r\n" + kGallery + "\r\n");
        QTest::newRow("left") << QStringList{"Button1"} << QByteArray("a\r\nb")
                              << QByteArray("a\r\nb\r\n<p align=\"left\">");
        QTest::newRow("centre") << QStringList{"Button2"} << QByteArray("a")
                                << QByteArray("a\r\n<p align=\"center\">");
        QTest::newRow("right") << QStringList{"Button3"} << QByteArray("\r\n")
                               << QByteArray("\r\n<p align=\"right\">\r\n");
        QTest::newRow("justify then new line")
            << QStringList{"Button4", "Button5"} << QByteArray("\xbf\xf3\xb3w")  // "żółw"
            << QByteArray("\xbf\xf3\xb3w\r\n<p align=\"justify\">\r\n<br>");
    }
    void markupButtonsAddALineAtTheEnd() {
        QFETCH(QStringList, buttons);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", before);
        CaretToStart(session, "Memo1");
        for (const QString& button : buttons) {
            Click(session, button.toLatin1());
        }
        QCOMPARE(InputBytes(session, "Memo1"), after);
        QVERIFY(ShowsItsEnd(session, "Memo1"));
    }

    void pictureWithLinkAndSizeAfterALineOfText() {
        Session session;
        ShowWindow(session);
        Memo(session, "Memo1")->setFocus();
        TypeText(Memo(session, "Memo1"), QStringLiteral("Rower\nStan: bardzo dobry"));
        CaretToStart(session, "Memo1");
        Click(session, "Button8");
        SetText(session, "Edit17", QStringLiteral("http://foto.pl/rower.jpg"));
        Click(session, "CheckBox18");
        SetText(session, "Edit22", QStringLiteral("http://foto.pl/duży.jpg"));
        Click(session, "CheckBox19");
        SetText(session, "Edit23", QStringLiteral("50"));
        SetText(session, "Edit24", QStringLiteral("60"));
        Click(session, "Button15");

        QCOMPARE(InputBytes(session, "Memo1"),
                 QByteArray("Rower\r\nStan: bardzo dobry\r\n"
                            "<A href=\"http://foto.pl/du\xbfy.jpg\" target=\"_o_opo\">\r\n"
                            "<img src=\"http://foto.pl/rower.jpg\" border=0 width=\"50%\" "
                            "height=\"60%\"></A>"));
        QVERIFY(!Shown(session, "Panel2"));
        QVERIFY(ShowsItsEnd(session, "Memo1"));
        // every field keeps its value for the next picture
        Click(session, "Button8");
        QCOMPARE(session.Get<QLineEdit>("Edit22")->text(),
                 QStringLiteral("http://foto.pl/duży.jpg"));
        QCOMPARE(session.Get<QLineEdit>("Edit23")->text(), QStringLiteral("50"));
        QVERIFY(session.Get<QCheckBox>("CheckBox18")->isChecked());
        QVERIFY(session.Get<QCheckBox>("CheckBox19")->isChecked());
    }

    void pictureSources_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("all defaults")
            << QStringList{} << QByteArray("abc\r\n<img src=\"http://\" border=0 >");
        QTest::newRow("gallery ignores the web-server fields")
            << QStringList{"CheckBox18", "CheckBox19", "RadioButton10"}
            << QByteArray("abc" + kGallery);
        QTest::newRow("back to the web server, link unticked")
            << QStringList{"RadioButton10", "RadioButton9"}
            << QByteArray("abc\r\n<img src=\"http://\" border=0 >");
    }
    void pictureSources() {
        QFETCH(QStringList, clicks);
        QFETCH(QByteArray, after);
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", "abc");
        Click(session, "Button8");
        for (const QString& name : clicks) {
            Click(session, name.toLatin1());
        }
        Click(session, "Button15");
        QCOMPARE(InputBytes(session, "Memo1"), after);
    }

    void linkAfterALineBreakBreaksInsideTheAddress() {
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", "abc\r\n");
        Click(session, "Button10");
        session.Get<QLineEdit>("Edit25")->setFocus();
        TypeText(session.Get<QLineEdit>("Edit25"), QStringLiteral("Kup"));
        Click(session, "Button17");
        QCOMPARE(InputBytes(session, "Memo1"),
                 QByteArray("abc\r\n<A href=\"\r\nhttp://\" target=\"_o_opo\">Kup</A>"));
        QVERIFY(!Shown(session, "Panel4"));

        // the same link once more, now after a line that holds text
        Click(session, "Button10");
        Click(session, "Button17");
        QCOMPARE(InputBytes(session, "Memo1"),
                 QByteArray("abc\r\n<A href=\"\r\nhttp://\" target=\"_o_opo\">Kup</A>\r\n"
                            "<A href=\"http://\" target=\"_o_opo\">Kup</A>"));
        QVERIFY(ShowsItsEnd(session, "Memo1"));
    }

    void cancelWritesNothingAndKeepsTheFields_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("picture") << "Button8"
                                 << "Edit17"
                                 << "Button16";
        QTest::newRow("link") << "Button10"
                              << "Edit26"
                              << "Button18";
        QTest::newRow("font") << "Button6"
                              << "Edit31"
                              << "Button27";
        QTest::newRow("text editor") << "Button7"
                                     << "Edit27"
                                     << "Button24";
    }
    void cancelWritesNothingAndKeepsTheFields() {
        QFETCH(QString, opener);
        QFETCH(QString, field);
        QFETCH(QString, cancel);
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", "abc");
        SetMemo(session, "Memo4", "<p>gotowe</p>");
        Click(session, opener.toLatin1());
        SetText(session, field.toLatin1(), QStringLiteral("zmienione"));
        Click(session, cancel.toLatin1());
        QCOMPARE(InputBytes(session, "Memo1"), QByteArray("abc"));
        Click(session, opener.toLatin1());
        QCOMPARE(session.Get<QLineEdit>(field.toLatin1())->text(), QStringLiteral("zmienione"));
    }

    void fontStartIsGluedToTheLastLine() {
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", "abc");
        Click(session, "Button6");
        Click(session, "Button26");
        QCOMPARE(InputBytes(session, "Memo1"),
                 QByteArray("abc<font face=\"Verdana\" color=\"#000000\" "
                            "style=\"font-size:12pt;\">"));
        QVERIFY(!Shown(session, "Panel13"));

        // a face chosen from the list, a size typed that the list lacks, a picked colour
        Click(session, "Button6");
        session.Get<QComboBox>("ComboBox9")->setCurrentIndex(8);  // "Courier ", blank included
        auto* size = session.Get<QComboBox>("ComboBox8");
        size->lineEdit()->selectAll();
        TypeText(size->lineEdit(), QStringLiteral("13"));
        session.desktop.colourAnswers.push_back(QColor(0xAB, 0xCD, 0xEF));
        Click(session, "SpeedButton14");
        Click(session, "Button26");
        QCOMPARE(
            InputBytes(session, "Memo1"),
            QByteArray("abc<font face=\"Verdana\" color=\"#000000\" "
                       "style=\"font-size:12pt;\">"
                       "<font face=\"Courier \" color=\"#ABCDEF\" style=\"font-size:13pt;\">"));
        QCOMPARE(size->currentText(), QStringLiteral("13"));
    }

    void snippetsAreCollectedAndHandedOverAgainAfterReopening() {
        const QByteArray hello =
            "<p align=\"left\"><font face=\"Verdana\" style=\"font-size:12pt;\" "
            "color=\"#000000\">Hello</font></p>";
        const QByteArray boldUnderlined =
            "<p align=\"center\"><font face=\"Verdana\" style=\"font-size:12pt;\" "
            "color=\"#000000\"><B><U>Hi</U></B></font></p>";
        const QByteArray moving =
            "<p align=\"left\"><font face=\"Verdana\" style=\"font-size:12pt;\" "
            "color=\"#000000\"><marquee scrollamount=\"8\" scrolldelay=\"50\" "
            "bgcolor=\"#FFFFFF\" direction=\"right\" behavior=\"alternate\">Hi</marquee>"
            "</font></p>";
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", "Opis");
        Click(session, "Button7");
        PlainTextField* typed = Memo(session, "Memo3");
        typed->setFocus();
        TypeText(typed, QStringLiteral("Hello"));
        Click(session, "Button23");
        QCOMPARE(InputBytes(session, "Memo4"), hello);
        QCOMPARE(InputBytes(session, "Memo1"), QByteArray("Opis"));  // not yet handed over

        typed->clear();
        TypeText(typed, QStringLiteral("Hi"));
        Click(session, "Panel6");
        Click(session, "Panel8");
        Click(session, "Panel10");
        Click(session, "Button23");
        QCOMPARE(InputBytes(session, "Memo4"), hello + boldUnderlined);
        QVERIFY(ShowsItsEnd(session, "Memo4"));

        Click(session, "Button25");
        QCOMPARE(InputBytes(session, "Memo1"), "Opis" + hello + boldUnderlined);
        QVERIFY(!Shown(session, "Panel5"));
        QVERIFY(ShowsItsEnd(session, "Memo1"));

        // reopened: everything is as it was left, and the ready code comes again
        Click(session, "Button7");
        QCOMPARE(InputBytes(session, "Memo3"), QByteArray("Hi"));
        QCOMPARE(InputBytes(session, "Memo4"), hello + boldUnderlined);
        QVERIFY(session.Get<QPushButton>("Panel10")->isChecked());
        Click(session, "Panel6");  // released again
        Click(session, "Panel8");
        Click(session, "Panel9");
        Click(session, "CheckBox20");
        Click(session, "RadioButton12");
        Click(session, "RadioButton15");
        Click(session, "Button23");
        Click(session, "Button25");
        QCOMPARE(InputBytes(session, "Memo1"),
                 "Opis" + hello + boldUnderlined + hello + boldUnderlined + moving);
    }

    void typedTextKeepsItsLinesInTheSnippet() {
        Session session;
        ShowWindow(session);
        Click(session, "Button7");
        SetMemo(session, "Memo3", "Za\xbf\xf3\xb3\xe6");  // "Zażółć"
        CaretToStart(session, "Memo3");
        Click(session, "Button19");
        Click(session, "Button21");
        QCOMPARE(InputBytes(session, "Memo3"),
                 QByteArray("Za\xbf\xf3\xb3\xe6\r\n<br>\r\n" + kGallery));
        Click(session, "Panel12");
        Click(session, "Panel7");
        Click(session, "Button23");
        Click(session, "Button23");  // the same snippet again, glued to the first
        const QByteArray snippet =
            "<p align=\"justify\"><font face=\"Verdana\" style=\"font-size:12pt;\" "
            "color=\"#000000\"><I>Za\xbf\xf3\xb3\xe6\r\n<br>\r\n" +
            kGallery + "</I></font></p>";
        QCOMPARE(InputBytes(session, "Memo4"), snippet + snippet);
    }

    void emptyReadyCodeLeavesTheDescriptionAndCloses() {
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1", "abc\r\n");
        Click(session, "Button7");
        Click(session, "Button25");
        QCOMPARE(InputBytes(session, "Memo1"), QByteArray("abc\r\n"));
        QVERIFY(!Shown(session, "Panel5"));
    }

    void aTextTheCodePageCannotHoldStopsTheInsert() {
        Session session;
        ShowWindow(session);
        // only the program can put such a character into a field; the seller's typing cannot
        const QString held = QStringLiteral("abc 中");
        Memo(session, "Memo1")->setPlainText(held);
        Click(session, "Button10");
        Click(session, "Button17");
        QCOMPARE(Memo(session, "Memo1")->text(), held);
        QVERIFY(Shown(session, "Panel4"));  // left open for the seller to mend
        QCOMPARE(session.desktop.errors.size(), std::size_t{1});
        QVERIFY(session.desktop.errors.front().contains(QStringLiteral("中")));
    }

    void insertIsOneStepTheSellerCanUndo() {
        Session session;
        ShowWindow(session);
        PlainTextField* description = Memo(session, "Memo1");
        description->setFocus();
        TypeText(description, QStringLiteral("abc"));
        Click(session, "Button5");
        QCOMPARE(InputBytes(session, "Memo1"), QByteArray("abc\r\n<br>"));
        description->undo();
        QCOMPARE(InputBytes(session, "Memo1"), QByteArray("abc"));
    }

    // With LICYTEK_SCREENSHOT_DIR set: the description after a few inserts, and the text
    // editor with switches pressed and released, for a look by eye.
    void savesPicturesWhenAsked() {
        const QString folder = qEnvironmentVariable("LICYTEK_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            QSKIP("LICYTEK_SCREENSHOT_DIR is not set");
        }
        Session session;
        ShowWindow(session);
        SetMemo(session, "Memo1",
                QByteArray("Rower g\xf3rski w bardzo dobrym stanie.\r\n").repeated(12));
        Click(session, "Button2");
        Click(session, "Button10");
        SetText(session, "Edit25", QStringLiteral("Moje aukcje"));
        Click(session, "Button17");
        Click(session, "Button6");
        Click(session, "Button26");
        QVERIFY(session.window->grab().save(folder + QStringLiteral("/edited.png")));
        Click(session, "Button7");
        SetMemo(session, "Memo3", "Zapraszam do licytacji!");
        Click(session, "Panel6");
        Click(session, "Panel7");
        Click(session, "Panel11");
        Click(session, "CheckBox20");
        Click(session, "RadioButton14");
        Click(session, "Button23");
        QVERIFY(session.window->grab().save(folder + QStringLiteral("/editor.png")));
    }
};

LICYTEK_WINDOW_TEST(EditingTest);

}  // namespace licytek::test

#include "EditingTest.moc"
