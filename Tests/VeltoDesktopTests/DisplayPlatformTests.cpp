#include "VeltoDesktop/System/DisplayPlatform.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using Choice = DisplayPlatform::Choice;

/// A listening Unix socket at `path`, as a compositor's display socket is.
class ListeningSocket {
public:
    explicit ListeningSocket(const std::string& path) : socket_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::listen(socket_, 1), 0);
    }
    ~ListeningSocket() { ::close(socket_); }

private:
    int socket_;
};

TEST(DisplayPlatformTest, ChoosesOffscreenOnlyWhenNoDisplayAnswers) {
    testing::TemporaryFolder runtime;
    const auto folder = runtime.path().string();
    ListeningSocket compositor(folder + "/wayland-live");
    // A display number nothing serves: its socket would be /tmp/.X11-unix/X4093.
    const std::string deadX = ":4093";

    struct Row {
        const char* what;
        Environment environment;
        Choice expected;
    };
    const Row rows[] = {
        {"nothing named", {}, Choice::none},
        {"a platform asked for", {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", deadX}}, Choice::asked},
        {"an empty platform is none asked", {{"QT_QPA_PLATFORM", ""}}, Choice::none},
        {"an X server that does not answer", {{"DISPLAY", deadX}}, Choice::none},
        {"a malformed display name", {{"DISPLAY", "not a display"}}, Choice::none},
        {"a compositor socket that is not there",
         {{"WAYLAND_DISPLAY", "wayland-gone"}, {"XDG_RUNTIME_DIR", folder}},
         Choice::none},
        {"a compositor name without a runtime folder", {{"WAYLAND_DISPLAY", "wayland-live"}}, Choice::none},
        {"a compositor that answers",
         {{"WAYLAND_DISPLAY", "wayland-live"}, {"XDG_RUNTIME_DIR", folder}},
         Choice::wayland},
        {"a compositor named by its path", {{"WAYLAND_DISPLAY", folder + "/wayland-live"}}, Choice::wayland},
        {"a compositor beside a dead X server",
         {{"WAYLAND_DISPLAY", "wayland-live"}, {"XDG_RUNTIME_DIR", folder}, {"DISPLAY", deadX}},
         Choice::wayland},
        {"a compositor path too long for a socket",
         {{"WAYLAND_DISPLAY", "/" + std::string(200, 'w')}},
         Choice::none},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DisplayPlatform::choose(row.environment), row.expected) << row.what;
}

} // namespace
} // namespace velto
