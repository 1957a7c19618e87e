// Which encoding a spreadsheet saved as text is read in: by what its letters would say, over
// samples written out by hand and over every word of a Polish word list.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "batch/EncodingGuess.h"
#include "batch/InputReading.h"
#include "model/Text.h"

namespace licytek::batch {
namespace {

// A sheet whose header names controls only, so that nothing but `title` decides.
std::string SheetWithTitle(std::string_view title) {
    return "plik;Edit2\r\nx;" + std::string(title) + "\r\n";
}

// The guess over `bytes` fed one byte at a time, as if every byte ended a chunk.
GuessedEncoding GuessByteByByte(std::string_view bytes) {
    EncodingGuess guess;
    for (const char c : bytes) {
        guess.Feed(std::string_view(&c, 1));
    }
    return guess.Verdict(true);
}

TEST(EncodingGuessTest, WhatTheLettersWouldSayDecides) {
    struct Sample {
        std::string_view name;
        std::string_view bytes;
        GuessedEncoding expected;
    };
    const std::vector<Sample> samples = {
        // PÓŁKA RÓŻOWA, solidna;Półka z drewna. in Windows-1250: "ÓŁ" and "Ół" are D3 A3 and
        // D3 B3, Cyrillic letters inside Latin words when read as UTF-8.
        {"capitals in Windows-1250",
         "plik;Nag\xB3\xF3wek aukcji;Opis przedmiotu\r\npolka;P\xD3\xA3KA R\xD3\xAFOWA, "
         "solidna;P\xF3\xB3ka z drewna.\r\n",
         GuessedEncoding::Cp1250},
        {"the same in UTF-8",
         "plik;Nagłówek aukcji;Opis przedmiotu\r\npolka;PÓŁKA RÓŻOWA, solidna;Półka z drewna.\r\n",
         GuessedEncoding::Utf8},
        {"WEŁNA ĘŚ KÓŁKO in Windows-1250", "WE\xA3NA \xCA\x8C K\xD3\xA3KO",
         GuessedEncoding::Cp1250},
        {"IPA between Latin letters",
         "a\xCA\x83"
         "a",
         GuessedEncoding::Cp1250},
        {"a C1 control character",
         "a\xC2\x85"
         "a",
         GuessedEncoding::Cp1250},
        {"symbols a seller writes", "m² 5 € „tak” ✔ 10 μF 100 kΩ ½ °C", GuessedEncoding::Utf8},
        {"other European letters", "Ştefan, Ștefan, naïve, Ærø, Đakovo", GuessedEncoding::Utf8},
        {"an accent saved apart", "Łódz\xCC\x81 e\xCC\x81", GuessedEncoding::Utf8},
        {"emoji", "super \xF0\x9F\x98\x80\xE2\x9C\x94\xEF\xB8\x8F", GuessedEncoding::Utf8},
        {"a word in Cyrillic", "Привіт, світ", GuessedEncoding::Utf8},
        {"one odd letter among many Polish ones", "Zażółć gęślą jaźń, Pаris",
         GuessedEncoding::Utf8},
        {"UTF-8 with one broken byte", "Zażółć gęślą \xB3jaźń", GuessedEncoding::BrokenUtf8},
        {"UTF-8 cut at the end", "Zażółć gęślą jaź\xC5", GuessedEncoding::BrokenUtf8},
        {"ASCII", "plik;Edit2\r\na;b\r\n", GuessedEncoding::Utf8},
    };
    for (const auto& sample : samples) {
        EXPECT_EQ(GuessEncoding(sample.bytes), sample.expected) << sample.name;
        EXPECT_EQ(GuessByteByByte(sample.bytes), sample.expected) << sample.name;
    }
}

constexpr const char* kPolishWords = "/usr/share/dict/polish";

struct CaseTables {
    std::array<unsigned char, 256> lower;
    std::array<unsigned char, 256> upper;
};

// Letter case in Windows-1250, written out: in ASCII and from C0 on a small letter is 0x20
// above its capital (but ÷, and ß has none); below C0 the pairs are š ś ť ž ź ł ą ş ľ ż.
CaseTables Cp1250Cases() {
    CaseTables cases{};
    for (unsigned c = 0; c < 256; ++c) {
        cases.lower[c] = cases.upper[c] = static_cast<unsigned char>(c);
    }
    const auto pair = [&cases](unsigned small, unsigned capital) {
        cases.upper[small] = static_cast<unsigned char>(capital);
        cases.lower[capital] = static_cast<unsigned char>(small);
    };
    for (unsigned c = 'a'; c <= 'z'; ++c) {
        pair(c, c - 0x20);
    }
    for (unsigned c = 0xE0; c < 0xFF; ++c) {
        if (c != 0xF7) {
            pair(c, c - 0x20);
        }
    }
    const std::string_view small =
        "\x9A\x9C\x9D\x9E\x9F\xB3\xB9\xBA\xBE\xBF";  // š ś ť ž ź ł ą ş ľ ż
    const std::string_view capital = "\x8A\x8C\x8D\x8E\x8F\xA3\xA5\xAA\xBC\xAF";
    for (std::size_t i = 0; i < small.size(); ++i) {
        pair(static_cast<unsigned char>(small[i]), static_cast<unsigned char>(capital[i]));
    }
    return cases;
}

// The word in lower case, in capitals and in title case.
std::array<std::string, 3> Spellings(const std::string& word, const CaseTables& cases) {
    std::array<std::string, 3> spellings{word, word, word};
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        spellings[0][i] = static_cast<char>(cases.lower[c]);
        spellings[1][i] = static_cast<char>(cases.upper[c]);
        spellings[2][i] = static_cast<char>(i == 0 ? cases.upper[c] : cases.lower[c]);
    }
    return spellings;
}

// What can set two words apart for the guess: a run of ASCII letters only counts as letters
// beside the characters around it, whichever letters and however many. Of the 13 million
// spellings
// some 7,000 differ in this way, and checking one word of each keeps the test to seconds under
// the sanitizers.
std::string Shape(std::string_view cp1250) {
    std::string shape;
    for (const char c : cp1250) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter) {
            shape.push_back(c);
        } else if (shape.empty() || shape.back() != 'a') {
            shape.push_back('a');
        }
    }
    return shape;
}

