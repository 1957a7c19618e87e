#include "model/FileIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "model/ProjectFile.h"
#include "model/SellerIdFile.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::ChildEnd;
using testing::ReadBytes;
using testing::RunInChild;
using testing::TempDir;
using testing::WriteBytes;

const std::optional<FileError> kDenied = FileError{"File access denied"};
const std::optional<FileError> kDiskFull = FileError{"Disk full"};

// What a forked child found wrong, one line each; empty when all held.
struct Findings {
    std::string text;
    void Check(bool ok, const std::string& what) {
        if (!ok) {
            text += what + "\n";
        }
    }
};

std::string Message(const std::optional<FileError>& error) {
    return error ? error->message : std::string("success");
}

std::string Message(const std::variant<std::string, FileError>& read) {
    return std::holds_alternative<FileError>(read) ? std::get<FileError>(read).message
                                                   : std::string("read");
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// Whether the folder's file system makes unnamed files, with which a killed save leaves
// nothing behind.
bool MakesUnnamedFiles(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    }
    return fd >= 0;
}

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

// The newer messages word a file error in Polish inside a Polish sentence; the classic
// message boxes keep the English text, and both come from the error the system gave.
TEST(FileError, IsWordedInPolishForTheNewerMessages) {
    const std::pair<int, std::pair<std::string, std::string>> kWordings[] = {
        {ENOENT, {"File not found", "nie ma takiego pliku"}},
        {EACCES, {"File access denied", "brak dostępu do pliku"}},
        {EEXIST, {"File already exists", "plik już istnieje"}},
        {ENOSPC, {"Disk full", "dysk jest pełny"}},
        {EIO, {"I/O error 5", "błąd wejścia/wyjścia 5"}},
    };
    for (const auto& [errnoValue, wording] : kWordings) {
        const FileError error = FileErrorFromErrno(errnoValue);
        EXPECT_EQ(error.message, wording.first) << errnoValue;
        EXPECT_EQ(PolishMessage(error), wording.second) << errnoValue;
    }
    // What a read and a save report carries the system's error through.
    TempDir dir;
    WriteBytes(dir.File("plik"), "x");
    EXPECT_EQ(PolishMessage(std::get<FileError>(ReadFilePrefix(dir.File("brak"), 10))),
              "nie ma takiego pliku");
    EXPECT_EQ(PolishMessage(*WriteFileAtomically(dir.File("plik") + "/x", "y")),
              "brak dostępu do pliku");
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

// The streamed save: the pieces in their order, nothing under the name before Commit, and a
// writer dropped half way leaves the old file and nothing beside it.
TEST(FileWriter, NamesTheWholeFileOnlyOnCommit) {
    TempDir dir;
    const std::string path = dir.File("arkusz.csv");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);  // umask cannot widen it
    ASSERT_GE(fd, 0);
    ::close(fd);
    WriteBytes(path, "old");
    const std::size_t whileWriting = MakesUnnamedFiles(dir.Path()) ? 1u : 2u;
    {
        auto begun = FileWriter::Begin(path);
        ASSERT_TRUE(std::holds_alternative<FileWriter>(begun));
        FileWriter& writer = std::get<FileWriter>(begun);
        EXPECT_EQ(writer.Append("row 1\r\n"), std::nullopt);
        EXPECT_EQ(writer.Append(std::string("\0", 1)), std::nullopt);
        EXPECT_EQ(writer.Append(""), std::nullopt);
        EXPECT_EQ(writer.Append(std::string(100000, 'x')), std::nullopt);
        EXPECT_EQ(ReadBytes(path), "old");
        EXPECT_EQ(dir.EntryCount(), whileWriting);
        EXPECT_EQ(writer.Commit(), std::nullopt);
    }
    EXPECT_EQ(ReadBytes(path), std::string("row 1\r\n\0", 8) + std::string(100000, 'x'));
    EXPECT_EQ(ModeOf(path) & 0777, 0600u);
    EXPECT_EQ(dir.EntryCount(), 1u);

    {
        auto begun = FileWriter::Begin(path);
        ASSERT_TRUE(std::holds_alternative<FileWriter>(begun));
        EXPECT_EQ(std::get<FileWriter>(begun).Append("half"), std::nullopt);
    }
    EXPECT_EQ(ReadBytes(path).size(), 100008u);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
}  // namespace licytek

