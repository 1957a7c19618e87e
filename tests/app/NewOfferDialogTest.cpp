// "Nowa oferta na Allegro…" against a fake Allegro on 127.0.0.1: a draft and an auction made from
// the seller's choices in the steps, judged by the POST body that reaches Allegro; Allegro's
// refusal shown; and the choices kept in zapis.oferta.json and read back by a new dialog.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <nlohmann/json.hpp>

#include "FakeAllegro.h"
#include "FakeEnvironment.h"
#include "TestSupport.h"
#include "app/NewOfferDialog.h"
#include "app/OfferParameterForm.h"

namespace licytek::test {
namespace {

using licytek::testing::FakeAllegro;
using licytek::testing::FakeAnswer;
using nlohmann::json;

constexpr const char* kParameters = R"({"parameters": [
    {"id": "17448", "name": "Waga", "type": "float", "unit": "kg",
     "options": {"describesProduct": false}},
    {"id": "11323", "name": "Stan", "type": "dictionary", "required": true,
     "options": {"describesProduct": false},
     "dictionary": [{"id": "11323_1", "value": "Nowy"}, {"id": "11323_2", "value": "Używany"}]},
    {"id": "3786", "name": "Kolor", "type": "dictionary", "required": true,
     "options": {"describesProduct": true},
     "dictionary": [{"id": "3786_1", "value": "Czarny"}, {"id": "3786_2", "value": "Biały"}]}]})";

FakeAnswer Answer(int status, std::string body) {
    return FakeAnswer{status, std::move(body), {}, false};
}

// A fake Allegro with the seller's lists, one category and no offer with a signature yet; the
// window's session signed in to it.
struct FakeShop {
    FakeShop() : environment(fake, home.path().toStdString()) {
        environment.SignIn();
        fake.Script("GET", "/me", Answer(200, R"({"id":"7","login":"sprzedawca"})"));
        fake.Script("GET", "/sale/shipping-rates",
                    Answer(200, R"({"shippingRates":[{"id":"r1","name":"Kurier"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/return-policies",
                    Answer(200, R"({"returnPolicies":[{"id":"z1","name":"default"},
                                    {"id":"z2","name":"30 dni"}],"totalCount":2})"));
        fake.Script("GET", "/after-sales-service-conditions/implied-warranties",
                    Answer(200, R"({"impliedWarranties":[{"id":"i1","name":"Rękojmia"}]})"));
        fake.Script("GET", "/after-sales-service-conditions/warranties",
                    Answer(200, R"({"warranties":[]})"));
        fake.Script("GET", "/sale/responsible-producers",
                    Answer(200, R"({"responsibleProducers":[{"id":"p1","name":"Kross"}]})"));
        fake.Script("GET", "/sale/responsible-persons",
                    Answer(200, R"({"responsiblePersons":[]})"));
        fake.Script("GET", "/sale/categories/257931/parameters", Answer(200, kParameters));
        fake.Script("GET", "/sale/offers", Answer(200, R"({"offers":[],"totalCount":0})"));
        fake.Script("GET", "/sale/products",
                    Answer(200, R"({"products":[{"id":"c0ffee00-0000-4000-8000-000000000001",
                        "name":"Rower Kross Trans 5.0","category":{"id":"257931","path":[
                        {"id":"1","name":"Sport"},{"id":"2","name":"Rowery"},
                        {"id":"257931","name":"Miejskie"}]},
                        "images":[{"url":"https://127.0.0.1:1/rower.jpg"}]}]})"));
    }

    QTemporaryDir home;
    FakeAllegro fake;
    testing::FakeEnvironment environment;
};

std::unique_ptr<NewOfferDialog> OpenDialog(Session& session) {
    auto dialog = std::make_unique<NewOfferDialog>(
        session.window->Form(), session.folder.Path(QStringLiteral("zapis.oferta.json")),
        session.folder.Path(QString()), session.desktop, session.window.get());
    dialog->show();
    return dialog;
}

// The seller's lists arrive from Allegro.
void WaitForLists(NewOfferDialog& dialog) {
    QTRY_VERIFY(Part<QComboBox>(dialog, "shippingRatesField")->count() > 1);
}

void FillForm(Session& session) {
    session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower miejski Kross Trans"));
    session.Get<PlainTextField>("itemDescription")
        ->setPlainText(QStringLiteral("Rower w dobrym stanie\n"
                                      "<img src=\"https://a.allegroimg.com/s/rower.jpg\">"));
}

