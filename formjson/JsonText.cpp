#include "formjson/JsonText.h"

#include <algorithm>
#include <cstdint>

#include "model/PolishNumbers.h"
#include "model/Utf8.h"

namespace licytek::json_text {
namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNumberByte(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// Where the string whose content begins at `begin` ends: at its closing quote, or at the end
// of the text when it has none.
std::size_t StringEnd(std::string_view json, std::size_t begin) {
    std::size_t at = begin;
    while (at < json.size() && json[at] != '"') {
        at += json[at] == '\\' ? 2u : 1u;
    }
    return std::min(at, json.size());
}

std::size_t RunEnd(std::string_view json, std::size_t at, bool (*belongs)(char)) {
    while (at < json.size() && belongs(json[at])) {
        ++at;
    }
    return at;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The four hexadecimal digits of a \u escape at content[at], or nothing.
std::optional<char32_t> CodeUnitAt(std::string_view content, std::size_t at) {
    if (at + 4 > content.size()) {
        return std::nullopt;
    }
    char32_t unit = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
        const int digit = HexValue(content[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        unit = unit << 4 | static_cast<char32_t>(digit);
    }
    return unit;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code >> 6));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code >> 12));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code >> 18));
        out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

using Decoded = std::variant<std::string, std::string>;

Decoded Fault(std::string what) {
    return Decoded(std::in_place_index<1>, std::move(what));
}

// A \u escape at content[at] (just after the backslash's "u"), surrogate pairs joined.
std::optional<std::string> DecodeUnicodeEscape(std::string_view content, std::size_t& at,
                                               std::string& out) {
    const auto unit = CodeUnitAt(content, at);
    if (!unit) {
        return "'\\u' must be followed by 4 hex digits";
    }
    at += 4;
    char32_t code = *unit;
    if (code >= 0xDC00 && code <= 0xDFFF) {
        return "surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF";
    }
    if (code >= 0xD800 && code <= 0xDBFF) {
        const bool escape = content.substr(at, 2) == "\\u";
        const auto low = escape ? CodeUnitAt(content, at + 2) : std::nullopt;
        if (!low || *low < 0xDC00 || *low > 0xDFFF) {
            return "surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF";
        }
        at += 6;
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
    }
    AppendUtf8(out, code);
    return std::nullopt;
}

}  // namespace

Survey SurveyText(std::string_view json) {
    Survey survey;
    std::size_t strings = 0;
    for (std::size_t at = 0; at < json.size();) {
        const char c = json[at];
        if (c == '"') {
            const std::size_t end = StringEnd(json, at + 1);
            if (end - (at + 1) > kLongStretch) {
                if (end == json.size()) {
                    survey.fault = "malformed JSON: the string at " + PositionOf(json, at + 1) +
                                   " has no closing quote";
                    survey.polishFault = "błędny JSON (" + PolishPositionOf(json, at + 1) +
                                         "): tekst nie ma cudzysłowu zamykającego";
                    return survey;
                }
                survey.hidden.push_back({at + 1, end});
                survey.longStrings.push_back({strings, {at + 1, end}});
            }
            ++strings;
            at = end + 1;
        } else if (IsWhiteSpace(c)) {
            const std::size_t end = RunEnd(json, at, IsWhiteSpace);
            if (end - at > kLongStretch) {
                survey.hidden.push_back({at + 1, end});  // one stays, to part the tokens
            }
            at = end;
        } else if ((c >= '0' && c <= '9') || c == '-') {
            const std::size_t end = RunEnd(json, at, IsNumberByte);
            if (end - at > kLongStretch) {
                survey.fault = "malformed JSON: a number of " + std::to_string(end - at) +
                               " characters at " + PositionOf(json, at + 1) +
                               ", longer than any input takes";
                survey.polishFault = "błędny JSON (" + PolishPositionOf(json, at + 1) +
                                     "): liczba ma " +
                                     CountedNoun(end - at, "znak", "znaki", "znaków") +
                                     ", więcej niż przyjmie jakiekolwiek pole";
                return survey;
            }
            at = end;
        } else {
            ++at;
        }
    }
    return survey;
}

std::variant<std::string, std::string> DecodeString(std::string_view content) {
    std::string out;
    out.reserve(content.size());
    for (std::size_t at = 0; at < content.size();) {
        // Plain characters go over in runs.
        std::size_t plain = at;
        while (plain < content.size() && static_cast<unsigned char>(content[plain]) >= 0x20 &&
               static_cast<unsigned char>(content[plain]) < 0x80 && content[plain] != '\\') {
            ++plain;
        }
        if (plain != at) {
            out.append(content.substr(at, plain - at));
            at = plain;
            continue;
        }
        const auto byte = static_cast<unsigned char>(content[at]);
        if (byte < 0x20) {
            return Fault("control character must be escaped");
        }
        if (byte == '\\') {
            const char escaped = at + 1 < content.size() ? content[at + 1] : '\0';
            at += 2;
            static constexpr std::string_view kSimple = "\"\\/bfnrt";
            static constexpr std::string_view kMeaning = "\"\\/\b\f\n\r\t";
            if (const auto simple = kSimple.find(escaped); simple != std::string_view::npos) {
                out.push_back(kMeaning[simple]);
            } else if (escaped == 'u') {
                if (auto fault = DecodeUnicodeEscape(content, at, out)) {
                    return Fault(std::move(*fault));
                }
            } else {
                return Fault("forbidden character after backslash");
            }
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = ReadUtf8(content.substr(at), codePoint);
        if (length == 0) {
            return Fault("ill-formed UTF-8 byte");
        }
        out.append(content.substr(at, length));
        at += length;
    }
    return Decoded(std::in_place_index<0>, std::move(out));
}

namespace {

struct LineColumn {
    std::size_t line;
    std::size_t column;
};

LineColumn LineColumnOf(std::string_view json, std::size_t offset) {
    const std::string_view before = json.substr(0, offset);
    const auto lines = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const auto lineStart = before.rfind('\n');
    // The library counts the end of the text as one more byte read.
    const std::size_t column =
        lineStart == std::string_view::npos ? offset : offset - lineStart - 1;
    return {lines + 1, column};
}

}  // namespace

std::string PositionOf(std::string_view json, std::size_t offset) {
    const auto [line, column] = LineColumnOf(json, offset);
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string PolishPositionOf(std::string_view json, std::size_t offset) {
    const auto [line, column] = LineColumnOf(json, offset);
    return "wiersz " + std::to_string(line) + ", kolumna " + std::to_string(column);
}

std::size_t OffsetInText(const std::vector<Stretch>& hidden, std::size_t seen) {
    std::size_t offset = seen;
    for (const Stretch& stretch : hidden) {
        if (stretch.begin >= offset) {
            break;
        }
        offset += stretch.end - stretch.begin;
    }
    return offset;
}

}  // namespace licytek::json_text
