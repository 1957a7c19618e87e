// Small file helpers shared by the project file, the seller ID file and the preview file.
// Errors are values carrying the message the seller sees.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "model/FileDescriptor.h"

namespace licytek {

struct FileError {
    // As the classic program's message boxes word it: "File not found", "File access denied",
    // "Disk full", "I/O error 5".
    std::string message;
    int errnoValue = 0;  // what the system said, for wording it otherwise
    // The same error for the seller: EACCES and EPERM are both "File access denied".
    bool operator==(const FileError& other) const { return message == other.message; }
};

// The seller's message for a failed file operation that set `errnoValue`.
FileError FileErrorFromErrno(int errnoValue);

// The error in the Polish of the programs' newer messages, to follow a colon: "nie ma takiego
// pliku", "brak dostępu do pliku", "plik już istnieje", "dysk jest pełny", "błąd
// wejścia/wyjścia 5". UTF-8.
std::string PolishMessage(const FileError& error);

// Reads at most `maxBytes` from the start of the file (a shorter file gives fewer bytes).
// Only a regular file (or a symbolic link to one) is read; anything else, a FIFO or device
// included, is refused with "File access denied" without waiting on it.
std::variant<std::string, FileError> ReadFilePrefix(const std::string& path, std::size_t maxBytes);

// Whether a regular file (or anything else) stands at `path`.
bool PathExists(const std::string& path);

// The folder of a path, without a slash at its end: "a/b" for "a/b/c.csv", "/" for "/c.csv",
// "." for a bare name.
std::string FolderOf(const std::string& path);

// The one way every file of the programs is written. Replaces the file at `path` with
// `bytes` as a whole, or leaves it byte for byte as it was:
// - a symbolic link is followed, and the file it leads to is replaced in its own folder (a
//   dangling link gets the file it names created);
// - only a regular file that the user may write is replaced, keeping its mode (and, for
//   root, its owner); anything else is refused with "File access denied";
// - the bytes go into an unnamed temporary file in the same folder where the file system
//   allows it (a named one beside the file otherwise), which is flushed to disk and then
//   renamed over the file. On failure the temporary file is removed; a program killed
//   meanwhile leaves no unnamed one behind.
// The rename gives the name a new file: other hard links to the old one keep the old bytes.
// With Flush::Later the file and its folder are not flushed one by one: a caller writing
// thousands of files flushes them all at once with FlushFolder before it reports success.
// With Access::OwnerOnly the new file belongs to the user and is readable by the user alone
// (mode 0600), whatever owner and mode the old one had: for secrets such as sign-in tokens.
// With Links::Refuse a symbolic link at `path` is refused with "File access denied" instead
// of being followed, so that nothing is ever written through one: for a folder where a link
// cannot be the user's intent, such as that of the sign-in tokens.
enum class Flush { EachFile, Later };
enum class Access { KeepOrDefault, OwnerOnly };
enum class Links { Follow, Refuse };
std::optional<FileError> WriteFileAtomically(const std::string& path, std::string_view bytes,
                                             Flush flush = Flush::EachFile,
                                             Access access = Access::KeepOrDefault,
                                             Links links = Links::Follow);

// The same save for bytes that come piece by piece, so that a large file is never held whole
// in memory: Begin checks and prepares as WriteFileAtomically does, Append adds bytes to the
// temporary file, and Commit flushes it and gives it the name. Until Commit nothing stands at
// the name; a writer dropped without Commit, or after a failure, leaves the old file as it
// was and no temporary file behind. After a failure only dropping it is left.
class FileWriter {
  public:
    static std::variant<FileWriter, FileError> Begin(const std::string& path,
                                                     Flush flush = Flush::EachFile,
                                                     Access access = Access::KeepOrDefault,
                                                     Links links = Links::Follow);
    FileWriter(FileWriter&& other) noexcept;
    FileWriter& operator=(FileWriter&& other) = delete;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    ~FileWriter();

    std::optional<FileError> Append(std::string_view bytes);
    std::optional<FileError> Commit();

  private:
    FileWriter(std::string file, Flush flush) : file_(std::move(file)), flush_(flush) {}
    std::optional<FileError> NameUnnamed();

    std::string file_;  // the file to replace, links followed
    Flush flush_;
    FileDescriptor fd_;
    std::string temporary_;  // the temporary file's name, once it has one
};

// ---- Several files put in place together, in a folder that others may share ----
// There a symbolic link is never followed, nothing but a regular file is replaced, and a
// group of files (one batch row's) appears whole or not at all:
// 1. StageFile writes the bytes into an unnamed file in the folder of `path` (a named
//    temporary file beside it where the file system cannot make unnamed ones);
// 2. PlaceStaged gives it its name. With Existing::Refuse only when nothing of any kind
//    stands there, a dangling link included, as decided by the system in the same step as the
//    naming: a clash nobody foresaw is "File already exists", never a silent overwrite. With
//    Existing::ReplaceRegularFile a regular file is replaced and kept aside, and anything
//    else (a link, a folder, a device) is refused;
// 3. KeepPlaced removes what was kept aside, or UndoPlaced puts back what stood there.
// The files are not flushed one by one: the caller flushes the folder with FlushFolder.
enum class Existing { Refuse, ReplaceRegularFile };

struct PlacedFile;

class StagedFile {
  public:
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();  // the bytes vanish unless they were placed

    const std::string& path() const { return path_; }

  private:
    friend std::variant<StagedFile, FileError> StageFile(const std::string&, std::string_view,
                                                         Existing);
    friend std::variant<PlacedFile, FileError> PlaceStaged(StagedFile&, Existing);
    explicit StagedFile(std::string path) : path_(std::move(path)) {}

    std::string path_;
    FileDescriptor fd_;      // the unnamed file, until it is placed
    std::string temporary_;  // or the named temporary file
};

struct PlacedFile {
    std::string path;
    std::string keptAside;  // where the replaced file waits; empty when nothing was replaced
};

std::variant<StagedFile, FileError> StageFile(const std::string& path, std::string_view bytes,
                                              Existing existing);
std::variant<PlacedFile, FileError> PlaceStaged(StagedFile& staged, Existing existing);
void KeepPlaced(const PlacedFile& placed);
void UndoPlaced(const PlacedFile& placed);

// Flushes to disk everything written on the file system that holds `folder`.
std::optional<FileError> FlushFolder(const std::string& folder);

}  // namespace licytek