// Chooses the category by its number and fills its parameters: "Stan" and "Kolor".
void ChooseCategory(NewOfferDialog& dialog, const QString& condition) {
    Part<QCheckBox>(dialog, "withoutProduct")->setChecked(true);
    Part<QLineEdit>(dialog, "categoryField")->setText(QStringLiteral("257931"));
    Part<QPushButton>(dialog, "loadParametersButton")->click();
    QTRY_VERIFY(!Part<QPushButton>(dialog, "cancelButton")->isEnabled());  // every look-up done
    auto* form = Part<QWidget>(dialog, "parameterForm");
    QTRY_COMPARE(form->findChildren<QComboBox*>().size(), 2);
    const auto lists = form->findChildren<QComboBox*>();
    // "Stan" comes first, required and never chosen for the seller; then the required "Kolor"
    QCOMPARE(lists[0]->accessibleName(), QStringLiteral("Stan"));
    QCOMPARE(lists[0]->currentIndex(), 0);
    QCOMPARE(lists[1]->accessibleName(), QStringLiteral("Kolor"));
    lists[0]->setCurrentText(condition);
    lists[1]->setCurrentText(QStringLiteral("Czarny"));
}

// With LICYTEK_SCREENSHOT_DIR set, a picture of the dialog as it stands, at 1280×720.
void Grab(QWidget& dialog, const char* name) {
    const QString folder = qEnvironmentVariable("LICYTEK_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        dialog.resize(1280, 720);
        QApplication::processEvents();
        dialog.grab().save(folder + QStringLiteral("/%1.png").arg(QString::fromLatin1(name)));
    }
}

void GoTo(NewOfferDialog& dialog, int step) {
    Part<QListWidget>(dialog, "stepList")->setCurrentRow(step);
}

json PostedBody(FakeShop& shop) {
    const auto posts = shop.fake.Requests("POST", "/sale/product-offers");
    return posts.empty() ? json() : json::parse(posts.back().body);
}

QStringList SummaryLines(NewOfferDialog& dialog) {
    QStringList lines;
    const auto* list = Part<QListWidget>(dialog, "summaryLines");
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    return lines;
}

class NewOfferDialogTest : public QObject {
    Q_OBJECT

