// The window as it starts: every input at its default, the lists showing their texts with no
// item selected, the panels hidden, the thumbnails drawn, and the seller ID loaded or asked
// for.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "TestSupport.h"
#include "model/Lists.h"

namespace licytek::test {
namespace {

const char* const kPanels[] = {"picturePanel",    "linkPanel",        "textEditorPanel",
                               "fontPanel",       "bannerPanel",      "keywordsPanel",
                               "rightClickPanel", "arrangementPanel", "sellerIdPanel"};

QStringList VisiblePanels(const Session& session) {
    QStringList shown;
    for (const char* name : kPanels) {
        if (session.Get<QWidget>(name)->isVisibleTo(session.window.get())) {
            shown << QLatin1String(name);
        }
    }
    return shown;
}

QStringList ItemsOf(const QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items << list.itemText(i);
    }
    return items;
}

template <std::size_t N>
QStringList Expected(const std::array<std::string_view, N>& items) {
    QStringList list;
    for (const auto item : items) {
        list << QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
    }
    return list;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void everyInputStartsAtItsDefault() {
        Session session;
        const auto snapshot = session.window->Form().Snapshot();
        QVERIFY(std::holds_alternative<AuctionForm>(snapshot));
        AuctionForm expected;
        expected.typedSellerId = "seller";  // loaded from the seller ID file
        QVERIFY(std::get<AuctionForm>(snapshot) == expected);
    }

    void listsShowTheirTextWithNoItemSelected_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("position");
        QTest::newRow("page enter") << "pageEnterEffect"
                                    << "Brak efektu" << -1;
        QTest::newRow("site enter") << "siteEnterEffect"
                                    << "Brak efektu" << -1;
        QTest::newRow("page exit") << "pageExitEffect"
                                   << "Brak efektu" << -1;
        QTest::newRow("site exit") << "siteExitEffect"
                                   << "Brak efektu" << -1;
        QTest::newRow("colour style") << "colourStyle"
                                      << "Wybierz styl" << -1;
        QTest::newRow("font panel face") << "fontFace"
                                         << "Verdana" << 17;
        QTest::newRow("font panel size") << "fontSize"
                                         << "12" << 7;
        QTest::newRow("editor face") << "editorFontFace"
                                     << "Verdana" << 17;
        QTest::newRow("editor size") << "editorFontSize"
                                     << "12" << 7;
    }
    void listsShowTheirTextWithNoItemSelected() {
        QFETCH(QString, list);
        QFETCH(QString, shown);
        QFETCH(int, position);
        Session session;
        const auto* control = session.Get<QComboBox>(list.toLatin1().constData());
        QCOMPARE(control->currentText(), shown);
        QCOMPARE(control->currentIndex(), position);
        QVERIFY(control->isEditable());
    }

    void listsHoldTheirItemsInOrder() {
        Session session;
        for (const char* name :
             {"pageEnterEffect", "siteEnterEffect", "pageExitEffect", "siteExitEffect"}) {
            QCOMPARE(ItemsOf(*session.Get<QComboBox>(name)), Expected(kEffectItems));
        }
        QCOMPARE(ItemsOf(*session.Get<QComboBox>("colourStyle")), Expected(kStyleItems));
        for (const char* name : {"editorFontFace", "fontFace"}) {
            QCOMPARE(ItemsOf(*session.Get<QComboBox>(name)), Expected(kFontFaceItems));
        }
        for (const char* name : {"editorFontSize", "fontSize"}) {
            QCOMPARE(ItemsOf(*session.Get<QComboBox>(name)), Expected(kFontSizeItems));
        }
        // the blanks that end three items are part of them
        QCOMPARE(session.Get<QComboBox>("pageEnterEffect")->itemText(17),
                 QStringLiteral("Zwijanie poziome "));
        QCOMPARE(session.Get<QComboBox>("fontFace")->itemText(8), QStringLiteral("Courier "));
    }

    void disabledAtStartAreTheDependentInputs() {
        Session session;
        const QStringList disabled = {"pictureLinkAddress",
                                      "pictureWidth",
                                      "pictureHeight",
                                      "bannerAddress",
                                      "backgroundPictureAddress",
                                      "movesLeft",
                                      "movesRight",
                                      "scrollingAnimation",
                                      "slidingAnimation",
                                      "alternatingAnimation",
                                      "movingDelay",
                                      "movingStep",
                                      "movingBackground"};
        for (const auto& [field, control] : session.window->Form().Bindings()) {
            const QString name = QString::fromLatin1(field->member.data(),
                                                     static_cast<qsizetype>(field->member.size()));
            QVERIFY2(control->isEnabled() == !disabled.contains(name), qPrintable(name));
        }
        // the moving text's colour picker starts enabled, unlike its colour field
        QVERIFY(session.Get<QToolButton>("movingBackgroundPicker")->isEnabled());
    }

