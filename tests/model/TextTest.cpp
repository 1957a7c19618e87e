#include "model/Text.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace licytek {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

TEST(Cp1250, ConvertsPolishTextBothWays) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"ąćęłńóśźż", "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"},
        {"ĄĆĘŁŃÓŚŹŻ", "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF"},
        {"„cytat” – 5 €",
         "\x84"
         "cytat\x94 \x96 5 \x80"},
        {"a\r\nb\tc", "a\r\nb\tc"},
        {"", ""},
    };
    for (const auto& [utf8, cp1250] : cases) {
        EXPECT_EQ(Utf8ToCp1250(utf8), std::string(cp1250)) << utf8;
        EXPECT_EQ(Cp1250ToUtf8(cp1250), utf8);
    }
}

TEST(Cp1250, EveryByteSurvivesTheTripThroughUtf8) {
    const std::string bytes = AllBytes();
    const std::string utf8 = Cp1250ToUtf8(bytes);
    EXPECT_EQ(Utf8ToCp1250(utf8), bytes);
    // The five undefined bytes stand for the control characters of the same value.
    EXPECT_EQ(Cp1250ToUtf8("\x81\x83\x88\x90\x98"), "\u0081\u0083\u0088\u0090\u0098");
}

TEST(Cp1250, LongTextsConvertWhole) {
    const std::string letters(40000, '\xB9');  // twice as long in UTF-8
    std::string utf8;
    for (int i = 0; i < 40000; ++i) {
        utf8 += "ą";
    }
    EXPECT_EQ(Cp1250ToUtf8(letters), utf8);
    EXPECT_EQ(Utf8ToCp1250(utf8), letters);
    const std::string undefined(30000, '\x98');
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(undefined)), undefined);
}

TEST(Cp1250, RefusesWhatItCannotHoldAndSaysWhere) {
    const std::pair<std::string_view, std::size_t> cases[] = {
        {"ab日本", 2},        // not in the code page
        {"łódź 😀", 8},        // beyond the Basic Multilingual Plane
        {"Ωmega", 0},         // Greek
        {"x\xFFy", 1},        // not UTF-8
        {"ok\xC5", 2},        // cut in the middle of a character
        {"ok\xC2", 2},        // cut where an undefined byte's stand-in would begin
        {"\xC0\x80", 0},      // an over-long zero
        {"\xED\xA0\x80", 0},  // a lone surrogate
    };
    for (const auto& [utf8, offset] : cases) {
        std::size_t bad = 999;
        EXPECT_EQ(Utf8ToCp1250(utf8, &bad), std::nullopt) << utf8;
        EXPECT_EQ(bad, offset) << utf8;
    }
    EXPECT_EQ(Utf8ToCp1250("日"), std::nullopt);  // no offset asked for
}

TEST(Cp1250, KnowsWhichCodePointsItHolds) {
    for (const char32_t held : {U'A', U'\0', U'ą', U'Ż', U'€', U'„', U'\u0081', U'ˇ'}) {
        EXPECT_TRUE(Cp1250CanHold(held)) << static_cast<unsigned>(held);
    }
    for (const char32_t notHeld :
         {U'日', U'Ω', U'\u0080', U'\u00C0', U'\uFFFD', U'\U0001F600', char32_t{0xD800}}) {
        EXPECT_FALSE(Cp1250CanHold(notHeld)) << static_cast<unsigned>(notHeld);
    }
}