  private slots:
    // A draft from the steps: the POST holds the category, the parameters split between the
    // product and the offer, the price from a Polish comma, the seller's terms by id; the
    // choices are kept in zapis.oferta.json and a new dialog shows them again.
    void DraftIsSentAndTheChoicesAreKept() {
        FakeShop shop;
        Session session;
        FillForm(session);
        shop.fake.Script("POST", "/sale/product-offers",
                         Answer(201, testing::ProductOfferJson("777", "INACTIVE")));
        auto dialog = OpenDialog(session);
        WaitForLists(*dialog);
        // the only shipping rate and the return policy named "default" are Allegro's choice
        QCOMPARE(Part<QComboBox>(*dialog, "shippingRatesField")->currentText(),
                 QStringLiteral("Kurier"));
        QCOMPARE(Part<QComboBox>(*dialog, "returnPolicyField")->currentText(),
                 QStringLiteral("default"));
        // the whole dialog fits a 1280×720 screen with room for the window's frame
        QVERIFY(dialog->minimumSizeHint().width() <= 1280);
        QVERIFY(dialog->minimumSizeHint().height() <= 660);
        // The catalogue's match by EAN: its name and category path beside its picture.
        Part<QLineEdit>(*dialog, "eanField")->setText(QStringLiteral("5901234123457"));
        Part<QPushButton>(*dialog, "searchProductButton")->click();
        auto* matches = Part<QListWidget>(*dialog, "productList");
        QTRY_COMPARE(matches->count(), 1);
        QCOMPARE(matches->item(0)->text(),
                 QStringLiteral("Rower Kross Trans 5.0\nSport > Rowery > Miejskie"));
        QVERIFY(!matches->item(0)->icon().isNull());  // the picture's place
        QTRY_VERIFY(Part<QPushButton>(*dialog, "cancelButton")->isEnabled() == false);
        Grab(*dialog, "new-offer-1-product-ean");
        ChooseCategory(*dialog, QStringLiteral("Nowy"));
        Grab(*dialog, "new-offer-1-product");
        GoTo(*dialog, 1);
        QCOMPARE(dialog->focusWidget(), Part<QWidget>(*dialog, "buyNow"));
        Part<QLineEdit>(*dialog, "priceField")->setText(QStringLiteral("1 299,50"));
        Grab(*dialog, "new-offer-2-sale");
        GoTo(*dialog, 2);
        Part<QComboBox>(*dialog, "invoiceField")->setCurrentText(QStringLiteral("bez VAT"));
        Grab(*dialog, "new-offer-3-terms");
        GoTo(*dialog, 3);
        Grab(*dialog, "new-offer-4-safety");
        GoTo(*dialog, 4);
        auto* draft = Part<QPushButton>(*dialog, "saveDraftButton");
        QTRY_VERIFY(draft->isEnabled());
        QVERIFY(draft->isDefault());
        Grab(*dialog, "new-offer-5-summary");
        draft->click();
        QTRY_VERIFY(Part<QPushButton>(*dialog, "openOfferButton")->isVisible());
        Grab(*dialog, "new-offer-6-draft");
        QVERIFY(Part<QLabel>(*dialog, "summaryHeadline")
                    ->text()
                    .startsWith(QStringLiteral("Szkic 777 utworzony")));
        QCOMPARE(Part<QPushButton>(*dialog, "openOfferButton")->text(),
                 QStringLiteral("&Dokończ w Allegro"));

        json body = PostedBody(shop);
        QVERIFY(body["publication"]["status"] == json("INACTIVE"));
        QVERIFY(body["productSet"][0]["product"]["category"]["id"] == json("257931"));
        QVERIFY(body["productSet"][0]["product"]["parameters"] ==
                json::parse(R"([{"id":"3786","valuesIds":["3786_1"]}])"));
        QVERIFY(body["parameters"] == json::parse(R"([{"id":"11323","valuesIds":["11323_1"]}])"));
        QVERIFY(body["sellingMode"]["format"] == json("BUY_NOW"));
        QVERIFY(body["sellingMode"]["price"]["amount"] == json("1299.50"));
        QVERIFY(body["delivery"]["shippingRates"]["id"] == json("r1"));
        QVERIFY(body["afterSalesServices"]["returnPolicy"]["id"] == json("z1"));
        QVERIFY(body["afterSalesServices"]["impliedWarranty"]["id"] == json("i1"));
        QVERIFY(body["payments"]["invoice"] == json("WITHOUT_VAT"));

        json kept = json::parse(session.folder.Read(QStringLiteral("zapis.oferta.json")));
        QVERIFY(kept["kategoria"] == json("257931"));
        QVERIFY(kept["stan"] == json("Nowy"));
        QVERIFY(kept["cena"] == json("1299.50"));
        QVERIFY(kept["cennik dostawy"] == json("Kurier"));
        QVERIFY(kept["faktura"] == json("bez VAT"));
        dialog.reset();
        auto again = OpenDialog(session);
        WaitForLists(*again);
        QCOMPARE(Part<QLineEdit>(*again, "categoryField")->text(), QStringLiteral("257931"));
        QCOMPARE(Part<QLineEdit>(*again, "priceField")->text(), QStringLiteral("1299,50"));
        QCOMPARE(Part<QComboBox>(*again, "invoiceField")->currentText(), QStringLiteral("bez VAT"));
        QCOMPARE(again->focusWidget(), Part<QWidget>(*again, "withoutProduct"));
    }

