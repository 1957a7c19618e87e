#include "app/OfferSaleStep.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace licytek {

namespace {

constexpr offer::Duration kDurations[] = {
    offer::Duration::UntilSoldOut, offer::Duration::OneDay,     offer::Duration::ThreeDays,
    offer::Duration::FiveDays,     offer::Duration::SevenDays,  offer::Duration::TenDays,
    offer::Duration::TwentyDays,   offer::Duration::ThirtyDays,
};

// "1299.00" as the seller writes it: "1299,00".
QString PolishPrice(const std::string& price) {
    return FromUtf8(price).replace(QLatin1Char('.'), QLatin1Char(','));
}

QLineEdit* PriceField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(QStringLiteral("np. 1 299,00"));
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16);
    return field;
}

QWidget* WithUnit(QWidget* field, const QString& unit, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field->setParent(row);
    layout->addWidget(field);
    layout->addWidget(new QLabel(unit, row));
    layout->addStretch(1);
    return row;
}

}  // namespace

OfferSaleStep::OfferSaleStep(QWidget* parent) : NewOfferStep(parent) {
    buyNow_ = new QRadioButton(QStringLiteral("&Kup teraz"), this);
    buyNow_->setObjectName(QStringLiteral("buyNow"));
    auction_ = new QRadioButton(QStringLiteral("&Licytacja"), this);
    auction_->setObjectName(QStringLiteral("auction"));
    auto* formats = new QButtonGroup(this);
    formats->addButton(buyNow_);
    formats->addButton(auction_);
    buyNow_->setChecked(true);
    price_ = PriceField("priceField", this);
    startingPrice_ = PriceField("startingPriceField", this);
    minimalPrice_ = PriceField("minimalPriceField", this);
    quantity_ = new QSpinBox(this);
    quantity_->setObjectName(QStringLiteral("quantityField"));
    quantity_->setRange(1, 99999);
    duration_ = new QComboBox(this);
    duration_->setObjectName(QStringLiteral("durationField"));
    republish_ = new QCheckBox(QStringLiteral("&Wznawiaj, gdy się nie sprzeda"), this);
    republish_->setObjectName(QStringLiteral("republish"));
    priceNote_ = WrappedLabel(QString(), this);

    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(buyNow_);
    formatRow->addWidget(auction_);
    formatRow->addStretch(1);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);  // short values, short fields
    form->addRow(QStringLiteral("Rodzaj sprzedaży:"), formatRow);
    form->addRow(QStringLiteral("&Cena:"), WithUnit(price_, QStringLiteral("zł"), this));
    form->addRow(QStringLiteral("Cena &wywoławcza:"),
                 WithUnit(startingPrice_, QStringLiteral("zł"), this));
    form->addRow(QStringLiteral("Cena &minimalna:"),
                 WithUnit(minimalPrice_, QStringLiteral("zł"), this));
    form->addRow(QStringLiteral("Liczba &sztuk:"),
                 WithUnit(quantity_, QStringLiteral("szt."), this));
    form->addRow(QStringLiteral("Czas &trwania:"), duration_);
    form->addRow(QString(), republish_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(priceNote_);
    layout->addStretch(1);

    connect(buyNow_, &QRadioButton::toggled, this, &OfferSaleStep::UpdateFormat);
    FillDurations(std::nullopt);
    UpdateFormat();
}

offer::SellingFormat OfferSaleStep::Format() const {
    return auction_->isChecked() ? offer::SellingFormat::Auction : offer::SellingFormat::BuyNow;
}

void OfferSaleStep::Load(const offer::OfferData& values) {
    (offer::EffectiveFormat(values) == offer::SellingFormat::Auction ? auction_ : buyNow_)
        ->setChecked(true);
    price_->setText(PolishPrice(values.price));
    startingPrice_->setText(PolishPrice(values.startingPrice));
    minimalPrice_->setText(PolishPrice(values.minimalPrice));
    quantity_->setValue(static_cast<int>(offer::EffectiveQuantity(values)));
    republish_->setChecked(values.republish.value_or(false));
    FillDurations(values.duration);
    UpdateFormat();
}

void OfferSaleStep::Store(offer::OfferData& values) const {
    const offer::SellingFormat format = Format();
    values.format = format;
    values.price = ToUtf8(price_->text());
    const bool auction = format == offer::SellingFormat::Auction;
    values.startingPrice = auction ? ToUtf8(startingPrice_->text()) : std::string();
    values.minimalPrice = auction ? ToUtf8(minimalPrice_->text()) : std::string();
    values.quantity = auction ? 1U : static_cast<std::uint32_t>(quantity_->value());
    values.duration = static_cast<offer::Duration>(duration_->currentData().toInt());
    values.republish = republish_->isChecked();
}

QWidget* OfferSaleStep::FirstField() const {
    return Format() == offer::SellingFormat::Auction ? static_cast<QWidget*>(auction_) : buyNow_;
}

void OfferSaleStep::FillDurations(std::optional<offer::Duration> chosen) {
    const offer::SellingFormat format = Format();
    if (!chosen && duration_->count() > 0) {
        chosen = static_cast<offer::Duration>(duration_->currentData().toInt());
    }
    offer::OfferData defaults;
    defaults.format = format;
    if (!chosen || !offer::FormatAllows(format, *chosen)) {
        chosen = offer::EffectiveDuration(defaults);
    }
    duration_->clear();
    for (const offer::Duration duration : kDurations) {
        if (offer::FormatAllows(format, duration)) {
            duration_->addItem(
                QString::fromUtf8(offer::DurationLabel(duration).data(),
                                  static_cast<qsizetype>(offer::DurationLabel(duration).size())),
                static_cast<int>(duration));
            if (duration == *chosen) {
                duration_->setCurrentIndex(duration_->count() - 1);
            }
        }
    }
}

void OfferSaleStep::UpdateFormat() {
    const bool auction = Format() == offer::SellingFormat::Auction;
    startingPrice_->setEnabled(auction);
    minimalPrice_->setEnabled(auction);
    quantity_->setEnabled(!auction);
    if (auction) {
        quantity_->setValue(1);  // an auction sells one piece
    }
    FillDurations(std::nullopt);
    priceNote_->setText(auction ? QStringLiteral("W licytacji cena wywoławcza jest wymagana; "
                                                 "cena „Kup teraz” i minimalna są dowolne. "
                                                 "Licytacja ma zawsze 1 sztukę.")
                                : QStringLiteral("Cena w złotych, z przecinkiem dziesiętnym."));
}

std::vector<QWidget*> OfferSaleStep::FieldsFor(const publish::ErrorPlace& place) const {
    using offer::OfferKey;
    return FieldsWithKey({{OfferKey::Format, FirstField()},
                          {OfferKey::Price, price_},
                          {OfferKey::StartingPrice, startingPrice_},
                          {OfferKey::MinimalPrice, minimalPrice_},
                          {OfferKey::Quantity, quantity_},
                          {OfferKey::Duration, duration_},
                          {OfferKey::Republish, republish_}},
                         place);
}

}  // namespace licytek
