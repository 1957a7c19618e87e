#include "app/OfferParameterForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>

#include "app/NewOfferStep.h"
#include "offer/OfferValues.h"

namespace licytek {

namespace {

using publish::CategoryParameter;
using publish::ParameterKind;

bool IsCondition(const CategoryParameter& parameter) {
    return parameter.id == publish::kConditionParameterId;
}

// "Stan" first, then the required ones, then the rest, each in Allegro's order.
int Rank(const CategoryParameter& parameter) {
    if (IsCondition(parameter)) {
        return 0;
    }
    return parameter.required ? 1 : 2;
}

const offer::ParameterValue* ValueNamed(const offer::OfferData& values, const std::string& name) {
    const std::string key = offer::LabelKey(name);
    for (const auto& value : values.parameters) {
        if (offer::LabelKey(value.name) == key) {
            return &value;
        }
    }
    return nullptr;
}

bool SameLabel(const std::string& a, const std::string& b) {
    return offer::LabelKey(a) == offer::LabelKey(b);
}

}  // namespace

OfferParameterForm::OfferParameterForm(QWidget* parent) : QWidget(parent) {
    layout_ = new QFormLayout(this);
    layout_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
}

void OfferParameterForm::Clear() {
    while (layout_->rowCount() > 0) {
        layout_->removeRow(0);
    }
    fields_.clear();
    shown_ = false;
}

void OfferParameterForm::Show(const std::vector<CategoryParameter>& parameters,
                              const offer::OfferData& values) {
    Clear();
    std::vector<CategoryParameter> ordered = parameters;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return Rank(a) < Rank(b); });
    for (const CategoryParameter& parameter : ordered) {
        fields_.push_back(
            MakeField(parameter, ValueNamed(values, parameter.name), values.condition));
    }
    shown_ = true;
}

OfferParameterForm::Field OfferParameterForm::MakeField(const CategoryParameter& parameter,
                                                        const offer::ParameterValue* value,
                                                        const std::string& condition) {
    Field field{parameter};
    const bool required = parameter.required || IsCondition(parameter);
    QString label = FromUtf8(parameter.name);
    if (required) {
        label += QStringLiteral(" *");
    }
    auto* labelWidget = new QLabel(label, this);
    labelWidget->setTextFormat(Qt::PlainText);
    if (required) {
        QFont bold = labelWidget->font();
        bold.setBold(true);
        labelWidget->setFont(bold);
    }
    QWidget* widget = nullptr;
    if (parameter.kind == ParameterKind::Dictionary && parameter.multipleChoices &&
        !IsCondition(parameter)) {
        field.choices = new QListWidget(this);
        for (const auto& entry : parameter.dictionary) {
            auto* item = new QListWidgetItem(FromUtf8(entry.value), field.choices);
            const bool chosen =
                value != nullptr &&
                std::any_of(value->values.begin(), value->values.end(),
                            [&](const auto& v) { return SameLabel(v, entry.value); });
            item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
        }
        field.choices->setMaximumHeight(5 * field.choices->fontMetrics().lineSpacing() + 8);
        widget = field.choices;
    } else if (parameter.kind == ParameterKind::Dictionary) {
        field.choice = new QComboBox(this);
        field.choice->addItem(QStringLiteral("—"));  // never a default: the seller chooses
        const std::string current =
            IsCondition(parameter)
                ? condition
                : (value != nullptr && !value->values.empty() ? value->values.front()
                                                              : std::string());
        for (const auto& entry : parameter.dictionary) {
            field.choice->addItem(FromUtf8(entry.value));
            if (!current.empty() && SameLabel(current, entry.value)) {
                field.choice->setCurrentIndex(field.choice->count() - 1);
            }
        }
        if (IsCondition(parameter)) {
            connect(
                field.choice, &QComboBox::currentIndexChanged, this, [this, box = field.choice] {
                    emit conditionChanged(box->currentIndex() > 0 ? box->currentText() : QString());
                });
        }
        widget = field.choice;
    } else if (parameter.range) {
        auto* row = new QWidget(this);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        field.from = new QLineEdit(FromUtf8(value != nullptr ? value->from : ""), row);
        field.to = new QLineEdit(FromUtf8(value != nullptr ? value->to : ""), row);
        rowLayout->addWidget(new QLabel(QStringLiteral("od"), row));
        rowLayout->addWidget(field.from);
        rowLayout->addWidget(new QLabel(QStringLiteral("do"), row));
        rowLayout->addWidget(field.to);
        if (!parameter.unit.empty()) {
            rowLayout->addWidget(new QLabel(FromUtf8(parameter.unit), row));
        }
        widget = row;
    } else {
        const QString text = value != nullptr && !value->values.empty()
                                 ? FromUtf8(value->values.front())
                                 : QString();
        field.text = new QLineEdit(text, this);
        if (parameter.unit.empty()) {
            widget = field.text;
        } else {
            auto* row = new QWidget(this);
            auto* rowLayout = new QHBoxLayout(row);
            rowLayout->setContentsMargins(0, 0, 0, 0);
            field.text->setParent(row);
            rowLayout->addWidget(field.text, 1);
            rowLayout->addWidget(new QLabel(FromUtf8(parameter.unit), row));
            widget = row;
        }
    }
    labelWidget->setBuddy(widget);
    widget->setAccessibleName(FromUtf8(parameter.name));
    layout_->addRow(labelWidget, widget);
    return field;
}

