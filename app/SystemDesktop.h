// The real desktop: Qt's message box, colour dialog, clipboard and default handlers.
#pragma once

#include <QPointer>

#include "app/Desktop.h"

class QColorDialog;
class QWidget;

namespace licytek {

class SystemDesktop final : public Desktop {
  public:
    SystemDesktop();
    ~SystemDesktop() override;

    // The window over which the colour dialog is centred.
    void SetDialogOwner(QWidget* owner) { owner_ = owner; }

    void ShowMessage(const QString& caption, const QString& text) override;
    void ShowError(const QString& text) override;
    bool Confirm(const QString& caption, const QString& question) override;
    std::optional<QColor> PickColour(const QColor& start) override;
    void CopyToClipboard(const QString& text) override;
    void PutOnClipboard(std::unique_ptr<QMimeData> data) override;
    void Open(const QUrl& url) override;
    QString AskSaveFileName(const QString& caption, const QString& defaultName,
                            const QString& filter) override;
    QString AskOpenFileName(const QString& caption, const QString& filter) override;
    QString AskFolder(const QString& caption) override;

  private:
    // The window a file dialog belongs to: the one the seller works in, else the owner.
    QWidget* DialogParent() const;

    QPointer<QWidget> owner_;
    // One dialog for the whole run, so that its custom colours stay between two pickings.
    // Its owner window may delete it first, hence the guarded pointer.
    QPointer<QColorDialog> colourDialog_;
};

}  // namespace licytek
