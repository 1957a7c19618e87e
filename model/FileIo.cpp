#include "model/FileIo.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "model/FileDescriptor.h"

namespace licytek {
namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
// A file the save creates gets the usual read access for all.
constexpr mode_t kNewFileMode = 0644;
// How much of a file a copy reads at once.
constexpr std::size_t kCopyPieceBytes = 65536;

enum class FileErrorKind { NotFound, AccessDenied, AlreadyExists, DiskFull, Other };

// The errors the seller is told apart; the rest are told by their number.
FileErrorKind KindOf(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return FileErrorKind::NotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ENOTDIR:
            return FileErrorKind::AccessDenied;
        case EEXIST:
            return FileErrorKind::AlreadyExists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileErrorKind::DiskFull;
        default:
            return FileErrorKind::Other;
    }
}

FileError AccessDenied() {
    return FileErrorFromErrno(EACCES);
}

std::optional<FileError> WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileErrorFromErrno(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

// Where a symbolic link points, relative to the current directory.
std::variant<std::string, FileError> LinkTarget(const std::string& link, std::size_t sizeHint) {
    std::string target(sizeHint + 1, '\0');
    while (true) {
        const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
        if (length < 0) {
            return FileErrorFromErrno(errno);
        }
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            break;
        }
        target.resize(target.size() * 2);  // the link changed since it was looked at
    }
    if (target.empty() || target.front() == '/') {
        return target;
    }
    return FolderOf(link) + "/" + target;
}

// The file a save must replace: `path`, or what its chain of symbolic links ends at. A
// dangling link ends at the name it points to, so the save creates the file the link names,
// as any program writing through the link would.
std::variant<std::string, FileError> FileBehindLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                return current;
            }
            return FileErrorFromErrno(errno);
        }
        if (!S_ISLNK(info.st_mode)) {
            return current;
        }
        auto next = LinkTarget(current, static_cast<std::size_t>(info.st_size));
        if (auto* error = std::get_if<FileError>(&next)) {
            return *error;
        }
        current = std::move(std::get<std::string>(next));
    }
    return FileErrorFromErrno(ELOOP);
}

// What the new file takes over from the one it replaces.
struct Replaced {
    bool exists = false;
    mode_t mode = kNewFileMode;
    uid_t owner = 0;
    gid_t group = 0;
};

// Only a regular file that the user may write is replaced; a device, FIFO, socket or folder
// is refused without being opened, so that nothing blocks or changes. So is a link, when
// links are not to be followed.
std::variant<Replaced, FileError> CheckReplaceable(const std::string& file, Links links) {
    struct stat info {};
    const int looked =
        links == Links::Follow ? ::stat(file.c_str(), &info) : ::lstat(file.c_str(), &info);
    if (looked != 0) {
        if (errno == ENOENT) {
            return Replaced{};
        }
        return FileErrorFromErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return AccessDenied();
    }
    // With the effective IDs, as an open for writing would check; the folder's permission,
    // which a rename needs, says nothing about whether the file itself may be written.
    if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) {
        return FileErrorFromErrno(errno);
    }
    return Replaced{true, info.st_mode & 07777, info.st_uid, info.st_gid};
}

// Gives the new file the owner and mode of the one it replaces. Only root may give a file
// away, so the owner stays the user's otherwise; the owner goes first since a change of
// owner clears the set-ID bits.
void TakeOver(int fd, const Replaced& replaced) {
    if (replaced.exists && (replaced.owner != ::geteuid() || replaced.group != ::getegid())) {
        [[maybe_unused]] const int ignored = ::fchown(fd, replaced.owner, replaced.group);
    }
    ::fchmod(fd, replaced.mode);
}

std::optional<FileError> FillAndFlush(int fd, std::string_view bytes, const Replaced& replaced,
                                      Flush flush) {
    TakeOver(fd, replaced);
    if (auto error = WriteAll(fd, bytes)) {
        return error;
    }
    if (flush == Flush::EachFile && ::fsync(fd) != 0) {
        return FileErrorFromErrno(errno);
    }
    return std::nullopt;
}

