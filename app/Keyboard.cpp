#include "app/Keyboard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QRegion>
#include <QWidget>

#include <cstddef>
#include <vector>

namespace licytek {
namespace {

// One stretch of the tab order: the inputs of a group of the main area, or of a side panel,
// in reading order.
struct TabStretch {
    const char* panel;  // the side panel they lie on; nullptr for the main area
    std::vector<const char*> inputs;
};

// The whole tab order. The left column comes first, then the panels that lie over the
// description group (the font panel's strip across the middle of it, between the description
// and its buttons), the colours, the panels over the middle of the window, the further
// options, the layouts, and the text editor panel over almost everything.
const std::vector<TabStretch>& TabOrder() {
    static const std::vector<TabStretch> order = {
        {nullptr,
         {"auctionHeader", "askSellerLink", "phone", "messengerNumber", "auctionTerms",
          "bankAccount", "shippingLine1", "shippingLine2", "shippingLine3", "shippingLine4",
          "aboutMeLink", "otherAuctionsLink", "commentsLink", "favouritesLink"}},
        {"picturePanel",
         {"pictureFromWeb", "pictureFromGallery", "pictureAddress", "choosePictureFile",
          "pictureOpensAddress", "pictureLinkAddress", "pictureResized", "pictureWidth",
          "pictureHeight", "pictureInsertButton", "pictureCancelButton"}},
        {"linkPanel", {"linkText", "linkAddress", "linkInsertButton", "linkCancelButton"}},
        {"bannerPanel",
         {"bannerShown", "bannerAddress", "backgroundPictureShown", "backgroundPictureAddress",
          "bannerInsertButton", "bannerCancelButton"}},
        {"keywordsPanel",
         {"pageTitle", "keywords", "searchDescription", "keywordsUseButton",
          "keywordsCancelButton"}},
        {nullptr, {"descriptionHeader", "itemDescription"}},
        {"fontPanel",
         {"fontFace", "fontSize", "fontColour", "fontColourPicker", "fontInsertButton",
          "fontCancelButton"}},
        {nullptr,
         {"pictureButton", "galleryButton", "linkButton", "newLineButton", "fontButton",
          "textEditorButton", "alignLeftButton", "alignCentreButton", "alignRightButton",
          "justifyButton"}},
        {nullptr,
         {"pageBackground", "pageBackgroundPicker", "borderColour", "borderColourPicker",
          "tableInteriorColour", "tableInteriorColourPicker", "headerTextColour",
          "headerTextColourPicker", "tableTextColour", "tableTextColourPicker", "activeLinkColour",
          "activeLinkColourPicker", "visitedLinkColour", "visitedLinkColourPicker", "colourStyle"}},
        {"rightClickPanel", {"rightClickMessage", "rightClickInsertButton"}},
        {"arrangementPanel",
         {"sellerBlockLeft", "sellerBlockRight", "contactBlockLeft", "contactBlockRight",
          "termsBlockLeft", "termsBlockRight", "bankBlockLeft", "bankBlockRight",
          "shippingBlockLeft", "shippingBlockRight", "arrangementOkButton"}},
        {"sellerIdPanel", {"typedSellerId", "sellerIdSaveButton", "sellerIdHelpButton"}},
        {nullptr,
         {"pageEnterEffect", "pageEnterDuration", "backgroundGradient", "siteEnterEffect",
          "siteEnterDuration", "rightClickLock", "pageExitEffect", "pageExitDuration",
          "descriptionLock", "siteExitEffect", "siteExitDuration", "linkHighlight", "bannerButton",
          "backgroundButton", "promotionButton", "previewButton", "saveProjectButton",
          "loadProjectButton", "updateButton"}},
        {nullptr,
         {"layout1", "layout2", "layout3", "layout4", "layout5", "layout6", "layout7", "layout8",
          "generateButton", "allegroButton", "batchButton"}},
        // Within the text editor: the text and its formatting, then the moving text group by
        // group, then the ready code and the panel's buttons.
        {"textEditorPanel", {"editorFontFace",      "editorFontSize",
                             "editorFontColour",    "editorFontColourPicker",
                             "editorText",          "editorNewLineButton",
                             "editorGalleryButton", "editorBold",
                             "editorItalic",        "editorUnderline",
                             "editorAlignLeft",     "editorAlignCentre",
                             "editorAlignRight",    "editorJustify",
                             "movingText",          "scrollingAnimation",
                             "slidingAnimation",    "alternatingAnimation",
                             "movesLeft",           "movesRight",
                             "movingDelay",         "movingStep",
                             "movingBackground",    "movingBackgroundPicker",
                             "readyCode",           "editorInsertButton",
                             "editorCancelButton",  "editorSaveButton"}},
    };
    return order;
}

// The button that Enter presses on each panel and the one that Escape presses, if any.
struct PanelKeys {
    const char* panel;
    const char* enter;
    const char* escape;
};
constexpr PanelKeys kPanelKeys[] = {
    {"picturePanel", "pictureInsertButton", "pictureCancelButton"},  // picture: "Wstaw", "Anuluj"
    {"linkPanel", "linkInsertButton", "linkCancelButton"},           // link: "Wstaw", "Anuluj"
    {"fontPanel", "fontInsertButton", "fontCancelButton"},           // font: "Zmień", "Anuluj"
    {"textEditorPanel", "editorInsertButton",
     "editorCancelButton"},  // text editor: "Wstaw" (a snippet), "Anuluj"
    {"bannerPanel", "bannerInsertButton", "bannerCancelButton"},     // banner: "Wstaw", "Anuluj"
    {"keywordsPanel", "keywordsUseButton", "keywordsCancelButton"},  // keywords: "Użyj", "Anuluj"
    // The right-click message and the seller ID have no button that leaves them unchanged.
    {"rightClickPanel", "rightClickInsertButton", nullptr},  // "Wstaw"
    {"arrangementPanel", "arrangementOkButton",
     "arrangementOkButton"},                           // arrangement: its one button, "OK"
    {"sellerIdPanel", "sellerIdSaveButton", nullptr},  // "Zapisz"
};

template <typename T = QWidget>
T* Find(QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

// QWidget::setTabOrder leaves out widgets that take no focus, such as the panels; but a
// panel's inputs must follow the panel itself, where the window looks for the first of them
// when it shows the panel. So the two take focus for the moment.
void SetTabOrder(QWidget& first, QWidget& second) {
    const Qt::FocusPolicy firstPolicy = first.focusPolicy();
    const Qt::FocusPolicy secondPolicy = second.focusPolicy();
    first.setFocusPolicy(Qt::TabFocus);
    second.setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(&first, &second);
    first.setFocusPolicy(firstPolicy);
    second.setFocusPolicy(secondPolicy);
}

void ChainTabOrder(QWidget& window) {
    QWidget* previous = nullptr;
    auto append = [&previous](QWidget* next) {
        if (next == nullptr) {
            return;  // a control the form lacks; the keyboard tests report it
        }
        if (previous != nullptr) {
            SetTabOrder(*previous, *next);
        }
        previous = next;
    };
    for (const TabStretch& stretch : TabOrder()) {
        if (stretch.panel != nullptr) {
            append(Find(window, stretch.panel));
        }
        for (const char* input : stretch.inputs) {
            append(Find(window, input));
        }
    }
}

bool IsEnterKey(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool IsEscapeKey(const QKeyEvent& key) {
    return key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier;
}

// A button that Enter presses itself when it has the focus, as in any dialog; check boxes
// and radio buttons leave Enter to the panel.
QAbstractButton* PushableButton(QObject& input) {
    auto* button = qobject_cast<QAbstractButton*>(&input);
    if (button == nullptr || qobject_cast<QCheckBox*>(button) != nullptr ||
        qobject_cast<QRadioButton*>(button) != nullptr) {
        return nullptr;
    }
    return button;
}

bool TakesTabFocus(const QWidget& window, const QWidget& widget) {
    return widget.window() == &window && widget.focusProxy() == nullptr && widget.isEnabled() &&
           (widget.focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget.isVisibleTo(&window);
}

// Whether the side panels shown above `widget` hide every bit of it from the seller.
bool IsHiddenByPanels(QWidget& window, QWidget& widget) {
    QWidget* layer = &widget;
    while (layer->parentWidget() != &window) {
        layer = layer->parentWidget();
    }
    QRegion seen(QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size()));
    const QObjectList& layers = window.children();  // from the bottom to the top
    for (qsizetype i = layers.indexOf(layer) + 1; i < layers.size(); ++i) {
        auto* above = qobject_cast<QWidget*>(layers[i]);
        if (above != nullptr && !above->isWindow() && above->isVisibleTo(&window)) {
            seen -= above->geometry();
        }
    }
    return seen.isEmpty();
}

bool IsReachable(QWidget& window, QWidget& widget) {
    return TakesTabFocus(window, widget) && !IsHiddenByPanels(window, widget);
}

// The first input after (or before) `from` in the tab order that the seller can see.
QWidget* NextReachable(QWidget& window, QWidget& from, bool forward) {
    auto step = [forward](QWidget* widget) {
        return forward ? widget->nextInFocusChain() : widget->previousInFocusChain();
    };
    for (QWidget* candidate = step(&from); candidate != &from; candidate = step(candidate)) {
        if (IsReachable(window, *candidate)) {
            return candidate;
        }
    }
    return nullptr;
}

class KeyboardHandler final : public QObject {
  public:
    explicit KeyboardHandler(QWidget& window) : QObject(&window), window_(window) {
        for (const PanelKeys& keys : kPanelKeys) {
            AddPanel(keys);
        }
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            if ((widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
                widget->focusProxy() == nullptr) {
                widget->installEventFilter(this);
            }
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (const auto input = panelOfInput_.constFind(watched);
                    input != panelOfInput_.cend()) {
                    return PanelKeyPress(*watched, panels_[*input],
                                         *static_cast<QKeyEvent*>(event));
                }
                break;
            case QEvent::FocusIn:
                SkipIfHidden(*static_cast<QWidget*>(watched),
                             static_cast<QFocusEvent*>(event)->reason());
                break;
            case QEvent::Show:
            case QEvent::Hide:
                if (const auto panel = panelIndex_.constFind(watched);
                    panel != panelIndex_.cend()) {
                    if (event->type() == QEvent::Show) {
                        RememberFocus(panels_[*panel]);
                    } else {
                        ReturnFocus(panels_[*panel]);
                    }
                }
                break;
            default:
                break;
        }
        return false;
    }

  private:
    struct Panel {
        QWidget* panel;
        QAbstractButton* enter;
        QAbstractButton* escape;  // nullptr: Escape does nothing on this panel
        QPointer<QWidget> focusBefore;
    };

    void AddPanel(const PanelKeys& keys) {
        QWidget* panel = Find(window_, keys.panel);
        auto* enter = Find<QAbstractButton>(window_, keys.enter);
        if (panel == nullptr || enter == nullptr) {
            return;
        }
        const std::size_t index = panels_.size();
        panels_.push_back(
            {panel,
             enter,
             keys.escape != nullptr ? Find<QAbstractButton>(window_, keys.escape) : nullptr,
             {}});
        panelIndex_.insert(panel, index);
        panel->installEventFilter(this);
        for (QWidget* input : panel->findChildren<QWidget*>()) {
            panelOfInput_.insert(input, index);
        }
    }

    // Enter presses the panel's insert or save button, or a focused push button; in a
    // multi-line text it stays a line break. Escape presses the cancel or close button.
    bool PanelKeyPress(QObject& input, const Panel& panel, const QKeyEvent& key) {
        if (IsEnterKey(key)) {
            if (qobject_cast<QPlainTextEdit*>(&input) != nullptr) {
                return false;
            }
            QAbstractButton* focused = PushableButton(input);
            (focused != nullptr ? focused : panel.enter)->animateClick();
            return true;
        }
        if (IsEscapeKey(key) && panel.escape != nullptr) {
            panel.escape->animateClick();
            return true;
        }
        return false;
    }

    // Tab never stops at an input that a shown panel hides: it goes on to the next one the
    // seller can see.
    void SkipIfHidden(QWidget& input, Qt::FocusReason reason) {
        const bool forward = reason == Qt::TabFocusReason;
        if ((!forward && reason != Qt::BacktabFocusReason) || !IsHiddenByPanels(window_, input)) {
            return;
        }
        if (QWidget* next = NextReachable(window_, input, forward)) {
            next->setFocus(reason);
        }
    }

    // A panel that closes gives the keyboard back to where it was when the panel opened.
    void RememberFocus(Panel& panel) {
        QWidget* focus = window_.focusWidget();
        panel.focusBefore = focus != nullptr && !panel.panel->isAncestorOf(focus) ? focus : nullptr;
    }

    void ReturnFocus(const Panel& panel) {
        QWidget* focus = window_.focusWidget();
        if (focus == nullptr || !panel.panel->isAncestorOf(focus) || !panel.focusBefore ||
            !IsReachable(window_, *panel.focusBefore)) {
            return;
        }
        panel.focusBefore->setFocus(Qt::OtherFocusReason);
    }

    QWidget& window_;
    std::vector<Panel> panels_;
    QHash<QObject*, std::size_t> panelIndex_;    // panel -> its entry in panels_
    QHash<QObject*, std::size_t> panelOfInput_;  // input on a panel -> its panel's entry
};

}  // namespace

void InstallKeyboard(QWidget& window) {
    // Tab leaves a multi-line text for the next input rather than typing a tab into it.
    for (QPlainTextEdit* text : window.findChildren<QPlainTextEdit*>()) {
        text->setTabChangesFocus(true);
    }
    ChainTabOrder(window);
    new KeyboardHandler(window);
}

}  // namespace licytek
