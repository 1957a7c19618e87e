// The window's few ways out to the desktop, behind one small interface so that the tests run
// the window with a fake that never blocks, opens a browser or touches the real clipboard.
#pragma once

#include <QColor>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QMimeData;

namespace licytek {

class Desktop {
  public:
    virtual ~Desktop() = default;

    // A message box owned by no window, with the caption, the text, an OK button and no icon;
    // returns when the seller closes it.
    virtual void ShowMessage(const QString& caption, const QString& text) = 0;

    // The error message box of a command that failed; returns when the seller closes it.
    virtual void ShowError(const QString& text) = 0;

    // A question with "Tak" and "Nie"; true when the seller answers "Tak".
    virtual bool Confirm(const QString& caption, const QString& question) = 0;

    // Runs the shared colour dialog opened on `start`; the confirmed colour, or nothing when
    // the seller cancels.
    virtual std::optional<QColor> PickColour(const QColor& start) = 0;

    // Puts `text` on the system clipboard as plain text.
    virtual void CopyToClipboard(const QString& text) = 0;

    // Puts every format of `data` on the system clipboard at once, e.g. HTML for a rich-text
    // editor beside plain text for every other program.
    virtual void PutOnClipboard(std::unique_ptr<QMimeData> data) = 0;

    // Hands a local file or a web address to the desktop's default handler and returns at
    // once; whether that worked is not examined.
    virtual void Open(const QUrl& url) = 0;

    // The file dialogs: each returns the chosen path, or an empty text when the seller cancels.
    // `filter` is in the file dialog's form, "Pliki CSV (*.csv);;Wszystkie pliki (*)".
    virtual QString AskSaveFileName(const QString& caption, const QString& defaultName,
                                    const QString& filter) = 0;
    virtual QString AskOpenFileName(const QString& caption, const QString& filter) = 0;
    virtual QString AskFolder(const QString& caption) = 0;
};

}  // namespace licytek
