#include "VeltoDesktop/System/UnixSocket.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace velto::unixSocket {

namespace {

std::optional<sockaddr_un> addressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto& text = path.native();
    if (text.empty() || text.size() >= sizeof(address.sun_path)) {
        errno = ENAMETOOLONG;
        return std::nullopt;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

/// A non-blocking stream socket for `path`, handed to `use` with the path's address; closed when the
/// path cannot be used or `use` fails (errno is then set).
template <typename Use> FileDescriptor socketFor(const std::filesystem::path& path, Use use) {
    auto address = addressOf(path);
    if (!address)
        return FileDescriptor();
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.isOpen() ||
        !use(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)))
        return FileDescriptor();
    return socket;
}

int remainingMilliseconds(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 60'000));
}

bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        pollfd waited{.fd = fd, .events = events, .revents = 0};
        const int ready = ::poll(&waited, 1, remainingMilliseconds(deadline));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

} // namespace

FileDescriptor listenAt(const std::filesystem::path& path) {
    return socketFor(path, [](int socket, const sockaddr* address, socklen_t length) {
        // Linux gives the socket file the socket's own mode at bind: the owner's alone from the start.
        return ::fchmod(socket, 0600) == 0 && ::bind(socket, address, length) == 0 &&
               ::listen(socket, SOMAXCONN) == 0;
    });
}

FileDescriptor connectTo(const std::filesystem::path& path) {
    return socketFor(path, [](int socket, const sockaddr* address, socklen_t length) {
        return ::connect(socket, address, length) == 0;
    });
}

bool sendAll(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || !waitFor(fd, POLLOUT, deadline))
            return false;
    }
    return true;
}

bool receiveAvailable(int fd, std::string& into, std::size_t maximum) {
    char buffer[16 * 1024];
    while (into.size() <= maximum) {
        const ssize_t received = ::recv(fd, buffer, sizeof(buffer), 0);
        if (received > 0) {
            into.append(buffer, static_cast<std::size_t>(received));
            continue;
        }
        if (received == 0)
            return false;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN;
    }
    return true;
}

bool waitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
    return waitFor(fd, POLLIN, deadline);
}

} // namespace velto::unixSocket
