#include "app/NewOfferStep.h"

#include <QComboBox>
#include <QLabel>

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

std::string ChosenSetting(const QComboBox& list) {
    return list.currentIndex() <= 0 ? std::string() : ToUtf8(list.currentText());
}

}  // namespace licytek
