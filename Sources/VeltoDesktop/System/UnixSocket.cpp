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

FileDescriptor streamSocket() {
    return FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
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
    auto address = addressOf(path);
    if (!address)
        return FileDescriptor();
    auto socket = streamSocket();
    if (!socket.isOpen())
        return socket;
    // Linux gives the socket file the socket's own mode at bind: the owner's alone from the start.
    if (::fchmod(socket.get(), 0600) != 0 ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0 ||
        ::listen(socket.get(), SOMAXCONN) != 0)
        return FileDescriptor();
    return socket;
}

FileDescriptor connectTo(const std::filesystem::path& path) {
    auto address = addressOf(path);
    if (!address)
        return FileDescriptor();
    auto socket = streamSocket();
    if (!socket.isOpen())
        return socket;
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0)
        return FileDescriptor();
    return socket;
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
