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

// Letter case in Windows-1250, written out: ASCII, the Polish letters and the other letters
// the word list holds (š ť ž ş ľ and the Latin-1 ones from C0 on, whose small letter is 0x20
// above). ß has no capital.
unsigned char UpperCp1250(unsigned char c) {
    switch (c) {
        case 0x9A:
            return 0x8A;  // š
        case 0x9C:
            return 0x8C;  // ś
        case 0x9D:
            return 0x8D;  // ť
        case 0x9E:
            return 0x8E;  // ž
        case 0x9F:
            return 0x8F;  // ź
        case 0xB3:
            return 0xA3;  // ł
        case 0xB9:
            return 0xA5;  // ą
        case 0xBA:
            return 0xAA;  // ş
        case 0xBE:
            return 0xBC;  // ľ
        case 0xBF:
            return 0xAF;  // ż
        default:
            break;
    }
    const bool small = (c >= 'a' && c <= 'z') || (c >= 0xE0 && c != 0xF7 && c != 0xFF);
    return small ? static_cast<unsigned char>(c - 0x20) : c;
}

unsigned char LowerCp1250(unsigned char c) {
    for (unsigned small = 0x80; small < 0x100; ++small) {
        if (UpperCp1250(static_cast<unsigned char>(small)) == c && small != c) {
            return static_cast<unsigned char>(small);
        }
    }
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c;
}

// The word in lower case, in capitals and in title case.
std::array<std::string, 3> Cases(const std::string& word,
                                 const std::array<unsigned char, 256>& lower,
                                 const std::array<unsigned char, 256>& upper) {
    std::array<std::string, 3> cases{word, word, word};
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        cases[0][i] = static_cast<char>(lower[c]);
        cases[1][i] = static_cast<char>(upper[c]);
        cases[2][i] = static_cast<char>(i == 0 ? upper[c] : lower[c]);
    }
    return cases;
}

// What can set two words apart for the guess: a run of ASCII letters only counts as letters
// beside the characters around it, whichever letters and however many. Of 13 million spellings
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
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
    for (unsigned c = 0; c < 256; ++c) {
        lower[c] = LowerCp1250(static_cast<unsigned char>(c));
        upper[c] = UpperCp1250(static_cast<unsigned char>(c));
    }
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
        for (const std::string& word : Cases(*cp1250, lower, upper)) {
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
