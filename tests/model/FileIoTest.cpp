#include "model/FileIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "TempDir.h"

namespace licytek {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(FileErrorFromErrno, GivesTheSellersMessage) {
    const std::pair<int, std::string_view> cases[] = {
        {ENOENT, "File not found"},
        {EACCES, "File access denied"},
        {EPERM, "File access denied"},
        {EISDIR, "File access denied"},
        {ENOTDIR, "File access denied"},
        {EROFS, "File access denied"},
        {ENOSPC, "Disk full"},
        {EDQUOT, "Disk full"},
        {EIO, "I/O error 5"},
        {EMFILE, "I/O error 24"},
    };
    for (const auto& [error, message] : cases) {
        EXPECT_EQ(FileErrorFromErrno(error).message, message) << error;
    }
}

TEST(ReadFilePrefix, ReadsAtMostTheAskedBytes) {
    TempDir dir;
    const std::string path = dir.File("f");
    WriteBytes(path, std::string("ab\0cd", 5));
    EXPECT_EQ(std::get<std::string>(ReadFilePrefix(path, 3)), std::string("ab\0", 3));
    EXPECT_EQ(std::get<std::string>(ReadFilePrefix(path, 100)), std::string("ab\0cd", 5));
    EXPECT_EQ(std::get<std::string>(ReadFilePrefix(path, 0)), "");

    const std::string big(200000, 'b');
    WriteBytes(path, big);
    EXPECT_EQ(std::get<std::string>(ReadFilePrefix(path, 150000)), big.substr(0, 150000));
}

TEST(ReadFilePrefix, ReportsWhatStandsInTheWay) {
    TempDir dir;
    WriteBytes(dir.File("plik"), "x");
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(ReadFilePrefix(dir.File("brak"), 10),
              (std::variant<std::string, FileError>(FileError{"File not found"})));
    EXPECT_EQ(ReadFilePrefix(dir.File("plik") + "/x", 10),
              (std::variant<std::string, FileError>(FileError{"File access denied"})));
    EXPECT_EQ(ReadFilePrefix(dir.File("folder"), 10),
              (std::variant<std::string, FileError>(FileError{"File access denied"})));
}

TEST(PathExists, SeesFilesAndFolders) {
    TempDir dir;
    WriteBytes(dir.File("plik"), "");
    EXPECT_TRUE(PathExists(dir.File("plik")));
    EXPECT_TRUE(PathExists(dir.File(".")));
    EXPECT_FALSE(PathExists(dir.File("brak")));
}

TEST(WriteFileAtomically, CreatesOrReplacesTheWholeFile) {
    TempDir dir;
    const std::string path = dir.File("zapis.ltk");
    EXPECT_EQ(WriteFileAtomically(path, std::string("long\0old", 8)), std::nullopt);
    EXPECT_EQ(ReadBytes(path), std::string("long\0old", 8));
    EXPECT_EQ(WriteFileAtomically(path, "new"), std::nullopt);
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(WriteFileAtomically(path, ""), std::nullopt);
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(WriteFileAtomically, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    const std::string path = dir.File("id.ltk");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);  // umask cannot widen it
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(WriteFileAtomically(path, "x"), std::nullopt);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(WriteFileAtomically, FailureLeavesWhatWasThereAndNoTemporaryFile) {
    TempDir dir;
    // A folder standing where the file should be: it and its contents survive.
    const std::string folder = dir.File("zapis.ltk");
    std::filesystem::create_directory(folder);
    WriteBytes(folder + "/kept", "kept");
    EXPECT_EQ(WriteFileAtomically(folder, "new"), FileError{"File access denied"});
    EXPECT_EQ(ReadBytes(folder + "/kept"), "kept");

    // A path below a regular file.
    WriteBytes(dir.File("plik"), "old");
    EXPECT_EQ(WriteFileAtomically(dir.File("plik") + "/zapis.ltk", "new"),
              FileError{"File access denied"});
    EXPECT_EQ(ReadBytes(dir.File("plik")), "old");

    // A folder that does not exist.
    EXPECT_EQ(WriteFileAtomically(dir.File("brak/zapis.ltk"), "new"), FileError{"File not found"});

    EXPECT_EQ(dir.EntryCount(), 2u);
}

}  // namespace
}  // namespace licytek
