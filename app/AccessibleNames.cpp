#include "app/AccessibleNames.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <array>
#include <mutex>
#include <string_view>

#include "app/CodePage.h"
#include "app/FormBinding.h"
#include "app/MainWindow.h"
#include "app/Thumbnails.h"

namespace licytek {
namespace {

// What a screen reader calls each side panel.
struct PanelName {
    const char* panel;
    std::string_view name;
};
constexpr std::array<PanelName, 9> kPanelNames = {{
    {"picturePanel", "Panel zdjęcia"},
    {"linkPanel", "Panel linku"},
    {"textEditorPanel", "Panel edytora tekstu"},
    {"fontPanel", "Panel zmiany czcionki"},
    {"bannerPanel", "Panel bannera i tła"},
    {"keywordsPanel", "Panel słów kluczowych"},
    {"rightClickPanel", "Panel tekstu blokady prawego przycisku myszy"},
    {"arrangementPanel", "Panel wyglądu aukcji"},
    {"sellerIdPanel", "Panel numeru ID sprzedającego"},
}};

// Qt takes a plain top-level widget for a filler; to a screen reader the main window is a
// window, named by its title.
QAccessibleInterface* MainWindowAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(MainWindow::staticMetaObject.className()) ||
        !object->isWidgetType()) {
        return nullptr;
    }
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

// Every input is named by its label in the table of inputs, which is unique where the
// visible labels repeat ("Nagłówek:", "Czas").
void NameInputs(const FormBinding& form) {
    for (const auto& [field, control] : form.Bindings()) {
        const QString name = FromUtf8(field->label);
        control->setAccessibleName(name);
        if (auto* list = qobject_cast<QComboBox*>(control); list != nullptr && list->lineEdit()) {
            list->lineEdit()->setAccessibleName(name);
        }
    }
}

// The label beside an input carries the input's name, since on Linux a screen reader speaks
// a list by its label.
void NameLabels(QWidget& window) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        QWidget* input = label->buddy();
        if (input == nullptr) {
            continue;
        }
        // A longer prompt than the name still reaches the seller, as the input's description.
        if (label->text() != input->accessibleName()) {
            input->setAccessibleDescription(label->text());
        }
        label->setAccessibleName(input->accessibleName());
    }
}

void NameThumbnails(QWidget& window) {
    for (int number = 1; number <= kLayoutCount; ++number) {
        window.findChild<QLabel*>(QStringLiteral("layout%1Picture").arg(number))
            ->setAccessibleName(QStringLiteral("Miniatura układu %1").arg(number));
    }
}

// Qt names a group box inside another after the outer group's caption, so every inner group
// would be heard as its parent; each group is named by its own caption instead. A panel is
// named by what it is for, apart from the group it may hold.
void NameGroupsAndPanels(QWidget& window) {
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
        if (group->accessibleName().isEmpty()) {
            group->setAccessibleName(QString(group->title()).remove(QLatin1Char('&')));
        }
    }
    for (const auto& [panel, name] : kPanelNames) {
        window.findChild<QWidget*>(QString::fromLatin1(panel))->setAccessibleName(FromUtf8(name));
    }
}

}  // namespace

void InstallMainWindowAccessible() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&MainWindowAccessible); });
}

void NameControls(QWidget& window, const FormBinding& form) {
    NameInputs(form);
    NameLabels(window);
    NameThumbnails(window);
    NameGroupsAndPanels(window);
}

}  // namespace licytek
