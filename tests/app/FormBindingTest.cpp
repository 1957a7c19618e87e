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
    form.RadioButton6 = true;
    form.RadioButton10 = true;
    form.RadioButton12 = true;
    form.RadioButton14 = true;
    form.Panel11 = true;
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
        form.Edit2 = "\x81\x83\x88\x90\x98";  // the code page's five undefined bytes
        const std::string_view names[] = {"Edit2"};
        session.window->Form().Restore(form, names);
        QCOMPARE(std::get<AuctionForm>(session.window->Form().Snapshot()).Edit2, form.Edit2);
    }

    void exclusiveSwitchesCanAllBeOff() {
        Session session;
        AuctionForm form;
        form.RadioButton1 = false;
        form.RadioButton9 = false;
        form.Panel9 = false;
        session.window->Form().Restore(form);
        const auto back = std::get<AuctionForm>(session.window->Form().Snapshot());
        QVERIFY(!back.RadioButton1 && !back.RadioButton9 && !back.Panel9);
        // and the groups stay exclusive afterwards
        session.Get<QRadioButton>("RadioButton2")->setChecked(true);
        session.Get<QRadioButton>("RadioButton3")->setChecked(true);
        QVERIFY(!session.Get<QRadioButton>("RadioButton2")->isChecked());
    }

    void layoutsChosenInOrderLeaveTheLastOne() {
        Session session;
        AuctionForm form;
        form.RadioButton2 = true;
        form.RadioButton5 = true;  // a damaged project may mark two
        session.window->Form().Restore(form);
        const auto back = std::get<AuctionForm>(session.window->Form().Snapshot());
        QVERIFY(!back.RadioButton1 && !back.RadioButton2 && back.RadioButton5);
    }

    void aPartialSnapshotReadsOnlyTheNamedInputs() {
        Session session;
        session.Get<QLineEdit>("Edit2")->setText(QStringLiteral("Rower"));
        session.Get<PlainTextField>("Memo1")->setPlainText(QStringLiteral("a\nb"));
        session.Get<QRadioButton>("RadioButton10")->setChecked(true);
        const std::string_view names[] = {"Memo1", "RadioButton10"};
        const auto snapshot = session.window->Form().Snapshot(names);
        QVERIFY(std::holds_alternative<AuctionForm>(snapshot));
        AuctionForm expected;
        expected.Memo1 = "a\r\nb";
        expected.RadioButton10 = true;  // RadioButton9 was not read: it keeps its default
        QVERIFY(std::get<AuctionForm>(snapshot) == expected);

        session.Get<PlainTextField>("Memo1")->setPlainText(QStringLiteral("中"));
        const auto unheld = session.window->Form().Snapshot(names);
        QVERIFY(std::holds_alternative<UnheldText>(unheld));
        QCOMPARE(std::get<UnheldText>(unheld).field->name, std::string_view("Memo1"));
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
        form.ComboBox5 = position;
        const std::string_view names[] = {"ComboBox5"};
        session.window->Form().Restore(form, names);
        QCOMPARE(session.Get<QComboBox>("ComboBox5")->currentIndex(), selected);
    }

    void unknownNamesAndMissingControlsAreProgrammingErrors() {
        Session session;
        const std::string_view names[] = {"Edit17", "Edit99"};
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 session.window->Form().Restore(AuctionForm{}, names));
        QWidget empty;
        QVERIFY_THROWS_EXCEPTION(std::logic_error, FormBinding{empty});
    }
};

LICYTEK_WINDOW_TEST(FormBindingTest);

}  // namespace licytek::test

#include "FormBindingTest.moc"
