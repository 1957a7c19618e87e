// The one walk between the controls and the form: every input written and read back exactly,
// exclusive switches switched off when asked, list positions outside the list left unselected.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <stdexcept>

#include "TestSupport.h"
#include "app/FormBinding.h"

namespace licytek::test {
namespace {

// Every input away from its default: texts with Polish letters (and line breaks in the
// multi-line ones), every free switch on, one switch of each group that is not the default.
AuctionForm EverythingChanged() {
    AuctionForm form;
    for (const FormField& field : FormFields()) {
        const std::string name(field.name);
        switch (field.kind) {
            case FieldKind::Text:
            case FieldKind::ListText:
                form.*field.text = name + " \xb9\xea\x9c";  // "ąęś"
                break;
            case FieldKind::MultiLineText:
                form.*field.text = name + "\r\n\xbf\xf3\xb3w\r\n";
                break;
            case FieldKind::Switch:
                form.*field.flag = field.group == SwitchGroup::None;
                break;
            case FieldKind::ListPosition:
                form.*field.position = 5;
                break;
        }
    }
    form.layout6 = true;
    form.pictureFromGallery = true;
    form.movesRight = true;
    form.slidingAnimation = true;
    form.editorAlignRight = true;
    return form;
}

}  // namespace

class FormBindingTest : public QObject {
    Q_OBJECT

  private slots:
    void everyInputRoundTrips() {
        Session session;
        const AuctionForm changed = EverythingChanged();
        session.window->Form().Restore(changed);
        const auto snapshot = session.window->Form().Snapshot();
        QVERIFY(std::holds_alternative<AuctionForm>(snapshot));
        const AuctionForm& back = std::get<AuctionForm>(snapshot);
        for (const FormField& field : FormFields()) {
            // field by field, so that a failure names the input
            switch (field.kind) {
                case FieldKind::Switch:
                    QVERIFY2(back.*field.flag == changed.*field.flag, field.name.data());
                    break;
                case FieldKind::ListPosition:
                    QVERIFY2(back.*field.position == changed.*field.position, field.name.data());
                    break;
                default:
                    QVERIFY2(back.*field.text == changed.*field.text, field.name.data());
            }
        }
        QVERIFY(back == changed);

        session.window->Form().Restore(AuctionForm{});
        AuctionForm defaults;
        QVERIFY(std::get<AuctionForm>(session.window->Form().Snapshot()) == defaults);
    }

    void bytesWithoutACharacterSurviveTheTrip() {
        Session session;
        AuctionForm form;
        form.auctionHeader = "\x81\x83\x88\x90\x98";  // the code page's five undefined bytes
        const std::string_view names[] = {"auctionHeader"};
        session.window->Form().Restore(form, names);
        QCOMPARE(std::get<AuctionForm>(session.window->Form().Snapshot()).auctionHeader,
                 form.auctionHeader);
    }

    void exclusiveSwitchesCanAllBeOff() {
        Session session;
        AuctionForm form;
        form.layout1 = false;
        form.pictureFromWeb = false;
        form.editorAlignLeft = false;
        session.window->Form().Restore(form);
        const auto back = std::get<AuctionForm>(session.window->Form().Snapshot());
        QVERIFY(!back.layout1 && !back.pictureFromWeb && !back.editorAlignLeft);
        // and the groups stay exclusive afterwards
        session.Get<QRadioButton>("layout2")->setChecked(true);
        session.Get<QRadioButton>("layout3")->setChecked(true);
        QVERIFY(!session.Get<QRadioButton>("layout2")->isChecked());
    }

    void layoutsChosenInOrderLeaveTheLastOne() {
        Session session;
        AuctionForm form;
        form.layout2 = true;
        form.layout5 = true;  // a damaged project may mark two
        session.window->Form().Restore(form);
        const auto back = std::get<AuctionForm>(session.window->Form().Snapshot());
        QVERIFY(!back.layout1 && !back.layout2 && back.layout5);
    }

    void aPartialSnapshotReadsOnlyTheNamedInputs() {
        Session session;
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower"));
        session.Get<PlainTextField>("itemDescription")->setPlainText(QStringLiteral("a\nb"));
        session.Get<QRadioButton>("pictureFromGallery")->setChecked(true);
        const std::string_view names[] = {"itemDescription", "pictureFromGallery"};
        const auto snapshot = session.window->Form().Snapshot(names);
        QVERIFY(std::holds_alternative<AuctionForm>(snapshot));
        AuctionForm expected;
        expected.itemDescription = "a\r\nb";
        expected.pictureFromGallery = true;  // pictureFromWeb was not read: it keeps its default
        QVERIFY(std::get<AuctionForm>(snapshot) == expected);

        // The description takes what the code page lacks as a reference; the keywords, written
        // into an attribute, refuse it.
        session.Get<PlainTextField>("itemDescription")->setPlainText(QStringLiteral("中"));
        const auto referenced = session.window->Form().Snapshot(names);
        QVERIFY(std::holds_alternative<AuctionForm>(referenced));
        QCOMPARE(std::get<AuctionForm>(referenced).itemDescription, std::string("&#20013;"));
        session.Get<PlainTextField>("keywords")->setPlainText(QStringLiteral("中"));
        const std::string_view keywords[] = {"keywords"};
        const auto unheld = session.window->Form().Snapshot(keywords);
        QVERIFY(std::holds_alternative<UnheldText>(unheld));
        QCOMPARE(std::get<UnheldText>(unheld).field->member, std::string_view("keywords"));
    }

    void positionsOutsideTheListSelectNothing_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("selected");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("last style") << 13 << 13;
        QTest::newRow("one past") << 14 << -1;
        QTest::newRow("none stored") << 255 << -1;
        QTest::newRow("none") << -1 << -1;
    }
    void positionsOutsideTheListSelectNothing() {
        QFETCH(int, position);
        QFETCH(int, selected);
        Session session;
        AuctionForm form;
        form.colourStyle = position;
        const std::string_view names[] = {"colourStyle"};
        session.window->Form().Restore(form, names);
        QCOMPARE(session.Get<QComboBox>("colourStyle")->currentIndex(), selected);
    }

    void unknownNamesAndMissingControlsAreProgrammingErrors() {
        Session session;
        const std::string_view names[] = {"pictureAddress", "Edit99"};
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 session.window->Form().Restore(AuctionForm{}, names));
        QWidget empty;
        QVERIFY_THROWS_EXCEPTION(std::logic_error, FormBinding{empty});
    }
};

LICYTEK_WINDOW_TEST(FormBindingTest);

}  // namespace licytek::test

#include "FormBindingTest.moc"
