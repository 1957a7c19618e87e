#include "app/NewOfferStep.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QScrollArea>

namespace licytek {

std::string ToUtf8(const QString& text) {
    return text.trimmed().toUtf8().toStdString();
}

QLabel* WrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

namespace {

const QColor kMarkedField(255, 228, 228);
const QColor kErrorWords(176, 0, 32);

bool Holds(QLayoutItem* item, QWidget* widget);

bool LayoutHolds(QLayout* layout, QWidget* widget) {
    for (int i = 0; i < layout->count(); ++i) {
        if (Holds(layout->itemAt(i), widget)) {
            return true;
        }
    }
    return false;
}

bool Holds(QLayoutItem* item, QWidget* widget) {
    return item->widget() == widget ||
           (item->layout() != nullptr && LayoutHolds(item->layout(), widget));
}

// Puts `words` under the row that holds `widget`: a row of its own in a form (then `form` is
// that form), the next place in a column; a row of widgets side by side leaves it to the
// layout around. Whether it was placed.
bool PlaceUnder(QLayout* layout, QWidget* widget, QLabel* words, QFormLayout*& form) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->layout() != nullptr && PlaceUnder(item->layout(), widget, words, form)) {
            return true;
        }
        if (!Holds(item, widget)) {
            continue;
        }
        if (auto* asForm = qobject_cast<QFormLayout*>(layout)) {
            int row = 0;
            QFormLayout::ItemRole role{};
            asForm->getItemPosition(i, &row, &role);
            asForm->insertRow(row + 1, QString(), words);
            form = asForm;
            return true;
        }
        auto* box = qobject_cast<QBoxLayout*>(layout);
        if (box != nullptr && (box->direction() == QBoxLayout::TopToBottom)) {
            box->insertWidget(i + 1, words);
            return true;
        }
        return false;
    }
    return false;
}

QString SettingName(const publish::NamedSetting& setting) {
    return FromUtf8(setting.name.empty() ? setting.id : setting.name);
}

// Allegro's own choice when the offer names none: the only entry, or the one named "default".
int AllegroChoice(const std::vector<publish::NamedSetting>& settings) {
    if (settings.size() == 1) {
        return 0;
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (settings[i].name == "default") {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

void FillSettings(QComboBox& list, const std::vector<publish::NamedSetting>& settings,
                  const std::string& chosen, bool preselect) {
    list.clear();
    list.addItem(QStringLiteral("—"), QString());
    int selected = -1;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const auto& setting = settings[i];
        list.addItem(SettingName(setting), FromUtf8(setting.id));
        if (!chosen.empty() && (setting.name == chosen || setting.id == chosen)) {
            selected = static_cast<int>(i);
        }
    }
    if (selected < 0 && chosen.empty() && preselect) {
        selected = AllegroChoice(settings);
    }
    if (selected < 0 && !chosen.empty()) {
        // A name the seller's lists no longer hold is kept, so that nothing is lost silently;
        // the check before sending names it with the seller's names.
        list.addItem(FromUtf8(chosen), FromUtf8(chosen));
        selected = static_cast<int>(settings.size());
    }
    list.setCurrentIndex(selected + 1);
}

std::vector<QWidget*> NewOfferStep::FieldsFor(const publish::ErrorPlace&) const {
    return {};
}

void NewOfferStep::MarkField(QWidget* field, const QString& words) {
    for (Mark& mark : marks_) {
        if (mark.field == field && mark.words) {
            mark.words->setText(mark.words->text() + QLatin1Char('\n') + words);
            return;
        }
    }
    Mark mark{field, WrappedLabel(words, this), nullptr, field->palette(),
              field->accessibleDescription()};
    mark.words->setObjectName(QStringLiteral("fieldError"));
    QPalette red = mark.words->palette();
    red.setColor(QPalette::WindowText, kErrorWords);
    mark.words->setPalette(red);
    QFormLayout* form = nullptr;
    bool placed = false;
    for (QWidget* child = field; !placed && child != this && child->parentWidget() != nullptr;
         child = child->parentWidget()) {
        if (QLayout* layout = child->parentWidget()->layout()) {
            placed = PlaceUnder(layout, child, mark.words, form);
        }
    }
    if (!placed) {
        delete mark.words;  // the tool tip and the colour still say it
    }
    mark.form = form;
    QPalette marked = field->palette();
    marked.setColor(QPalette::Base, kMarkedField);
    marked.setColor(QPalette::Button, kMarkedField);
    field->setPalette(marked);
    field->setAccessibleDescription(words);
    marks_.push_back(std::move(mark));
}

void NewOfferStep::ClearMarks() {
    for (Mark& mark : marks_) {
        if (mark.field) {
            mark.field->setPalette(mark.palette);
            mark.field->setAccessibleDescription(mark.description);
        }
        if (mark.words && mark.form) {
            mark.form->removeRow(mark.words);
        } else {
            delete mark.words;
        }
    }
    marks_.clear();
}

void NewOfferStep::FocusField(QWidget* field) {
    for (QWidget* up = field->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (auto* scroll = qobject_cast<QScrollArea*>(up)) {
            scroll->ensureWidgetVisible(field);
            break;
        }
    }
    field->setFocus(Qt::OtherFocusReason);
}

std::vector<QWidget*> FieldsWithKey(std::initializer_list<KeyedField> fields,
                                    const publish::ErrorPlace& place) {
    for (const KeyedField& keyed : fields) {
        if (offer::KeyName(keyed.key) == place.key) {
            return {keyed.field};
        }
    }
    return {};
}

std::string ChosenSetting(const QComboBox& list) {
    return list.currentIndex() <= 0 ? std::string() : ToUtf8(list.currentText());
}

}  // namespace licytek
