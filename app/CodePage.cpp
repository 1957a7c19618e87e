#include "app/CodePage.h"

#include <QStringList>

#include <array>
#include <bitset>

#include "model/Text.h"

namespace licytek {
namespace {

// One bit per character of the Basic Multilingual Plane, set for the 255 characters the code
// page holds (taken from the conversion itself, so the two never disagree).
const std::bitset<0x10000>& HeldCharacters() {
    static const std::bitset<0x10000> held = [] {
        std::string everyByte;
        for (int byte = 1; byte < 256; ++byte) {
            everyByte.push_back(static_cast<char>(byte));
        }
        std::bitset<0x10000> bits;
        for (const QChar character : QString::fromStdString(Cp1250ToUtf8(everyByte))) {
            bits.set(character.unicode());
        }
        return bits;
    }();
    return held;
}

}  // namespace

bool Cp1250Holds(QChar character) {
    return HeldCharacters().test(character.unicode());
}

QString UnheldCharacters(const QString& text) {
    QString unheld;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Cp1250Holds(text[i])) {
            continue;
        }
        // A character beyond the Basic Multilingual Plane is a pair of surrogates: keep both.
        const qsizetype length =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QString character = text.mid(i, length);
        if (!unheld.contains(character)) {
            unheld += character;
        }
        i += length - 1;
    }
    return unheld;
}

QString WithoutUnheldCharacters(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar character : text) {
        if (Cp1250Holds(character)) {
            kept += character;
        }
    }
    return kept;
}

std::optional<std::string> ToCp1250(const QString& text) {
    return Utf8ToCp1250(text.toStdString());
}

QString FromCp1250(std::string_view bytes) {
    return QString::fromStdString(Cp1250ToUtf8(bytes));
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {

// The character of `text` at `at` (a surrogate pair whole) and its code point.
QString CharacterAt(const QString& text, qsizetype at, char32_t& codePoint) {
    if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        codePoint = QChar::surrogateToUcs4(text[at], text[at + 1]);
        return text.mid(at, 2);
    }
    codePoint = text[at].unicode();
    return text.mid(at, 1);
}

void AddOnce(QString& characters, const QString& character) {
    if (!characters.contains(character)) {
        characters += character;
    }
}

bool OneCharacter(const QString& characters) {
    return characters.size() == 1 || (characters.size() == 2 && characters[0].isHighSurrogate());
}

}  // namespace

AdmittedText AdmitText(const QString& text, UnheldRule rule) {
    AdmittedText admitted;
    admitted.text.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        if (Cp1250Holds(text[at])) {
            admitted.text += text[at++];
            continue;
        }
        char32_t codePoint = 0;
        const QString character = CharacterAt(text, at, codePoint);
        at += character.size();
        const bool lone = character.size() == 1 && character[0].isSurrogate();
        if (rule == UnheldRule::Reference && !lone && TakesReference(codePoint)) {
            admitted.text += QStringLiteral("&#%1;").arg(static_cast<qulonglong>(codePoint));
            AddOnce(admitted.referenced, character);
        } else {
            AddOnce(admitted.refused, character);
        }
    }
    return admitted;
}

QString RefusedCharactersMessage(const QString& characters) {
    const QString quoted = QStringLiteral("„%1”").arg(characters);
    if (OneCharacter(characters)) {
        return QStringLiteral(
                   "Znaku %1 nie da się wpisać w to pole, więc nie został wstawiony: program "
                   "zapisuje w nim tylko litery i znaki używane w Europie Środkowej.")
            .arg(quoted);
    }
    return QStringLiteral(
               "Znaków %1 nie da się wpisać w to pole, więc nie zostały wstawione: program "
               "zapisuje w nim tylko litery i znaki używane w Europie Środkowej.")
        .arg(quoted);
}

QString ReferencedCharactersMessage(const QString& characters) {
    const QString quoted = QStringLiteral("„%1”").arg(characters);
    QStringList codes;
    for (qsizetype at = 0; at < characters.size();) {
        char32_t codePoint = 0;
        at += CharacterAt(characters, at, codePoint).size();
        codes << QStringLiteral("&#%1;").arg(static_cast<qulonglong>(codePoint));
    }
    if (OneCharacter(characters)) {
        return QStringLiteral(
                   "Znak %1 został wpisany jako kod %2, bo program nie przechowuje go wprost. "
                   "Strona aukcji i Allegro pokażą go jako %1.")
            .arg(quoted, codes.join(QLatin1Char(' ')));
    }
    return QStringLiteral(
               "Znaki %1 zostały wpisane jako kody %2, bo program nie przechowuje ich wprost. "
               "Strona aukcji i Allegro pokażą je jako zwykłe znaki.")
        .arg(quoted, codes.join(QLatin1Char(' ')));
}

Cp1250Validator::Cp1250Validator(UnheldRule rule, Handler onRefused, Handler onReferenced,
                                 QObject* parent)
    : QValidator(parent),
      rule_(rule),
      onRefused_(std::move(onRefused)),
      onReferenced_(std::move(onReferenced)) {}

QValidator::State Cp1250Validator::validate(QString& input, int& position) const {
    if (UnheldCharacters(input).isEmpty()) {
        return Acceptable;
    }
    const AdmittedText admitted = AdmitText(input, rule_);
    // Keep the caret where it was relative to the characters around it.
    position = static_cast<int>(AdmitText(input.left(position), rule_).text.size());
    input = admitted.text;
    if (onRefused_ && !admitted.refused.isEmpty()) {
        onRefused_(admitted.refused);
    }
    if (onReferenced_ && !admitted.referenced.isEmpty()) {
        onReferenced_(admitted.referenced);
    }
    return Acceptable;
}

}  // namespace licytek
