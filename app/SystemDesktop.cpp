#include "app/SystemDesktop.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>

namespace licytek {
namespace {

const QString kErrorCaption = QStringLiteral("Licytek 3.0");

}  // namespace

SystemDesktop::SystemDesktop() = default;
SystemDesktop::~SystemDesktop() {
    delete colourDialog_.data();
}

void SystemDesktop::ShowMessage(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

void SystemDesktop::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, kErrorCaption, text, QMessageBox::Ok);
    box.exec();
}

std::optional<QColor> SystemDesktop::PickColour(const QColor& start) {
    if (!colourDialog_) {
        colourDialog_ = new QColorDialog(owner_.data());
    }
    colourDialog_->setCurrentColor(start);
    if (colourDialog_->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return colourDialog_->selectedColor();
}

void SystemDesktop::CopyToClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void SystemDesktop::Open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace licytek
