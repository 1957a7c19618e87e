// The window's edge of the core's texts: QString <-> Windows-1250 bytes, and the guard that
// keeps characters the code page cannot hold out of the line edits.
#pragma once

#include <QString>
#include <QValidator>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace licytek {

// Whether a text of the form may hold the character: every character of Windows-1250 but the
// zero byte, which ends a text in the program's files.
bool Cp1250Holds(QChar character);

// The distinct characters of `text` that Windows-1250 cannot hold, in order of appearance.
QString UnheldCharacters(const QString& text);

// `text` without the characters Windows-1250 cannot hold.
QString WithoutUnheldCharacters(const QString& text);

// Windows-1250 bytes of `text`, or nothing when it holds a character the code page cannot hold.
std::optional<std::string> ToCp1250(const QString& text);

// The text of Windows-1250 bytes.
QString FromCp1250(std::string_view bytes);

// The text of UTF-8 bytes, as the core's tables of names and labels hold them.
QString FromUtf8(std::string_view text);

// How an input takes a character that the code page cannot hold: an input the page shows as
// HTML text takes its numeric reference ("²" as "&#178;"), which the page and Allegro show as
// the character; any other input refuses it (see FormField::htmlText).
enum class UnheldRule { Refuse, Reference };

// What goes into an input of `rule` of a typed or pasted text.
struct AdmittedText {
    QString text;
    QString refused;     // the distinct characters left out, in order of appearance
    QString referenced;  // the distinct characters put in as references
};
AdmittedText AdmitText(const QString& text, UnheldRule rule);

// The seller's message for characters that were refused where they were typed or pasted.
QString RefusedCharactersMessage(const QString& characters);

// The seller's message for characters that went in as references, in plain words.
QString ReferencedCharactersMessage(const QString& characters);

// Keeps the characters Windows-1250 cannot hold out of whatever is typed or pasted into a
// line edit, as references or not at all by the input's rule, and reports them, so that
// nothing turns silently into another character later.
class Cp1250Validator : public QValidator {
  public:
    using Handler = std::function<void(const QString& characters)>;

    Cp1250Validator(UnheldRule rule, Handler onRefused, Handler onReferenced, QObject* parent);

    State validate(QString& input, int& position) const override;

  private:
    UnheldRule rule_;
    Handler onRefused_;
    Handler onReferenced_;
};

}  // namespace licytek
