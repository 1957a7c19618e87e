// "Produkt": the catalogue product found by its EAN (or none: "Bez produktu z katalogu", with
// the categories Allegro suggests for the title), the category, and its parameters as a form.
// The look-ups themselves are the dialog's: the step asks for them through its signals.
#pragma once

#include <vector>

#include "app/NewOfferStep.h"

class QCheckBox;
class QImage;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace licytek {

class OfferParameterForm;

class OfferProductStep final : public NewOfferStep {
    Q_OBJECT

  public:
    explicit OfferProductStep(QWidget* parent);

    void Load(const offer::OfferData& values) override;
    void Store(offer::OfferData& values) const override;
    QWidget* FirstField() const override;
    std::vector<QWidget*> FieldsFor(const publish::ErrorPlace& place) const override;

    // The matches with a placeholder for their pictures, until ShowProductPicture.
    void ShowProducts(const std::vector<publish::CatalogueProduct>& products);
    void ShowProductPicture(const QString& productId, const QImage& picture);
    void ShowCategories(const std::vector<publish::CategorySuggestion>& categories);
    void ShowParameters(const std::vector<publish::CategoryParameter>& parameters);
    void ShowStatus(const QString& text);
    QString CategoryId() const;
    // Whether the chosen catalogue product brings safety data that Allegro copies itself.
    bool ProductBringsSafetyData() const;

  signals:
    void productsWanted(const QString& ean);
    void categoriesWanted();
    void parametersWanted(const QString& categoryId);
    void conditionChanged(const QString& label);

  private:
    void ChooseProduct();
    void ChooseCategory();
    void UpdateWithoutProduct();

    offer::OfferData loaded_;  // what the step started with, for what the form does not show
    std::vector<publish::CatalogueProduct> products_;
    QLineEdit* ean_ = nullptr;
    QPushButton* search_ = nullptr;
    QListWidget* matches_ = nullptr;
    QCheckBox* withoutProduct_ = nullptr;
    QPushButton* suggest_ = nullptr;
    QListWidget* categories_ = nullptr;
    QLineEdit* category_ = nullptr;
    QPushButton* loadParameters_ = nullptr;
    QLabel* status_ = nullptr;
    OfferParameterForm* parameters_ = nullptr;
};

}  // namespace licytek
