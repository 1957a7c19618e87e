#include "model/TerminalText.h"

#include "model/Utf8.h"

namespace licytek {

bool IsInvisibleControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string VisibleText(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(utf8.size());
    char32_t c = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        std::size_t length = 1;
        c = byte;
        if (byte >= 0x80) {
            length = ReadUtf8(utf8.substr(at), c);
        }
        if (length == 0) {
            shown += std::string{'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
            ++at;
            continue;
        }
        if (c < 0x80 && IsInvisibleControl(c)) {
            shown += std::string{'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else if (IsInvisibleControl(c)) {
            shown += CodePointName(c);
        } else {
            shown.append(utf8.substr(at, length));
        }
        at += length;
    }
    return shown;
}

}  // namespace licytek
