// The project file through the window: the save and load buttons, the controls restored in
// file order through the seller's own paths, and failures that change nothing.
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "TestSupport.h"
#include "generator/Document.h"
#include "model/ProjectFile.h"

namespace licytek::test {
namespace {

const QString kProjectFile = QStringLiteral("zapis.ltk");
constexpr qsizetype kRightClickLockFlag = 4059;
constexpr qsizetype kFirstLayoutFlag = 4999;  // then one every 10 bytes

void Save(Session& session) {
    Click(session, "saveProjectButton");
}
void Load(Session& session) {
    Click(session, "loadProjectButton");
}

AuctionForm Snapshot(const Session& session) {
    return std::get<AuctionForm>(session.window->Form().Snapshot());
}

// The inputs the file holds, in file order.
std::vector<std::string_view> SavedInputs() {
    std::vector<std::string_view> names;
    for (const ProjectSlot& slot : ProjectSlots()) {
        names.push_back(FindFormField(slot.control)->member);
    }
    return names;
}

// Sets the saved inputs of the window to those of `form`, as a load would.
void SetSaved(const Session& session, const AuctionForm& form) {
    const auto names = SavedInputs();
    session.window->Form().Restore(form, names);
}

// Every saved input away from its default: Polish texts, every check box ticked, layout 5,
// the fifth item of each list.
AuctionForm EverySavedInputChanged() {
    AuctionForm form;
    for (const std::string_view name : SavedInputs()) {
        const FormField& field = *FindFormFieldByMember(name);
        switch (field.kind) {
            case FieldKind::Switch:
                form.*field.flag = field.group == SwitchGroup::None;
                break;
            case FieldKind::ListPosition:
                form.*field.position = 4;
                break;
            default:
                form.*field.text = std::string(name) + " \xbf\xf3\xb3w";  // "żółw"
        }
    }
    form.layout1 = false;
    form.layout5 = true;
    return form;
}

// A 60,000-byte record with the given bytes set.
QByteArray Record(std::initializer_list<std::pair<qsizetype, char>> bytes) {
    QByteArray record(static_cast<qsizetype>(kProjectRecordSize), '\0');
    for (const auto& [offset, value] : bytes) {
        record[offset] = value;
    }
    return record;
}

bool Shown(const Session& session, const char* panel) {
    return session.Get<QWidget>(panel)->isVisibleTo(session.window.get());
}

void HidePanels(const Session& session) {
    session.Get<QWidget>("rightClickPanel")->hide();
    session.Get<QWidget>("arrangementPanel")->hide();
}

// The chosen layout, 0 for none, -1 for several.
int ChosenLayout(const Session& session) {
    int chosen = 0;
    for (int number = 1; number <= 8; ++number) {
        const QByteArray name = QStringLiteral("layout%1").arg(number).toLatin1();
        if (session.Get<QRadioButton>(name.constData())->isChecked()) {
            chosen = chosen == 0 ? number : -1;
        }
    }
    return chosen;
}

}  // namespace

class ProjectTest : public QObject {
    Q_OBJECT

  private slots:
    void savedDefaultsComeBackAndTheStyleListHasNoItemAgain() {
        Session session;
        ShowWindow(session);
        const AuctionForm defaults = Snapshot(session);
        Save(session);
        QCOMPARE(session.folder.Read(kProjectFile).size(),
                 static_cast<qsizetype>(kProjectRecordSize));

        SetSaved(session, EverySavedInputChanged());
        QVERIFY(Snapshot(session) != defaults);
        HidePanels(session);
        Load(session);
        QVERIFY(Snapshot(session) == defaults);
        QCOMPARE(session.Get<QComboBox>("colourStyle")->currentIndex(), -1);
        QCOMPARE(session.Get<QComboBox>("colourStyle")->lineEdit()->placeholderText(),
                 QStringLiteral("Wybierz styl"));
        QVERIFY(!Shown(session, "rightClickPanel") && !Shown(session, "arrangementPanel"));
        // no dialog, no message
        QVERIFY(session.desktop.errors.empty() && session.desktop.messages.empty());
    }

