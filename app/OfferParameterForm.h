// A category's parameters as a form made from their definitions: required ones first and
// marked, "Stan" always asked and never defaulted, dictionaries as lists (a list of check marks
// where several values are allowed), ranges as two fields, numbers with their unit.
#pragma once

#include <QWidget>

#include <vector>

#include "offer/OfferData.h"
#include "publish/CreateAnswers.h"
#include "publish/OfferLookups.h"

class QComboBox;
class QFormLayout;
class QLineEdit;
class QListWidget;

namespace licytek {

class OfferParameterForm final : public QWidget {
    Q_OBJECT

  public:
    explicit OfferParameterForm(QWidget* parent);

    // Builds the form for the category, filled from the data's "stan" and "parametry".
    void Show(const std::vector<publish::CategoryParameter>& parameters,
              const offer::OfferData& values);
    // No form: the data's "stan" and "parametry" stay as they are until one is shown again.
    void Clear();
    // Puts "stan" and "parametry" into the data; leaves them as they are until a form is shown.
    void Store(offer::OfferData& values) const;
    QWidget* FirstField() const;
    // The fields an error concerns: "Stan", the parameters by id or by their key
    // ("parametr: Kolor"), and for "parametry" alone the required ones left empty.
    std::vector<QWidget*> FieldsFor(const publish::ErrorPlace& place) const;
    bool shown() const { return shown_; }

  signals:
    // "Stan" changed: its label, or "" when none is chosen.
    void conditionChanged(const QString& label);

  private:
    struct Field {
        publish::CategoryParameter parameter;
        QComboBox* choice = nullptr;
        QListWidget* choices = nullptr;
        QLineEdit* text = nullptr;
        QLineEdit* from = nullptr;
        QLineEdit* to = nullptr;

        QWidget* Input() const;  // where the seller types or chooses
        bool Empty() const;
    };

    Field MakeField(const publish::CategoryParameter& parameter, const offer::ParameterValue* value,
                    const std::string& condition);
    void StoreField(const Field& field, offer::OfferData& values) const;

    QFormLayout* layout_ = nullptr;
    std::vector<Field> fields_;
    bool shown_ = false;
};

}  // namespace licytek
