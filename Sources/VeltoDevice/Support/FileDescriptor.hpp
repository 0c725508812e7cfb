#pragma once

#include <string_view>

namespace velto {

/// Closes a descriptor when the scope ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    /// Closes now and reports close's own failure (errno is then set).
    bool close();
    /// Writes every byte, going on after interrupted writes; false on a failure (errno is then set).
    bool writeAll(std::string_view bytes) const;

private:
    int fd_;
};

} // namespace velto
