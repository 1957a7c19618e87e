// A multi-line text field of the form: plain text that keeps out the characters Windows-1250
// cannot hold (or takes them as references), and optionally limits how much the seller may
// enter.
#pragma once

#include <QPlainTextEdit>
#include <QString>

#include "app/CodePage.h"

namespace licytek {

class PlainTextField : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit PlainTextField(QWidget* parent = nullptr);

    // The most characters the seller may enter, a line break counting as two since the
    // program's files store it as CR LF; 0 for no limit. It holds on every way in: typing,
    // pasting, dropping, and a screen reader or other assistive tool setting or inserting text.
    void setMaxLength(int length);
    int maxLength() const { return maxLength_; }

    // Sets the whole text as a loaded project gives it: not cut at the limit, since the
    // project file may hold more than the seller can enter.
    void setLoadedText(const QString& text);

    // The text's length as stored: its characters, each line break counting as two.
    int storedLength() const;

    // The whole text with "\n" between lines, exactly as held (no blank replaces a
    // non-breaking space, unlike toPlainText()).
    QString text() const;

    // How typed or pasted characters that the code page cannot hold go in; refused at first.
    void setUnheldRule(UnheldRule rule) { unheldRule_ = rule; }

  signals:
    // Characters were dropped from typed or pasted text because the code page cannot hold them.
    void charactersRefused(const QString& characters);
    // Characters that the code page cannot hold went in as their references.
    void charactersReferenced(const QString& characters);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // What may go in of `text` at the caret: held characters only, and no more than the
    // limit leaves room for.
    QString Admit(QString text);
    int RoomLeft() const;

    // Takes back the end of a change that went past the limit by a way the field does not
    // see coming (the accessibility interface writes to the document directly).
    void KeepWithinLimit(int position, int removed, int added);

    int maxLength_ = 0;
    UnheldRule unheldRule_ = UnheldRule::Refuse;
    bool settingLoadedText_ = false;
    bool keepingWithinLimit_ = false;
};

}  // namespace licytek
