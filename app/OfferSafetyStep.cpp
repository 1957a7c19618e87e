#include "app/OfferSafetyStep.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace licytek {

namespace {

using publish::SettingsList;

// Allegro refuses "before 13.12.2024" for every new-like condition ("Nowy", "Nowy z metką" …).
bool IsNewLike(const QString& condition) {
    return condition.trimmed().startsWith(QStringLiteral("nowy"), Qt::CaseInsensitive);
}

}  // namespace

OfferSafetyStep::OfferSafetyStep(QWidget* parent) : NewOfferStep(parent) {
    producer_ = new QComboBox(this);
    producer_->setObjectName(QStringLiteral("producerField"));
    safety_ = new QPlainTextEdit(this);
    safety_->setObjectName(QStringLiteral("safetyField"));
    safety_->setTabChangesFocus(true);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("safetyCount"));
    person_ = new QComboBox(this);
    person_->setObjectName(QStringLiteral("personField"));
    marketedBefore_ = new QCheckBox(QStringLiteral("wprowadzony do obrotu przed 13.12.2024"), this);
    marketedBefore_->setObjectName(QStringLiteral("marketedBefore"));
    productNote_ = WrappedLabel(QString(), this);
    productNote_->setObjectName(QStringLiteral("productSafetyNote"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Producent odpowiedzialny:"), producer_);
    form->addRow(QStringLiteral("Informacje o &bezpieczeństwie:"), safety_);
    form->addRow(QString(), count_);
    form->addRow(QStringLiteral("&Osoba odpowiedzialna:"), person_);
    form->addRow(QString(), marketedBefore_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(productNote_);

    connect(safety_, &QPlainTextEdit::textChanged, this, &OfferSafetyStep::CountCharacters);
    ShowSettings({});
    SetCondition(QString());
    CountCharacters();
}

void OfferSafetyStep::Load(const offer::OfferData& values) {
    loaded_ = values;
    listsShown_ = false;
    ShowSettings({});
    safety_->setPlainText(FromUtf8(values.safetyInformation));
    marketedBefore_->setChecked(values.marketedBeforeGpsr.value_or(false));
    SetCondition(FromUtf8(values.condition));
}

void OfferSafetyStep::ShowSettings(
    const std::map<SettingsList, std::vector<publish::NamedSetting>>& lists) {
    offer::OfferData current = loaded_;
    if (listsShown_) {
        Store(current);
    }
    const auto list = [&lists](SettingsList which) {
        const auto found = lists.find(which);
        return found == lists.end() ? std::vector<publish::NamedSetting>{} : found->second;
    };
    FillSettings(*producer_, list(SettingsList::ResponsibleProducers), current.responsibleProducer,
                 false);
    FillSettings(*person_, list(SettingsList::ResponsiblePersons), current.responsiblePerson,
                 false);
    listsShown_ = !lists.empty();
}

void OfferSafetyStep::Store(offer::OfferData& values) const {
    values.responsibleProducer = ChosenSetting(*producer_);
    values.responsiblePerson = ChosenSetting(*person_);
    values.safetyInformation = ToUtf8(safety_->toPlainText());
    // Kept even where the condition forbids it, so that the check names it rather than it
    // vanishing unseen.
    values.marketedBeforeGpsr =
        marketedBefore_->isChecked() ? std::optional<bool>(true) : std::nullopt;
}

QWidget* OfferSafetyStep::FirstField() const {
    return producer_;
}

void OfferSafetyStep::SetCondition(const QString& label) {
    const bool used = !IsNewLike(label);
    marketedBefore_->setEnabled(used || marketedBefore_->isChecked());
    marketedBefore_->setToolTip(used ? QString()
                                     : QStringLiteral("Tylko dla przedmiotu używanego: Allegro "
                                                      "nie przyjmuje tego dla nowego."));
}

void OfferSafetyStep::SetProductBringsSafetyData(bool brings) {
    productNote_->setText(
        brings ? QStringLiteral("Produkt z katalogu ma własne dane o bezpieczeństwie: Allegro "
                                "skopiuje je do oferty, jeśli nie podasz tu swoich.")
               : QString());
}

void OfferSafetyStep::CountCharacters() {
    const int count = static_cast<int>(safety_->toPlainText().trimmed().toUcs4().size());
    count_->setText(QStringLiteral("%1 z %2 znaków").arg(count).arg(kSafetyTextLimit));
    QPalette palette = count_->palette();
    palette.setColor(QPalette::WindowText, count > kSafetyTextLimit
                                               ? QColor(Qt::red)
                                               : this->palette().color(QPalette::WindowText));
    count_->setPalette(palette);
}

std::vector<QWidget*> OfferSafetyStep::FieldsFor(const publish::ErrorPlace& place) const {
    using offer::OfferKey;
    return FieldsWithKey({{OfferKey::ResponsibleProducer, producer_},
                          {OfferKey::ResponsiblePerson, person_},
                          {OfferKey::Safety, safety_},
                          {OfferKey::MarketedBeforeGpsr, marketedBefore_}},
                         place);
}

}  // namespace licytek
