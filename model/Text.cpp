#include "model/Text.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "model/CaseFold.h"
#include "model/Utf8.h"

namespace licytek {
namespace {

bool IsUndefinedCp1250Byte(unsigned char byte) {
    return byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
}

// Appends the UTF-8 of a code point below U+10000 at `out`; returns the end.
char* PutUtf8(char32_t code, char* out) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// The code page as two tables, asked of iconv once, byte by byte: iconv's error path costs
// microseconds a character, which a text of undefined bytes would pay on every conversion.
class Cp1250Tables {
  public:
    Cp1250Tables() {
        iconv_t cd = iconv_open("UTF-8", "CP1250");
        // iconv's own failure value is a pointer made of -1.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv cannot convert between UTF-8 and Windows-1250");
        }
        for (unsigned byte = 0; byte < 256; ++byte) {
            const char32_t code = AskIconv(cd, static_cast<unsigned char>(byte));
            utf8Length_[byte] =
                static_cast<std::uint8_t>(PutUtf8(code, utf8_[byte].data()) - utf8_[byte].data());
            if (code >= bytes_.size()) {
                throw std::runtime_error("iconv maps Windows-1250 beyond the plane");
            }
            if (byte >= 0x80) {
                bytes_[code] = static_cast<std::uint8_t>(byte);
            }
        }
        iconv_close(cd);
    }

    std::size_t Utf8LengthOf(unsigned char byte) const { return utf8Length_[byte]; }
    const char* Utf8Of(unsigned char byte) const { return utf8_[byte].data(); }

    // The byte for a code point, or nothing when the code page cannot hold it.
    std::optional<char> ByteOf(char32_t code) const {
        if (code < 0x80) {
            return static_cast<char>(code);
        }
        if (code >= bytes_.size() || bytes_[code] == 0) {
            return std::nullopt;
        }
        return static_cast<char>(bytes_[code]);
    }

  private:
    // The code point iconv gives for one byte. The five bytes the code page leaves undefined
    // stand for the control characters of their own value.
    static char32_t AskIconv(iconv_t cd, unsigned char byte) {
        if (byte < 0x80 || IsUndefinedCp1250Byte(byte)) {
            return byte;
        }
        char in[1] = {static_cast<char>(byte)};
        char out[8] = {};
        char* inPtr = in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof(out);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            throw std::runtime_error("iconv does not know a Windows-1250 byte");
        }
        const auto* utf8 = reinterpret_cast<const unsigned char*>(out);
        const std::size_t length = sizeof(out) - outLeft;
        char32_t code = length == 2 ? (utf8[0] & 0x1F) : (utf8[0] & 0x0F);
        for (std::size_t i = 1; i < length; ++i) {
            code = (code << 6) | (utf8[i] & 0x3F);
        }
        return code;
    }

    std::array<std::array<char, 3>, 256> utf8_{};
    std::array<std::uint8_t, 256> utf8Length_{};
    // Indexed by code point; every character of the code page lies in the Basic
    // Multilingual Plane. Zero marks a code point the code page lacks.
    std::array<std::uint8_t, 0x10000> bytes_{};
};

const Cp1250Tables& Tables() {
    static const auto tables = std::make_unique<const Cp1250Tables>();
    return *tables;
}

// The code point of the UTF-8 character at text[at], and its length; nothing for bytes that
// are not a whole, shortest-form character. Characters beyond the Basic Multilingual Plane
// decode too, and are refused like any other character the code page cannot hold.
std::optional<std::pair<char32_t, std::size_t>> DecodeAt(std::string_view text, std::size_t at) {
    char32_t codePoint = 0;
    const std::size_t length = ReadUtf8(text.substr(at), codePoint);
    if (length == 0) {
        return std::nullopt;
    }
    return std::pair{codePoint, length};
}

// Converts `utf8` into Windows-1250 at `out`, which may be utf8's own storage: the output is
// never ahead of the input. Returns the output's end, or nothing with `badOffset` set.
std::optional<char*> ConvertUtf8(std::string_view utf8, char* out, std::size_t& badOffset) {
    const Cp1250Tables& tables = Tables();
    std::size_t at = 0;
    while (at < utf8.size()) {
        // Plain ASCII runs need no decoding.
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            *out++ = utf8[at++];
            continue;
        }
        const auto decoded = DecodeAt(utf8, at);
        const auto byte = decoded ? tables.ByteOf(decoded->first) : std::nullopt;
        if (!byte) {
            badOffset = at;
            return std::nullopt;
        }
        *out++ = *byte;
        at += decoded->second;
    }
    return out;
}