// A name beside `file` for the moment between linking the new file in and renaming it.
std::string TemporaryNameBeside(const std::string& file) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Seeded once per thread: a random device costs more than the rest of a small save.
    thread_local std::mt19937 random{std::random_device{}()};
    std::string name = file + ".";
    for (int i = 0; i < 6; ++i) {
        name.push_back(kLetters[random() % (sizeof(kLetters) - 1)]);
    }
    return name;
}

// Gives the unnamed file a name, through /proc or, where that is missing, directly (which
// the system allows to root only).
int LinkUnnamed(int fd, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
    }
    return -1;
}

std::optional<FileError> PutInPlace(const std::string& temporary, const std::string& file,
                                    Flush flush) {
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const FileError error = FileErrorFromErrno(errno);
        ::unlink(temporary.c_str());
        return error;
    }
    if (flush == Flush::Later) {
        return std::nullopt;
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    FileDescriptor directory(::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
    return std::nullopt;
}

// A named temporary file beside `file`, where unnamed files are not available.
std::optional<FileError> OpenNamedTemporary(const std::string& file, FileDescriptor& fd,
                                            std::string& temporary) {
    std::string name = file + ".XXXXXX";
    fd.Reset(::mkstemp(name.data()));
    if (!fd.IsOpen()) {
        // The folder refuses new files: report it as the file itself would have been refused.
        return FileErrorFromErrno(errno);
    }
    temporary = std::move(name);
    return std::nullopt;
}

// The owner and mode that an open file already took over, for a copy of it.
std::variant<Replaced, FileError> OwnerAndModeOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return FileErrorFromErrno(errno);
    }
    return Replaced{true, info.st_mode & 07777, info.st_uid, info.st_gid};
}

std::optional<FileError> CopyContents(int from, int to) {
    std::string buffer(kCopyPieceBytes, '\0');
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), offset);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileErrorFromErrno(errno);
        }
        if (got == 0) {
            return std::nullopt;
        }
        if (auto error =
                WriteAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return error;
        }
        offset += got;
    }
}

}  // namespace

FileError FileErrorFromErrno(int errnoValue) {
    switch (KindOf(errnoValue)) {
        case FileErrorKind::NotFound:
            return {"File not found", errnoValue};
        case FileErrorKind::AccessDenied:
            return {"File access denied", errnoValue};
        case FileErrorKind::AlreadyExists:
            return {"File already exists", errnoValue};
        case FileErrorKind::DiskFull:
            return {"Disk full", errnoValue};
        case FileErrorKind::Other:
            break;
    }
    return {"I/O error " + std::to_string(errnoValue), errnoValue};
}

std::string PolishMessage(const FileError& error) {
    switch (KindOf(error.errnoValue)) {
        case FileErrorKind::NotFound:
            return "nie ma takiego pliku";
        case FileErrorKind::AccessDenied:
            return "brak dostępu do pliku";
        case FileErrorKind::AlreadyExists:
            return "plik już istnieje";
        case FileErrorKind::DiskFull:
            return "dysk jest pełny";
        case FileErrorKind::Other:
            break;
    }
    return "błąd wejścia/wyjścia " + std::to_string(error.errnoValue);
}