// The word with a byte that no UTF-8 holds (Windows-1250's "ł") put before its middle
// character, and that character's number in the cell.
std::pair<std::string, std::size_t> WithBrokenByte(std::string_view utf8) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    const std::size_t middle = starts.size() / 2;
    std::string broken(utf8);
    broken.insert(starts[middle], "\xB3");
    return {broken, middle + 1};
}

// Every word of the list, in lower case, capitals and title case, alone in a title cell:
// saved in Windows-1250 it reads as Windows-1250, saved in UTF-8 as UTF-8, and in UTF-8 with
// one broken byte it is refused at that byte's row, column and character.
TEST(EncodingGuessTest, EveryPolishWordReadsInTheEncodingItWasSavedIn) {
    std::ifstream list(kPolishWords);
    if (!list) {
        GTEST_SKIP() << kPolishWords << " is missing: install the Polish word list (wpolish)";
    }
    const CaseTables cases = Cp1250Cases();
    std::unordered_set<std::string> shapes;
    std::vector<std::string> wrong;
    std::size_t words = 0;
    std::size_t checked = 0;
    const auto fail = [&wrong](const std::string& utf8, std::string_view what) {
        if (wrong.size() < 20) {
            wrong.push_back(utf8 + ": " + std::string(what));
        }
    };
    std::string line;
    while (std::getline(list, line)) {
        ++words;
        const auto cp1250 = Utf8ToCp1250(line);
        const bool ascii = std::all_of(line.begin(), line.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!cp1250 || ascii) {
            continue;  // Windows-1250 cannot hold it, or it reads the same in both
        }
        for (const std::string& word : Spellings(*cp1250, cases)) {
            if (!shapes.insert(Shape(word)).second) {
                continue;
            }
            ++checked;
            const std::string utf8 = Cp1250ToUtf8(word);
            if (GuessEncoding(SheetWithTitle(word)) != GuessedEncoding::Cp1250) {
                fail(utf8, "Windows-1250 not read as such");
            }
            if (GuessEncoding(SheetWithTitle(utf8)) != GuessedEncoding::Utf8) {
                fail(utf8, "UTF-8 not read as such");
            }
            const auto [broken, character] = WithBrokenByte(utf8);
            const std::string sheet = SheetWithTitle(broken);
            if (GuessEncoding(sheet) != GuessedEncoding::BrokenUtf8) {
                fail(utf8, "a broken byte not refused");
                continue;
            }
            bool given = false;
            const std::string refusal = BrokenUtf8Refusal("x.csv", ';', [&](std::string& chunk) {
                chunk.append(given ? std::string_view() : std::string_view(sheet));
                given = true;
                return !chunk.empty();
            });
            const std::string place = "x.csv:2:Edit2: plik jest w UTF-8, ale bajt 0xB3 (znak " +
                                      std::to_string(character) + ". komórki)";
            if (!refusal.starts_with(place)) {
                fail(utf8, refusal);
            }
        }
    }
    EXPECT_GT(words, 4'000'000U);
    EXPECT_GT(checked, 1000U);
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

}  // namespace
}  // namespace licytek::batch
