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

void Utf8Check::Feed(std::string_view bytes) {
    if (!valid_ && sawMultiByte_) {
        return;  // the answer is known
    }
    std::string joined;
    if (!cut_.empty()) {
        joined = std::move(cut_) + std::string(bytes);
        cut_.clear();
        bytes = joined;
    }
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = ReadUtf8(bytes.substr(at), codePoint);
        if (length > 0) {
            sawMultiByte_ = true;
            at += length;
            continue;
        }
        // Too few bytes left for the character the lead byte starts: the next chunk may hold
        // the rest, and the check goes on there.
        const std::size_t needed = Utf8LengthOfLead(static_cast<unsigned char>(bytes[at]));
        if (needed > bytes.size() - at) {
            cut_ = std::string(bytes.substr(at));
            return;
        }
        // Past a broken byte the check still looks for well-formed characters.
        valid_ = false;
        ++at;
    }
}

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

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace licytek::batch
