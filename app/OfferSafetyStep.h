// "Bezpieczeństwo produktu": the responsible producer from the seller's list, the safety text
// counted against Allegro's 5,000 characters, the responsible person, and for a used item
// "wprowadzony do obrotu przed 13.12.2024".
#pragma once

#include <map>

#include "app/NewOfferStep.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;

namespace licytek {

class OfferSafetyStep final : public NewOfferStep {
    Q_OBJECT

  public:
    // Allegro takes a safety text of at most this many characters.
    static constexpr int kSafetyTextLimit = 5000;

    explicit OfferSafetyStep(QWidget* parent);

    void Load(const offer::OfferData& values) override;
    void Store(offer::OfferData& values) const override;
    QWidget* FirstField() const override;
    std::vector<QWidget*> FieldsFor(const publish::ErrorPlace& place) const override;

    void ShowSettings(
        const std::map<publish::SettingsList, std::vector<publish::NamedSetting>>& lists);
    // The condition chosen on the first step: "przed 13.12.2024" is for used items only.
    void SetCondition(const QString& label);
    // A catalogue product with safety data of its own: Allegro copies it into the offer.
    void SetProductBringsSafetyData(bool brings);

  private:
    void CountCharacters();

    offer::OfferData loaded_;
    bool listsShown_ = false;
    QComboBox* producer_ = nullptr;
    QPlainTextEdit* safety_ = nullptr;
    QLabel* count_ = nullptr;
    QComboBox* person_ = nullptr;
    QCheckBox* marketedBefore_ = nullptr;
    QLabel* productNote_ = nullptr;
};

}  // namespace licytek
