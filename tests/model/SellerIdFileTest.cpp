#include "model/SellerIdFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::variant<std::monostate, std::string, FileError> LoadFileHolding(const TempDir& dir,
                                                                     std::string_view bytes) {
    WriteBytes(dir.File("id.ltk"), bytes);
    return LoadSellerId(dir.File("id.ltk"));
}

TEST(SellerIdFile, SavesTheIdFollowedByZerosAndLoadsItBack) {
    for (const std::string id : {"1234567", "", "a b<i>", "12345678901234567890"}) {
        TempDir dir;
        const std::string path = dir.File("id.ltk");
        ASSERT_TRUE(std::holds_alternative<std::monostate>(SaveSellerId(id, path)));
        std::string expected(20, '\0');
        expected.replace(0, id.size(), id);
        EXPECT_EQ(ReadBytes(path), expected);
        EXPECT_EQ(LoadSellerId(path), (std::variant<std::monostate, std::string, FileError>(id)));
        EXPECT_EQ(dir.EntryCount(), 1u);
    }
}

TEST(SellerIdFile, LoadsWhatTheBytesHold) {
    struct Case {
        std::string_view bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"12345", "12345"},                                     // short file
        {std::string_view("\0abc", 4), ""},                     // first byte zero
        {std::string_view("ab\0cd", 5), "ab"},                  // up to the first zero
        {"1234567890123456789", "1234567890123456789"},         // 19 characters
        {"12345678901234567890", "12345678901234567890"},       // 20: all of them
        {"1234567890123456789012345", "12345678901234567890"},  // bytes after 20 ignored
        {"", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EXPECT_EQ(LoadFileHolding(dir, c.bytes),
                  (std::variant<std::monostate, std::string, FileError>(c.expected)))
            << c.bytes;
        EXPECT_EQ(DecodeSellerId(c.bytes), c.expected);
    }
}

TEST(SellerIdFile, MissingFileIsNoIdAndAnUnreadableOneIsAnError) {
    TempDir dir;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(LoadSellerId(dir.File("id.ltk"))));

    std::filesystem::create_directory(dir.File("id.ltk"));
    const auto result = LoadSellerId(dir.File("id.ltk"));
    ASSERT_TRUE(std::holds_alternative<FileError>(result));
    EXPECT_EQ(std::get<FileError>(result).message, "File access denied");
}

TEST(SellerIdFile, RefusesAnIdLongerThan20AndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("id.ltk");
    WriteBytes(path, "old");
    const auto result = SaveSellerId("123456789012345678901", path);
    ASSERT_TRUE(std::holds_alternative<SellerIdTooLong>(result));
    EXPECT_EQ(std::get<SellerIdTooLong>(result).length, 21u);
    EXPECT_EQ(std::get<SellerIdTooLong>(result).Message(),
              "Numer ID może mieć najwyżej 20 znaków, a ma 21. Numer ID nie został zapisany.");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(SellerIdFile, FailedSaveReportsTheError) {
    TempDir dir;
    WriteBytes(dir.File("plik"), "a file, not a folder");
    const auto result = SaveSellerId("123", dir.File("plik") + "/id.ltk");
    ASSERT_TRUE(std::holds_alternative<FileError>(result));
    EXPECT_EQ(std::get<FileError>(result).message, "File access denied");
    EXPECT_EQ(ReadBytes(dir.File("plik")), "a file, not a folder");
}

}  // namespace
}  // namespace licytek