    void filledFormComesBackExactlyWithTypedColours() {
        Session session;
        ShowWindow(session);
        AuctionForm filled = EverySavedInputChanged();
        filled.auctionHeader =
            std::string(98, '\xb9');  // 98 letters "ą": one byte each, a full slot
        filled.askSellerLink = true;  // the flag right after it
        filled.itemDescription = "Linia 1\r\n<b>Linia 2</b>\r\nLinia 3";
        SetSaved(session, filled);
        ChooseStyle(session, 2);  // "Czerwony"
        auto* background = session.Get<QLineEdit>("pageBackground");
        background->selectAll();
        QTest::keyClicks(background, QStringLiteral("#123456"));
        filled.colourStyle = 2;
        filled.pageBackground = "#123456";
        filled.borderColour = "#FF0000";
        filled.tableInteriorColour = filled.headerTextColour = "#FFFFFF";
        filled.tableTextColour = filled.activeLinkColour = filled.visitedLinkColour = "#000000";
        Save(session);

        const QByteArray file = session.folder.Read(kProjectFile);
        QCOMPARE(file.left(99), QByteArray(98, '\xb9') + '\xff');
        QCOMPARE(file.mid(7999, 36),
                 QByteArray("Linia 1\r\n<b>Linia 2</b>\r\nLinia 3\0", 33) + QByteArray(3, '\0'));
        QCOMPARE(file.at(3999), '\x02');

        session.window->Form().Restore(AuctionForm{});
        session.Get<QLineEdit>("pageEnterDuration")
            ->setText(QStringLiteral("3.5"));  // not in the file
        HidePanels(session);
        Load(session);
        AuctionForm expected = filled;
        expected.pageEnterDuration = "3.5";
        expected.typedSellerId
            .clear();  // the seller ID field was reset above and is not in the file
        const AuctionForm back = Snapshot(session);
        for (const FormField& field : FormFields()) {
            if (IsTextKind(field.kind)) {
                QVERIFY2(back.*field.text == expected.*field.text, field.name.data());
            }
        }
        QVERIFY(back == expected);
        QCOMPARE(session.Get<PlainTextField>("itemDescription")->document()->blockCount(), 3);
        QVERIFY(Shown(session, "rightClickPanel"));  // the lock became ticked
    }

    void panelsShowOnlyWhenTheirStateChanges_data() {
        QTest::addColumn<bool>("lockBefore");
        QTest::addColumn<int>("layoutBefore");
        QTest::addColumn<char>("lockFlag");
        QTest::addColumn<int>("layoutInFile");  // 0: no layout flag set
        QTest::addColumn<bool>("lockPanel");
        QTest::addColumn<bool>("arrangementPanel");
        QTest::addColumn<int>("layoutAfter");
        QTest::newRow("lock ticked while unticked")
            << false << 1 << '\xff' << 1 << true << false << 1;
        QTest::newRow("lock ticked while ticked")
            << true << 1 << '\xff' << 1 << false << false << 1;
        QTest::newRow("lock flag other than 255")
            << false << 1 << '\x01' << 1 << false << false << 1;
        QTest::newRow("layout 8 while layout 2") << false << 2 << '\0' << 8 << false << true << 8;
        QTest::newRow("layout 8 while layout 8") << false << 8 << '\0' << 8 << false << false << 8;
        QTest::newRow("no layout while layout 8") << false << 8 << '\0' << 0 << false << false << 0;
        QTest::newRow("layout 3 while none") << false << 0 << '\0' << 3 << false << false << 3;
    }
    void panelsShowOnlyWhenTheirStateChanges() {
        QFETCH(bool, lockBefore);
        QFETCH(int, layoutBefore);
        QFETCH(char, lockFlag);
        QFETCH(int, layoutInFile);
        QFETCH(bool, lockPanel);
        QFETCH(bool, arrangementPanel);
        QFETCH(int, layoutAfter);
        Session session;
        ShowWindow(session);
        AuctionForm before;
        before.rightClickLock = lockBefore;
        before.layout1 = layoutBefore == 1;
        before.layout2 = layoutBefore == 2;
        before.layout8 = layoutBefore == 8;
        SetSaved(session, before);
        HidePanels(session);
        QByteArray record = Record({{kRightClickLockFlag, lockFlag}});
        if (layoutInFile > 0) {
            record[kFirstLayoutFlag + 10 * (layoutInFile - 1)] = '\xff';
        }
        session.folder.Write(kProjectFile, record);
        Load(session);
        QCOMPARE(Shown(session, "rightClickPanel"), lockPanel);
        QCOMPARE(Shown(session, "arrangementPanel"), arrangementPanel);
        QCOMPARE(ChosenLayout(session), layoutAfter);
        QVERIFY(session.desktop.errors.empty());
    }

