#include "batch/InputText.h"

#include <array>

#include "model/Utf8.h"

namespace licytek::batch {
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

std::optional<std::size_t> FirstBrokenUtf8(std::string_view text) {
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length =
            static_cast<unsigned char>(text[at]) < 0x80 ? 1 : ReadUtf8(text.substr(at), codePoint);
        if (length == 0) {
            return at;
        }
        at += length;
    }
    return std::nullopt;
}

char DetectSeparator(std::string_view start) {
    constexpr std::array<char, 3> kCandidates = {';', '\t', ','};
    std::array<std::size_t, 3> counts{};
    bool quoted = false;
    for (const char c : start) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            break;
        } else if (!quoted) {
            for (std::size_t i = 0; i < kCandidates.size(); ++i) {
                counts[i] += c == kCandidates[i] ? 1U : 0U;
            }
        }
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < kCandidates.size(); ++i) {
        if (counts[i] > counts[best]) {
            best = i;
        }
    }
    return kCandidates[best];
}

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
            shown += "U+";
            for (int shift = 12; shift >= 0; shift -= 4) {
                shown.push_back(kHex[(c >> shift) & 15]);
            }
        } else {
            shown.append(utf8.substr(at, length));
        }
        at += length;
    }
    return shown;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace licytek::batch