std::variant<std::string, FileError> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    // Looked at before it is opened: opening a FIFO waits for a writer, opening a device can
    // act on it. Such files are refused as a folder is.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return FileErrorFromErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return AccessDenied();
    }
    // Without blocking, and checked again, in case something else took the name meanwhile.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        return FileErrorFromErrno(errno);
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return AccessDenied();
    }
    std::string bytes(maxBytes, '\0');
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const ssize_t got = ::read(fd.get(), bytes.data() + filled, maxBytes - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileErrorFromErrno(errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::variant<FileWriter, FileError> FileWriter::Begin(const std::string& path, Flush flush,
                                                      Access access, Links links) {
    auto behind =
        links == Links::Follow ? FileBehindLinks(path) : std::variant<std::string, FileError>(path);
    if (auto* error = std::get_if<FileError>(&behind)) {
        return *error;
    }
    const std::string& file = std::get<std::string>(behind);
    // A link that appears after this look is replaced by the rename, never written through.
    auto replaceable = CheckReplaceable(file, links);
    if (auto* error = std::get_if<FileError>(&replaceable)) {
        return *error;
    }
    Replaced& replaced = std::get<Replaced>(replaceable);
    if (access == Access::OwnerOnly) {
        // Root saving a secret over another user's file must not hand the secret to them.
        replaced.mode = 0600;
        replaced.owner = ::geteuid();
        replaced.group = ::getegid();
    }
    FileWriter writer(file, flush);
    // The new contents go into a file without a name, which vanishes by itself if the program
    // dies before it is complete; it is readable too, for a copy where it cannot be named.
    writer.fd_.Reset(::open(FolderOf(file).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!writer.fd_.IsOpen()) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return FileErrorFromErrno(errno);
        }
        if (auto error = OpenNamedTemporary(file, writer.fd_, writer.temporary_)) {
            return *error;
        }
    }
    TakeOver(writer.fd_.get(), replaced);
    return writer;
}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : file_(std::move(other.file_)),
      flush_(other.flush_),
      fd_(std::move(other.fd_)),
      temporary_(std::move(other.temporary_)) {
    other.temporary_.clear();
}

FileWriter::~FileWriter() {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

std::optional<FileError> FileWriter::Append(std::string_view bytes) {
    if (!fd_.IsOpen()) {
        return FileErrorFromErrno(EBADF);
    }
    return WriteAll(fd_.get(), bytes);
}

std::optional<FileError> FileWriter::Commit() {
    if (!fd_.IsOpen()) {
        return FileErrorFromErrno(EBADF);
    }
    if (flush_ == Flush::EachFile && ::fsync(fd_.get()) != 0) {
        return FileErrorFromErrno(errno);
    }
    if (temporary_.empty()) {
        if (auto error = NameUnnamed()) {
            return error;
        }
    }
    // The temporary file goes with the writer when this fails.
    if (fd_.Close() != 0) {
        return FileErrorFromErrno(errno);
    }
    return PutInPlace(std::exchange(temporary_, {}), file_, flush_);
}

// Gives the unnamed file a name beside the file, for the rename over it.
std::optional<FileError> FileWriter::NameUnnamed() {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string temporary = TemporaryNameBeside(file_);
        if (LinkUnnamed(fd_.get(), temporary) == 0) {
            temporary_ = std::move(temporary);
            return std::nullopt;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    // Neither way of naming it works here: copy the contents into a named file.
    const FileDescriptor unnamed = std::move(fd_);
    auto ownerAndMode = OwnerAndModeOf(unnamed.get());
    if (auto* error = std::get_if<FileError>(&ownerAndMode)) {
        return *error;
    }
    if (auto error = OpenNamedTemporary(file_, fd_, temporary_)) {
        return error;
    }
    TakeOver(fd_.get(), std::get<Replaced>(ownerAndMode));
    if (auto error = CopyContents(unnamed.get(), fd_.get())) {
        return error;
    }
    if (flush_ == Flush::EachFile && ::fsync(fd_.get()) != 0) {
        return FileErrorFromErrno(errno);
    }
    return std::nullopt;
}

std::optional<FileError> WriteFileAtomically(const std::string& path, std::string_view bytes,
                                             Flush flush, Access access, Links links) {
    auto begun = FileWriter::Begin(path, flush, access, links);
    if (auto* error = std::get_if<FileError>(&begun)) {
        return *error;
    }
    auto& writer = std::get<FileWriter>(begun);
    if (auto error = writer.Append(bytes)) {
        return error;
    }
    return writer.Commit();
}

namespace {

// What a staged file takes over from the regular file it will replace; a link, a folder or
// a device in its place is refused before any byte is written.
std::variant<Replaced, FileError> CheckReplaceableHere(const std::string& path, Existing existing) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? std::variant<Replaced, FileError>(Replaced{})
                               : FileErrorFromErrno(errno);
    }
    if (existing == Existing::Refuse) {
        return FileErrorFromErrno(EEXIST);
    }
    if (!S_ISREG(info.st_mode)) {
        return AccessDenied();
    }
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return FileErrorFromErrno(errno);
    }
    return Replaced{true, info.st_mode & 07777, info.st_uid, info.st_gid};
}

// Whether an unnamed file can be given a name here: through /proc, or directly as root.
bool CanNameUnnamedFiles() {
    return ::access("/proc/self/fd", F_OK) == 0 || ::geteuid() == 0;
}

// Renames without replacing anything; where the file system cannot say so in one step, a
// hard link does the same, and only where it has neither is the name looked at first.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) {
        return -1;
    }
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// Gives the staged bytes a temporary name beside `path`, for a rename over the old file.
std::optional<FileError> NameTemporarily(int fd, const std::string& path, std::string& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = TemporaryNameBeside(path);
        if (LinkUnnamed(fd, name) == 0) {
            return std::nullopt;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    name.clear();
    return FileErrorFromErrno(errno);
}

// Replaces the regular file at `path` with `temporary`, keeping the old one aside.
std::variant<PlacedFile, FileError> ReplaceKeepingOld(const std::string& temporary,
                                                      const std::string& path) {
    // One atomic swap where the file system has it: the old file takes the temporary name.
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        return PlacedFile{path, temporary};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return FileErrorFromErrno(errno);
    }
    std::string aside = TemporaryNameBeside(path);
    if (::link(path.c_str(), aside.c_str()) != 0 && ::rename(path.c_str(), aside.c_str()) != 0) {
        return FileErrorFromErrno(errno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const FileError error = FileErrorFromErrno(errno);
        ::rename(aside.c_str(), path.c_str());
        return error;
    }
    return PlacedFile{path, std::move(aside)};
}

}  // namespace

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::move(other.fd_)),
      temporary_(std::move(other.temporary_)) {
    other.temporary_.clear();
}

