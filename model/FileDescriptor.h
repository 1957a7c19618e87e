// An open file descriptor that is closed when its owner goes: the one way the libraries hold
// a descriptor of their own.
#pragma once

#include <unistd.h>

#include <utility>

namespace licytek {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    // Takes `fd` as it comes from open(), mkstemp() or the like: -1 (with errno set) holds none.
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.fd_, -1));
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Reset(); }

    int get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the one held and takes `fd` instead; a close that fails here is not told.
    void Reset(int fd = -1) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    // Closes now and reports the result, since a close can fail on a full disk.
    int Close() { return ::close(std::exchange(fd_, -1)); }

  private:
    int fd_ = -1;
};

}  // namespace licytek
