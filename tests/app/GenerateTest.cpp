// Generate and preview end to end: what reaches the clipboard and the preview file is
// exactly the document the generator builds from the same inputs, and failures are told.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "TestSupport.h"
#include "generator/Document.h"

namespace licytek::test {
namespace {

constexpr qsizetype kPageEnterEffectByte = 4009;  // the list position in the project file

void Generate(Session& session) {
    QTest::mouseClick(session.Get<QPushButton>("generateButton"), Qt::LeftButton);
}

void Preview(Session& session) {
    QTest::mouseClick(session.Get<QToolButton>("previewButton"), Qt::LeftButton);
}

QByteArray Bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

// The clipboard's last text as the Windows-1250 bytes it stands for.
QByteArray ClipboardBytes(const Session& session) {
    if (session.desktop.clipboard.empty()) {
        return {};
    }
    const auto bytes = ToCp1250(session.desktop.clipboard.back());
    return bytes ? Bytes(*bytes) : QByteArray("<not Windows-1250>");
}

// Fills some inputs of every kind the way the seller does, and returns the same form as the
// generator should see it, written out by hand.
AuctionForm FillForm(Session& session) {
    session.window->show();
    auto type = [&session](const char* name, const QString& text) {
        QWidget* control = session.Get<QWidget>(name);
        control->setFocus();
        TypeText(control, text);
    };
    type("auctionHeader", QStringLiteral("Rower górski – okazja"));
    type("itemDescription", QStringLiteral("Linia 1\n<b>żółw</b>"));
    type("phone", QStringLiteral("600 100 200"));
    QTest::mouseClick(session.Get<QCheckBox>("askSellerLink"), Qt::LeftButton, {}, QPoint(6, 6));
    QTest::mouseClick(session.Get<QRadioButton>("layout3"), Qt::LeftButton, {}, QPoint(6, 6));
    session.Get<QLineEdit>("pageBackground")->setText(QStringLiteral("#123456"));
    session.Get<QComboBox>("pageEnterEffect")->setCurrentIndex(3);

    AuctionForm form;
    form.auctionHeader = "Rower g\xf3rski \x96 okazja";
    form.itemDescription = "Linia 1\r\n<b>\xbf\xf3\xb3w</b>";
    form.phone = "600 100 200";
    form.askSellerLink = true;
    form.layout1 = false;
    form.layout3 = true;
    form.pageBackground = "#123456";
    form.pageEnterEffect = 3;
    form.typedSellerId = "seller";
    return form;
}

}  // namespace

class GenerateTest : public QObject {
    Q_OBJECT

  private slots:
    void defaultsGiveTheDefaultHeadAndLayoutOne() {
        Session session(std::nullopt);
        Generate(session);
        const QByteArray expected = Bytes(BuildDocument(AuctionForm{}, ""));
        QVERIFY(expected.startsWith("<Title></Title>"));
        QCOMPARE(ClipboardBytes(session), expected);
        QCOMPARE(session.desktop.messages.size(), std::size_t{1});
        QCOMPARE(session.desktop.messages[0].caption, QStringLiteral("Wygenerowano aukcję !!!"));
        QCOMPARE(session.desktop.messages[0].text,
                 QStringLiteral("Kod znajduje się w schowku - wystawiając aukcję wklej go w "
                                "miejsce opisu"));
        QVERIFY(!QFile::exists(session.folder.Path(QStringLiteral("podglad.html"))));

        Preview(session);
        QCOMPARE(session.folder.Read(QStringLiteral("podglad.html")), expected + "\r\n");
        QCOMPARE(session.desktop.clipboard.size(), std::size_t{1});  // preview leaves it alone
    }

    void filledFormReachesClipboardAndPreviewExactly() {
        Session session;
        const AuctionForm form = FillForm(session);
        const QByteArray expected = Bytes(BuildDocument(form, "seller"));
        QVERIFY(expected.contains("Rower g\xf3rski \x96 okazja"));
        QVERIFY(expected.contains("Linia 1\r\n<b>\xbf\xf3\xb3w</b>"));

        Generate(session);
        QCOMPARE(ClipboardBytes(session), expected);
        Preview(session);
        QCOMPARE(session.folder.Read(QStringLiteral("podglad.html")), expected + "\r\n");
        QCOMPARE(session.desktop.opened.size(), std::size_t{1});
        QCOMPARE(session.desktop.opened[0],
                 QUrl::fromLocalFile(session.folder.Path(QStringLiteral("podglad.html"))));
        QVERIFY(session.desktop.errors.empty());
    }

