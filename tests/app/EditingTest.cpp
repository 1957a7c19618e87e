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
            << QStringList{"newLineButton"} << QByteArray() << QByteArray("<br>\r\n");
        QTest::newRow("new line twice") << QStringList{"newLineButton", "newLineButton"}
                                        << QByteArray() << QByteArray("<br>\r\n<br>\r\n");
        QTest::newRow("new line after text")
            << QStringList{"newLineButton"} << QByteArray("abc") << QByteArray("abc\r\n<br>");
        QTest::newRow("gallery after text") << QStringList{"galleryButton"} << QByteArray("abc")
                                            << QByteArray("abc\r\n" + kGallery);
        QTest::newRow("gallery after line break")
            << QStringList{"galleryButton"} << QByteArray("abc\r\n")
            << QByteArray("abc\r\n" + kGallery + "\r\n");
        QTest::newRow("left") << QStringList{"alignLeftButton"} << QByteArray("a\r\nb")
                              << QByteArray("a\r\nb\r\n<p align=\"left\">");
        QTest::newRow("centre") << QStringList{"alignCentreButton"} << QByteArray("a")
                                << QByteArray("a\r\n<p align=\"center\">");
        QTest::newRow("right") << QStringList{"alignRightButton"} << QByteArray("\r\n")
                               << QByteArray("\r\n<p align=\"right\">\r\n");
        QTest::newRow("justify then new line")
            << QStringList{"justifyButton", "newLineButton"}
            << QByteArray("\xbf\xf3\xb3w")  // "żółw"
            << QByteArray("\xbf\xf3\xb3w\r\n<p align=\"justify\">\r\n<br>");
    }
    void markupButtonsAddALineAtTheEnd() {
        QFETCH(QStringList, buttons);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        Session session;
        ShowWindow(session);
        SetMemo(session, "itemDescription", before);
        CaretToStart(session, "itemDescription");
        for (const QString& button : buttons) {
            Click(session, button.toLatin1());
        }
        QCOMPARE(InputBytes(session, "itemDescription"), after);
        QVERIFY(ShowsItsEnd(session, "itemDescription"));
    }

    void pictureWithLinkAndSizeAfterALineOfText() {
        Session session;
        ShowWindow(session);
        Memo(session, "itemDescription")->setFocus();
        TypeText(Memo(session, "itemDescription"), QStringLiteral("Rower\nStan: bardzo dobry"));
        CaretToStart(session, "itemDescription");
        Click(session, "pictureButton");
        SetText(session, "pictureAddress", QStringLiteral("http://foto.pl/rower.jpg"));
        Click(session, "pictureOpensAddress");
        SetText(session, "pictureLinkAddress", QStringLiteral("http://foto.pl/duży.jpg"));
        Click(session, "pictureResized");
        SetText(session, "pictureWidth", QStringLiteral("50"));
        SetText(session, "pictureHeight", QStringLiteral("60"));
        Click(session, "pictureInsertButton");

        QCOMPARE(InputBytes(session, "itemDescription"),
                 QByteArray("Rower\r\nStan: bardzo dobry\r\n"
                            "<A href=\"http://foto.pl/du\xbfy.jpg\" target=\"_o_opo\">\r\n"
                            "<img src=\"http://foto.pl/rower.jpg\" border=0 width=\"50%\" "
                            "height=\"60%\"></A>"));
        QVERIFY(!Shown(session, "picturePanel"));
        QVERIFY(ShowsItsEnd(session, "itemDescription"));
        // every field keeps its value for the next picture
        Click(session, "pictureButton");
        QCOMPARE(session.Get<QLineEdit>("pictureLinkAddress")->text(),
                 QStringLiteral("http://foto.pl/duży.jpg"));
        QCOMPARE(session.Get<QLineEdit>("pictureWidth")->text(), QStringLiteral("50"));
        QVERIFY(session.Get<QCheckBox>("pictureOpensAddress")->isChecked());
        QVERIFY(session.Get<QCheckBox>("pictureResized")->isChecked());
    }

    void pictureSources_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("all defaults")
            << QStringList{} << QByteArray("abc\r\n<img src=\"http://\" border=0 >");
        QTest::newRow("gallery ignores the web-server fields")
            << QStringList{"pictureOpensAddress", "pictureResized", "pictureFromGallery"}
            << QByteArray("abc" + kGallery);
        QTest::newRow("back to the web server, link unticked")
            << QStringList{"pictureFromGallery", "pictureFromWeb"}
            << QByteArray("abc\r\n<img src=\"http://\" border=0 >");
    }
    void pictureSources() {
        QFETCH(QStringList, clicks);
        QFETCH(QByteArray, after);
        Session session;
        ShowWindow(session);
        SetMemo(session, "itemDescription", "abc");
        Click(session, "pictureButton");
        for (const QString& name : clicks) {
            Click(session, name.toLatin1());
        }
        Click(session, "pictureInsertButton");
        QCOMPARE(InputBytes(session, "itemDescription"), after);
    }

    void linkAfterALineBreakBreaksInsideTheAddress() {
        Session session;
        ShowWindow(session);
        SetMemo(session, "itemDescription", "abc\r\n");
        Click(session, "linkButton");
        session.Get<QLineEdit>("linkText")->setFocus();
        TypeText(session.Get<QLineEdit>("linkText"), QStringLiteral("Kup"));
        Click(session, "linkInsertButton");
        QCOMPARE(InputBytes(session, "itemDescription"),
                 QByteArray("abc\r\n<A href=\"\r\nhttp://\" target=\"_o_opo\">Kup</A>"));
        QVERIFY(!Shown(session, "linkPanel"));

        // the same link once more, now after a line that holds text
        Click(session, "linkButton");
        Click(session, "linkInsertButton");
        QCOMPARE(InputBytes(session, "itemDescription"),
                 QByteArray("abc\r\n<A href=\"\r\nhttp://\" target=\"_o_opo\">Kup</A>\r\n"
                            "<A href=\"http://\" target=\"_o_opo\">Kup</A>"));
        QVERIFY(ShowsItsEnd(session, "itemDescription"));
    }

    void cancelWritesNothingAndKeepsTheFields_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("picture") << "pictureButton"
                                 << "pictureAddress"
                                 << "pictureCancelButton";
        QTest::newRow("link") << "linkButton"
                              << "linkAddress"
                              << "linkCancelButton";
        QTest::newRow("font") << "fontButton"
                              << "fontColour"
                              << "fontCancelButton";
        QTest::newRow("text editor") << "textEditorButton"
                                     << "editorFontColour"
                                     << "editorCancelButton";
    }
    void cancelWritesNothingAndKeepsTheFields() {
        QFETCH(QString, opener);
        QFETCH(QString, field);
        QFETCH(QString, cancel);
        Session session;
        ShowWindow(session);
        SetMemo(session, "itemDescription", "abc");
        SetMemo(session, "readyCode", "<p>gotowe</p>");
        Click(session, opener.toLatin1());
        SetText(session, field.toLatin1(), QStringLiteral("zmienione"));
        Click(session, cancel.toLatin1());
        QCOMPARE(InputBytes(session, "itemDescription"), QByteArray("abc"));
        Click(session, opener.toLatin1());
        QCOMPARE(session.Get<QLineEdit>(field.toLatin1())->text(), QStringLiteral("zmienione"));
    }

    void fontStartIsGluedToTheLastLine() {
        Session session;
        ShowWindow(session);
        SetMemo(session, "itemDescription", "abc");
        Click(session, "fontButton");
        Click(session, "fontInsertButton");
        QCOMPARE(InputBytes(session, "itemDescription"),
                 QByteArray("abc<font face=\"Verdana\" color=\"#000000\" "
                            "style=\"font-size:12pt;\">"));
        QVERIFY(!Shown(session, "fontPanel"));

        // a face chosen from the list, a size typed that the list lacks, a picked colour
        Click(session, "fontButton");
        session.Get<QComboBox>("fontFace")->setCurrentIndex(8);  // "Courier ", blank included
        auto* size = session.Get<QComboBox>("fontSize");
        size->lineEdit()->selectAll();
        TypeText(size->lineEdit(), QStringLiteral("13"));
        session.desktop.colourAnswers.push_back(QColor(0xAB, 0xCD, 0xEF));
        Click(session, "fontColourPicker");
        Click(session, "fontInsertButton");
        QCOMPARE(
            InputBytes(session, "itemDescription"),
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
        SetMemo(session, "itemDescription", "Opis");
        Click(session, "textEditorButton");
        PlainTextField* typed = Memo(session, "editorText");
        typed->setFocus();
        TypeText(typed, QStringLiteral("Hello"));
        Click(session, "editorInsertButton");
        QCOMPARE(InputBytes(session, "readyCode"), hello);
        QCOMPARE(InputBytes(session, "itemDescription"),
                 QByteArray("Opis"));  // not yet handed over

        typed->clear();
        TypeText(typed, QStringLiteral("Hi"));
        Click(session, "editorBold");
        Click(session, "editorUnderline");
        Click(session, "editorAlignCentre");
        Click(session, "editorInsertButton");
        QCOMPARE(InputBytes(session, "readyCode"), hello + boldUnderlined);
        QVERIFY(ShowsItsEnd(session, "readyCode"));

        Click(session, "editorSaveButton");
        QCOMPARE(InputBytes(session, "itemDescription"), "Opis" + hello + boldUnderlined);
        QVERIFY(!Shown(session, "textEditorPanel"));
        QVERIFY(ShowsItsEnd(session, "itemDescription"));

        // reopened: everything is as it was left, and the ready code comes again
        Click(session, "textEditorButton");
        QCOMPARE(InputBytes(session, "editorText"), QByteArray("Hi"));
        QCOMPARE(InputBytes(session, "readyCode"), hello + boldUnderlined);
        QVERIFY(session.Get<QPushButton>("editorAlignCentre")->isChecked());
        Click(session, "editorBold");  // released again
        Click(session, "editorUnderline");
        Click(session, "editorAlignLeft");
        Click(session, "movingText");
        Click(session, "movesRight");
        Click(session, "alternatingAnimation");
        Click(session, "editorInsertButton");
        Click(session, "editorSaveButton");
        QCOMPARE(InputBytes(session, "itemDescription"),
                 "Opis" + hello + boldUnderlined + hello + boldUnderlined + moving);
    }

    void typedTextKeepsItsLinesInTheSnippet() {
        Session session;
        ShowWindow(session);
        Click(session, "textEditorButton");
        SetMemo(session, "editorText", "Za\xbf\xf3\xb3\xe6");  // "Zażółć"
        CaretToStart(session, "editorText");
        Click(session, "editorNewLineButton");
        Click(session, "editorGalleryButton");
        QCOMPARE(InputBytes(session, "editorText"),
                 QByteArray("Za\xbf\xf3\xb3\xe6\r\n<br>\r\n" + kGallery));
        Click(session, "editorJustify");
        Click(session, "editorItalic");
        Click(session, "editorInsertButton");
        Click(session, "editorInsertButton");  // the same snippet again, glued to the first
        const QByteArray snippet =
            "<p align=\"justify\"><font face=\"Verdana\" style=\"font-size:12pt;\" "
            "color=\"#000000\"><I>Za\xbf\xf3\xb3\xe6\r\n<br>\r\n" +
            kGallery + "</I></font></p>";
        QCOMPARE(InputBytes(session, "readyCode"), snippet + snippet);
    }

    void emptyReadyCodeLeavesTheDescriptionAndCloses() {
        Session session;
        ShowWindow(session);
        SetMemo(session, "itemDescription", "abc\r\n");
        Click(session, "textEditorButton");
        Click(session, "editorSaveButton");
        QCOMPARE(InputBytes(session, "itemDescription"), QByteArray("abc\r\n"));
        QVERIFY(!Shown(session, "textEditorPanel"));
    }

    void aTextTheCodePageCannotHoldStopsTheInsert() {
        Session session;
        ShowWindow(session);
        // only the program can put such a character into a field; the seller's typing cannot
        // (U+0080: the description takes others as references, but "&#128;" reads as "€")
        const QString held = QStringLiteral("abc \u0080");
        Memo(session, "itemDescription")->setPlainText(held);
        Click(session, "linkButton");
        Click(session, "linkInsertButton");
        QCOMPARE(Memo(session, "itemDescription")->text(), held);
        QVERIFY(Shown(session, "linkPanel"));  // left open for the seller to mend
        QCOMPARE(session.desktop.errors.size(), std::size_t{1});
        QVERIFY(session.desktop.errors.front().contains(QStringLiteral("\u0080")));
    }

    void insertIsOneStepTheSellerCanUndo() {
        Session session;
        ShowWindow(session);
        PlainTextField* description = Memo(session, "itemDescription");
        description->setFocus();
        TypeText(description, QStringLiteral("abc"));
        Click(session, "newLineButton");
        QCOMPARE(InputBytes(session, "itemDescription"), QByteArray("abc\r\n<br>"));
        description->undo();
        QCOMPARE(InputBytes(session, "itemDescription"), QByteArray("abc"));
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
        SetMemo(session, "itemDescription",
                QByteArray("Rower g\xf3rski w bardzo dobrym stanie.\r\n").repeated(12));
        Click(session, "alignCentreButton");
        Click(session, "linkButton");
        SetText(session, "linkText", QStringLiteral("Moje aukcje"));
        Click(session, "linkInsertButton");
        Click(session, "fontButton");
        Click(session, "fontInsertButton");
        QVERIFY(session.window->grab().save(folder + QStringLiteral("/edited.png")));
        Click(session, "textEditorButton");
        SetMemo(session, "editorText", "Zapraszam do licytacji!");
        Click(session, "editorBold");
        Click(session, "editorItalic");
        Click(session, "editorAlignRight");
        Click(session, "movingText");
        Click(session, "slidingAnimation");
        Click(session, "editorInsertButton");
        QVERIFY(session.window->grab().save(folder + QStringLiteral("/editor.png")));
    }
};

LICYTEK_WINDOW_TEST(EditingTest);

}  // namespace licytek::test

#include "EditingTest.moc"
