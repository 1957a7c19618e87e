// "Warunki": the seller's own shipping rates, return and complaint policies and warranties as
// lists (the only one, or the one named "default", chosen as Allegro itself would), the invoice
// and the handling time.
#pragma once

#include <map>

#include "app/NewOfferStep.h"

class QComboBox;

namespace licytek {

class OfferTermsStep final : public NewOfferStep {
    Q_OBJECT

  public:
    explicit OfferTermsStep(QWidget* parent);

    void Load(const offer::OfferData& values) override;
    void Store(offer::OfferData& values) const override;
    QWidget* FirstField() const override;
    std::vector<QWidget*> FieldsFor(const publish::ErrorPlace& place) const override;

    // The seller's lists as read from Allegro; the choices already made stay.
    void ShowSettings(
        const std::map<publish::SettingsList, std::vector<publish::NamedSetting>>& lists);

  private:
    offer::OfferData loaded_;
    std::map<publish::SettingsList, std::vector<publish::NamedSetting>> lists_;
    QComboBox* shippingRates_ = nullptr;
    QComboBox* returnPolicy_ = nullptr;
    QComboBox* impliedWarranty_ = nullptr;
    QComboBox* warranty_ = nullptr;
    QComboBox* invoice_ = nullptr;
    QComboBox* handlingTime_ = nullptr;
};

}  // namespace licytek
