#include "VeltoDevice/Support/FileDescriptor.hpp"

#include <cerrno>
#include <unistd.h>

namespace velto {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool FileDescriptor::close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

bool FileDescriptor::writeAll(std::string_view bytes) const {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace velto
