#include "app/OfferTermsStep.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace licytek {

namespace {

using publish::SettingsList;

constexpr offer::Invoice kInvoices[] = {offer::Invoice::Vat, offer::Invoice::VatMargin,
                                        offer::Invoice::WithoutVat, offer::Invoice::NoInvoice};
constexpr offer::HandlingTime kHandlingTimes[] = {
    offer::HandlingTime::Immediately, offer::HandlingTime::Hours24, offer::HandlingTime::Days2,
    offer::HandlingTime::Days3,       offer::HandlingTime::Days4,   offer::HandlingTime::Days5,
    offer::HandlingTime::Days7,       offer::HandlingTime::Days10,  offer::HandlingTime::Days14,
    offer::HandlingTime::Days21,      offer::HandlingTime::Days30,  offer::HandlingTime::Days60,
};

QString Label(std::string_view label) {
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

QComboBox* List(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(30);
    return list;
}

template <typename Value>
void SelectData(QComboBox& list, std::optional<Value> value) {
    list.setCurrentIndex(value ? list.findData(static_cast<int>(*value)) : 0);
}

}  // namespace

OfferTermsStep::OfferTermsStep(QWidget* parent) : NewOfferStep(parent) {
    shippingRates_ = List("shippingRatesField", this);
    returnPolicy_ = List("returnPolicyField", this);
    impliedWarranty_ = List("impliedWarrantyField", this);
    warranty_ = List("warrantyField", this);
    invoice_ = List("invoiceField", this);
    handlingTime_ = List("handlingTimeField", this);
    invoice_->addItem(QStringLiteral("— nie podano (szkic: domyślna Allegro) —"), -1);
    for (const offer::Invoice invoice : kInvoices) {
        invoice_->addItem(Label(offer::InvoiceLabel(invoice)), static_cast<int>(invoice));
    }
    handlingTime_->addItem(QStringLiteral("— nie podano —"), -1);
    for (const offer::HandlingTime time : kHandlingTimes) {
        handlingTime_->addItem(Label(offer::HandlingTimeLabel(time)), static_cast<int>(time));
    }
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("Cennik &dostawy:"), shippingRates_);
    form->addRow(QStringLiteral("Warunki &zwrotów:"), returnPolicy_);
    form->addRow(QStringLiteral("Warunki &reklamacji:"), impliedWarranty_);
    form->addRow(QStringLiteral("&Gwarancja:"), warranty_);
    form->addRow(QStringLiteral("&Faktura:"), invoice_);
    form->addRow(QStringLiteral("Czas &wysyłki:"), handlingTime_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(WrappedLabel(
        QStringLiteral("Listy pochodzą z Twojego konta Allegro. Bez wyboru Allegro bierze jedyną "
                       "pozycję albo tę o nazwie „default”; gwarancja jest dowolna."),
        this));
    layout->addStretch(1);
    ShowSettings({});
}

void OfferTermsStep::ShowSettings(
    const std::map<SettingsList, std::vector<publish::NamedSetting>>& lists) {
    offer::OfferData current = loaded_;
    if (!lists_.empty()) {
        Store(current);
    }
    lists_ = lists;
    FillSettings(*shippingRates_, lists_[SettingsList::ShippingRates], current.shippingRates, true);
    FillSettings(*returnPolicy_, lists_[SettingsList::ReturnPolicies], current.returnPolicy, true);
    FillSettings(*impliedWarranty_, lists_[SettingsList::ImpliedWarranties],
                 current.impliedWarranty, true);
    FillSettings(*warranty_, lists_[SettingsList::Warranties], current.warranty, false);
}

void OfferTermsStep::Load(const offer::OfferData& values) {
    loaded_ = values;
    lists_.clear();
    auto lists = std::map<SettingsList, std::vector<publish::NamedSetting>>{};
    ShowSettings(lists);
    SelectData(*invoice_, values.invoice);
    SelectData(*handlingTime_, values.handlingTime);
}

void OfferTermsStep::Store(offer::OfferData& values) const {
    values.shippingRates = ChosenSetting(*shippingRates_);
    values.returnPolicy = ChosenSetting(*returnPolicy_);
    values.impliedWarranty = ChosenSetting(*impliedWarranty_);
    values.warranty = ChosenSetting(*warranty_);
    const int invoice = invoice_->currentData().toInt();
    values.invoice = invoice < 0
                         ? std::nullopt
                         : std::optional<offer::Invoice>(static_cast<offer::Invoice>(invoice));
    const int time = handlingTime_->currentData().toInt();
    values.handlingTime =
        time < 0 ? std::nullopt
                 : std::optional<offer::HandlingTime>(static_cast<offer::HandlingTime>(time));
}

QWidget* OfferTermsStep::FirstField() const {
    return shippingRates_;
}

std::vector<QWidget*> OfferTermsStep::FieldsFor(const publish::ErrorPlace& place) const {
    using offer::OfferKey;
    return FieldsWithKey({{OfferKey::ShippingRates, shippingRates_},
                          {OfferKey::ReturnPolicy, returnPolicy_},
                          {OfferKey::ImpliedWarranty, impliedWarranty_},
                          {OfferKey::Warranty, warranty_},
                          {OfferKey::Invoice, invoice_},
                          {OfferKey::HandlingTime, handlingTime_}},
                         place);
}

}  // namespace licytek