std::optional<std::size_t> FirstUnconvertible(std::string_view utf8) {
    const Cp1250Tables& tables = Tables();
    for (std::size_t at = 0; at < utf8.size();) {
        const auto decoded = DecodeAt(utf8, at);
        if (!decoded || !tables.ByteOf(decoded->first)) {
            return at;
        }
        at += decoded->second;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Utf8ToCp1250(std::string_view utf8, std::size_t* badOffset) {
    std::string out(utf8.size(), '\0');
    std::size_t bad = 0;
    const auto end = ConvertUtf8(utf8, out.data(), bad);
    if (!end) {
        if (badOffset != nullptr) {
            *badOffset = bad;
        }
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(*end - out.data()));
    return out;
}

bool Utf8ToCp1250InPlace(std::string& text, std::size_t* badOffset) {
    if (const auto bad = FirstUnconvertible(text)) {
        if (badOffset != nullptr) {
            *badOffset = *bad;
        }
        return false;
    }
    std::size_t unused = 0;
    const auto end = ConvertUtf8(text, text.data(), unused);
    text.resize(static_cast<std::size_t>(*end - text.data()));
    return true;
}

// Whether the eight bytes at `at` are all ASCII, which converts byte for byte.
bool EightAscii(const char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof(word));
    return (word & 0x8080808080808080u) == 0;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
    const Cp1250Tables& tables = Tables();
    const char* in = cp1250.data();
    const std::size_t length = cp1250.size();
    std::size_t size = 0;
    for (std::size_t i = 0; i < length;) {
        if (i + 8 <= length && EightAscii(in + i)) {
            size += 8;
            i += 8;
        } else {
            size += tables.Utf8LengthOf(static_cast<unsigned char>(in[i++]));
        }
    }
    // Each character's three-byte slot is copied whole and the end moved by its length, so
    // two bytes of room past the end keep the last copy inside the string.
    constexpr std::size_t kSlot = 3;
    std::string out(size + kSlot - 1, '\0');
    char* at = out.data();
    for (std::size_t i = 0; i < length;) {
        if (i + 8 <= length && EightAscii(in + i)) {
            std::memcpy(at, in + i, 8);
            at += 8;
            i += 8;
        } else {
            const auto byte = static_cast<unsigned char>(in[i++]);
            std::memcpy(at, tables.Utf8Of(byte), kSlot);
            at += tables.Utf8LengthOf(byte);
        }
    }
    out.resize(size);
    return out;
}

bool Cp1250CanHold(char32_t codePoint) {
    return Tables().ByteOf(codePoint).has_value();
}

namespace {

bool IsNonCharacter(char32_t codePoint) {
    return (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE;
}

// A reference to this code point reads as itself in a page: &#0; and &#128; to &#159; stand
// for other characters, and surrogates for none.
bool ReferenceGivesBack(char32_t codePoint) {
    return codePoint != 0 && !(codePoint >= 0x80 && codePoint <= 0x9F) &&
           !(codePoint >= 0xD800 && codePoint <= 0xDFFF) && codePoint <= 0x10FFFF;
}

void AppendReference(std::string& out, char32_t codePoint) {
    out += "&#";
    out += std::to_string(static_cast<unsigned long>(codePoint));
    out += ';';
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x10000) {
        char bytes[3];
        out.append(bytes, PutUtf8(code, bytes));
        return;
    }
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
}

struct Reference {
    char32_t codePoint = 0;
    std::size_t length = 0;  // of its spelling, "&#" to ";"
    bool decimal = true;
};

// The numeric character reference that begins at text[at] ("&#178;" or "&#xB2;"), if one does.
std::optional<Reference> ReferenceAt(std::string_view text, std::size_t at) {
    if (!text.substr(at).starts_with("&#")) {
        return std::nullopt;
    }
    std::size_t i = at + 2;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    i += hex ? 1 : 0;
    const std::size_t digitsStart = i;
    char32_t value = 0;
    constexpr std::string_view kHex = "0123456789abcdef";
    for (; i < text.size(); ++i) {
        const std::size_t digit = kHex.find(AsciiLower(text[i]));
        if (digit == std::string_view::npos || (!hex && digit > 9)) {
            break;
        }
        value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(digit),
                                   0x110000);  // past every code point, and no overflow
    }
    if (i == digitsStart || i >= text.size() || text[i] != ';') {
        return std::nullopt;
    }
    return Reference{value, i + 1 - at, !hex};
}

// The text with each reference that `decodes` accepts as its character.
template <typename Decodes>
std::string WithReferencesDecoded(std::string_view utf8, Decodes decodes) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t copied = 0;
    for (std::size_t at = utf8.find("&#"); at != std::string_view::npos;
         at = utf8.find("&#", at + 1)) {
        const auto reference = ReferenceAt(utf8, at);
        if (!reference || !ReferenceGivesBack(reference->codePoint) || !decodes(*reference)) {
            continue;
        }
        out.append(utf8.substr(copied, at - copied));
        AppendUtf8(out, reference->codePoint);
        copied = at + reference->length;
        at = copied - 1;
    }
    out.append(utf8.substr(copied));
    return out;
}

}  // namespace

bool TakesReference(char32_t codePoint) {
    return !Cp1250CanHold(codePoint) && ReferenceGivesBack(codePoint);
}

std::optional<std::string> Utf8ToCp1250WithReferences(std::string_view utf8,
                                                      std::size_t* badOffset) {
    const Cp1250Tables& tables = Tables();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            out += utf8[at++];
            continue;
        }
        const auto decoded = DecodeAt(utf8, at);
        if (const auto byte = decoded ? tables.ByteOf(decoded->first) : std::nullopt) {
            out += *byte;
        } else if (decoded && ReferenceGivesBack(decoded->first)) {
            AppendReference(out, decoded->first);
        } else {
            if (badOffset != nullptr) {
                *badOffset = at;
            }
            return std::nullopt;
        }
        at += decoded->second;
    }
    return out;
}

std::string DecodeCharacterReferences(std::string_view utf8) {
    return WithReferencesDecoded(utf8, [](const Reference&) { return true; });
}

std::string WrittenReferencesAsCharacters(std::string_view utf8) {
    return WithReferencesDecoded(utf8, [](const Reference& reference) {
        return reference.decimal && TakesReference(reference.codePoint) &&
               !IsNonCharacter(reference.codePoint);
    });
}

std::string ToCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out.push_back('\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string ToLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace licytek
