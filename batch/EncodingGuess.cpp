#include "batch/EncodingGuess.h"

#include <algorithm>

#include "model/Utf8.h"

namespace licytek::batch {
namespace {

// What a character of two or more bytes says about a seller's sheet read as UTF-8.
enum class Sense { LatinLetter, Symbol, Combining, Foreign, Implausible };

Sense SenseOf(char32_t c) {
    if (c < 0xA0) {
        return Sense::Implausible;  // C1 control characters
    }
    if (c < 0x250) {
        if (c < 0xC0 || c == 0xD7 || c == 0xF7) {
            return Sense::Symbol;  // no-break space, ², §, «», °, ×, ÷ …
        }
        // Latin-1 and Latin Extended-A letters and the Romanian ș and ț; the rest of Latin
        // Extended-B is what Windows-1250's "Ć" with a second letter reads as.
        const bool romanian = c >= 0x218 && c <= 0x21B;
        return c < 0x180 || romanian ? Sense::LatinLetter : Sense::Implausible;
    }
    if (c < 0x300) {
        // Spacing accents (ˆ ˇ ˘ ˙ ˛ ˜ ˝) are symbols; phonetic and modifier letters are what
        // "Ę" with a second letter reads as.
        return c >= 0x2C6 && c <= 0x2DD ? Sense::Symbol : Sense::Implausible;
    }
    if (c < 0x370) {
        return Sense::Combining;  // accents as separate characters, as some programs save them
    }
    if (c < 0x400) {
        return Sense::Symbol;  // Greek letters stand for units and quantities: μF, kΩ, π
    }
    if (c >= 0x1E00 && c < 0x1F00) {
        return Sense::LatinLetter;  // Latin Extended Additional
    }
    const bool punctuationAndSymbols = c >= 0x2000 && c < 0x2C00;  // „” – … € № ™ → ✔
    const bool variationOrBom = (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFFD;
    const bool emojiOrTags = (c >= 0x1F000 && c < 0x1FB00) || (c >= 0xE0000 && c < 0xF0000);
    if (punctuationAndSymbols || variationOrBom || emojiOrTags) {
        return Sense::Symbol;
    }
    const bool privateUse = (c >= 0xE000 && c < 0xF900) || c >= 0xF0000;
    const bool unassignedPlanes = c >= 0x40000 && c < 0xE0000;
    const bool nonCharacter = (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
    if (privateUse || unassignedPlanes || nonCharacter) {
        return Sense::Implausible;
    }
    return Sense::Foreign;  // Cyrillic, Hebrew, CJK …
}

bool IsAsciiLetter(unsigned char c) {
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

}  // namespace

void EncodingGuess::Feed(std::string_view bytes) {
    if (cutSize_ > 0) {
        // A character starting in the cut bytes ends within the next three.
        std::array<char, 7> joined{};
        std::copy_n(cut_.begin(), cutSize_, joined.begin());
        const std::size_t taken = std::min<std::size_t>(bytes.size(), 3);
        std::copy_n(bytes.begin(), taken, joined.begin() + static_cast<std::ptrdiff_t>(cutSize_));
        const std::string_view view(joined.data(), cutSize_ + taken);
        const std::size_t stop = Read(view, cutSize_, false);
        if (stop < cutSize_) {  // still cut: the chunk was shorter than the rest of it
            cutSize_ = view.size() - stop;
            std::copy_n(view.begin() + static_cast<std::ptrdiff_t>(stop), cutSize_, cut_.begin());
            return;
        }
        bytes.remove_prefix(stop - cutSize_);
        cutSize_ = 0;
    }
    const std::size_t stop = Read(bytes, bytes.size(), false);
    cutSize_ = bytes.size() - stop;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(stop), cutSize_, cut_.begin());
}

GuessedEncoding EncodingGuess::Verdict(bool atEnd) const {
    EncodingGuess whole = *this;
    if (atEnd && cutSize_ > 0) {
        whole.Read(std::string_view(cut_.data(), cutSize_), cutSize_, true);
    }
    whole.EndForeignRun(Previous::Other);
    return whole.Decide();
}

std::size_t EncodingGuess::Read(std::string_view bytes, std::size_t end, bool final) {
    std::size_t at = 0;
    char32_t c = 0;
    while (at < end) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            // Of a run of ASCII only its ends matter: whether a letter touches the characters
            // around it.
            std::size_t last = at;
            while (last + 1 < end && static_cast<unsigned char>(bytes[last + 1]) < 0x80) {
                ++last;
            }
            TakeAscii(byte, static_cast<unsigned char>(bytes[last]));
            at = last + 1;
            continue;
        }
        const std::size_t length = ReadUtf8(bytes.substr(at), c);
        if (length > 0) {
            TakeCharacter(c);
            at += length;
            continue;
        }
        if (!final && Utf8LengthOfLead(byte) > bytes.size() - at) {
            return at;  // the next chunk may hold the rest
        }
        TakeBroken();
        ++at;
    }
    return at;
}

void EncodingGuess::TakeAscii(unsigned char first, unsigned char last) {
    EndForeignRun(IsAsciiLetter(first) ? Previous::LatinLetter : Previous::Other);
    previous_ = IsAsciiLetter(last) ? Previous::LatinLetter : Previous::Other;
}

void EncodingGuess::TakeCharacter(char32_t c) {
    switch (SenseOf(c)) {
        case Sense::Foreign:
            if (previous_ != Previous::Foreign) {
                foreignRunTouchesLatin_ =
                    previous_ == Previous::LatinLetter || previous_ == Previous::Broken;
            }
            ++foreignRun_;
            previous_ = Previous::Foreign;
            return;
        case Sense::Combining:
            if (previous_ == Previous::LatinLetter) {
                ++plausible_;
            } else if (previous_ == Previous::Foreign) {
                ++foreignRun_;
            } else {
                ++implausible_;  // an accent on nothing
                previous_ = Previous::Other;
            }
            return;
        case Sense::LatinLetter:
            EndForeignRun(Previous::LatinLetter);
            ++plausible_;
            previous_ = Previous::LatinLetter;
            return;
        case Sense::Symbol:
            EndForeignRun(Previous::Other);
            ++plausible_;
            previous_ = Previous::Other;
            return;
        case Sense::Implausible:
            EndForeignRun(Previous::Other);
            ++implausible_;
            previous_ = Previous::Other;
            return;
    }
}

void EncodingGuess::TakeBroken() {
    EndForeignRun(Previous::Broken);
    ++broken_;
    previous_ = Previous::Broken;
}

void EncodingGuess::EndForeignRun(Previous next) {
    if (foreignRun_ == 0) {
        return;
    }
    // "PӣKA" is Windows-1250's "PÓŁKA"; a word in another script stands apart from Latin ones.
    const bool word = foreignRun_ >= 2 && !foreignRunTouchesLatin_ &&
                      next != Previous::LatinLetter && next != Previous::Broken;
    (word ? plausible_ : implausible_) += foreignRun_;
    foreignRun_ = 0;
}

GuessedEncoding EncodingGuess::Decide() const {
    if (plausible_ == 0) {
        // Plain ASCII reads the same either way.
        const bool ascii = implausible_ == 0 && broken_ == 0;
        return ascii ? GuessedEncoding::Utf8 : GuessedEncoding::Cp1250;
    }
    // Windows-1250 text practically never reads as plausible UTF-8, while real UTF-8 may
    // hold an odd character or two: a few of those do not outweigh many plausible ones.
    if (implausible_ * 2 > plausible_) {
        return GuessedEncoding::Cp1250;
    }
    if (broken_ == 0) {
        return GuessedEncoding::Utf8;
    }
    // Refused rather than read as Windows-1250, which would garble every letter of it.
    return broken_ <= plausible_ ? GuessedEncoding::BrokenUtf8 : GuessedEncoding::Cp1250;
}

GuessedEncoding GuessEncoding(std::string_view bytes) {
    EncodingGuess guess;
    guess.Feed(bytes);
    return guess.Verdict(true);
}

}  // namespace licytek::batch
