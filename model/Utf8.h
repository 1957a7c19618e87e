// Reading well-formed UTF-8: the one decoder that the conversions, the JSON reader, the page
// check and the batch's encoding check share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace licytek {

// How many bytes a UTF-8 character with this lead byte takes; 0 for a byte that cannot lead
// one (a continuation byte, C0, C1 or F5 to FF).
inline std::size_t Utf8LengthOfLead(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xC2 || lead > 0xF4) {
        return 0;
    }
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

// The length of the well-formed UTF-8 character at the start of `text` (no overlong form,
// no surrogate, nothing past U+10FFFF), with its code point in `codePoint`; 0 when broken
// or cut short.
inline std::size_t ReadUtf8(std::string_view text, char32_t& codePoint) {
    if (text.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = Utf8LengthOfLead(lead);
    if (length == 0 || length > text.size()) {
        return 0;
    }
    if (length == 1) {
        codePoint = lead;
        return 1;
    }
    // Two bytes, the most common case in Polish text: a lead of C2 or more is never overlong.
    const auto second = static_cast<unsigned char>(text[1]);
    if (length == 2) {
        codePoint = static_cast<char32_t>((lead & 0x1F) << 6 | (second & 0x3F));
        return (second & 0xC0) == 0x80 ? 2 : 0;
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

// Whether all of `text` is well-formed UTF-8.
inline bool IsValidUtf8(std::string_view text) {
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = ReadUtf8(text.substr(at), codePoint);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

// How many characters a UTF-8 text holds. A byte that begins no well-formed character counts
// as one, as a reader shows it (one U+FFFD), so a broken text is never counted short.
std::size_t Utf8CharacterCount(std::string_view utf8);

// The start of the text that holds at most `maxCharacters` characters (counted as above):
// never ends inside a character.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t maxCharacters);

// The name Unicode gives a code point in running text: "U+" and its upper-case hexadecimal
// digits, at least four ("U+00B2", "U+FEFF", "U+1F600", "U+10FFFF").
std::string CodePointName(char32_t codePoint);

}  // namespace licytek
