#include "app/CodePage.h"

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

QString RefusedCharactersMessage(const QString& characters) {
    const QString quoted = QStringLiteral("„%1”").arg(characters);
    if (characters.size() == 1 || (characters.size() == 2 && characters[0].isHighSurrogate())) {
        return QStringLiteral(
                   "Znaku %1 nie da się zapisać w kodowaniu Windows-1250, więc nie "
                   "został wstawiony.")
            .arg(quoted);
    }
    return QStringLiteral(
               "Znaków %1 nie da się zapisać w kodowaniu Windows-1250, więc nie "
               "zostały wstawione.")
        .arg(quoted);
}

Cp1250Validator::Cp1250Validator(RefusalHandler onRefused, QObject* parent)
    : QValidator(parent), onRefused_(std::move(onRefused)) {}

QValidator::State Cp1250Validator::validate(QString& input, int& position) const {
    const QString unheld = UnheldCharacters(input);
    if (unheld.isEmpty()) {
        return Acceptable;
    }
    // Keep the caret where it was relative to the characters that stay.
    const QString beforeCaret = WithoutUnheldCharacters(input.left(position));
    input = WithoutUnheldCharacters(input);
    position = static_cast<int>(beforeCaret.size());
    if (onRefused_) {
        onRefused_(unheld);
    }
    return Acceptable;
}

}  // namespace licytek
