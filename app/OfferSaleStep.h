// "Sprzedaż": Buy Now or an auction, the prices in PLN with a Polish decimal comma, the
// quantity (1 for an auction), the duration the format allows, and relisting.
#pragma once

#include "app/NewOfferStep.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace licytek {

class OfferSaleStep final : public NewOfferStep {
    Q_OBJECT

  public:
    explicit OfferSaleStep(QWidget* parent);

    void Load(const offer::OfferData& values) override;
    void Store(offer::OfferData& values) const override;
    QWidget* FirstField() const override;
    std::vector<QWidget*> FieldsFor(const publish::ErrorPlace& place) const override;

  private:
    offer::SellingFormat Format() const;
    void UpdateFormat();
    void FillDurations(std::optional<offer::Duration> chosen);

    QRadioButton* buyNow_ = nullptr;
    QRadioButton* auction_ = nullptr;
    QLineEdit* price_ = nullptr;
    QLineEdit* startingPrice_ = nullptr;
    QLineEdit* minimalPrice_ = nullptr;
    QSpinBox* quantity_ = nullptr;
    QComboBox* duration_ = nullptr;
    QCheckBox* republish_ = nullptr;
    QLabel* priceNote_ = nullptr;
};

}  // namespace licytek