    void emptyFileClearsWhatItHoldsAndKeepsTheRest() {
        Session session;
        ShowWindow(session);
        SetSaved(session, EverySavedInputChanged());
        HidePanels(session);
        session.Get<QLineEdit>("pageEnterDuration")->setText(QStringLiteral("3.5"));
        session.Get<QLineEdit>("rightClickMessage")->setText(QStringLiteral("Nie kopiuj"));
        Click(session, "bannerButton");
        Click(session, "bannerShown");
        Click(session, "bannerInsertButton");
        session.Get<QLineEdit>("linkText")->setText(QStringLiteral("Kup"));
        session.Get<PlainTextField>("readyCode")->setPlainText(QStringLiteral("<p>kod</p>"));
        const AuctionForm before = Snapshot(session);
        session.folder.Write(kProjectFile, QByteArray());
        Load(session);

        AuctionForm expected = before;
        for (const std::string_view name : SavedInputs()) {
            const FormField& field = *FindFormFieldByMember(name);
            switch (field.kind) {
                case FieldKind::Switch:
                    expected.*field.flag = false;
                    break;
                case FieldKind::ListPosition:
                    expected.*field.position = 0;
                    break;
                default:
                    expected.*field.text = "";
            }
        }
        QVERIFY(Snapshot(session) == expected);
        // the first style is selected, but its colours are not applied
        QCOMPARE(session.Get<QComboBox>("colourStyle")->currentText(), QStringLiteral("Arctic"));
        QVERIFY(session.Get<QLineEdit>("pageBackground")->text().isEmpty());
        QCOMPARE(ChosenLayout(session), 0);
        QVERIFY(session.desktop.errors.empty());

        // with no layout chosen, the description is the head alone
        Click(session, "generateButton");
        QCOMPARE(session.desktop.clipboard.size(), std::size_t{1});
        const std::string headAlone = BuildDocument(expected, "seller");
        QCOMPARE(ToCp1250(session.desktop.clipboard.back()).value(), headAlone);
        AuctionForm withLayout = expected;
        withLayout.layout1 = true;
        QVERIFY(BuildDocument(withLayout, "seller").size() > headAlone.size());
    }

    void missingFileSaysFileNotFoundAndChangesNothing() {
        Session session;
        ShowWindow(session);
        SetSaved(session, EverySavedInputChanged());
        HidePanels(session);
        const AuctionForm before = Snapshot(session);
        Load(session);
        QCOMPARE(session.desktop.errors, std::vector<QString>{QStringLiteral("File not found")});
        QVERIFY(Snapshot(session) == before);
        QVERIFY(!Shown(session, "rightClickPanel") && !Shown(session, "arrangementPanel"));
    }

    void unreadableOrUnwritableFileIsToldAndChangesNothing() {
        Session session;
        ShowWindow(session);
        QVERIFY(QDir().mkdir(kProjectFile));  // a folder where the file should be
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower"));
        const AuctionForm before = Snapshot(session);
        Save(session);
        Load(session);
        QCOMPARE(session.desktop.errors.size(), std::size_t{2});
        QVERIFY(!session.desktop.errors[0].isEmpty() && !session.desktop.errors[1].isEmpty());
        QVERIFY(QFileInfo(session.folder.Path(kProjectFile)).isDir());
        QVERIFY(Snapshot(session) == before);
    }

    void overLongTextIsRefusedAndTheOldFileStays_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("length");
        QTest::newRow("auction header, one past its slot") << "auctionHeader" << 99;
        QTest::newRow("phone number") << "phone" << 51;
        QTest::newRow("description") << "itemDescription" << 52002;
    }
    void overLongTextIsRefusedAndTheOldFileStays() {
        QFETCH(QString, input);
        QFETCH(int, length);
        Session session;
        ShowWindow(session);
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Stary projekt"));
        Save(session);
        const QByteArray old = session.folder.Read(kProjectFile);
        QCOMPARE(old.size(), static_cast<qsizetype>(kProjectRecordSize));

        const QString tooLong(length, QChar(0x0142));  // "ł", one byte in the file
        QWidget* control = session.window->Form().Control(input.toStdString());
        if (auto* line = qobject_cast<QLineEdit*>(control)) {
            line->setText(tooLong);
        } else {
            static_cast<PlainTextField*>(control)->setPlainText(tooLong);
        }
        const auto refused = EncodeProject(Snapshot(session));
        QVERIFY(std::holds_alternative<SlotOverflow>(refused));
        Save(session);
        QCOMPARE(session.desktop.errors, std::vector<QString>{QString::fromStdString(
                                             std::get<SlotOverflow>(refused).Message())});
        QCOMPARE(session.folder.Read(kProjectFile), old);
    }

    void overLongTextWithNoOldFileWritesNone() {
        Session session;
        ShowWindow(session);
        session.Get<QLineEdit>("messengerNumber")->setText(QString(51, QLatin1Char('1')));
        Save(session);
        QCOMPARE(session.desktop.errors.size(), std::size_t{1});
        QVERIFY(!QFileInfo::exists(session.folder.Path(kProjectFile)));
        QCOMPARE(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("id.ltk")});  // no temporary file left behind
    }
};

LICYTEK_WINDOW_TEST(ProjectTest);

}  // namespace licytek::test

#include "ProjectTest.moc"