void OfferParameterForm::Store(offer::OfferData& values) const {
    if (!shown_) {
        return;
    }
    values.condition.clear();
    values.parameters.clear();
    for (const Field& field : fields_) {
        StoreField(field, values);
    }
}

void OfferParameterForm::StoreField(const Field& field, offer::OfferData& values) const {
    offer::ParameterValue value;
    value.name = field.parameter.name;
    if (field.choice != nullptr) {
        if (field.choice->currentIndex() <= 0) {
            return;
        }
        if (IsCondition(field.parameter)) {
            values.condition = ToUtf8(field.choice->currentText());
            return;
        }
        value.values.push_back(ToUtf8(field.choice->currentText()));
    } else if (field.choices != nullptr) {
        for (int i = 0; i < field.choices->count(); ++i) {
            if (field.choices->item(i)->checkState() == Qt::Checked) {
                value.values.push_back(ToUtf8(field.choices->item(i)->text()));
            }
        }
    } else if (field.from != nullptr) {
        value.isRange = true;
        value.from = ToUtf8(field.from->text());
        value.to = ToUtf8(field.to->text());
        if (value.from.empty() && value.to.empty()) {
            return;
        }
    } else if (!field.text->text().trimmed().isEmpty()) {
        value.values.push_back(ToUtf8(field.text->text()));
    }
    if (value.isRange || !value.values.empty()) {
        values.parameters.push_back(std::move(value));
    }
}

QWidget* OfferParameterForm::Field::Input() const {
    if (choice != nullptr) {
        return choice;
    }
    if (choices != nullptr) {
        return choices;
    }
    return from != nullptr ? from : text;
}

bool OfferParameterForm::Field::Empty() const {
    if (choice != nullptr) {
        return choice->currentIndex() <= 0;
    }
    if (choices != nullptr) {
        for (int i = 0; i < choices->count(); ++i) {
            if (choices->item(i)->checkState() == Qt::Checked) {
                return false;
            }
        }
        return true;
    }
    if (from != nullptr) {
        return from->text().trimmed().isEmpty() && to->text().trimmed().isEmpty();
    }
    return text->text().trimmed().isEmpty();
}

QWidget* OfferParameterForm::FirstField() const {
    return fields_.empty() ? nullptr : fields_.front().Input();
}

std::vector<QWidget*> OfferParameterForm::FieldsFor(const publish::ErrorPlace& place) const {
    const bool condition = place.key == offer::KeyName(offer::OfferKey::Condition);
    const bool parameters = place.key == offer::KeyName(offer::OfferKey::Parameters);
    const bool named = place.key.starts_with(offer::kParameterColumnPrefix);
    std::vector<QWidget*> found;
    for (const Field& field : fields_) {
        const auto& id = field.parameter.id;
        const bool concerned =
            (condition && IsCondition(field.parameter)) ||
            std::find(place.parameterIds.begin(), place.parameterIds.end(), id) !=
                place.parameterIds.end() ||
            (named && SameLabel(offer::ParameterKey(field.parameter.name), place.key)) ||
            (parameters && place.parameterIds.empty() &&
             (field.parameter.required || IsCondition(field.parameter)) && field.Empty());
        if (concerned) {
            found.push_back(field.Input());
        }
    }
    return found;
}

}  // namespace licytek