// The code page as iconv itself converts it, character by character, against the tables
// the conversions use; and a conversion where the text stands gives the same as a copy.
TEST(Cp1250, AgreesWithIconvOnEveryCharacterOfThePlane) {
    iconv_t cd = iconv_open("CP1250", "UTF-8");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (char32_t code = 1; code < 0x10000; ++code) {
        if (code >= 0xD800 && code < 0xE000) {
            continue;
        }
        std::string utf8 = code < 0x80 ? std::string(1, static_cast<char>(code))
                           : code < 0x800
                               ? std::string{static_cast<char>(0xC0 | code >> 6),
                                             static_cast<char>(0x80 | (code & 0x3F))}
                               : std::string{static_cast<char>(0xE0 | code >> 12),
                                             static_cast<char>(0x80 | (code >> 6 & 0x3F)),
                                             static_cast<char>(0x80 | (code & 0x3F))};
        char out[8];
        char* in = utf8.data();
        char* outPtr = out;
        std::size_t inLeft = utf8.size();
        std::size_t outLeft = sizeof(out);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool iconvHolds =
            iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        const bool standIn =
            code == 0x81 || code == 0x83 || code == 0x88 || code == 0x90 || code == 0x98;
        const auto converted = Utf8ToCp1250(utf8);
        ASSERT_EQ(converted.has_value(), iconvHolds || standIn) << static_cast<unsigned>(code);
        if (iconvHolds) {
            ASSERT_EQ(*converted, std::string(out, outPtr)) << static_cast<unsigned>(code);
            ASSERT_EQ(Cp1250ToUtf8(*converted), utf8) << static_cast<unsigned>(code);
        }
        std::string inPlace = "x" + utf8 + "y";
        std::size_t bad = 0;
        ASSERT_EQ(Utf8ToCp1250InPlace(inPlace, &bad), converted.has_value());
        EXPECT_EQ(inPlace, converted ? "x" + *converted + "y" : "x" + utf8 + "y");
        EXPECT_EQ(bad, converted ? 0u : 1u);
    }
    iconv_close(cd);
}

TEST(LineBreaks, ConvertBetweenLfAndCrLf) {
    const std::pair<std::string_view, std::string_view> toCrLf[] = {
        {"a\nb", "a\r\nb"}, {"a\r\nb", "a\r\nb"},   {"\n", "\r\n"}, {"\n\n", "\r\n\r\n"},
        {"a\r", "a\r"},     {"\r\n\n", "\r\n\r\n"}, {"", ""},
    };
    for (const auto& [in, out] : toCrLf) {
        EXPECT_EQ(ToCrLf(in), out) << in;
    }
    const std::pair<std::string_view, std::string_view> toLf[] = {
        {"a\r\nb", "a\nb"}, {"a\nb", "a\nb"},     {"a\rb", "a\rb"},
        {"\r\r\n", "\r\n"}, {"\r\n\r\n", "\n\n"}, {"x\r", "x\r"},
    };
    for (const auto& [in, out] : toLf) {
        EXPECT_EQ(ToLf(in), out) << in;
    }
}

// Text the page shows as HTML text keeps what the code page lacks as numeric references, a
// browser's reading decodes them, and a UTF-8 sheet shows them as characters that convert back
// to the same bytes.
TEST(CharacterReferences, StandForWhatTheCodePageLacksAndComeBack) {
    EXPECT_EQ(Utf8ToCp1250WithReferences("m² ½ à ñ zł 😀 ✔"),
              "m&#178; &#189; &#224; &#241; z\xB3 &#128512; &#10004;");
    std::size_t bad = 0;
    EXPECT_EQ(Utf8ToCp1250WithReferences("ok \u0085", &bad), std::nullopt);  // &#133; is "…"
    EXPECT_EQ(bad, 3u);
    EXPECT_EQ(Utf8ToCp1250WithReferences("ok \xC5", &bad), std::nullopt);
    EXPECT_EQ(bad, 3u);

    EXPECT_EQ(DecodeCharacterReferences("m&#178; &#xBD; &#X2714; &#38;#65; &amp; &#178 &#;"),
              "m² ½ ✔ &#65; &amp; &#178 &#;");
    // References to no character a page carries stay as written.
    EXPECT_EQ(DecodeCharacterReferences("&#0; &#128; &#55296; &#1114112; &#99999999999;"),
              "&#0; &#128; &#55296; &#1114112; &#99999999999;");

    const std::string_view written = "m&#178; z\xB3 &#10004; &#38; &#x2714; &#65534; &#8364;";
    const std::string sheet = WrittenReferencesAsCharacters(Cp1250ToUtf8(written));
    EXPECT_EQ(sheet, "m² zł ✔ &#38; &#x2714; &#65534; &#8364;");
    EXPECT_EQ(Utf8ToCp1250WithReferences(sheet), written);
}

}  // namespace
}  // namespace licytek
