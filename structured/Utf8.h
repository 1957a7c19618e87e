// Small UTF-8 helpers of the structured description: reading one character, writing a JSON
// string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace licytek::structured {

// The length of the well-formed UTF-8 character at the start of `text` (no overlong form,
// no surrogate, nothing past U+10FFFF), with its code point in `codePoint`; 0 when broken.
inline std::size_t ReadUtf8(std::string_view text, char32_t& codePoint) {
    if (text.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || length > text.size() || lead > 0xF4) {
        return 0;
    }
    codePoint = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint >= kSmallest[length] && codePoint <= 0x10FFFF && !surrogate ? length : 0;
}

// `text` as a JSON string, quotes included; broken UTF-8 becomes U+FFFD, so the JSON is
// always well formed.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace licytek::structured