    // An auction refused by Allegro shows each error beside its field, and the summary's line
    // leads there; an error of no field stays in the summary. Corrected, it may be sent again;
    // the one that goes through has its starting price, one piece and 7 days.
    void AuctionRefusedThenSent() {
        FakeShop shop;
        Session session;
        FillForm(session);
        shop.fake.Script("POST", "/sale/product-offers", Answer(422, R"({"errors":[
                {"code":"X","path":"sellingMode.startingPrice",
                 "userMessage":"Cena wywoławcza jest za niska"},
                {"code":"Y","path":"productSet[0].product.parameters[0].valuesIds",
                 "userMessage":"Kolor nie pasuje do produktu"},
                {"code":"Z","path":"description.sections[0]","message":"Too short"}]})"));
        auto dialog = OpenDialog(session);
        WaitForLists(*dialog);
        ChooseCategory(*dialog, QStringLiteral("Używany"));
        GoTo(*dialog, 1);
        Part<QRadioButton>(*dialog, "auction")->setChecked(true);
        QVERIFY(!Part<QWidget>(*dialog, "quantityField")->isEnabled());
        Part<QLineEdit>(*dialog, "startingPriceField")->setText(QStringLiteral("0,50"));
        GoTo(*dialog, 4);
        auto* draft = Part<QPushButton>(*dialog, "saveDraftButton");
        QTRY_VERIFY(draft->isEnabled());
        draft->click();
        QTRY_VERIFY(SummaryLines(*dialog)
                        .join(QLatin1Char('\n'))
                        .contains(QStringLiteral("Cena wywoławcza jest za niska")));
        QVERIFY(!Part<QPushButton>(*dialog, "openOfferButton")->isVisible());
        const QStringList lines = SummaryLines(*dialog);
        QVERIFY2(lines.contains(QStringLiteral(
                     "• cena wywoławcza: Cena wywoławcza jest za niska → krok „Sprzedaż”")),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(lines.contains(
            QStringLiteral("• parametr „Kolor”: Kolor nie pasuje do produktu → krok „Produkt”")));
        QVERIFY(
            lines.contains(QStringLiteral("• opis, sekcja 1: Allegro (po angielsku): Too short")));
        // beside its field on its step, and not on another
        const auto besideFields = [&](const char* step) {
            QStringList words;
            for (const QLabel* label : Part<QWidget>(*dialog, step)
                                           ->findChildren<QLabel*>(QStringLiteral("fieldError"))) {
                words << label->text();
            }
            return words;
        };
        QCOMPARE(besideFields("saleStep"),
                 QStringList{QStringLiteral("Cena wywoławcza jest za niska")});
        QCOMPARE(besideFields("productStep"),
                 QStringList{QStringLiteral("Kolor nie pasuje do produktu")});
        Grab(*dialog, "new-offer-7-refused");
        auto* summaryList = Part<QListWidget>(*dialog, "summaryLines");
        const auto linesFound =
            summaryList->findItems(QStringLiteral("• cena wywoławcza"), Qt::MatchStartsWith);
        QCOMPARE(linesFound.size(), 1);
        emit summaryList->itemClicked(linesFound.front());
        QCOMPARE(Part<QListWidget>(*dialog, "stepList")->currentRow(), 1);
        QCOMPARE(dialog->focusWidget(), Part<QWidget>(*dialog, "startingPriceField"));
        Grab(*dialog, "new-offer-8-refused-at-field");
        GoTo(*dialog, 0);
        Grab(*dialog, "new-offer-8-refused-parameter");

        // Corrected, and put on sale at once: the draft, then its activation.
        shop.fake.Script("POST", "/sale/product-offers",
                         Answer(201, testing::ProductOfferJson("777", "INACTIVE")));
        shop.fake.Script("PATCH", "/sale/product-offers/777",
                         Answer(200, testing::ProductOfferJson("777", "ACTIVE")));
        shop.fake.Script("GET", "/sale/product-offers/777",
                         Answer(200, testing::ProductOfferJson("777", "ACTIVE")));
        GoTo(*dialog, 1);
        Part<QLineEdit>(*dialog, "startingPriceField")->setText(QStringLiteral("10"));
        GoTo(*dialog, 2);
        Part<QComboBox>(*dialog, "invoiceField")->setCurrentText(QStringLiteral("bez VAT"));
        GoTo(*dialog, 3);
        Part<QComboBox>(*dialog, "producerField")->setCurrentText(QStringLiteral("Kross"));
        Part<QPlainTextEdit>(*dialog, "safetyField")
            ->setPlainText(QStringLiteral("Instrukcja bezpiecznej jazdy w zestawie."));
        GoTo(*dialog, 4);
        QTRY_VERIFY(draft->isEnabled());
        Part<QPushButton>(*dialog, "activateButton")->click();
        QTRY_VERIFY(Part<QPushButton>(*dialog, "openOfferButton")->isVisible());
        QVERIFY2(Part<QLabel>(*dialog, "summaryHeadline")
                     ->text()
                     .startsWith(QStringLiteral("Oferta 777 wystawiona")),
                 qPrintable(Part<QLabel>(*dialog, "summaryHeadline")->text()));
        QVERIFY(Part<QWidget>(*dialog, "saleStep")
                    ->findChildren<QLabel*>(QStringLiteral("fieldError"))
                    .isEmpty());  // the marks of the refusal are gone
        Grab(*dialog, "new-offer-9-auction");
        json body = PostedBody(shop);
        QVERIFY(body["sellingMode"]["format"] == json("AUCTION"));
        QVERIFY(body["sellingMode"]["startingPrice"]["amount"] == json("10.00"));
        QVERIFY(body["stock"]["available"] == json(1));
        QVERIFY(body["publication"]["duration"] == json("P7D"));
        QCOMPARE(shop.fake.Requests("POST", "/sale/product-offers").size(), std::size_t{2});
    }

