#pragma once

#include <string_view>
#include <utility>

namespace velto {

/// Closes a descriptor when the scope ends, unless it was released.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    ~FileDescriptor();

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    /// Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(fd_, -1); }
    /// Closes now and reports close's own failure (errno is then set).
    bool close();
    /// Writes every byte, going on after interrupted writes; false on a failure (errno is then set).
    bool writeAll(std::string_view bytes) const;

private:
    int fd_;
};

} // namespace velto
