// The small text and path pieces that every library shares, so that no two disagree.
#include <gtest/gtest.h>

#include <string>

#include "model/CaseFold.h"
#include "model/FileIo.h"
#include "model/Utf8.h"

namespace licytek {
namespace {

TEST(SharedText, CountsCutsAndNamesByCharacter) {
    // "żółw²" is 5 characters in 10 bytes; "😀" is one in 4.
    EXPECT_EQ(Utf8CharacterCount(""), 0U);
    EXPECT_EQ(Utf8CharacterCount("\xC5\xBC\xC3\xB3\xC5\x82w\xC2\xB2"), 5U);
    EXPECT_EQ(Utf8CharacterCount("a\xF0\x9F\x98\x80"), 2U);
    // A broken byte counts as one, as a reader shows it: a lone continuation byte, a lead
    // cut short at the end, and a byte that leads nothing.
    EXPECT_EQ(Utf8CharacterCount("a\x80z"), 3U);
    EXPECT_EQ(Utf8CharacterCount("a\xC5"), 2U);
    EXPECT_EQ(Utf8CharacterCount("\xFF\xFE"), 2U);

    // A cut never splits a character, and a text within the limit stays whole.
    EXPECT_EQ(Utf8Prefix("\xC5\xBC\xC3\xB3\xC5\x82w", 2), "\xC5\xBC\xC3\xB3");
    EXPECT_EQ(Utf8Prefix("a\xF0\x9F\x98\x80z", 2), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8Prefix("abc", 3), "abc");
    EXPECT_EQ(Utf8Prefix("abc", 0), "");
    EXPECT_EQ(Utf8Prefix("\x80\x80x", 2), "\x80\x80");

    // Unicode's own form: at least four digits, and no leading zero past them.
    EXPECT_EQ(CodePointName(0), "U+0000");
    EXPECT_EQ(CodePointName(0xB2), "U+00B2");
    EXPECT_EQ(CodePointName(0x202E), "U+202E");
    EXPECT_EQ(CodePointName(0x1F600), "U+1F600");
    EXPECT_EQ(CodePointName(0x10FFFF), "U+10FFFF");
}

TEST(SharedText, LowersAsciiAloneAndFindsAFolder) {
    // Only A-Z change: Polish letters and the bytes of other characters stay as they are.
    EXPECT_EQ(AsciiLower("Content-TYPE: \xC5\x81\xC3\x93"), "content-type: \xC5\x81\xC3\x93");
    EXPECT_EQ(AsciiLower('@'), '@');
    EXPECT_EQ(AsciiLower('['), '[');

    EXPECT_EQ(FolderOf("oferty/2024/rower.ltk"), "oferty/2024");
    EXPECT_EQ(FolderOf("/rower.ltk"), "/");
    EXPECT_EQ(FolderOf("rower.ltk"), ".");
    EXPECT_EQ(FolderOf("oferty/"), "oferty");
}

}  // namespace
}  // namespace licytek
