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
std::variant<std::string, FileError> ReadFilePrefix(const std::string& path, std::size_t maxBytes);

// Whether a regular file (or anything else) stands at `path`.
bool PathExists(const std::string& path);

// Writes `bytes` into a temporary file beside `path`, flushes it to disk and renames it over
// `path`, so a failed write never destroys the file that was there. On failure the temporary
// file is removed and the old file stays as it was.
std::optional<FileError> WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace licytek
