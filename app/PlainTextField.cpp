#include "app/PlainTextField.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "app/CodePage.h"

namespace licytek {
namespace {

bool IsLineBreak(QChar character) {
    return character == QLatin1Char('\n') || character == QChar::ParagraphSeparator ||
           character == QChar::LineSeparator;
}

int StoredLength(const QString& text) {
    qsizetype length = text.size();
    for (const QChar character : text) {
        if (IsLineBreak(character)) {
            ++length;
        }
    }
    return static_cast<int>(length);
}

// Pasted text may come with CR LF or lone CR line breaks; the field holds "\n".
QString WithNewlines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The text a key press would insert, or an empty text for a key that edits or moves instead.
QString TextOfKey(const QKeyEvent& event, bool tabChangesFocus) {
    if ((event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
        !(event.modifiers() & Qt::ControlModifier)) {
        return QStringLiteral("\n");
    }
    QString typed = event.text();
    if (typed.isEmpty() || event.matches(QKeySequence::Paste)) {
        return {};
    }
    const QChar first = typed.front();
    if (first.isPrint() || first.isSurrogate() ||
        (first == QLatin1Char('\t') && !tabChangesFocus)) {
        return typed;
    }
    return {};
}

}  // namespace

PlainTextField::PlainTextField(QWidget* parent) : QPlainTextEdit(parent) {
    connect(document(), &QTextDocument::contentsChange, this, &PlainTextField::KeepWithinLimit);
}

void PlainTextField::setMaxLength(int length) {
    maxLength_ = length;
}

void PlainTextField::setLoadedText(const QString& text) {
    settingLoadedText_ = true;
    setPlainText(text);
    settingLoadedText_ = false;
}

void PlainTextField::KeepWithinLimit(int position, int /*removed*/, int added) {
    if (maxLength_ <= 0 || added <= 0 || settingLoadedText_ || keepingWithinLimit_) {
        return;
    }
    int excess = storedLength() - maxLength_;
    if (excess <= 0) {
        return;
    }
    // The added characters lie at [position, end); the document's last paragraph end is
    // reported with a whole new text but is no character of it.
    const QString raw = document()->toRawText();
    const int end = std::min(position + added, static_cast<int>(raw.size()));
    int start = end;
    while (start > position && excess > 0) {
        --start;
        excess -= IsLineBreak(raw[start]) ? 2 : 1;
    }
    if (start > position && raw[start].isLowSurrogate()) {
        --start;  // never half a character
    }
    if (start == end) {
        return;
    }
    keepingWithinLimit_ = true;
    QTextCursor cut(document());
    cut.setPosition(start);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    keepingWithinLimit_ = false;
    QApplication::beep();
}

int PlainTextField::storedLength() const {
    return StoredLength(document()->toRawText());
}

QString PlainTextField::text() const {
    QString raw = document()->toRawText();
    for (QChar& character : raw) {
        if (IsLineBreak(character)) {
            character = QLatin1Char('\n');
        }
    }
    return raw;
}

int PlainTextField::RoomLeft() const {
    const int selected = StoredLength(textCursor().selectedText());
    return maxLength_ - (storedLength() - selected);
}

QString PlainTextField::Admit(QString text) {
    text = WithNewlines(std::move(text));
    if (!UnheldCharacters(text).isEmpty()) {
        AdmittedText admitted = AdmitText(text, unheldRule_);
        text = std::move(admitted.text);
        if (!admitted.refused.isEmpty()) {
            emit charactersRefused(admitted.refused);
        }
        if (!admitted.referenced.isEmpty()) {
            emit charactersReferenced(admitted.referenced);
        }
    }
    if (maxLength_ <= 0) {
        return text;
    }
    int room = RoomLeft();
    qsizetype fits = 0;
    for (; fits < text.size(); ++fits) {
        const int cost = IsLineBreak(text[fits]) ? 2 : 1;
        if (cost > room) {
            break;
        }
        room -= cost;
    }
    if (fits < text.size()) {
        QApplication::beep();  // typing stops at the limit, as in any limited field
        // Never half a reference: the page would show its first half as text.
        const qsizetype reference = text.lastIndexOf(QStringLiteral("&#"), fits - 1);
        if (reference >= 0 && text.indexOf(QLatin1Char(';'), reference) >= fits) {
            fits = reference;
        }
        text.truncate(fits);
    }
    return text;
}

void PlainTextField::keyPressEvent(QKeyEvent* event) {
    const QString typed = TextOfKey(*event, tabChangesFocus());
    if (typed.isEmpty()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString admitted = Admit(typed);
    if (admitted == typed) {
        QPlainTextEdit::keyPressEvent(event);  // keeps the editor's own typing behaviour
        return;
    }
    if (!admitted.isEmpty()) {
        insertPlainText(admitted);
    }
    event->accept();
}

void PlainTextField::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const QString admitted = Admit(commit);
    if (admitted == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(admitted, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
}

void PlainTextField::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    const QString admitted = Admit(source->text());
    if (admitted.isEmpty()) {
        return;
    }
    QMimeData plain;
    plain.setText(admitted);
    QPlainTextEdit::insertFromMimeData(&plain);
}

}  // namespace licytek
