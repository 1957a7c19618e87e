#include "model/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace licytek {
namespace {

// Closes the descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the result, since a close can fail on a full disk.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t PermissionsFor(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        return info.st_mode & 07777;
    }
    return 0644;
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

}  // namespace

FileError FileErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return {"File not found"};
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ENOTDIR:
            return {"File access denied"};
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return {"Disk full"};
        default:
            return {"I/O error " + std::to_string(errnoValue)};
    }
}

std::variant<std::string, FileError> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return FileErrorFromErrno(errno);
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

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::optional<FileError> WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) {
        // The folder refuses new files: report it as the file itself would have been refused.
        return FileErrorFromErrno(errno);
    }
    auto fail = [&temporary](FileError error) {
        ::unlink(temporary.c_str());
        return error;
    };
    // mkstemp creates the file for its owner only: keep the permissions of the file being
    // replaced, and give a new one the usual read access for all.
    ::fchmod(fd.get(), PermissionsFor(path));
    if (auto error = WriteAll(fd.get(), bytes)) {
        return fail(*error);
    }
    if (::fsync(fd.get()) != 0 || fd.Close() != 0) {
        return fail(FileErrorFromErrno(errno));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return fail(FileErrorFromErrno(errno));
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    Descriptor directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
    return std::nullopt;
}

}  // namespace licytek
