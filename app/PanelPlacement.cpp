#include "app/PanelPlacement.h"

#include <QLayout>
#include <QScreen>

#include <algorithm>

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
    FocusFirstInput(*panel);
}

bool FocusFirstInput(QWidget& area) {
    for (QWidget* next = area.nextInFocusChain(); next != &area && area.isAncestorOf(next);
         next = next->nextInFocusChain()) {
        if (next->isEnabled() && next->isVisibleTo(&area) &&
            (next->focusPolicy() & Qt::TabFocus) != 0) {
            next->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

void CentreOnScreen(QWidget& window) {
    if (QScreen* display = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

QRect BesideRect(const QRect& form, const QRect& screen, QSize preferred, QSize minimum) {
    const QSize size = preferred.boundedTo(screen.size());
    const int narrowest = std::min(minimum.width(), size.width());
    const int roomRight = screen.right() - form.right();
    const int roomLeft = form.left() - screen.left();
    int width = size.width();
    int left = 0;
    if (roomRight >= narrowest) {
        width = std::min(width, roomRight);
        left = form.right() + 1;
    } else if (roomLeft >= narrowest) {
        width = std::min(width, roomLeft);
        left = form.left() - width;
    } else if (roomRight >= roomLeft) {
        width = narrowest;
        left = screen.right() + 1 - width;
    } else {
        width = narrowest;
        left = screen.left();
    }
    const int top = std::clamp(form.top(), screen.top(), screen.bottom() + 1 - size.height());
    return {left, top, width, size.height()};
}

void PlaceBeside(QWidget& window, const QWidget& form) {
    const QScreen* display = form.screen();
    if (display == nullptr) {
        return;
    }
    // The window manager frames the window only once it is shown: its frame is taken to be
    // the form's.
    const QRect formFrame = form.frameGeometry();
    const QRect formInside = form.geometry();
    const QMargins frame(formInside.left() - formFrame.left(), formInside.top() - formFrame.top(),
                         formFrame.right() - formInside.right(),
                         formFrame.bottom() - formInside.bottom());
    const QSize minimum = window.minimumSizeHint().expandedTo(window.minimumSize());
    const QRect outer = BesideRect(formFrame, display->availableGeometry(),
                                   window.size().grownBy(frame), minimum.grownBy(frame));
    window.setGeometry(outer.marginsRemoved(frame));
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
