#include "batch/InputText.h"

#include <array>

#include "model/Utf8.h"

namespace licytek::batch {

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