StagedFile::~StagedFile() {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

std::variant<StagedFile, FileError> StageFile(const std::string& path, std::string_view bytes,
                                              Existing existing) {
    auto replaceable = CheckReplaceableHere(path, existing);
    if (auto* error = std::get_if<FileError>(&replaceable)) {
        return *error;
    }
    const Replaced& replaced = std::get<Replaced>(replaceable);
    StagedFile staged(path);
    if (CanNameUnnamedFiles()) {
        staged.fd_.Reset(::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (!staged.fd_.IsOpen() && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return FileErrorFromErrno(errno);
        }
    }
    if (!staged.fd_.IsOpen()) {
        std::string temporary = path + ".XXXXXX";
        staged.fd_.Reset(::mkstemp(temporary.data()));
        if (!staged.fd_.IsOpen()) {
            return FileErrorFromErrno(errno);
        }
        staged.temporary_ = std::move(temporary);
    }
    if (auto error = FillAndFlush(staged.fd_.get(), bytes, replaced, Flush::Later)) {
        return *error;
    }
    if (!staged.temporary_.empty() && staged.fd_.Close() != 0) {
        return FileErrorFromErrno(errno);
    }
    return staged;
}

std::variant<PlacedFile, FileError> PlaceStaged(StagedFile& staged, Existing existing) {
    const std::string& path = staged.path_;
    struct stat info {};
    const bool standing = ::lstat(path.c_str(), &info) == 0;
    if (standing && (existing == Existing::Refuse || !S_ISREG(info.st_mode))) {
        return existing == Existing::Refuse ? FileErrorFromErrno(EEXIST) : AccessDenied();
    }
    if (!standing) {
        // Nothing to replace: a new name, and whatever appeared there meanwhile is kept.
        const int result = staged.temporary_.empty() ? LinkUnnamed(staged.fd_.get(), path)
                                                     : RenameNoReplace(staged.temporary_, path);
        if (result != 0) {
            return FileErrorFromErrno(errno);
        }
        staged.temporary_.clear();
        return PlacedFile{path, {}};
    }
    if (staged.temporary_.empty()) {
        if (auto error = NameTemporarily(staged.fd_.get(), path, staged.temporary_)) {
            return *error;
        }
    }
    auto placed = ReplaceKeepingOld(staged.temporary_, path);
    if (std::holds_alternative<PlacedFile>(placed)) {
        staged.temporary_.clear();
    }
    return placed;
}

void KeepPlaced(const PlacedFile& placed) {
    if (!placed.keptAside.empty()) {
        ::unlink(placed.keptAside.c_str());
    }
}

void UndoPlaced(const PlacedFile& placed) {
    if (placed.keptAside.empty()) {
        ::unlink(placed.path.c_str());
    } else {
        ::rename(placed.keptAside.c_str(), placed.path.c_str());
    }
}

std::optional<FileError> FlushFolder(const std::string& folder) {
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0 || ::syncfs(directory.get()) != 0) {
        return FileErrorFromErrno(errno);
    }
    return std::nullopt;
}

}  // namespace licytek