namespace licytek {
namespace {

// Neither reading nor saving opens anything but a regular file: a FIFO would block for
// ever, a device or socket is not the seller's file. The refusal leaves each as it was.
TEST(SellersFiles, SpecialFilesAreRefusedWithoutWaitingOrReplacingThem) {
    TempDir dir;
    const std::string fifo = dir.File("zapis.ltk");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string device = dir.File("podglad.html");
    std::filesystem::create_symlink("/dev/null", device);
    const std::string socket = dir.File("id.ltk");
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    std::filesystem::create_directory(dir.File("folder"));

    ::alarm(20);  // a blocked open ends the test program instead of hanging it
    for (const std::string& path : {fifo, device, socket, dir.File("folder")}) {
        EXPECT_EQ(Message(ReadFilePrefix(path, 100)), "File access denied") << path;
        EXPECT_EQ(WriteFileAtomically(path, "new"), kDenied) << path;
    }
    AuctionForm form;
    EXPECT_EQ(LoadProject(fifo, form), kDenied);
    EXPECT_EQ(std::get<FileError>(LoadSellerId(socket)), kDenied);
    EXPECT_EQ(std::get<FileError>(SaveSellerId("1", fifo)), kDenied);
    ::alarm(0);
    ::close(listening);

    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    EXPECT_TRUE(S_ISLNK(ModeOf(device)));
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
    EXPECT_TRUE(S_ISSOCK(ModeOf(socket)));
    EXPECT_EQ(dir.EntryCount(), 4u);
}

// A save through a symbolic link replaces the file the link leads to, in that file's
// folder, and leaves the link; a dangling link gets the file it names.
TEST(SellersFiles, SymbolicLinksAreFollowedToTheFileTheyName) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    const std::string target = dir.File("real/zapis.ltk");
    WriteBytes(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("real/zapis.ltk", dir.File("link"));
    std::filesystem::create_symlink("link", dir.File("zapis.ltk"));  // a chain of two
    std::filesystem::create_symlink("real/nowy.ltk", dir.File("id.ltk"));
    std::filesystem::create_symlink("brak/nowy.ltk", dir.File("podglad.html"));
    std::filesystem::create_symlink("petla", dir.File("petla"));

    EXPECT_EQ(std::get<std::string>(ReadFilePrefix(dir.File("zapis.ltk"), 10)), "old");
    EXPECT_EQ(WriteFileAtomically(dir.File("zapis.ltk"), "new"), std::nullopt);
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(ModeOf(target) & 07777, 0640u);
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("zapis.ltk"))));

    EXPECT_EQ(WriteFileAtomically(dir.File("id.ltk"), "id"), std::nullopt);
    EXPECT_EQ(ReadBytes(dir.File("real/nowy.ltk")), "id");
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("id.ltk"))));

    EXPECT_EQ(WriteFileAtomically(dir.File("podglad.html"), "x"), FileError{"File not found"});
    EXPECT_EQ(WriteFileAtomically(dir.File("petla"), "x"), FileError{"I/O error 40"});

    // A hard link is a second name of the old file: it keeps the old bytes.
    std::filesystem::create_hard_link(target, dir.File("twardy"));
    EXPECT_EQ(WriteFileAtomically(target, "newer"), std::nullopt);
    EXPECT_EQ(ReadBytes(dir.File("twardy")), "new");

    EXPECT_EQ(dir.EntryCount(), 7u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("real")),
                            std::filesystem::directory_iterator()),
              2);
}

// The sign-in tokens' mode refuses a link, dangling or not, and writes nothing through it;
// projects still follow the same link.
TEST(WriteFileAtomically, TheNoFollowModeNeverWritesThroughALink) {
    TempDir dir;
    WriteBytes(dir.File("bashrc"), "alias");
    ASSERT_EQ(::symlink("bashrc", dir.File("allegro.json").c_str()), 0);
    ASSERT_EQ(::symlink("nowy", dir.File("wiszacy.json").c_str()), 0);
    for (const char* link : {"allegro.json", "wiszacy.json"}) {
        EXPECT_EQ(WriteFileAtomically(dir.File(link), "{}", Flush::EachFile, Access::OwnerOnly,
                                      Links::Refuse),
                  kDenied);
    }
    EXPECT_EQ(ReadBytes(dir.File("bashrc")), "alias");
    EXPECT_EQ(WriteFileAtomically(dir.File("allegro.json"), "followed"), std::nullopt);
    EXPECT_EQ(ReadBytes(dir.File("bashrc")), "followed");
}

