#include "model/CaseFold.h"

namespace licytek {
namespace {

// Lower case of a code point below U+0180; others are returned unchanged.
char32_t LowerLatin(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    // Latin Extended-A pairs each capital with the small letter after it; the capitals sit on
    // even code points in two runs and on odd ones in the other two.
    const bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapitals && c % 2 == 0) || (oddCapitals && c % 2 == 1)) {
        return c + 1;
    }
    return c == 0x178 ? 0xFF : c;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out(utf8);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto lead = static_cast<unsigned char>(out[i]);
        if (lead < 0x80) {
            out[i] = static_cast<char>(LowerLatin(lead));
            continue;
        }
        // Every letter folded here is a two-byte sequence, and so is its small letter.
        const auto next = static_cast<unsigned char>(i + 1 < out.size() ? out[i + 1] : 0);
        if (lead < 0xC2 || lead > 0xC5 || (next & 0xC0) != 0x80) {
            continue;
        }
        const char32_t lower =
            LowerLatin(static_cast<char32_t>(((lead & 0x1F) << 6) | (next & 0x3F)));
        out[i] = static_cast<char>(0xC0 | (lower >> 6));
        out[i + 1] = static_cast<char>(0x80 | (lower & 0x3F));
        ++i;
    }
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = AsciiLower(c);
    }
    return lower;
}

}  // namespace licytek
