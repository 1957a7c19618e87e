#include "model/Utf8.h"

namespace licytek {
namespace {

// The length of the character at the start of a non-empty `text`; 1 for a broken byte.
std::size_t CharacterLengthAt(std::string_view text) {
    if (static_cast<unsigned char>(text[0]) < 0x80) {
        return 1;
    }
    char32_t ignored = 0;
    const std::size_t length = ReadUtf8(text, ignored);
    return length == 0 ? 1 : length;
}

}  // namespace

std::size_t Utf8CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < utf8.size(); ++count) {
        at += CharacterLengthAt(utf8.substr(at));
    }
    return count;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t maxCharacters) {
    std::size_t at = 0;
    for (std::size_t count = 0; at < utf8.size() && count < maxCharacters; ++count) {
        at += CharacterLengthAt(utf8.substr(at));
    }
    return utf8.substr(0, at);
}

std::string CodePointName(char32_t codePoint) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string digits;
    for (; codePoint != 0 || digits.size() < 4; codePoint >>= 4) {
        digits.insert(digits.begin(), kHex[codePoint & 0xF]);
    }
    return "U+" + digits;
}

}  // namespace licytek
