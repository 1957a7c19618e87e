#include "structured/JsonString.h"

namespace licytek::structured {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The escape of an ASCII character that JSON does not take as it is, or nothing.
std::string_view ShortEscape(char c) {
    switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\f':
            return "\\f";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            return {};
    }
}

void AppendControlEscape(std::string& out, unsigned char c) {
    constexpr std::string_view kHex = "0123456789abcdef";
    out += "\\u00";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0xF]);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    std::size_t copied = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = c >= 0x80 ? ReadUtf8(text.substr(i), codePoint) : 0;
        if (length > 0) {
            i += length;
            continue;
        }
        out.append(text.substr(copied, i - copied));
        if (c >= 0x80) {
            out.append(kReplacement);
        } else if (const std::string_view escape = ShortEscape(text[i]); !escape.empty()) {
            out.append(escape);
        } else {
            AppendControlEscape(out, c);
        }
        copied = ++i;
    }
    out.append(text.substr(copied));
    out.push_back('"');
}

}  // namespace licytek::structured