    // The page and the project get the effect the list shows: a typed text that names no item
    // selects none, and one that names an item selects it.
    void effectListWritesWhatItShows() {
        Session session;
        ShowWindow(session);
        auto* list = session.Get<QComboBox>("pageEnterEffect");
        list->setCurrentIndex(3);
        list->setFocus();
        list->lineEdit()->selectAll();
        TypeText(list, QStringLiteral("Moje"));
        QCOMPARE(list->currentText(), QStringLiteral("Moje"));
        QCOMPARE(list->currentIndex(), -1);
        AuctionForm expected;
        expected.typedSellerId = "seller";
        Generate(session);
        QCOMPARE(ClipboardBytes(session), Bytes(BuildDocument(expected, "seller")));
        QVERIFY(!ClipboardBytes(session).contains("Page-Enter"));
        QTest::mouseClick(session.Get<QToolButton>("saveProjectButton"), Qt::LeftButton);
        QCOMPARE(session.folder.Read(QStringLiteral("zapis.ltk")).at(kPageEnterEffectByte),
                 '\xff');  // no item

        list->lineEdit()->selectAll();
        TypeText(list, QStringLiteral("Czworokąt od środka"));
        QCOMPARE(list->currentIndex(), 3);
        expected.pageEnterEffect = 3;
        Generate(session);
        QCOMPARE(ClipboardBytes(session), Bytes(BuildDocument(expected, "seller")));
        QVERIFY(ClipboardBytes(session).contains("Page-Enter"));
        // a letter more names no item again, and the text stays as typed
        TypeText(list, QStringLiteral("x"));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), QStringLiteral("Czworokąt od środkax"));
    }

    void eachGenerationReadsTheControlsAnew() {
        Session session;
        Generate(session);
        Generate(session);
        QCOMPARE(session.desktop.clipboard[0], session.desktop.clipboard[1]);
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Nowy"));
        Generate(session);
        QVERIFY(session.desktop.clipboard[2] != session.desktop.clipboard[1]);
        QVERIFY(session.desktop.clipboard[2].contains(QStringLiteral("Nowy")));
    }

    void noLayoutChosenGivesTheHeadAlone() {
        Session session;
        AuctionForm form;
        form.layout1 = false;
        const std::string_view names[] = {"layout1"};
        session.window->Form().Restore(form, names);
        QVERIFY(!session.Get<QRadioButton>("layout1")->isChecked());
        Generate(session);
        form.typedSellerId = "seller";
        const QByteArray headAlone = Bytes(BuildDocument(form, "seller"));
        QCOMPARE(ClipboardBytes(session), headAlone);
        QVERIFY(Bytes(BuildDocument(AuctionForm{}, "seller")).startsWith(headAlone));
    }

    void previewReplacesAnOldFile() {
        Session session;
        session.folder.Write(QStringLiteral("podglad.html"), QByteArray(100000, 'x'));
        Preview(session);
        const QByteArray written = session.folder.Read(QStringLiteral("podglad.html"));
        QVERIFY(!written.contains("xxxx"));
        QVERIFY(written.endsWith("\r\n"));
    }

    void previewThatCannotWriteSaysSoAndOpensNothing() {
        Session session;
        QVERIFY(QDir().mkdir(session.folder.Path(QStringLiteral("podglad.html"))));
        Preview(session);
        QCOMPARE(session.desktop.errors,
                 std::vector<QString>{QStringLiteral("File access denied")});
        QVERIFY(session.desktop.opened.empty());
    }

    void textTheCodePageCannotHoldStopsBothCommands() {
        Session session;
        // the program's own writes pass no guard; generation is the last line of defence for
        // an input written into an attribute (the description would take a reference)
        session.Get<PlainTextField>("keywords")->setPlainText(QStringLiteral("Miło ☺ i €"));
        Generate(session);
        Preview(session);
        QCOMPARE(session.desktop.errors.size(), std::size_t{2});
        QVERIFY(session.desktop.errors[0].contains(QStringLiteral("„Słowa kluczowe”")));
        QVERIFY(session.desktop.errors[0].contains(QStringLiteral("☺")));
        QVERIFY(!session.desktop.errors[0].contains(QStringLiteral("€")));  // 0x80 fits
        QVERIFY(session.desktop.clipboard.empty());
        QVERIFY(session.desktop.messages.empty());
        QVERIFY(!QFile::exists(session.folder.Path(QStringLiteral("podglad.html"))));
    }
};

LICYTEK_WINDOW_TEST(GenerateTest);

}  // namespace licytek::test

#include "GenerateTest.moc"
