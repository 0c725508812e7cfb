#include "VeltoDesktop/System/DisplayPlatform.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace velto {
namespace {

std::string valueOf(const Environment& environment, const char* name) {
    auto found = environment.find(name);
    return found == environment.end() ? std::string() : found->second;
}

/// A Wayland display is a socket: a name in the runtime folder, or an absolute path.
bool waylandAnswers(const Environment& environment) {
    auto name = valueOf(environment, "WAYLAND_DISPLAY");
    if (name.empty())
        return false;
    if (name.front() != '/') {
        auto runtime = valueOf(environment, "XDG_RUNTIME_DIR");
        if (runtime.empty())
            return false;
        name = runtime + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    // Without blocking: a compositor that is listening but not accepting must not hold up the start.
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return false;
    const bool answers =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
        errno == EAGAIN || errno == EINPROGRESS;
    ::close(socket);
    return answers;
}

bool x11Answers(const Environment& environment) {
    const auto display = valueOf(environment, "DISPLAY");
    if (display.empty())
        return false;
    // Authorisation included: a server that refuses us is no display of ours either.
    auto* connection = xcb_connect(display.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

} // namespace

DisplayPlatform::Choice DisplayPlatform::choose(const Environment& environment) {
    if (!valueOf(environment, "QT_QPA_PLATFORM").empty())
        return Choice::asked;
    if (x11Answers(environment))
        return Choice::x11;
    return waylandAnswers(environment) ? Choice::wayland : Choice::none;
}

DisplayPlatform::Choice DisplayPlatform::applyToThisProcess(const Environment& environment) {
    const auto choice = choose(environment);
    if (choice == Choice::none)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    else if (choice == Choice::wayland)
        ::setenv("QT_QPA_PLATFORM", "wayland;offscreen", 1);
    return choice;
}

} // namespace velto
