// No silent loss in the texts: characters Windows-1250 cannot hold go in as their references
// where the page shows the input as HTML text, and are refused in any other input, where they
// are typed or pasted (and the seller is told, in plain words); everything it can hold goes
// through unchanged, and the auction terms stop at 2,499 characters with a line break
// counting as two.
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>

#include "TestSupport.h"

namespace licytek::test {
namespace {

// Every character Windows-1250 holds beyond ASCII, typed by Polish and other sellers.
const QString kPolish = QStringLiteral("Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ €„”–—…§°");

void Paste(QWidget* field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

QString TextOf(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        return edit->text();
    }
    if (auto* list = qobject_cast<QComboBox*>(field)) {
        return list->currentText();
    }
    return static_cast<PlainTextField*>(field)->text();
}

void Clear(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->clear();
    } else if (auto* list = qobject_cast<QComboBox*>(field)) {
        list->setEditText({});
    } else {
        static_cast<PlainTextField*>(field)->clear();
    }
}

QString Repeat(QChar character, int count) {
    return QString(count, character);
}

}  // namespace

class TextGuardTest : public QObject {
    Q_OBJECT

  private slots:
    void unheldCharactersAreReferencedOrRefusedAndReported_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<bool>("htmlText");
        for (const char* field : {"auctionHeader", "itemDescription", "auctionTerms"}) {
            QTest::addRow("%s typed", field) << field << false << true;
            QTest::addRow("%s pasted", field) << field << true << true;
        }
        for (const char* field : {"typedSellerId", "fontFace", "rightClickMessage"}) {
            QTest::addRow("%s typed", field) << field << false << false;
            QTest::addRow("%s pasted", field) << field << true << false;
        }
    }
    void unheldCharactersAreReferencedOrRefusedAndReported() {
        QFETCH(QString, field);
        QFETCH(bool, paste);
        QFETCH(bool, htmlText);
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        session.Get<QWidget>("fontPanel")->show();
        session.Get<QWidget>("sellerIdPanel")->show();
        session.Get<QWidget>("rightClickPanel")->show();
        QWidget* control = session.Get<QWidget>(field.toLatin1());
        Clear(control);
        QSignalSpy refusals(session.window.get(), &MainWindow::inputRefused);
        QSignalSpy references(session.window.get(), &MainWindow::inputReferenced);
        const QString offered = QStringLiteral("a☺b✓c😀d");
        if (paste) {
            Paste(control, offered);
        } else {
            control->setFocus();
            TypeText(control, offered);
        }
        QCOMPARE(TextOf(control), htmlText ? QStringLiteral("a&#9786;b&#10003;c&#128512;d")
                                           : QStringLiteral("abcd"));
        QSignalSpy& heard = htmlText ? references : refusals;
        QVERIFY((htmlText ? refusals : references).isEmpty());
        QVERIFY(!heard.isEmpty());
        QCOMPARE(heard.front().at(0).value<QWidget*>(), control);
        QString told;
        for (const auto& message : heard) {
            told += message.at(1).toString();
        }
        QVERIFY2(told.contains(QStringLiteral("☺")) && told.contains(QStringLiteral("✓")) &&
                     told.contains(QStringLiteral("😀")) &&
                     !told.contains(QStringLiteral("Windows-1250")),
                 qPrintable(told));
        if (htmlText) {
            QVERIFY2(told.contains(QStringLiteral("&#9786;")), qPrintable(told));
        }
    }

    void heldCharactersPassUnchanged() {
        Session session;
        session.window->show();
        QSignalSpy refusals(session.window.get(), &MainWindow::inputRefused);
        auto* header = session.Get<QLineEdit>("auctionHeader");
        header->setFocus();
        TypeText(header, kPolish);
        auto* description = session.Get<PlainTextField>("itemDescription");
        Paste(description, kPolish + QStringLiteral("\r\nnbsp:\u00a0;"));
        QVERIFY(refusals.isEmpty());
        const auto form = std::get<AuctionForm>(session.window->Form().Snapshot());
        const std::string polish = *ToCp1250(kPolish);
        QCOMPARE(QByteArray::fromStdString(form.auctionHeader), QByteArray::fromStdString(polish));
        // a pasted CR LF stays one line break, and a non-breaking space stays itself
        QCOMPARE(QByteArray::fromStdString(form.itemDescription),
                 QByteArray::fromStdString(polish + "\r\nnbsp:\xa0;"));
    }

    void termsStopAt2499CharactersCountingLineBreaksAsTwo() {
        Session session;
        session.window->show();
        auto* terms = session.Get<PlainTextField>("auctionTerms");
        terms->setFocus();
        terms->setPlainText(Repeat(QLatin1Char('a'), 2496));
        terms->moveCursor(QTextCursor::End);
        QTest::keyClick(terms, Qt::Key_Return);  // 2,498
        TypeText(terms, QStringLiteral("xyz"));  // only x fits
        QCOMPARE(terms->storedLength(), 2499);
        QVERIFY(terms->text().endsWith(QStringLiteral("\nx")));
        QTest::keyClick(terms, Qt::Key_Return);  // no room for two more
        QVERIFY(terms->text().endsWith(QStringLiteral("\nx")));

        // replacing a selection frees its room first
        terms->selectAll();
        Paste(terms, Repeat(QLatin1Char('b'), 3000));
        QCOMPARE(terms->text(), Repeat(QLatin1Char('b'), 2499));

        // a pasted line break that would straddle the limit is left out whole
        terms->setPlainText(Repeat(QLatin1Char('c'), 2497));
        terms->moveCursor(QTextCursor::End);
        Paste(terms, QStringLiteral("d\ne"));
        QCOMPARE(terms->storedLength(), 2498);
        QVERIFY(terms->text().endsWith(QStringLiteral("cd")));
    }

    // A screen reader or other assistive tool writes to the document directly, past the
    // field's key and paste handling; the limit holds all the same.
    void termsStopAt2499CharactersThroughTheAccessibilityInterface() {
        Session session;
        session.window->show();
        auto* terms = session.Get<PlainTextField>("auctionTerms");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(terms);
        QVERIFY(accessible->editableTextInterface() != nullptr);

        accessible->setText(QAccessible::Value, Repeat(QLatin1Char('a'), 3000));
        QCOMPARE(terms->text(), Repeat(QLatin1Char('a'), 2499));

        terms->setLoadedText(Repeat(QLatin1Char('b'), 2490));
        accessible->editableTextInterface()->insertText(2490, QStringLiteral("\n123456789"));
        QCOMPARE(terms->storedLength(), 2499);
        QCOMPARE(terms->text(), Repeat(QLatin1Char('b'), 2490) + QStringLiteral("\n1234567"));

        // what is replaced frees its room first; a character is never split in two
        accessible->editableTextInterface()->replaceText(0, 2491, QStringLiteral("x"));
        QCOMPARE(terms->text(), QStringLiteral("x1234567"));
        accessible->editableTextInterface()->insertText(
            0, Repeat(QLatin1Char('c'), 2490) + QStringLiteral("😀"));
        QCOMPARE(terms->storedLength(), 2498);
        QVERIFY(terms->text().startsWith(Repeat(QLatin1Char('c'), 2490) + QLatin1Char('x')));

        // the page gets what the field shows
        const auto form = std::get<AuctionForm>(session.window->Form().Snapshot());
        QCOMPARE(form.auctionTerms.size(), std::size_t{2498});
    }

    void longTextsAreNeverCut() {
        Session session;
        const QString long40k = Repeat(QLatin1Char('x'), 40000);
        session.Get<QLineEdit>("descriptionHeader")->setText(long40k);
        AuctionForm loaded;
        loaded.auctionTerms = std::string(2600, 'y');
        const std::string_view terms[] = {"auctionTerms"};
        session.window->Form().Restore(loaded, terms);
        const auto form = std::get<AuctionForm>(session.window->Form().Snapshot());
        QCOMPARE(form.descriptionHeader.size(), std::size_t{40000});
        QCOMPARE(form.auctionTerms.size(), std::size_t{2600});  // a loaded project is not cut

        auto* header = session.Get<QLineEdit>("auctionHeader");
        header->setText(long40k);
        header->end(false);
        TypeText(header, QStringLiteral("!"));
        QCOMPARE(header->text().size(), 40001);
    }
};

LICYTEK_WINDOW_TEST(TextGuardTest);

}  // namespace licytek::test

#include "TextGuardTest.moc"