    void thumbnailsAreDrawnBelowTheirButtons() {
        Session session;
        session.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
        for (int number = 1; number <= 8; ++number) {
            const auto* image = session.Get<QLabel>(
                QStringLiteral("layout%1Picture").arg(number).toLatin1().constData());
            const QPixmap picture = image->pixmap();
            QVERIFY2(!picture.isNull(), qPrintable(image->objectName()));
            QCOMPARE(picture.width(), 50);
            QVERIFY(picture.height() >= 37 && picture.height() <= 41);
            const auto* radio = session.Get<QRadioButton>(
                QStringLiteral("layout%1").arg(number).toLatin1().constData());
            QVERIFY(radio->text().isEmpty());
            QVERIFY(image->mapTo(session.window.get(), QPoint()).y() >
                    radio->mapTo(session.window.get(), QPoint()).y());
        }
    }

    void clickOnAThumbnailChoosesItsLayout() {
        Session session;
        session.window->show();
        QTest::mouseClick(session.Get<QLabel>("layout5Picture"), Qt::LeftButton);
        QVERIFY(session.Get<QRadioButton>("layout5")->isChecked());
        QVERIFY(!session.Get<QRadioButton>("layout1")->isChecked());
        QTest::mouseClick(session.Get<QLabel>("layout8Picture"), Qt::LeftButton);
        QVERIFY(session.Get<QWidget>("arrangementPanel")->isVisibleTo(session.window.get()));
    }

    void withSellerIdFileNoPanelShows() {
        Session session(QByteArray("1234567\0\0\0\0\0\0\0\0\0\0\0\0\0", 20));
        QVERIFY(VisiblePanels(session).isEmpty());
        QCOMPARE(session.window->SellerId(), std::string("1234567"));
        QCOMPARE(session.Get<QLineEdit>("typedSellerId")->text(), QStringLiteral("1234567"));
        QVERIFY(session.desktop.errors.empty());
    }

    void sellerIdFileContents_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("id");
        QTest::newRow("short file") << QByteArray("12345") << QByteArray("12345");
        QTest::newRow("first byte zero") << QByteArray("\0abc", 4) << QByteArray();
        QTest::newRow("longer file")
            << QByteArray("abcdefghijklmnopqrstuvwxyz") << QByteArray("abcdefghijklmnopqrst");
        QTest::newRow("Polish letters")
            << QByteArray("\xa3\xf3\x64\xbc") << QByteArray("\xa3\xf3\x64\xbc");
    }
    void sellerIdFileContents() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, id);
        Session session(file);
        QCOMPARE(QByteArray::fromStdString(session.window->SellerId()), id);
        QVERIFY(VisiblePanels(session).isEmpty());
        QCOMPARE(session.Get<QLineEdit>("typedSellerId")->text(), FromCp1250(id.toStdString()));
    }

    void withoutSellerIdFileOnlyItsPanelShows() {
        Session session(std::nullopt);
        QCOMPARE(VisiblePanels(session), QStringList{QStringLiteral("sellerIdPanel")});
        QVERIFY(session.window->SellerId().empty());
        // the rest of the window stays usable
        QVERIFY(session.Get<QLineEdit>("auctionHeader")->isEnabled());
        QVERIFY(session.Get<QPushButton>("generateButton")->isEnabled());
    }

    void unreadableSellerIdFileIsReportedAndStartGoesOn() {
        WorkingFolder folder;
        QVERIFY(QDir().mkdir(QStringLiteral("id.ltk")));  // a folder cannot be read as a file
        FakeDesktop desktop;
        MainWindow window(desktop);
        QCOMPARE(desktop.errors.size(), std::size_t{1});
        QVERIFY(!desktop.errors.front().isEmpty());
        QVERIFY(window.SellerId().empty());
        QVERIFY(!window.findChild<QWidget*>(QStringLiteral("sellerIdPanel"))->isVisibleTo(&window));
    }
};

LICYTEK_WINDOW_TEST(StartupTest);

}  // namespace licytek::test

#include "StartupTest.moc"