// A file the user may not write is refused as the system would refuse opening it, even
// where the folder would let a rename replace it. Checked as nobody: root may write anything.
TEST(SellersFiles, FilesTheUserMayNotWriteAreRefusedAndKept) {
    const auto nobody = testing::Nobody();
    if (::geteuid() == 0 && !nobody) {
        GTEST_SKIP() << "running as root and the system has no user nobody to become";
    }
    TempDir dir;
    const bool root = ::geteuid() == 0;
    const testing::Account user = root ? *nobody : testing::Account{::geteuid(), ::getegid()};
    auto own = [&](const std::string& path, std::string_view bytes, mode_t mode) {
        WriteBytes(path, bytes);
        ASSERT_EQ(::chown(path.c_str(), user.uid, user.gid), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    };
    ASSERT_EQ(::chown(dir.Path().c_str(), user.uid, user.gid), 0);
    own(dir.File("zapis.ltk"), "read-only", 0444);
    own(dir.File("id.ltk"), "writable", 0640);
    std::filesystem::create_directory(dir.File("closed"));
    own(dir.File("closed/zapis.ltk"), "in a closed folder", 0644);
    ASSERT_EQ(::chown(dir.File("closed").c_str(), user.uid, user.gid), 0);
    ASSERT_EQ(::chmod(dir.File("closed").c_str(), 0555), 0);
    if (root) {
        WriteBytes(dir.File("podglad.html"), "root's");  // someone else's, readable by all
        WriteBytes(dir.File("tajny"), "secret");
        ASSERT_EQ(::chmod(dir.File("tajny").c_str(), 0600), 0);
    }

    auto checks = [&] {
        Findings found;
        found.Check(WriteFileAtomically(dir.File("zapis.ltk"), "new") == kDenied, "read-only");
        found.Check(WriteFileAtomically(dir.File("closed/zapis.ltk"), "new") == kDenied,
                    "closed folder");
        found.Check(WriteFileAtomically(dir.File("id.ltk"), "new") == std::nullopt, "writable");
        if (root) {
            found.Check(WriteFileAtomically(dir.File("podglad.html"), "new") == kDenied,
                        "someone else's");
            found.Check(Message(ReadFilePrefix(dir.File("tajny"), 10)) == "File access denied",
                        "unreadable");
        }
        return found.text;
    };
    if (root) {
        const ChildEnd end = RunInChild([&] { return testing::BecomeUser(user); }, checks);
        ASSERT_NE(end.exitCode, testing::kChildCannotRun) << "cannot become nobody";
        EXPECT_EQ(end.exitCode, 0);
        EXPECT_EQ(end.report, "");
        EXPECT_EQ(ReadBytes(dir.File("podglad.html")), "root's");
        EXPECT_EQ(ModeOf(dir.File("podglad.html")) & 07777, 0644u);
        EXPECT_EQ(dir.EntryCount(), 5u);
    } else {
        EXPECT_EQ(checks(), "");
        EXPECT_EQ(dir.EntryCount(), 3u);
    }
    EXPECT_EQ(ReadBytes(dir.File("zapis.ltk")), "read-only");
    EXPECT_EQ(ModeOf(dir.File("zapis.ltk")) & 07777, 0444u);
    EXPECT_EQ(ReadBytes(dir.File("closed/zapis.ltk")), "in a closed folder");
    EXPECT_EQ(ReadBytes(dir.File("id.ltk")), "new");
    EXPECT_EQ(ModeOf(dir.File("id.ltk")) & 07777, 0640u);
    ::chmod(dir.File("closed").c_str(), 0755);  // so that the folder can be removed
}

// A write that runs out of room fails with "Disk full", leaving the old file and no
// temporary one. A program killed by the size limit mid-write leaves no temporary file
// either, where the file system makes unnamed ones.
TEST(SellersFiles, WritesThatRunOutOfRoomLeaveTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("zapis.ltk");
    WriteBytes(path, "old");
    const std::string record(kProjectRecordSize, 'x');
    auto limited = [](void (*disposition)(int)) {
        return [disposition] {
            const rlimit limit{30000, 30000};
            std::signal(SIGXFSZ, disposition);
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        };
    };
    const ChildEnd ignored =
        RunInChild(limited(SIG_IGN), [&] { return Message(WriteFileAtomically(path, record)); });
    EXPECT_EQ(ignored.report, "Disk full");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(dir.EntryCount(), 1u);

    const ChildEnd killed =
        RunInChild(limited(SIG_DFL), [&] { return Message(WriteFileAtomically(path, record)); });
    EXPECT_EQ(killed.signal, SIGXFSZ);
    EXPECT_EQ(ReadBytes(path), "old");
    if (MakesUnnamedFiles(dir.Path())) {
        EXPECT_EQ(dir.EntryCount(), 1u);
    }

    // A full file system: a small one of the test's own, where the system lets it mount one.
    const ChildEnd full = RunInChild(
        [&] {
            return ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=128k") == 0;
        },
        [&] {
            Findings found;
            found.Check(!WriteFileAtomically(path, "old"), "cannot write the old file");
            WriteBytes(dir.File("filler"), "");
            const int filler = ::open(dir.File("filler").c_str(), O_WRONLY | O_APPEND);
            const std::string block(4096, 'f');
            while (::write(filler, block.data(), block.size()) > 0) {
            }
            ::close(filler);
            found.Check(WriteFileAtomically(path, record) == kDiskFull, "not disk full");
            found.Check(ReadBytes(path) == "old", "old file changed");
            found.Check(dir.EntryCount() == 2, "a temporary file stayed");
            return found.text;
        });
    if (full.exitCode == testing::kChildCannotRun) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and a mount namespace); "
                        "the full file system was not tried";
    }
    EXPECT_EQ(full.exitCode, 0);
    EXPECT_EQ(full.report, "");
}

}  // namespace
}  // namespace licytek

