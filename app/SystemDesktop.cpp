#include "app/SystemDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>

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

bool SystemDesktop::Confirm(const QString& caption, const QString& question) {
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Yes | QMessageBox::No,
                    DialogParent());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
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
    QApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void SystemDesktop::PutOnClipboard(std::unique_ptr<QMimeData> data) {
    QApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);  // takes it
}

void SystemDesktop::Open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

QWidget* SystemDesktop::DialogParent() const {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : owner_.data();
}

QString SystemDesktop::AskSaveFileName(const QString& caption, const QString& defaultName,
                                       const QString& filter) {
    return QFileDialog::getSaveFileName(DialogParent(), caption, defaultName, filter);
}

QString SystemDesktop::AskOpenFileName(const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(DialogParent(), caption, QString(), filter);
}

QString SystemDesktop::AskFolder(const QString& caption) {
    return QFileDialog::getExistingDirectory(DialogParent(), caption);
}

}  // namespace licytek
