#pragma once

#include <unistd.h>

namespace velto {

/// Owns a file descriptor and closes it when the scope ends, unless released.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    /// Hands the descriptor over; this object no longer closes it.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    /// Closes now and reports close's own failure (errno is then set).
    bool close() { return ::close(release()) == 0; }

private:
    int fd_;
};

} // namespace velto