    // Faults found before sending are shown at their fields and lead there. Opened again for
    // another project, the dialog starts clean: no form of the old category whose values
    // would go into the new project's data, no marks, no result.
    void FaultsLeadToTheirFieldsAndAReopenedDialogStartsClean() {
        FakeShop shop;
        Session session;
        FillForm(session);
        auto dialog = OpenDialog(session);
        WaitForLists(*dialog);
        ChooseCategory(*dialog, QStringLiteral("Nowy"));
        GoTo(*dialog, 1);
        Part<QLineEdit>(*dialog, "priceField")->setText(QStringLiteral("dużo"));
        GoTo(*dialog, 4);
        QTRY_VERIFY(!SummaryLines(*dialog).isEmpty());
        const auto* lines = Part<QListWidget>(*dialog, "summaryLines");
        const auto price = lines->findItems(QStringLiteral("• cena: "), Qt::MatchStartsWith);
        QCOMPARE(price.size(), 1);
        QVERIFY2(price.front()->text().endsWith(QStringLiteral(" → krok „Sprzedaż”")),
                 qPrintable(price.front()->text()));
        QVERIFY(!Part<QPushButton>(*dialog, "saveDraftButton")->isEnabled());
        emit Part<QListWidget>(*dialog, "summaryLines")->itemClicked(price.front());
        QCOMPARE(dialog->focusWidget(), Part<QWidget>(*dialog, "priceField"));
        QCOMPARE(Part<QWidget>(*dialog, "saleStep")
                     ->findChildren<QLabel*>(QStringLiteral("fieldError"))
                     .size(),
                 1);

        dialog->close();
        session.folder.Write(QStringLiteral("zapis.oferta.json"),
                             QByteArray(R"({"kategoria": "99", "cena": "10"})"));
        dialog->Start();
        dialog->show();
        QCOMPARE(Part<QLineEdit>(*dialog, "categoryField")->text(), QStringLiteral("99"));
        QVERIFY(Part<QWidget>(*dialog, "parameterForm")->findChildren<QComboBox*>().isEmpty());
        QVERIFY(dialog->findChildren<QLabel*>(QStringLiteral("fieldError")).isEmpty());
        QVERIFY(SummaryLines(*dialog).isEmpty());
        dialog->close();
        const json kept = json::parse(session.folder.Read(QStringLiteral("zapis.oferta.json")));
        QVERIFY(kept["kategoria"] == json("99"));
        QVERIFY(!kept.contains("stan") && !kept.contains("parametry"));
    }

    // The parameter form gives back what it was given: several choices ticked, a range's two
    // ends, a number typed with a comma; an untouched field adds nothing.
    void ParameterFormKeepsEveryKindOfValue() {
        const auto parameter = [](const char* id, const char* name, publish::ParameterKind kind,
                                  const char* unit) {
            publish::CategoryParameter made;
            made.id = id;
            made.name = name;
            made.kind = kind;
            made.unit = unit;
            return made;
        };
        auto colours = parameter("3786", "Kolor", publish::ParameterKind::Dictionary, "");
        colours.multipleChoices = true;
        colours.dictionary = {{"3786_1", "Czarny"}, {"3786_2", "Biały"}, {"3786_3", "Czerwony"}};
        auto size = parameter("17450", "Rozmiar ramy", publish::ParameterKind::Float, "cm");
        size.range = true;
        const auto weight = parameter("17448", "Waga", publish::ParameterKind::Float, "kg");
        const auto model = parameter("224017", "Model", publish::ParameterKind::String, "");
        offer::OfferData given;
        given.parameters = {{"Kolor", {"Czarny", "Czerwony"}, false, {}, {}},
                            {"Rozmiar ramy", {}, true, "50", "54,5"},
                            {"Waga", {"12,5"}, false, {}, {}}};
        QWidget parent;
        OfferParameterForm form(&parent);
        form.Show({colours, size, weight, model}, given);
        offer::OfferData back;
        form.Store(back);
        QVERIFY(back.parameters == given.parameters);
        QVERIFY(back.condition.empty());
    }
};

}  // namespace

LICYTEK_WINDOW_TEST(NewOfferDialogTest);

}  // namespace licytek::test

#include "NewOfferDialogTest.moc"
