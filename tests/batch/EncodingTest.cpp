// Which encoding a sheet saved as text is read in: by what its letters would say.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "batch/EncodingGuess.h"
#include "batch/InputReading.h"
#include "batch/InputText.h"
#include "model/Text.h"

namespace licytek::batch {
namespace {

// The guess over `bytes` fed one byte at a time, as if every byte ended a chunk.
GuessedEncoding GuessByteByByte(std::string_view bytes) {
    EncodingGuess guess;
    for (const char c : bytes) {
        guess.Feed(std::string_view(&c, 1));
    }
    return guess.Verdict(true);
}

// What no word list shows: symbols, other scripts, an odd letter in a Polish text.
TEST(EncodingGuessTest, WhatTheLettersWouldSayDecides) {
    using enum GuessedEncoding;
    const std::vector<std::pair<std::string_view, GuessedEncoding>> samples = {
        {"m² 5 € „tak” ✔ 10 μF 100 kΩ ½ °C", Utf8},
        {"Ştefan, Ștefan, naïve, Ærø, Łódz\xCC\x81, super \xF0\x9F\x98\x80\xEF\xB8\x8F", Utf8},
        {"Привіт, світ", Utf8},
        {"Zażółć gęślą jaźń, Pаris", Utf8},  // a Cyrillic "а" among many Polish letters
        {"a\xCA\x83o a\xC2\x85o", Cp1250},   // a phonetic letter, a control character
        {"Zażółć gęślą \xB3jaźń", BrokenUtf8},
    };
    for (const auto& [bytes, expected] : samples) {
        EXPECT_EQ(GuessEncoding(bytes), expected) << bytes;
        EXPECT_EQ(GuessByteByByte(bytes), expected) << bytes;
    }
}

// Windows-1250 bytes for lower case and capitals: each capital and the small letter that
// FoldCase gives it.
std::array<std::array<char, 256>, 2> Cp1250Cases() {
    std::array<std::array<char, 256>, 2> cases{};  // lower, upper
    for (std::size_t c = 0; c < 256; ++c) {
        cases[0][c] = cases[1][c] = static_cast<char>(c);
    }
    for (std::size_t c = 0; c < 256; ++c) {
        const auto small = Utf8ToCp1250(FoldCase(Cp1250ToUtf8(std::string(1, cases[0][c]))));
        if (small && small->size() == 1 && (*small)[0] != static_cast<char>(c)) {
            cases[0][c] = (*small)[0];
            cases[1][static_cast<unsigned char>((*small)[0])] = static_cast<char>(c);
        }
    }
    return cases;
}

// `word` with each run of ASCII letters as one "a": for the guess such a run only counts as
// letters beside what surrounds it. Of the 4.3 million words some 7,000 differ otherwise, and
// so do their spellings in either case; one word of each keeps the test to seconds under the
// sanitizers.
void ShapeOf(std::string_view word, std::string& shape) {
    shape.clear();
    for (const char c : word) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter || shape.empty() || shape.back() != 'a') {
            shape.push_back(letter ? 'a' : c);
        }
    }
}

// Every word of the list, in lower case, capitals and title case, alone in a title cell under
// control names: saved in Windows-1250 it reads as Windows-1250, in UTF-8 as UTF-8, and in
// UTF-8 with a broken byte after it the file is refused at that byte.
TEST(EncodingGuessTest, EveryPolishWordReadsInTheEncodingItWasSavedIn) {
    std::ifstream file("/usr/share/dict/polish", std::ios::binary);
    if (!file) {
        GTEST_SKIP() << "/usr/share/dict/polish is missing: install the word list (wpolish)";
    }
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string list = std::move(buffer).str();
    const auto cases = Cp1250Cases();
    const auto sheet = [](std::string_view title) {
        return "plik;Edit2\r\nx;" + std::string(title) + "\r\n";
    };
    std::unordered_set<std::string> shapes;
    std::string shape;
    std::vector<std::string> wrong;
    std::size_t words = 0;
    for (std::size_t at = 0, end = 0; at < list.size(); at = end + 1, ++words) {
        end = std::min(list.find('\n', at), list.size());
        const std::string_view line(list.data() + at, end - at);
        ShapeOf(line, shape);
        if (!shapes.insert(shape).second) {
            continue;
        }
        const auto cp1250 = Utf8ToCp1250(line);
        if (!cp1250 || *cp1250 == line) {
            continue;  // Windows-1250 cannot hold it, or it is ASCII and reads the same in both
        }
        for (int spelling = 0; spelling < 3; ++spelling) {  // lower case, capitals, title case
            std::string word = *cp1250;
            for (std::size_t i = 0; i < word.size(); ++i) {
                word[i] = cases[spelling == 1 || (spelling == 2 && i == 0) ? 1 : 0]
                               [static_cast<unsigned char>(word[i])];
            }
            const std::string utf8 = Cp1250ToUtf8(word);
            if (GuessEncoding(sheet(word)) != GuessedEncoding::Cp1250) {
                wrong.push_back(utf8 + " in Windows-1250");
            }
            if (GuessEncoding(sheet(utf8)) != GuessedEncoding::Utf8) {
                wrong.push_back(utf8 + " in UTF-8");
            }
            const std::string broken = sheet(utf8 + "\xB3");
            const auto characters = std::count_if(utf8.begin(), utf8.end(), [](char c) {
                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            });
            bool given = false;
            const std::string refusal = BrokenUtf8Refusal("x.csv", ';', [&](std::string& chunk) {
                chunk.append(given ? "" : broken);
                given = true;
                return !chunk.empty();
            });
            const std::string place = "x.csv:2:Edit2: plik jest w UTF-8, ale bajt 0xB3 (znak " +
                                      std::to_string(characters + 1) + ". komórki)";
            if (GuessEncoding(broken) != GuessedEncoding::BrokenUtf8 ||
                !refusal.starts_with(place)) {
                wrong.push_back(utf8 + " in UTF-8 with a broken byte: " + refusal);
            }
        }
    }
    EXPECT_GT(words, 4'000'000U);
    EXPECT_GT(shapes.size(), 1000U);
    wrong.resize(std::min<std::size_t>(wrong.size(), 20));
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

}  // namespace
}  // namespace licytek::batch
