#include "app/FormBinding.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/CodePage.h"
#include "app/PlainTextField.h"
#include "model/Text.h"

namespace licytek {
namespace {

bool HasControlOfItsKind(const FormField& field, QWidget* control) {
    switch (field.kind) {
        case FieldKind::Text:
            return qobject_cast<QLineEdit*>(control) != nullptr;
        case FieldKind::MultiLineText:
            return qobject_cast<PlainTextField*>(control) != nullptr;
        case FieldKind::Switch:
            return qobject_cast<QAbstractButton*>(control) != nullptr;
        case FieldKind::ListPosition:
        case FieldKind::ListText:
            return qobject_cast<QComboBox*>(control) != nullptr;
    }
    return false;
}

QString DisplayedText(const FormField& field, QWidget* control) {
    switch (field.kind) {
        case FieldKind::Text:
            return static_cast<QLineEdit*>(control)->text();
        case FieldKind::MultiLineText:
            return static_cast<PlainTextField*>(control)->text();
        case FieldKind::ListText:
            return static_cast<QComboBox*>(control)->currentText();
        default:
            return {};
    }
}

// A switch of an exclusive group cannot be switched off by itself; the load of a project that
// chooses no layout must still be able to do it.
void SetSwitch(QAbstractButton& button, bool on) {
    if (button.isChecked() == on) {
        return;
    }
    if (on || !button.isCheckable()) {
        button.setChecked(on);
        return;
    }
    QButtonGroup* group = button.group();
    if (group != nullptr && group->exclusive()) {
        group->setExclusive(false);
        button.setChecked(false);
        group->setExclusive(true);
        return;
    }
    const bool autoExclusive = button.autoExclusive();
    button.setAutoExclusive(false);
    button.setChecked(false);
    button.setAutoExclusive(autoExclusive);
}

void RestoreOne(const FormField& field, QWidget* control, const AuctionForm& form) {
    switch (field.kind) {
        case FieldKind::Text:
            static_cast<QLineEdit*>(control)->setText(FromCp1250(form.*field.text));
            return;
        case FieldKind::MultiLineText:
            static_cast<PlainTextField*>(control)->setLoadedText(
                FromCp1250(ToLf(form.*field.text)));
            return;
        case FieldKind::ListText:
            static_cast<QComboBox*>(control)->setEditText(FromCp1250(form.*field.text));
            return;
        case FieldKind::Switch:
            SetSwitch(*static_cast<QAbstractButton*>(control), form.*field.flag);
            return;
        case FieldKind::ListPosition: {
            auto* list = static_cast<QComboBox*>(control);
            const int position = form.*field.position;
            const int wanted = position >= 0 && position < list->count() ? position : -1;
            if (list->currentIndex() != wanted) {
                list->setCurrentIndex(wanted);
            }
            return;
        }
    }
}

// Reads one input into `form`; the text it cannot convert, if any.
std::optional<UnheldText> ReadOne(const FormField& field, QWidget* control, AuctionForm& form) {
    switch (field.kind) {
        case FieldKind::Switch:
            form.*field.flag = static_cast<QAbstractButton*>(control)->isChecked();
            return std::nullopt;
        case FieldKind::ListPosition:
            form.*field.position = static_cast<QComboBox*>(control)->currentIndex();
            return std::nullopt;
        case FieldKind::Text:
        case FieldKind::MultiLineText:
        case FieldKind::ListText: {
            const QString shown = DisplayedText(field, control);
            auto bytes = FieldTextFromUtf8(field, shown.toStdString());
            if (!bytes) {
                const UnheldRule rule = field.htmlText ? UnheldRule::Reference : UnheldRule::Refuse;
                return UnheldText{&field, AdmitText(shown, rule).refused};
            }
            form.*field.text =
                field.kind == FieldKind::MultiLineText ? ToCrLf(*bytes) : std::move(*bytes);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

QString UnheldTextMessage(const UnheldText& unheld) {
    const QString label =
        unheld.field != nullptr
            ? QString::fromUtf8(unheld.field->label.data(),
                                static_cast<qsizetype>(unheld.field->label.size()))
            : QString();
    return QStringLiteral(
               "Pole „%1” zawiera znaki „%2”, których nie da się zapisać w kodowaniu "
               "Windows-1250. Usuń je lub zastąp innymi i spróbuj jeszcze raz.")
        .arg(label, unheld.characters);
}

FormBinding::FormBinding(QWidget& root) {
    const auto fields = FormFields();
    bindings_.reserve(fields.size());
    for (const FormField& field : fields) {
        const QString name =
            QString::fromLatin1(field.member.data(), static_cast<qsizetype>(field.member.size()));
        auto* control = root.findChild<QWidget*>(name);
        if (control == nullptr || !HasControlOfItsKind(field, control)) {
            throw std::logic_error("the window has no control of the right kind for input " +
                                   std::string(field.member));
        }
        bindings_.push_back({&field, control});
    }
}

std::variant<AuctionForm, UnheldText> FormBinding::Snapshot() const {
    AuctionForm form;
    for (const auto& [field, control] : bindings_) {
        if (auto unheld = ReadOne(*field, control, form)) {
            return *std::move(unheld);
        }
    }
    return form;
}

std::variant<AuctionForm, UnheldText> FormBinding::Snapshot(
    std::span<const std::string_view> names) const {
    AuctionForm form;
    for (const std::string_view name : names) {
        const Binding& binding = BindingOf(name);
        if (auto unheld = ReadOne(*binding.field, binding.control, form)) {
            return *std::move(unheld);
        }
    }
    return form;
}

void FormBinding::Restore(const AuctionForm& form) const {
    for (const auto& [field, control] : bindings_) {
        RestoreOne(*field, control, form);
    }
}

void FormBinding::Restore(const AuctionForm& form, std::span<const std::string_view> names) const {
    for (const std::string_view name : names) {
        const Binding& binding = BindingOf(name);
        RestoreOne(*binding.field, binding.control, form);
    }
}

const FormBinding::Binding& FormBinding::BindingOf(std::string_view name) const {
    const auto binding = std::find_if(bindings_.begin(), bindings_.end(),
                                      [name](const Binding& b) { return b.field->member == name; });
    if (binding == bindings_.end()) {
        throw std::logic_error("no input is named " + std::string(name));
    }
    return *binding;
}

QWidget* FormBinding::Control(std::string_view name) const {
    for (const auto& [field, control] : bindings_) {
        if (field->member == name) {
            return control;
        }
    }
    return nullptr;
}

void FormBinding::OnAnyChange(QObject* context, const std::function<void()>& reaction,
                              std::span<const std::string_view> names) const {
    for (const Binding& binding : bindings_) {
        if (!names.empty() &&
            std::find(names.begin(), names.end(), binding.field->member) == names.end()) {
            continue;
        }
        QWidget* control = binding.control;
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            QObject::connect(edit, &QLineEdit::textChanged, context, reaction);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
            QObject::connect(text, &QPlainTextEdit::textChanged, context, reaction);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QObject::connect(button, &QAbstractButton::toggled, context, reaction);
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            QObject::connect(list, &QComboBox::currentIndexChanged, context, reaction);
            QObject::connect(list, &QComboBox::editTextChanged, context, reaction);
        }
    }
}

void FormBinding::StopReactions(QObject* context) const {
    for (const Binding& binding : bindings_) {
        QObject::disconnect(binding.control, nullptr, context, nullptr);
    }
}

}  // namespace licytek
