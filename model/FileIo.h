// Small file helpers shared by the project file, the seller ID file and the preview file.
// Errors are values carrying the message the seller sees.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace licytek {

struct FileError {
    std::string message;  // "File not found", "File access denied", "Disk full", "I/O error 5"
    bool operator==(const FileError&) const = default;
};

// The seller's message for a failed file operation that set `errnoValue`.
FileError FileErrorFromErrno(int errnoValue);

// Reads at most `maxBytes` from the start of the file (a shorter file gives fewer bytes).
// Only a regular file (or a symbolic link to one) is read; anything else, a FIFO or device
// included, is refused with "File access denied" without waiting on it.
std::variant<std::string, FileError> ReadFilePrefix(const std::string& path, std::size_t maxBytes);

// Whether a regular file (or anything else) stands at `path`.
bool PathExists(const std::string& path);

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
// With Access::OwnerOnly the new file is readable by its owner alone (mode 0600), whatever
// mode the old one had: for secrets such as sign-in tokens.
enum class Flush { EachFile, Later };
enum class Access { KeepOrDefault, OwnerOnly };
std::optional<FileError> WriteFileAtomically(const std::string& path, std::string_view bytes,
                                             Flush flush = Flush::EachFile,
                                             Access access = Access::KeepOrDefault);

// Flushes to disk everything written on the file system that holds `folder`.
std::optional<FileError> FlushFolder(const std::string& folder);

}  // namespace licytek
