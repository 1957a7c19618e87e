// Whether a spreadsheet saved as text is UTF-8 or Windows-1250, told by what its letters would
// say. Validity alone cannot tell: in Windows-1250 many pairs of Polish capitals ("ÓŁ" is D3 A3)
// are well-formed UTF-8 too, and read so they would be Cyrillic or phonetic letters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace licytek::batch {

enum class GuessedEncoding {
    Utf8,
    // UTF-8 but for a few bytes: refused where the first of them lies.
    BrokenUtf8,
    Cp1250,
};

// Weighs, chunk by chunk, what the characters of two or more bytes would be read as UTF-8:
// Latin letters with diacritics, punctuation and symbols (²  €  „”  ✔) count for UTF-8;
// control characters, phonetic letters and letters of another script wedged between Latin
// ones count against it, and so do bytes that are not UTF-8 at all. A character cut by a
// chunk's end continues in the next. The state is a few counters, whatever the input's size.
class EncodingGuess {
  public:
    void Feed(std::string_view bytes);
    // `atEnd`: nothing more comes, so a character cut at the end is broken.
    GuessedEncoding Verdict(bool atEnd) const;

  private:
    // What the previous character was, for the characters whose sense depends on it.
    enum class Previous : std::uint8_t { Other, LatinLetter, Broken, Foreign };

    // Reads the characters that start before `end`; returns where it stopped: at `end` or
    // past it, or before a character that `bytes` cuts off (unless `final`, which makes that
    // character's bytes broken).
    std::size_t Read(std::string_view bytes, std::size_t end, bool final);
    void TakeAscii(unsigned char first, unsigned char last);
    void TakeCharacter(char32_t c);
    void TakeBroken();
    void EndForeignRun(Previous next);
    GuessedEncoding Decide() const;

    std::uint64_t plausible_ = 0;
    std::uint64_t implausible_ = 0;
    std::uint64_t broken_ = 0;
    // Letters of another script in a row: plausible as a word of their own, not as one letter
    // or inside a Latin word.
    std::uint64_t foreignRun_ = 0;
    bool foreignRunTouchesLatin_ = false;
    Previous previous_ = Previous::Other;
    std::array<char, 4> cut_{};  // the start of a character that the last chunk cut off
    std::size_t cutSize_ = 0;
};

// The guess over a whole text held in memory.
GuessedEncoding GuessEncoding(std::string_view bytes);

}  // namespace licytek::batch