namespace licytek {
namespace {

// Staged files go into a shared folder: a name taken or a link planted after the check stops
// the placing, and nothing is written through the link.
TEST(StagedFiles, NeverReplaceWhatAppearedAndNeverFollowLinks) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("elsewhere"));
    const std::string taken = dir.File("a.html");
    const std::string dangling = dir.File("b.html");

    // The name is free when staged and taken before placing, as on a disk that ignores
    // letter case a second name can turn out to be the same file.
    auto stagedA = StageFile(taken, "new", Existing::Refuse);
    ASSERT_TRUE(std::holds_alternative<StagedFile>(stagedA));
    WriteBytes(taken, "first");
    auto placed = PlaceStaged(std::get<StagedFile>(stagedA), Existing::Refuse);
    ASSERT_TRUE(std::holds_alternative<FileError>(placed));
    EXPECT_EQ(std::get<FileError>(placed).message, "File already exists");
    EXPECT_EQ(ReadBytes(taken), "first");

    // A dangling link planted after staging is not written through either.
    auto stagedB = StageFile(dangling, "new", Existing::ReplaceRegularFile);
    ASSERT_TRUE(std::holds_alternative<StagedFile>(stagedB));
    ASSERT_EQ(::symlink("elsewhere/planted", dangling.c_str()), 0);
    EXPECT_TRUE(std::holds_alternative<FileError>(
        PlaceStaged(std::get<StagedFile>(stagedB), Existing::ReplaceRegularFile)));
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere/planted")));

    // A free name takes the new file; nothing is left beside it.
    {
        auto fresh = StageFile(dir.File("d.html"), "fresh", Existing::Refuse);
        ASSERT_TRUE(std::holds_alternative<StagedFile>(fresh));
        auto put = PlaceStaged(std::get<StagedFile>(fresh), Existing::Refuse);
        ASSERT_TRUE(std::holds_alternative<PlacedFile>(put));
        KeepPlaced(std::get<PlacedFile>(put));
    }
    EXPECT_EQ(ReadBytes(dir.File("d.html")), "fresh");
    EXPECT_EQ(dir.EntryCount(), 4u);
}

// Files placed together are taken back together: the replaced file returns byte for byte
// with its mode, a new one vanishes, and no temporary file is left.
TEST(StagedFiles, UndoPutsBackWhatStoodThere) {
    TempDir dir;
    const std::string old = dir.File("a.html");
    WriteBytes(old, "old page");
    ASSERT_EQ(::chmod(old.c_str(), 0640), 0);
    std::vector<PlacedFile> placed;
    for (const std::string& path : {old, dir.File("a.allegro.json")}) {
        auto staged = StageFile(path, "new", Existing::ReplaceRegularFile);
        ASSERT_TRUE(std::holds_alternative<StagedFile>(staged));
        auto put = PlaceStaged(std::get<StagedFile>(staged), Existing::ReplaceRegularFile);
        ASSERT_TRUE(std::holds_alternative<PlacedFile>(put));
        placed.push_back(std::get<PlacedFile>(put));
    }
    EXPECT_EQ(ReadBytes(old), "new");
    EXPECT_EQ(ModeOf(old) & 07777, 0640u);
    for (const auto& file : placed) {
        UndoPlaced(file);
    }
    EXPECT_EQ(ReadBytes(old), "old page");
    EXPECT_EQ(ModeOf(old) & 07777, 0640u);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
}  // namespace licytek
