#include "app/PanelPlacement.h"

#include <QLayout>
#include <QScreen>

#include "ui_MainWindow.h"

namespace licytek {
namespace {

QRect RectIn(const QWidget& ancestor, const QWidget& widget) {
    return QRect(widget.mapTo(&ancestor, QPoint(0, 0)), widget.size());
}

}  // namespace

void PlacePanels(QWidget& window, const Ui::MainWindow& ui) {
    ui.mainArea->layout()->activate();
    const QRect description = RectIn(window, *ui.descriptionGroup);
    const QRect options = RectIn(window, *ui.optionsGroup);

    for (QWidget* panel : {ui.picturePanel, ui.linkPanel, ui.bannerPanel, ui.keywordsPanel}) {
        panel->setGeometry(description);
    }
    const int fontHeight = ui.fontPanel->sizeHint().height();
    ui.fontPanel->setGeometry(description.left(), description.center().y() - fontHeight / 2,
                              description.width(), fontHeight);

    constexpr int kEditorMarginX = 24;
    constexpr int kEditorMarginY = 16;
    ui.textEditorPanel->setGeometry(
        window.rect().adjusted(kEditorMarginX, kEditorMarginY, -kEditorMarginX, -kEditorMarginY));

    // The small panels lie over the middle of the window, centred on the further options.
    for (QWidget* panel : {ui.rightClickPanel, ui.arrangementPanel, ui.sellerIdPanel}) {
        QRect area(QPoint(0, 0), panel->sizeHint().expandedTo(panel->minimumSizeHint()));
        area.moveCenter(options.center());
        panel->setGeometry(area);
    }
}

void ShowPanel(QWidget* panel) {
    panel->show();
    panel->raise();
    for (QWidget* next = panel->nextInFocusChain(); next != panel && panel->isAncestorOf(next);
         next = next->nextInFocusChain()) {
        if (next->isEnabled() && (next->focusPolicy() & Qt::TabFocus) != 0) {
            next->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void CentreOnScreen(QWidget& window) {
    if (QScreen* display = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

void KeepOuterSize(QWidget& window, QSize outer) {
    const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
    if (frameExtra.isEmpty()) {
        return;  // no frame (or not known yet): the window is its own outer size
    }
    window.resize(outer - frameExtra);
    CentreOnScreen(window);
}

}  // namespace licytek
